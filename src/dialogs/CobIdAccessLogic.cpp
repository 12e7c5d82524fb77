#include "dialogs/CobIdAccessLogic.h"

#include "dialogs/ProgramState.h"
#include "operations/Operations.h"
#include "platform/Error.h"

#include <algorithm>
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

std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable)
{
    std::optional<CobIdCellRange> written;
    std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    for (std::size_t i = 0; i < lines.size() && row + i < table.size(); ++i) {
        for (std::size_t j = 0; j < lines[i].size(); ++j) {
            int c = column + static_cast<int>(j);
            if (c >= kCobIdColumnCount)
                break;
            if (!IsCobIdColumnEditable(c, modifyEditable))
                continue;
            std::size_t r = row + i;
            table[r].Cell(c) = std::move(lines[i][j]);
            if (!written) {
                written = CobIdCellRange{r, c, r, c};
            } else {
                written->left = std::min(written->left, c);
                written->right = std::max(written->right, c);
                written->bottom = r;
            }
        }
    }
    return written;
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
    return ReadCobIdLeniently(state_.workspace.layout.CobIdFile(), tables);
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
        return !ReportBadCell();
    } catch (const std::exception& error) {
        // Saying why the tables were not saved beats a window that silently
        // refuses to close; the old file and the edited tables are both kept.
        services_.messages.showError(GeneralErrorText(error.what()));
        return false;
    }
}

bool CobIdAccessLogic::CompileAll()
{
    if (!services_.messages.confirm(kMsgConfirmCompileAll))
        return false;
    CobIdTable& table = ShownTable();
    // The button exists only for the 2048-row table; the bound keeps a
    // shorter table safe all the same.
    const std::size_t rows = std::min(table.size(), kStandardTableLength);
    for (std::size_t r = 0; r < rows; ++r) {
        table[r].Orig_CobID = std::to_string(r);
        table[r].Mod_CobID = table[r].Orig_CobID;
    }
    return true;
}

bool CobIdAccessLogic::ClearAll()
{
    if (!services_.messages.confirm(kMsgConfirmCancelAll))
        return false;
    for (CobIdRow& row : ShownTable()) {
        row.Orig_CobID.clear();
        row.Mod_CobID.clear();
    }
    return true;
}

} // namespace c2c
