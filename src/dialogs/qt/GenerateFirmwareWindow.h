#pragma once
// The Generate Firmware window: shows a GenerateFirmwareLogic and feeds the
// user's clicks into it. Created once at start-up; "Update Device" calls
// exec() on it after the bank files are written.

#include "project/ProjectLayout.h"

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

class ComparisonWindow;
class GenerateFirmwareLogic;
class QtProgressBarSink;

class GenerateFirmwareWindow : public QDialog {
    Q_OBJECT
public:
    explicit GenerateFirmwareWindow(GenerateFirmwareLogic& logic, QWidget* parent = nullptr);
    ~GenerateFirmwareWindow() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs a handler through the error guard and shows the state it leaves.
    template <typename Handler>
    void Run(Handler handler);
    void Refresh();

    GenerateFirmwareLogic& logic_;

    QPushButton* LbButton1;
    QComboBox* cbport;
    QPushButton* LbButton2;
    QProgressBar* Avanzamento;
    QFrame* Shape1;
    // What happened, in the upper area that the hidden controls leave empty,
    // and after a run the two buttons that review it.
    QLabel* StatusLine;
    QPushButton* CompareFirmware;
    QPushButton* ReportButton;
    ComparisonWindow* comparison_;
    // Hidden controls.
    QLabel* Label3;
    QLineEdit* NewFileSx;
    QPushButton* OpenFile;
    QPushButton* Options;
    QGroupBox* GbBank;
    std::array<QCheckBox*, kBankCount> Cbbank{};
    QPushButton* DirFileBin;
    QPushButton* ExeModFileSx;
    QPushButton* ExeUpdateFir;

    std::unique_ptr<QtProgressBarSink> progress_;
};

} // namespace c2c
