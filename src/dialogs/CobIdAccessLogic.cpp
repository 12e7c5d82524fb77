#include "dialogs/CobIdAccessLogic.h"

#include "dialogs/ProgramState.h"
#include "documents/CanOpenCheck.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "operations/CobIdWarnings.h"
#include "operations/Operations.h"
#include "platform/Error.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace c2c {

namespace {

std::string OneLine(const std::string& text)
{
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return line;
}

} // namespace

bool IsCobIdColumnEditable(int column, bool modifyEditable)
{
    return column == kOriginalColumn || column == kDescriptionColumn || (column == kModifyColumn && modifyEditable);
}

std::string CopyCobIdCells(const CobIdTable& table, const CobIdCellRange& range)
{
    std::string text;
    for (std::size_t r = range.top; r <= range.bottom && r < table.size(); ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (c > range.left)
                text += '\t';
            text += OneLine(CobIdCellText(table, r, c));
        }
        text += '\n';
    }
    return text;
}

std::vector<std::vector<std::string>> SplitTabularText(std::string_view text)
{
    std::vector<std::vector<std::string>> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::vector<std::string>& cells = lines.emplace_back();
        for (;;) {
            std::size_t tab = line.find('\t');
            cells.emplace_back(line.substr(0, tab));
            if (tab == std::string_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
    }
    return lines;
}

namespace {

// Calls write(row, column, text) for every cell of a pasted block that lands
// on an editable cell of a table of `length` rows.
template <typename Write>
void ForEachPastedCell(std::vector<std::vector<std::string>>& lines, std::size_t row, int column, std::size_t length,
                       bool modifyEditable, Write write)
{
    for (std::size_t i = 0; i < lines.size() && row + i < length; ++i) {
        for (std::size_t j = 0; j < lines[i].size(); ++j) {
            int c = column + static_cast<int>(j);
            if (c >= kCobIdColumnCount)
                break;
            if (IsCobIdColumnEditable(c, modifyEditable))
                write(row + i, c, lines[i][j]);
        }
    }
}

void Include(std::optional<CobIdCellRange>& range, std::size_t row, int column)
{
    if (!range) {
        range = CobIdCellRange{row, column, row, column};
        return;
    }
    range->top = std::min(range->top, row);
    range->bottom = std::max(range->bottom, row);
    range->left = std::min(range->left, column);
    range->right = std::max(range->right, column);
}

std::string Counted(std::size_t count, const std::string& what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` holds `lowered` (already in lower case), ASCII letter case aside.
bool HoldsText(const std::string& text, const std::string& lowered)
{
    auto at = std::search(text.begin(), text.end(), lowered.begin(), lowered.end(),
                          [](char a, char b) { return Lower(a) == b; });
    return at != text.end();
}

} // namespace

std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable)
{
    std::optional<CobIdCellRange> written;
    std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    ForEachPastedCell(lines, row, column, table.size(), modifyEditable,
                      [&](std::size_t r, int c, std::string& value) {
                          table[r].Cell(c) = std::move(value);
                          Include(written, r, c);
                      });
    return written;
}

CobIdPasteLoss CobIdPasteLossOf(std::size_t tableLength, std::size_t row, int column, std::string_view text,
                                bool modifyEditable)
{
    CobIdPasteLoss loss;
    const std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string>& cells = lines[i];
        if (row + i >= tableLength) {
            if (std::any_of(cells.begin(), cells.end(), [](const std::string& cell) { return !cell.empty(); }))
                ++loss.lines;
            continue;
        }
        for (std::size_t j = 0; j < cells.size(); ++j) {
            const int c = column + static_cast<int>(j);
            if (cells[j].empty())
                continue;
            if (c >= kCobIdColumnCount)
                ++loss.cellsRight;
            else if (c == kModifyColumn && !modifyEditable)
                ++loss.readOnlyCells;
        }
    }
    return loss;
}

std::string CobIdPasteLossText(const CobIdPasteLoss& loss, std::size_t tableLength)
{
    std::vector<std::string> lines;
    if (loss.lines > 0)
        lines.push_back(Counted(loss.lines, "line") + " of the pasted text " + (loss.lines == 1 ? "was" : "were") +
                        " left out: the table ends at N\u00B0 " + std::to_string(tableLength - 1) + ".");
    if (loss.cellsRight > 0)
        lines.push_back(Counted(loss.cellsRight, "cell") + " of the pasted text " +
                        (loss.cellsRight == 1 ? "was" : "were") + " left out: the table ends at Description.");
    if (loss.readOnlyCells > 0)
        lines.push_back(Counted(loss.readOnlyCells, "Modify CobID value") + " of the pasted text " +
                        (loss.readOnlyCells == 1 ? "was" : "were") +
                        " left out: the column is read-only while Positive Implementation is off.");
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

CobIdEdit DiffCobIdTables(std::string name, const CobIdTables& before, const CobIdTables& after)
{
    CobIdEdit edit{std::move(name), {}};
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& old = before.Table(direction);
        const CobIdTable& now = after.Table(direction);
        for (std::size_t r = 0; r < old.size() && r < now.size(); ++r) {
            if (old[r] == now[r])
                continue;
            for (int column : {kOriginalColumn, kModifyColumn, kDescriptionColumn})
                if (old[r].Cell(column) != now[r].Cell(column))
                    edit.cells.push_back({{direction, r, column}, old[r].Cell(column), now[r].Cell(column)});
        }
    }
    return edit;
}

std::string CobIdOkWarningText(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return {};
    std::string text = "The tables were saved, with these warnings:";
    for (std::size_t i = 0; i < lines.size() && i < kShownOkWarnings; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kShownOkWarnings)
        text += "\n... and " + std::to_string(lines.size() - kShownOkWarnings) + " more";
    return text;
}

CobIdAccessLogic::CobIdAccessLogic(ProgramState& state, UiServices services) : state_(state), services_(services)
{
}

CobIdLoad CobIdAccessLogic::Show()
{
    formats = state_.session;
    badCell.reset();
    const std::size_t length = CobIdTableLength(formats);
    compileAllVisible = length == kStandardTableLength;
    tables.can0ToCan1.assign(length, CobIdRow{});
    tables.can1ToCan0.assign(length, CobIdRow{});
    modifyEditable = formats.PositiveImpl;
    CobIdRowsBeyond beyond;
    const CobIdLoad load = ReadCobIdLeniently(state_.workspace.layout.CobIdFile(), tables, &beyond);
    // A document saved with longer tables (2048 rows, both ports 2.0A at the
    // time) keeps its rows: OK would otherwise drop them without a word.
    carryOver = CarryOverRows(tables, beyond);
    live_.Reset(tables, formats);
    shown_ = tables;
    return load;
}

void CobIdAccessLogic::TellCarryOver()
{
    if (carryOver.Any())
        services_.messages.showMessage(CobIdCarryOverText(carryOver, CarryOverTime::Now));
}

bool CobIdAccessLogic::CheckTables()
{
    badCell = FindCobIdError(tables, formats);
    return !ReportBadCell();
}

bool CobIdAccessLogic::ReportBadCell()
{
    if (!badCell)
        return false;
    shownTab = badCell->direction;
    services_.messages.showError(badCell->message);
    return true;
}

bool CobIdAccessLogic::Ok()
{
    try {
        // The save checks every cell first and writes nothing when one is bad.
        badCell = SaveCobIdTables(state_.workspace.layout, tables, formats);
        if (ReportBadCell())
            return false;
    } catch (const std::exception& error) {
        // Saying why the tables were not saved beats a window that silently
        // refuses to close; the old file and the edited tables are both kept.
        services_.messages.showError(GeneralErrorText(error.what()));
        return false;
    }
    // Saved: the warnings do not hold the tables back, they are told.
    const std::string warning = CobIdOkWarningText(WarningsAtOk());
    if (!warning.empty())
        services_.messages.showMessage(warning);
    return true;
}

std::vector<std::string> CobIdAccessLogic::WarningsAtOk() const
{
    const bool extended = CobIdTableLength(formats) != kStandardTableLength;
    std::vector<std::string> lines = CobIdWarningLines(FindCobIdWarnings(tables, extended));
    for (std::string& advice : CheckCanOpenTables(tables, formats))
        lines.push_back(std::move(advice));
    return lines;
}

bool CobIdAccessLogic::Cancel()
{
    return !HasChanges() || services_.messages.confirm(kMsgConfirmDiscard);
}

CobIdEdit CobIdAccessLogic::TypeCell(const CobIdCellRef& cell, std::string text) const
{
    CobIdEdit edit{kEditTyping, {}};
    const CobIdTable& table = tables.Table(cell.direction);
    if (cell.row < table.size() && IsEditable(cell.column) && table[cell.row].Cell(cell.column) != text)
        edit.cells.push_back({cell, table[cell.row].Cell(cell.column), std::move(text)});
    return edit;
}

CobIdEdit CobIdAccessLogic::FillCells(std::string name, const std::vector<CobIdCellRef>& cells,
                                      const std::string& text) const
{
    CobIdEdit edit{std::move(name), {}};
    std::vector<CobIdCellRef> sorted = cells;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const CobIdCellRef& cell : sorted) {
        const CobIdTable& table = tables.Table(cell.direction);
        if (cell.row < table.size() && IsEditable(cell.column) && table[cell.row].Cell(cell.column) != text)
            edit.cells.push_back({cell, table[cell.row].Cell(cell.column), text});
    }
    return edit;
}

CobIdPaste CobIdAccessLogic::Paste(int direction, std::size_t row, int column, std::string_view text) const
{
    CobIdPaste paste{{kEditPaste, {}}, std::nullopt, {}};
    const CobIdTable& table = tables.Table(direction);
    std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    ForEachPastedCell(lines, row, column, table.size(), modifyEditable,
                      [&](std::size_t r, int c, std::string& value) {
                          Include(paste.written, r, c);
                          if (table[r].Cell(c) != value)
                              paste.edit.cells.push_back({{direction, r, c}, table[r].Cell(c), std::move(value)});
                      });
    std::sort(paste.edit.cells.begin(), paste.edit.cells.end(),
              [](const CobIdCellChange& a, const CobIdCellChange& b) { return a.cell < b.cell; });
    paste.loss = CobIdPasteLossOf(table.size(), row, column, text, modifyEditable);
    return paste;
}

CobIdEdit CobIdAccessLogic::CompileAll()
{
    CobIdEdit edit{kEditCompileAll, {}};
    if (!services_.messages.confirm(kMsgConfirmCompileAll))
        return edit;
    const CobIdTable& table = ShownTable();
    // The button exists only for the 2048-row table; the bound keeps a
    // shorter table safe all the same.
    const std::size_t rows = std::min(table.size(), kStandardTableLength);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string number = std::to_string(r);
        for (int column : {kOriginalColumn, kModifyColumn})
            if (table[r].Cell(column) != number)
                edit.cells.push_back({{shownTab, r, column}, table[r].Cell(column), number});
    }
    return edit;
}

CobIdEdit CobIdAccessLogic::ClearAll()
{
    CobIdEdit edit{kEditCancelAll, {}};
    if (!services_.messages.confirm(kMsgConfirmCancelAll))
        return edit;
    const CobIdTable& table = ShownTable();
    for (std::size_t r = 0; r < table.size(); ++r)
        for (int column : {kOriginalColumn, kModifyColumn})
            if (!table[r].Cell(column).empty())
                edit.cells.push_back({{shownTab, r, column}, table[r].Cell(column), ""});
    return edit;
}

CobIdEdit CobIdAccessLogic::TablesChange(std::string name, const CobIdTables& after) const
{
    return DiffCobIdTables(std::move(name), tables, after);
}

void CobIdAccessLogic::SetCell(const CobIdCellRef& cell, const std::string& text)
{
    CobIdTable& table = Table(cell.direction);
    if (cell.row >= table.size() || cell.column < kOriginalColumn || cell.column >= kCobIdColumnCount)
        return;
    table[cell.row].Cell(cell.column) = text;
    live_.CellChanged(tables, cell);
}

void CobIdAccessLogic::Apply(const CobIdEdit& edit)
{
    for (const CobIdCellChange& change : edit.cells)
        SetCell(change.cell, change.after);
}

void CobIdAccessLogic::Revert(const CobIdEdit& edit)
{
    for (auto change = edit.cells.rbegin(); change != edit.cells.rend(); ++change)
        SetCell(change->cell, change->before);
}

CobIdFound CobIdAccessLogic::Find(std::string_view query, const std::optional<CobIdCellRef>& from, bool forward) const
{
    const std::string wanted = Trimmed(query);
    if (wanted.empty())
        return {};
    std::vector<CobIdCellRef> found;
    if (const std::optional<std::int32_t> value = TryParseInteger(wanted)) {
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            const CobIdTable& table = tables.Table(direction);
            for (std::size_t r = 0; r < table.size(); ++r)
                for (int column : {kOriginalColumn, kModifyColumn})
                    if (!table[r].Cell(column).empty() && TryParseInteger(table[r].Cell(column)) == value)
                        found.push_back({direction, r, column});
        }
    } else {
        std::string lowered = wanted;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            const CobIdTable& table = tables.Table(direction);
            for (std::size_t r = 0; r < table.size(); ++r)
                if (HoldsText(table[r].Desc, lowered))
                    found.push_back({direction, r, kDescriptionColumn});
        }
    }
    if (found.empty())
        return {};
    std::size_t at;
    if (forward) {
        at = from ? static_cast<std::size_t>(std::upper_bound(found.begin(), found.end(), *from) - found.begin()) : 0;
        if (at == found.size())
            at = 0;
    } else {
        at = from ? static_cast<std::size_t>(std::lower_bound(found.begin(), found.end(), *from) - found.begin())
                  : found.size();
        at = at == 0 ? found.size() - 1 : at - 1;
    }
    return {found[at], at + 1, found.size()};
}

std::optional<std::size_t> CobIdAccessLogic::RowOfNumber(std::string_view text) const
{
    const std::optional<std::int32_t> number = TryParseInteger(Trimmed(text));
    if (!number || *number < 0 || static_cast<std::size_t>(*number) >= tables.Table(shownTab).size())
        return std::nullopt;
    return static_cast<std::size_t>(*number);
}

std::optional<CobIdCellRef> CobIdAccessLogic::FirstMarkedCell() const
{
    if (auto problem = live_.FirstProblem())
        return problem;
    return live_.FirstWarning();
}

TrafficInputs& CobIdAccessLogic::TrafficPage()
{
    const PargenReading reading = ReadPargenLeniently(state_.workspace.layout.PargenFile());
    auto rate = [](const std::optional<std::int32_t>& index, const std::optional<std::int32_t>& dip) -> std::optional<int> {
        if (!index || *index < 0 || *index >= static_cast<std::int32_t>(kBitRates.size()) || (dip && *dip == 1))
            return std::nullopt;
        return std::atoi(kBitRates[static_cast<std::size_t>(*index)]);
    };
    const std::array<std::optional<int>, 2> rates = {rate(reading.bitRate0, reading.dipSwitch0),
                                                     rate(reading.bitRate1, reading.dipSwitch1)};
    for (std::size_t port = 0; port < 2; ++port)
        if (rates[port])
            traffic_.bitRates[port] = rates[port];
    return traffic_;
}

} // namespace c2c
