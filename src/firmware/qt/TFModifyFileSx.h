#pragma once
// The Generate Firmware dialog: shows a GenerateFirmwareDialog and feeds the
// user's clicks into it. Created once at start-up; "Update Device" calls
// exec() on it after the bank files are written.

#include "firmware/GenerateFirmwareDialog.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace c2c {

struct Workspace;
class MessageService;
class FilePicker;
class FolderPicker;
class ShellService;
class QtProgressBarSink;

class TFModifyFileSx : public QDialog {
    Q_OBJECT
public:
    TFModifyFileSx(const Workspace& workspace, MessageService& messages, FilePicker& files, FolderPicker& folders,
                   ShellService& shell, QWidget* parent = nullptr);
    ~TFModifyFileSx() override;

    GenerateFirmwareDialog& logic() { return logic_; }
    const GenerateFirmwareDialog& logic() const { return logic_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs a handler through the error guard and shows the state it leaves.
    template <typename Handler>
    void Run(Handler handler);
    void Refresh();

    GenerateFirmwareDialog logic_;
    const Workspace& workspace_;
    MessageService& messages_;
    FilePicker& files_;
    FolderPicker& folders_;
    ShellService& shell_;

    QPushButton* LbButton1;
    QComboBox* cbport;
    QPushButton* LbButton2;
    QProgressBar* Avanzamento;
    QFrame* Shape1;
    // Hidden controls.
    QLabel* Label3;
    QLineEdit* NewFileSx;
    QPushButton* OpenFile;
    QPushButton* Options;
    QGroupBox* GbBank;
    std::array<QCheckBox*, kWindowCount> Cbbank{};
    QPushButton* DirFileBin;
    QPushButton* ExeModFileSx;
    QPushButton* ExeUpdateFir;

    std::unique_ptr<QtProgressBarSink> progress_;
};

} // namespace c2c
