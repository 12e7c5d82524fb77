#pragma once
// The Set CobID Access dialog: shows the two tables of a CobIdDialog on two
// tabs and feeds the user's edits and clicks into it.

#include <QDialog>
#include <QTableView>

class QPushButton;
class QTabWidget;

namespace c2c {

struct CobIdDialog;
struct CommSession;
struct Workspace;
class MessageService;
class CobIdTableModel;

// A grid over a CobIdTableModel with a fixed first column (the row numbers
// stay in view when the other columns scroll) and the keys of a table
// editor: typing starts editing, Enter commits and moves down, Delete
// empties the selected cells, Ctrl+C / Ctrl+X / Ctrl+V copy, cut and paste
// rectangular blocks as tab-separated text.
class CobIdGrid final : public QTableView {
    Q_OBJECT
public:
    explicit CobIdGrid(CobIdTableModel* model, QWidget* parent = nullptr);

    CobIdTableModel* tableModel() const { return model_; }
    bool isEditing() const { return state() == EditingState; }
    // Writes an open cell editor's text into the table and closes it.
    void commitEdit();
    // Closes an open cell editor without keeping its text.
    void cancelEdit();
    // Makes (row, column) the current and only selected cell, scrolled into view.
    void selectCell(int row, int column);

    void copySelection();
    void cutSelection();
    void pasteClipboard();
    void clearSelectedCells();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void updateGeometries() override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void updateFixedColumnGeometry();
    void moveDown();

    CobIdTableModel* model_;
    // Drawn over column 0 of this view and sharing its model, selection and
    // vertical scrolling, so that column stays in place.
    QTableView* fixed_;
};

class TFCanCobID : public QDialog {
    Q_OBJECT
public:
    TFCanCobID(CobIdDialog& logic, const Workspace& workspace, const CommSession& session, MessageService& messages,
               QWidget* parent = nullptr);

    CobIdGrid* grid(int direction) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LbButton1Click();
    void LbButton3Click();
    void LbButton4Click();
    void Refresh();
    void ShowBadCell();

    CobIdDialog& logic_;
    const Workspace& workspace_;
    const CommSession& session_;
    MessageService& messages_;

    CobIdTableModel* models_[2];
    QTabWidget* PageControl1;
    CobIdGrid* ASG_C0;
    CobIdGrid* ASG_C1;
    QPushButton* LbButton1;
    QPushButton* LbButton2;
    QPushButton* LbButton3;
    QPushButton* LbButton4;
};

} // namespace c2c
