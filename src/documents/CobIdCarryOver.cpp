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

// Why the tables are shorter than the stored rows.
std::string WhyShorter(std::size_t length)
{
    return length == kExtendedTableLength ? " (a port runs CAN 2.0B)" : "";
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

CobIdCarryOver CarryOverStoredRows(CobIdTables& tables, std::size_t length)
{
    CobIdRowsBeyond beyond;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        CobIdTable& table = tables.Table(direction);
        for (std::size_t r = length; r < table.size(); ++r)
            if (IsCobIdRowInUse(table[r]))
                beyond[static_cast<std::size_t>(direction)].push_back({r, table[r]});
        table.resize(length);
    }
    return CarryOverRows(tables, beyond);
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

std::string CobIdCarryOverText(const CobIdCarryOver& carryOver, CarryOverTime time, const std::string& source)
{
    if (!carryOver.Any())
        return {};
    const std::string length = std::to_string(carryOver.length);
    std::string text = "The CobID tables " + std::string(time == CarryOverTime::Now ? "have " : "will have ") + length +
                       " rows" + WhyShorter(carryOver.length) + ", and " + source + " holds filled rows beyond N\u00B0 " +
                       std::to_string(carryOver.length - 1) + ".\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        text += TableText(direction, carryOver.tables[static_cast<std::size_t>(direction)], time);
    text.pop_back(); // the last line break
    return text;
}

std::vector<CobIdCarryOverFinding> CobIdCarryOverFindings(const CobIdCarryOver& carryOver)
{
    std::vector<CobIdCarryOverFinding> findings;
    const std::string where = "beyond N\u00B0 " + std::to_string(carryOver.length - 1) + ", the last row of the tables" +
                              WhyShorter(carryOver.length);
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTableCarryOver& table = carryOver.tables[static_cast<std::size_t>(direction)];
        const std::string name = CobIdTableTitle(direction) + ", ";
        if (!table.moved.empty()) {
            std::vector<std::size_t> from, to;
            for (const CobIdMovedRow& row : table.moved) {
                from.push_back(row.from);
                to.push_back(row.to);
            }
            const bool one = from.size() == 1;
            findings.push_back({direction, from, true,
                                name + CobIdRowNumbersText(from) + (one ? " is" : " are") + " stored " + where +
                                    ": Set CobID Access will move " + (one ? "it into the first empty row, "
                                                                           : "them into the first empty rows, ") +
                                    CobIdRowNumbersText(to)});
        }
        if (!table.dropped.empty()) {
            std::vector<std::size_t> rows;
            for (const CobIdStoredRow& row : table.dropped)
                rows.push_back(row.number);
            const bool one = rows.size() == 1;
            findings.push_back({direction, rows, false,
                                name + CobIdRowNumbersText(rows) + (one ? " is" : " are") + " stored " + where +
                                    ", and no empty row is left for " + (one ? "it" : "them") +
                                    ": OK in Set CobID Access would drop " + (one ? "it" : "them")});
        }
    }
    return findings;
}

} // namespace c2c
