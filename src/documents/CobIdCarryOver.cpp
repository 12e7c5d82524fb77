#include "documents/CobIdCarryOver.h"

#include "platform/Error.h"

namespace c2c {

namespace {

// A message lists this many rows that do not fit and counts the rest.
constexpr std::size_t kShownDroppedRows = 12;

std::string Rows(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " row" : " rows");
}

std::string DroppedRowText(const CobIdStoredRow& stored)
{
    std::string text = "N\u00B0 " + std::to_string(stored.number) + ":";
    const char* separator = " ";
    for (int column : {kOriginalColumn, kModifyColumn, kDescriptionColumn}) {
        const std::string& cell = stored.row.Cell(column);
        if (cell.empty())
            continue;
        text += separator;
        text += column == kOriginalColumn ? "Original CobID " : column == kModifyColumn ? "Modify CobID " : "Description ";
        text += QuotedValue(cell);
        separator = ", ";
    }
    return text;
}

std::string TableText(int direction, const CobIdTableCarryOver& table, CarryOverTime time)
{
    const bool now = time == CarryOverTime::Now;
    const std::string name = kCobIdTableNames[static_cast<std::size_t>(direction)];
    std::string text;
    if (!table.moved.empty()) {
        std::vector<std::size_t> from, to;
        for (const CobIdMovedRow& row : table.moved) {
            from.push_back(row.from);
            to.push_back(row.to);
        }
        const bool one = table.moved.size() == 1;
        const std::string rows = Rows(table.moved.size()) + " stored as " + CobIdRowNumbersText(from);
        const std::string target = std::string(one ? "the first empty row" : "the first empty rows") +
                                   (now ? ", now " : ", ") + CobIdRowNumbersText(to);
        text += name + ": " +
                (now ? rows + (one ? " was" : " were") + " moved into " + target
                     : "Set CobID Access will move " + rows + " into " + target) +
                ".\n";
    }
    if (!table.dropped.empty()) {
        std::vector<std::size_t> numbers;
        for (const CobIdStoredRow& row : table.dropped)
            numbers.push_back(row.number);
        const bool one = table.dropped.size() == 1;
        text += name + ": " + Rows(table.dropped.size()) + " stored as " + CobIdRowNumbersText(numbers) +
                (now ? (one ? " does" : " do") + std::string(" not fit, as no empty row is left; OK would drop ")
                     : std::string(" will not fit, as no empty row is left; OK in Set CobID Access would drop ")) +
                (one ? "it" : "them") + ":\n";
        for (std::size_t i = 0; i < table.dropped.size() && i < kShownDroppedRows; ++i)
            text += DroppedRowText(table.dropped[i]) + "\n";
        if (table.dropped.size() > kShownDroppedRows)
            text += "... and " + Rows(table.dropped.size() - kShownDroppedRows) + " more\n";
    }
    return text;
}

} // namespace

bool CobIdCarryOver::Any() const
{
    for (const CobIdTableCarryOver& table : tables)
        if (!table.moved.empty() || !table.dropped.empty())
            return true;
    return false;
}

std::vector<std::size_t> CobIdCarryOver::MovedTo(int direction) const
{
    std::vector<std::size_t> rows;
    for (const CobIdMovedRow& row : tables[static_cast<std::size_t>(direction)].moved)
        rows.push_back(row.to);
    return rows;
}

CobIdCarryOver CarryOverRows(CobIdTables& tables, const CobIdRowsBeyond& beyond)
{
    CobIdCarryOver carryOver;
    carryOver.length = tables.can0ToCan1.size();
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        CobIdTable& table = tables.Table(direction);
        CobIdTableCarryOver& result = carryOver.tables[static_cast<std::size_t>(direction)];
        std::size_t empty = 0;
        for (const CobIdStoredRow& stored : beyond[static_cast<std::size_t>(direction)]) {
            while (empty < table.size() && IsCobIdRowInUse(table[empty]))
                ++empty;
            if (empty == table.size()) {
                result.dropped.push_back(stored);
                continue;
            }
            table[empty] = stored.row;
            result.moved.push_back({stored.number, empty});
        }
    }
    return carryOver;
}

std::string CobIdCarryOverText(const CobIdCarryOver& carryOver, CarryOverTime time)
{
    if (!carryOver.Any())
        return {};
    const std::string length = std::to_string(carryOver.length);
    const std::string why = carryOver.length == kExtendedTableLength ? " (a port runs CAN 2.0B)" : "";
    std::string text = (time == CarryOverTime::Now ? "Set CobID Access has " + length + " rows per table"
                                                   : "The CobID tables will have " + length + " rows") +
                       why + ", and CanCanCobID.xml holds filled rows beyond N\u00B0 " +
                       std::to_string(carryOver.length - 1) + ".\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        text += TableText(direction, carryOver.tables[static_cast<std::size_t>(direction)], time);
    text.pop_back(); // the last line break
    return text;
}

} // namespace c2c
