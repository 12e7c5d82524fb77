#pragma once
// A Qt table model over one CobID translation table of the Set CobID Access
// logic: four columns ("N°", "Original CobID", "Modify CobID",
// "Description"), one row per table row. The cells live in the logic's
// table; the model only shows them, with the problem marks of the logic's
// live check (a colour, an icon and the reason as tooltip), and turns the
// user's edits into CobIdEdits handed to the window, which carries them out
// as steps of its undo stack.

#include "dialogs/CobIdAccessLogic.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QModelIndexList>

#include <functional>

namespace c2c {

class CobIdTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    CobIdTableModel(CobIdAccessLogic& logic, int direction, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int direction() const { return direction_; }
    bool isEditable(const QModelIndex& index) const;

    // Where the model's edits go: the window's undo stack. Without it an
    // edit is carried out at once.
    void setSubmit(std::function<void(CobIdEdit)> submit) { submit_ = std::move(submit); }

    // Announces a change of the whole table made outside the model (a new
    // showing): rows added or removed at the end, every cell changed. Column
    // widths and the view's other settings are kept, unlike a model reset.
    void Refresh();
    // Announces the cells of this model's table that `edit` changed.
    void announceEdit(const CobIdEdit& edit);

    // Sets every editable cell among `indexes` to `text`, as one edit.
    void fillCells(const char* name, const QModelIndexList& indexes, const QString& text);
    // Writes a block of tab-separated text with its first cell at `topLeft`,
    // as one edit, skipping cells outside the table and read-only cells.
    // Returns the rectangle written to as (top-left, bottom-right), invalid
    // when none; says what of the text was left out.
    std::pair<QModelIndex, QModelIndex> pasteBlock(const QModelIndex& topLeft, const QString& text);
    // Tab-separated text of the smallest rectangle holding `indexes`.
    QString copyCells(const QModelIndexList& indexes) const;

private:
    void submit(CobIdEdit edit);
    CobIdCellRef cellOf(const QModelIndex& index) const;

    CobIdAccessLogic& logic_;
    int direction_;
    std::function<void(CobIdEdit)> submit_;
    // The row count the views know; the logic's table may change length first.
    int rows_ = 0;
    QIcon problemIcon_;
    QIcon warningIcon_;
};

} // namespace c2c
