#pragma once
// A Qt table model over one CobID translation table of the core: four
// columns ("N°", "Original CobID", "Modify CobID", "Description"), one row
// per table row. The cells live in the core table; the model only shows them
// and writes the user's edits into them.

#include "dialogs/CobIdAccessLogic.h"

#include <QAbstractTableModel>
#include <QModelIndexList>

namespace c2c {

class CobIdTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CobIdTableModel(CobIdTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Whether "Modify CobID" may be edited; announce with Refresh().
    void setModifyEditable(bool editable) { modifyEditable_ = editable; }
    bool isEditable(const QModelIndex& index) const;

    // Announces a change of the whole core table made outside the model
    // (a new showing, "Compile All CobID", "Cancel All CobID"): rows added or
    // removed at the end, every cell changed. Column widths and the view's
    // other settings are kept, unlike a model reset.
    void Refresh();

    // Empties the editable cells among `indexes`.
    void clearCells(const QModelIndexList& indexes);
    // Sets every editable cell among `indexes` to `text`.
    void fillCells(const QModelIndexList& indexes, const QString& text);
    // Writes a block of tab-separated text with its first cell at `topLeft`,
    // skipping cells outside the table and read-only cells. Returns the
    // rectangle written to as (top-left, bottom-right), invalid when none.
    std::pair<QModelIndex, QModelIndex> pasteBlock(const QModelIndex& topLeft, const QString& text);
    // Tab-separated text of the smallest rectangle holding `indexes`.
    QString copyCells(const QModelIndexList& indexes) const;

private:
    void announceChanged(std::size_t top, int left, std::size_t bottom, int right);

    CobIdTable& table_;
    // The row count the views know; the core table may change length first.
    int rows_ = 0;
    bool modifyEditable_ = false;
};

} // namespace c2c
