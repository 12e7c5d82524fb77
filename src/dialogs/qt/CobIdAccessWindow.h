#pragma once
// The Set CobID Access window: shows the two tables of a CobIdAccessLogic on
// two tabs and feeds the user's edits and clicks into it. Every change of
// the tables is a step of the window's undo stack (emptied at every
// showing); under the grids a line counts the problems the logic's live
// check finds (a click goes to the first) beside the find and "Go to N°"
// fields.

#include "dialogs/CobIdAccessLogic.h"

#include <QDialog>

class QAction;
class QPushButton;
class QTabWidget;
class QToolButton;
class QUndoStack;

namespace c2c {

class CobIdFindBar;
class CobIdGrid;
class CobIdTableModel;

class CobIdAccessWindow : public QDialog {
    Q_OBJECT
public:
    explicit CobIdAccessWindow(CobIdAccessLogic& logic, QWidget* parent = nullptr);

    CobIdGrid* grid(int direction) const;
    QUndoStack* undoStack() const { return undoStack_; }

    // The one way another tool of the window changes the tables: the tables
    // it wants, as one step to undo named `name` ("Add rows"). Nothing
    // happens when they are the tables as they are.
    void applyTablesChange(const QString& name, const CobIdTables& newTables);
    // Any edit of the logic's, as one step to undo (an empty one is dropped).
    void submitEdit(CobIdEdit edit);

    // Cancel and the close box: asks before changes are thrown away.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape does not close this window: the Escape that cancels a cell
    // edit is easily pressed twice, and a close would throw away every edit
    // of the tables. Cancel and the close box still close it. From the find
    // fields Escape goes back to the grid.
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class CobIdEditCommand;

    void Ok();
    void CompileAll();
    void ClearAll();
    void AddRows();
    void Refresh();
    void ShowBadCell();
    void CommitEdits();
    // The undo stack's steps: carry out or take back an edit, repaint what
    // it changed and, unless it is the first time, show where it was.
    void CarryOut(const CobIdEdit& edit, bool showWhere);
    void TakeBack(const CobIdEdit& edit);
    void ShowWhere(const CobIdEdit& edit);
    void ShowCell(const CobIdCellRef& cell);
    void UpdateProblemsLine();
    void FindNext(bool forward);
    void GoToNumber();
    void AddWindowActions();
    void CheckRouting();

    CobIdAccessLogic& logic_;

    QUndoStack* undoStack_;
    CobIdTableModel* models_[2];
    QTabWidget* PageControl1;
    CobIdGrid* ASG_C0;
    CobIdGrid* ASG_C1;
    QPushButton* LbButton1;
    QPushButton* LbButton2;
    QPushButton* LbButton3;
    QPushButton* LbButton4;
    QToolButton* problemsLine_;
    CobIdFindBar* findBar_;
    QPushButton* addRows_;
    QPushButton* checkRouting_;
};

} // namespace c2c
