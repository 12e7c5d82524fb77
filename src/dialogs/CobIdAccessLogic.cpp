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
    const std::string& project = state_.workspace.layout.ProjectDir();
    if (project != addRowsProject_) {
        addRowsProject_ = project;
        addRowsFolder = project;
    }
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
    std::vector<std::string> lines = CobIdWarningLines(FindCobIdWarnings(tables, CobIdLayout(formats)));
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
                          IncludeInRange(paste.written, r, c);
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
    return FindInCobIdTables(tables, query, from, forward);
}

std::optional<std::size_t> CobIdAccessLogic::RowOfNumber(std::string_view text) const
{
    return CobIdRowOfNumber(tables.Table(shownTab), text);
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
