#pragma once
// The main window: the four steps of the user's work.

#include <QWidget>

class QPushButton;

namespace c2c {

struct Workspace;
struct CommSession;
class MessageService;
class FolderPicker;
class TFpargen;

class TFDrevantaFirmWare : public QWidget {
    Q_OBJECT
public:
    TFDrevantaFirmWare(Workspace& workspace, CommSession& session, MessageService& messages, FolderPicker& picker,
                       QWidget* parent = nullptr);

    // Start-up: workspace initialisation and the communication settings.
    void FormCreate(const std::string& exeDir);
    void SetPargenDialog(TFpargen* dialog) { pargen_ = dialog; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenaClick();
    void btn_str_lng1aClick(QPushButton* sender);

    Workspace& workspace_;
    CommSession& session_;
    MessageService& messages_;
    FolderPicker& picker_;
    TFpargen* pargen_ = nullptr;

    QPushButton* open;
    QPushButton* btn_Prm_Gen;
};

} // namespace c2c
