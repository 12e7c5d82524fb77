#pragma once
// The list "Compare with firmware..." of Generate Firmware shows: which two
// configurations were compared, and what the device does differently, one
// line per setting, identifier or folded run.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace c2c {

struct FirmwareComparison;

class ComparisonWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ComparisonWindow(QWidget* parent = nullptr);
    void ShowComparison(const FirmwareComparison& comparison);

private:
    QLabel* files_;
    QPlainTextEdit* list_;
};

} // namespace c2c
