#pragma once
// The Set CobID Access window: shows the two tables of a CobIdAccessLogic on
// two tabs and feeds the user's edits and clicks into it.

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace c2c {

class CobIdAccessLogic;
class CobIdGrid;
class CobIdTableModel;

class CobIdAccessWindow : public QDialog {
    Q_OBJECT
public:
    explicit CobIdAccessWindow(CobIdAccessLogic& logic, QWidget* parent = nullptr);

    CobIdGrid* grid(int direction) const;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape does not close this window: the Escape that cancels a cell
    // edit is easily pressed twice, and a close would throw away every edit
    // of the tables. Cancel and the close box still close it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Ok();
    void CompileAll();
    void ClearAll();
    void Refresh();
    void ShowBadCell();
    void CheckRouting();

    CobIdAccessLogic& logic_;

    CobIdTableModel* models_[2];
    QTabWidget* PageControl1;
    CobIdGrid* ASG_C0;
    CobIdGrid* ASG_C1;
    QPushButton* LbButton1;
    QPushButton* LbButton2;
    QPushButton* LbButton3;
    QPushButton* LbButton4;
    QPushButton* CheckRoutingButton;
};

} // namespace c2c
