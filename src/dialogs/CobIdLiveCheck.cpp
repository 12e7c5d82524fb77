#include "dialogs/CobIdLiveCheck.h"

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

std::uint32_t Listed(const CobIdCellCheck& cell)
{
    return static_cast<std::uint32_t>(cell.value);
}

} // namespace

void CobIdLiveCheck::Reset(const CobIdTables& tables, const CommSession& formats)
{
    formats_ = formats;
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

void CobIdLiveCheck::Update(Table& table, const CobIdRow& row, const CobIdCellRef& cell)
{
    if (cell.column != kOriginalColumn && cell.column != kModifyColumn)
        return;
    const std::size_t r = cell.row;
    const std::size_t index = cell.column == kOriginalColumn ? 0 : 1;
    const std::size_t key = r * 2 + index;
    const CobIdCellCheck old = table.cells[r][index];
    const CobIdCellCheck now =
        CheckCobIdCell(row.Cell(cell.column), GoverningType(formats_, cell.direction, cell.column));
    table.cells[r][index] = now;
    if (now.IsProblem())
        table.problems.insert(key);
    else
        table.problems.erase(key);

    if (index == 0) {
        if (old.IsInteger()) {
            auto listing = table.rowsOf.find(Listed(old));
            listing->second.erase(r);
            table.warnings.erase(key);
            if (listing->second.size() == 1)
                table.warnings.erase(*listing->second.begin() * 2);
            else if (listing->second.empty())
                table.rowsOf.erase(listing);
        }
        if (now.IsInteger()) {
            std::set<std::size_t>& rows = table.rowsOf[Listed(now)];
            rows.insert(r);
            if (rows.size() == 2)
                for (std::size_t listed : rows)
                    table.warnings.insert(listed * 2);
            else if (rows.size() > 2)
                table.warnings.insert(key);
        }
    }
    if (IsModifyWithoutOriginal(row))
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
    const CobIdCellCheck& state = table.cells[cell.row][cell.column == kOriginalColumn ? 0 : 1];
    std::vector<std::string> reasons;
    if (state.state == CobIdCellState::NotInteger)
        reasons.push_back(VisibleValue(text) +
                          " is not an integer: write it in decimal, or in hexadecimal after 0x, $ or x");
    if (state.state == CobIdCellState::OutOfRange) {
        const std::int32_t type = GoverningType(formats_, cell.direction, cell.column);
        reasons.push_back(VisibleValue(text) + " is out of range: the frame " +
                          (cell.column == kOriginalColumn ? "arrives" : "leaves") + " on " +
                          PortRunsText(GoverningPort(cell.direction, cell.column), *CheckedFormatOf(type)));
    }
    if (cell.column == kOriginalColumn && state.IsInteger()) {
        const std::set<std::size_t>& rows = table.rowsOf.at(Listed(state));
        if (rows.size() > 1) {
            std::vector<std::size_t> others;
            for (std::size_t listed : rows)
                if (listed != cell.row)
                    others.push_back(listed);
            reasons.push_back(VisibleValue(text) + " (" + IdentifierText(Listed(state)) + ") is also listed in " +
                              CobIdRowNumbersText(others) + "; " + CobIdDuplicateOutcome(CobIdLayout(formats_), rows.size()));
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
