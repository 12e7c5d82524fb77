#include "dialogs/CobIdClipboard.h"

#include <algorithm>

namespace c2c {

namespace {

std::string OneLine(const std::string& text)
{
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return line;
}

std::string Counted(std::size_t count, const std::string& what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
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

void IncludeInRange(std::optional<CobIdCellRange>& range, std::size_t row, int column)
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

std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable)
{
    std::optional<CobIdCellRange> written;
    std::vector<std::vector<std::string>> lines = SplitTabularText(text);
    ForEachPastedCell(lines, row, column, table.size(), modifyEditable,
                      [&](std::size_t r, int c, std::string& value) {
                          table[r].Cell(c) = std::move(value);
                          IncludeInRange(written, r, c);
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

} // namespace c2c
