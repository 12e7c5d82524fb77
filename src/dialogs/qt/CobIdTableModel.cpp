#include "dialogs/qt/CobIdTableModel.h"

#include "platform/qt/QtServices.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

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

} // namespace

CobIdTableModel::CobIdTableModel(CobIdTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(static_cast<int>(table.size()))
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
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        static_cast<std::size_t>(index.row()) >= table_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == kNumberColumn)
            return QString::number(index.row());
        return ToQString(table_[static_cast<std::size_t>(index.row())].Cell(index.column()));
    case Qt::BackgroundRole:
        // A read-only "Modify CobID" looks like the fixed column.
        if (index.column() == kModifyColumn && !modifyEditable_)
            return QGuiApplication::palette().brush(QPalette::Button);
        return {};
    default:
        return {};
    }
}

bool CobIdTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || !isEditable(index))
        return false;
    std::string text = FromQString(value.toString());
    std::string& cell = table_[static_cast<std::size_t>(index.row())].Cell(index.column());
    if (cell != text) {
        cell = std::move(text);
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
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
    return index.isValid() && static_cast<std::size_t>(index.row()) < table_.size() &&
           IsCobIdColumnEditable(index.column(), modifyEditable_);
}

void CobIdTableModel::Refresh()
{
    int rows = static_cast<int>(table_.size());
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

void CobIdTableModel::clearCells(const QModelIndexList& indexes)
{
    fillCells(indexes, QString());
}

void CobIdTableModel::fillCells(const QModelIndexList& indexes, const QString& text)
{
    std::string value = FromQString(text);
    QModelIndexList written;
    for (const QModelIndex& index : indexes) {
        if (!isEditable(index) || index.model() != this)
            continue;
        table_[static_cast<std::size_t>(index.row())].Cell(index.column()) = value;
        written.append(index);
    }
    // One signal for the block: a select-all clear touches thousands of cells.
    if (auto range = Bounds(written))
        announceChanged(range->top, range->left, range->bottom, range->right);
}

std::pair<QModelIndex, QModelIndex> CobIdTableModel::pasteBlock(const QModelIndex& topLeft, const QString& text)
{
    if (!topLeft.isValid())
        return {};
    auto written = PasteCobIdCells(table_, static_cast<std::size_t>(topLeft.row()), topLeft.column(),
                                   FromQString(text), modifyEditable_);
    if (!written)
        return {};
    announceChanged(written->top, written->left, written->bottom, written->right);
    return {index(static_cast<int>(written->top), written->left),
            index(static_cast<int>(written->bottom), written->right)};
}

QString CobIdTableModel::copyCells(const QModelIndexList& indexes) const
{
    auto range = Bounds(indexes);
    if (!range)
        return {};
    return ToQString(CopyCobIdCells(table_, *range));
}

void CobIdTableModel::announceChanged(std::size_t top, int left, std::size_t bottom, int right)
{
    emit dataChanged(index(static_cast<int>(top), left), index(static_cast<int>(bottom), right),
                     {Qt::DisplayRole, Qt::EditRole});
}

} // namespace c2c
