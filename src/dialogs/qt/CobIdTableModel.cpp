#include "dialogs/qt/CobIdTableModel.h"

#include "platform/qt/QtServices.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QPalette>
#include <QStyle>

#include <algorithm>

namespace c2c {

namespace {

std::optional<CobIdCellRange> Bounds(const QModelIndexList& indexes)
{
    std::optional<CobIdCellRange> range;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid())
            continue;
        auto row = static_cast<std::size_t>(index.row());
        if (!range) {
            range = CobIdCellRange{row, index.column(), row, index.column()};
            continue;
        }
        range->top = std::min(range->top, row);
        range->bottom = std::max(range->bottom, row);
        range->left = std::min(range->left, index.column());
        range->right = std::max(range->right, index.column());
    }
    return range;
}

// Light enough for black text; the icon beside the text says the same to
// those who do not tell the colours apart.
const QColor kProblemColour(0xF6, 0xC8, 0xC8);
const QColor kWarningColour(0xFB, 0xE8, 0xB0);

} // namespace

CobIdTableModel::CobIdTableModel(CobIdAccessLogic& logic, int direction, QObject* parent)
    : QAbstractTableModel(parent), logic_(logic), direction_(direction),
      rows_(static_cast<int>(logic.Table(direction).size())),
      problemIcon_(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical)),
      warningIcon_(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning))
{
}

int CobIdTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int CobIdTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kCobIdColumnCount;
}

QVariant CobIdTableModel::data(const QModelIndex& index, int role) const
{
    const CobIdTable& table = logic_.tables.Table(direction_);
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || static_cast<std::size_t>(index.row()) >= table.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == kNumberColumn)
            return QString::number(index.row());
        return ToQString(table[static_cast<std::size_t>(index.row())].Cell(index.column()));
    case Qt::BackgroundRole:
        switch (logic_.Problems().KindOf(cellOf(index))) {
        case CobIdMarkKind::Problem:
            return QBrush(kProblemColour);
        case CobIdMarkKind::Warning:
            return QBrush(kWarningColour);
        case CobIdMarkKind::None:
            break;
        }
        // A read-only "Modify CobID" looks like the fixed column.
        if (index.column() == kModifyColumn && !logic_.modifyEditable)
            return QApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::DecorationRole:
        switch (logic_.Problems().KindOf(cellOf(index))) {
        case CobIdMarkKind::Problem:
            return problemIcon_;
        case CobIdMarkKind::Warning:
            return warningIcon_;
        case CobIdMarkKind::None:
            break;
        }
        return {};
    case Qt::ToolTipRole: {
        const std::string reason = logic_.Problems().ReasonOf(logic_.tables, cellOf(index));
        return reason.empty() ? QVariant() : QVariant(ToQString(reason));
    }
    default:
        return {};
    }
}

bool CobIdTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || !isEditable(index))
        return false;
    submit(logic_.TypeCell(cellOf(index), FromQString(value.toString())));
    return true;
}

Qt::ItemFlags CobIdTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == kNumberColumn)
        return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isEditable(index))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant CobIdTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section);
    if (section < 0 || section >= kCobIdColumnCount)
        return {};
    return QString::fromUtf8(kCobIdHeaders[static_cast<std::size_t>(section)]);
}

bool CobIdTableModel::isEditable(const QModelIndex& index) const
{
    return index.isValid() && static_cast<std::size_t>(index.row()) < logic_.Table(direction_).size() &&
           logic_.IsEditable(index.column());
}

void CobIdTableModel::Refresh()
{
    int rows = static_cast<int>(logic_.Table(direction_).size());
    if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, kCobIdColumnCount - 1));
}

void CobIdTableModel::announceEdit(const CobIdEdit& edit)
{
    std::optional<CobIdCellRange> range;
    bool originals = false;
    for (const CobIdCellChange& change : edit.cells) {
        if (change.cell.direction != direction_ || change.cell.row >= static_cast<std::size_t>(rows_))
            continue;
        originals = originals || change.cell.column == kOriginalColumn;
        if (!range) {
            range = CobIdCellRange{change.cell.row, change.cell.column, change.cell.row, change.cell.column};
            continue;
        }
        range->top = std::min(range->top, change.cell.row);
        range->bottom = std::max(range->bottom, change.cell.row);
        range->left = std::min(range->left, change.cell.column);
        range->right = std::max(range->right, change.cell.column);
    }
    if (!range)
        return;
    // One signal for the block (a select-all clear touches thousands of
    // cells), over the whole width of its rows: a row's marks depend on both
    // identifiers.
    emit dataChanged(index(static_cast<int>(range->top), kOriginalColumn),
                     index(static_cast<int>(range->bottom), kCobIdColumnCount - 1));
    // An original identifier also marks, or stops marking, the other rows
    // that list it.
    if (originals)
        emit dataChanged(index(0, kOriginalColumn), index(rows_ - 1, kOriginalColumn),
                         {Qt::BackgroundRole, Qt::DecorationRole, Qt::ToolTipRole});
}

void CobIdTableModel::fillCells(const char* name, const QModelIndexList& indexes, const QString& text)
{
    std::vector<CobIdCellRef> cells;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.model() == this)
            cells.push_back(cellOf(index));
    submit(logic_.FillCells(name, cells, FromQString(text)));
}

std::pair<QModelIndex, QModelIndex> CobIdTableModel::pasteBlock(const QModelIndex& topLeft, const QString& text)
{
    if (!topLeft.isValid())
        return {};
    CobIdPaste paste =
        logic_.Paste(direction_, static_cast<std::size_t>(topLeft.row()), topLeft.column(), FromQString(text));
    submit(std::move(paste.edit));
    if (paste.loss.Any())
        logic_.Services().messages.showMessage(CobIdPasteLossText(paste.loss, logic_.Table(direction_).size()));
    if (!paste.written)
        return {};
    return {index(static_cast<int>(paste.written->top), paste.written->left),
            index(static_cast<int>(paste.written->bottom), paste.written->right)};
}

QString CobIdTableModel::copyCells(const QModelIndexList& indexes) const
{
    auto range = Bounds(indexes);
    if (!range)
        return {};
    return ToQString(CopyCobIdCells(logic_.Table(direction_), *range));
}

void CobIdTableModel::submit(CobIdEdit edit)
{
    if (edit.Empty())
        return;
    if (submit_) {
        submit_(std::move(edit));
        return;
    }
    logic_.Apply(edit);
    announceEdit(edit);
}

CobIdCellRef CobIdTableModel::cellOf(const QModelIndex& index) const
{
    return {direction_, static_cast<std::size_t>(index.row()), index.column()};
}

} // namespace c2c
