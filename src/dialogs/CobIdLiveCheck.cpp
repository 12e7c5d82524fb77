#include "dialogs/CobIdLiveCheck.h"

#include "documents/IntegerText.h"
#include "image/BankDecoder.h"
#include "operations/CobIdWarnings.h"
#include "platform/Error.h"

namespace c2c {

namespace {

// The value as a quoted text whose blanks can be seen: a cell holding " "
// or "0x10 " looks fine otherwise.
std::string VisibleValue(const std::string& text)
{
    std::string quoted = QuotedValue(text);
    std::string shown;
    for (char c : quoted)
        shown += c == ' ' ? std::string("\u2423") : std::string(1, c);
    return shown;
}

std::string Counted(std::size_t count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string Where(const CobIdCellRef& cell)
{
    return std::string(kCobIdTableNames[static_cast<std::size_t>(cell.direction)]) + ", N\u00B0 " +
           std::to_string(cell.row);
}

} // namespace

void CobIdLiveCheck::Reset(const CobIdTables& tables, const CommSession& formats)
{
    formats_ = formats;
    extended_ = CobIdTableLength(formats) != kStandardTableLength;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        Table& table = tables_[static_cast<std::size_t>(direction)];
        const CobIdTable& rows = tables.Table(direction);
        table = Table{};
        table.cells.assign(rows.size(), {});
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int column : {kOriginalColumn, kModifyColumn})
                if (!rows[r].Cell(column).empty())
                    Update(table, rows[r], {direction, r, column});
    }
}

void CobIdLiveCheck::CellChanged(const CobIdTables& tables, const CobIdCellRef& cell)
{
    Table& table = tables_[static_cast<std::size_t>(cell.direction)];
    if (cell.row < table.cells.size())
        Update(table, tables.Table(cell.direction)[cell.row], cell);
}

CobIdLiveCheck::Cell CobIdLiveCheck::CheckCell(const std::string& text, int direction, int column) const
{
    if (text.empty())
        return {};
    const std::optional<std::int32_t> value = TryParseInteger(text);
    // Not an integer is a problem whatever the format: the build stops at it.
    if (!value)
        return {Status::NotInteger, 0};
    const std::optional<CobIdLimit> limit = CobIdLimitOf(GoverningType(formats_, direction, column));
    const bool fits = !limit || (*value >= 0 && *value <= limit->maximum);
    return {fits ? Status::Fine : Status::OutOfRange, static_cast<std::uint32_t>(*value)};
}

void CobIdLiveCheck::Update(Table& table, const CobIdRow& row, const CobIdCellRef& cell)
{
    if (cell.column != kOriginalColumn && cell.column != kModifyColumn)
        return;
    const std::size_t r = cell.row;
    const std::size_t index = cell.column == kOriginalColumn ? 0 : 1;
    const std::size_t key = r * 2 + index;
    const Cell old = table.cells[r][index];
    const Cell now = CheckCell(row.Cell(cell.column), cell.direction, cell.column);
    table.cells[r][index] = now;
    if (now.status == Status::NotInteger || now.status == Status::OutOfRange)
        table.problems.insert(key);
    else
        table.problems.erase(key);

    if (index == 0) {
        if (HasValue(old)) {
            auto listing = table.rowsOf.find(old.value);
            listing->second.erase(r);
            table.warnings.erase(key);
            if (listing->second.size() == 1)
                table.warnings.erase(*listing->second.begin() * 2);
            else if (listing->second.empty())
                table.rowsOf.erase(listing);
        }
        if (HasValue(now)) {
            std::set<std::size_t>& rows = table.rowsOf[now.value];
            rows.insert(r);
            if (rows.size() == 2)
                for (std::size_t listed : rows)
                    table.warnings.insert(listed * 2);
            else if (rows.size() > 2)
                table.warnings.insert(key);
        }
    }
    // A Modify CobID in a row without an Original CobID: the build ignores the row.
    const bool ignored = table.cells[r][0].status == Status::Empty && table.cells[r][1].status != Status::Empty;
    if (ignored)
        table.warnings.insert(r * 2 + 1);
    else
        table.warnings.erase(r * 2 + 1);
}

std::size_t CobIdLiveCheck::ProblemCount() const
{
    return tables_[0].problems.size() + tables_[1].problems.size();
}

