#pragma once
// A grid over one CobID table: a QTableView on a CobIdTableModel whose first
// column (the row numbers) stays in view when the other columns scroll,
// with the keys of a table editor: typing starts editing, Enter commits and
// moves down, Delete empties the selected cells, Ctrl+C / Ctrl+X / Ctrl+V
// copy, cut and paste rectangular blocks as tab-separated text, Ctrl+A
// selects all. Those keys are the grid's own actions (its context menu
// shows them), active while the grid has the focus, so that inside an open
// cell editor they stay the editor's.

#include <QList>
#include <QTableView>

class QAction;

namespace c2c {

class CobIdTableModel;

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

    // Keeps the cell clear of the fixed column.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    void copySelection();
    void cutSelection();
    void pasteClipboard();
    void clearSelectedCells();

    // Cut, Copy, Paste, Delete and Select All (object names EditCut,
    // EditCopy, EditPaste, EditDelete, EditSelectAll), in menu order.
    const QList<QAction*>& editActions() const { return editActions_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void updateFixedColumnGeometry();
    void moveDown();
    QModelIndexList selectedOrCurrent() const;

    CobIdTableModel* model_;
    QList<QAction*> editActions_;
    // Drawn over column 0 of this view and sharing its model, selection and
    // vertical scrolling, so that column stays in place.
    QTableView* fixed_;
};

} // namespace c2c
