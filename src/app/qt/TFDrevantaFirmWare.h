#pragma once
// The main window: the four numbered steps, About, the link and "X".

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

namespace c2c {

class DrevantaMainWindow;
class MessageService;

class TFDrevantaFirmWare : public QWidget {
    Q_OBJECT
public:
    TFDrevantaFirmWare(DrevantaMainWindow& logic, MessageService& messages, QWidget* parent = nullptr);

    // Shows the logic's caption and status text.
    void Refresh();

    // "Update Device" shows "Wait.." and lets the window repaint once.
    QLabel* StatusLabel() const { return Labelstate; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a handler through the error guard, then shows the new state.
    void Run(const std::function<void()>& handler);

    DrevantaMainWindow& logic_;
    MessageService& messages_;

    QPushButton* New;
    QPushButton* open;
    QPushButton* btn_Prm_Gen;
    QPushButton* btn_CobID;
    QPushButton* CreateBin;
    QToolButton* about;
    QToolButton* LbButton1;
    QLabel* Label1;
    QLabel* Labelstate;
};

} // namespace c2c