std::size_t CobIdLiveCheck::WarningCount() const
{
    return tables_[0].warnings.size() + tables_[1].warnings.size();
}

std::optional<CobIdCellRef> CobIdLiveCheck::First(const std::array<Table, 2>& tables,
                                                  std::set<std::size_t> Table::*marks)
{
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const std::set<std::size_t>& keys = tables[static_cast<std::size_t>(direction)].*marks;
        if (!keys.empty()) {
            const std::size_t key = *keys.begin();
            return CobIdCellRef{direction, key / 2, key % 2 == 0 ? kOriginalColumn : kModifyColumn};
        }
    }
    return std::nullopt;
}

std::optional<CobIdCellRef> CobIdLiveCheck::FirstProblem() const
{
    return First(tables_, &Table::problems);
}

std::optional<CobIdCellRef> CobIdLiveCheck::FirstWarning() const
{
    return First(tables_, &Table::warnings);
}

CobIdMarkKind CobIdLiveCheck::KindOf(const CobIdCellRef& cell) const
{
    if (cell.column != kOriginalColumn && cell.column != kModifyColumn)
        return CobIdMarkKind::None;
    const Table& table = tables_[static_cast<std::size_t>(cell.direction)];
    const std::size_t key = cell.row * 2 + (cell.column == kOriginalColumn ? 0 : 1);
    if (table.problems.count(key))
        return CobIdMarkKind::Problem;
    if (table.warnings.count(key))
        return CobIdMarkKind::Warning;
    return CobIdMarkKind::None;
}

std::string CobIdLiveCheck::ReasonOf(const CobIdTables& tables, const CobIdCellRef& cell) const
{
    if (KindOf(cell) == CobIdMarkKind::None)
        return {};
    const Table& table = tables_[static_cast<std::size_t>(cell.direction)];
    const std::string& text = tables.Table(cell.direction)[cell.row].Cell(cell.column);
    const Cell& state = table.cells[cell.row][cell.column == kOriginalColumn ? 0 : 1];
    std::vector<std::string> reasons;
    if (state.status == Status::NotInteger)
        reasons.push_back(VisibleValue(text) +
                          " is not an integer: write it in decimal, or in hexadecimal after 0x, $ or x");
    if (state.status == Status::OutOfRange) {
        const bool arrives = cell.column == kOriginalColumn;
        const int port = arrives == (cell.direction == kCan0ToCan1) ? 0 : 1;
        const bool formatB = GoverningType(formats_, cell.direction, cell.column) == 1;
        reasons.push_back(VisibleValue(text) + " is out of range: the frame " + (arrives ? "arrives" : "leaves") +
                          " on CAN " + std::to_string(port) + ", which runs " +
                          (formatB ? "CAN 2.0B (0x0000 0000 to 0x1FFF FFFF)" : "CAN 2.0A (0x000 to 0x7FF)"));
    }
    if (cell.column == kOriginalColumn && HasValue(state)) {
        const std::set<std::size_t>& rows = table.rowsOf.at(state.value);
        if (rows.size() > 1) {
            std::vector<std::size_t> others;
            for (std::size_t listed : rows)
                if (listed != cell.row)
                    others.push_back(listed);
            reasons.push_back(VisibleValue(text) + " (" + IdentifierText(state.value) + ") is also listed in " +
                              CobIdRowNumbersText(others) + "; " + CobIdDuplicateOutcome(extended_, rows.size()));
        }
    }
    if (cell.column == kModifyColumn && table.warnings.count(cell.row * 2 + 1))
        reasons.push_back("A Modify CobID without an Original CobID: the build ignores this row");
    std::string joined;
    for (const std::string& reason : reasons)
        joined += (joined.empty() ? "" : "\n") + reason;
    return joined;
}

std::string CobIdLiveCheck::Summary() const
{
    std::vector<std::string> parts;
    if (const auto first = FirstProblem()) {
        const std::size_t count = ProblemCount();
        parts.push_back(Counted(count, "problem") + (count == 1 ? ": in " : ": first in ") + Where(*first));
    }
    if (const auto first = FirstWarning()) {
        const std::size_t count = WarningCount();
        parts.push_back(Counted(count, "warning") + (count == 1 ? ": in " : ": first in ") + Where(*first));
    }
    if (parts.empty())
        return "No problems";
    return parts.size() == 1 ? parts[0] : parts[0] + "; " + parts[1];
}

} // namespace c2c
