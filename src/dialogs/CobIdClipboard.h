#pragma once
// Block editing of the CobID grids, as spreadsheets do it: copy, paste and
// clear rectangles of cells as tab-separated text, and what a paste leaves
// out.

#include "documents/CobIdTables.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// A rectangle of cells, bounds included.
struct CobIdCellRange {
    std::size_t top;
    int left;
    std::size_t bottom;
    int right;
    bool operator==(const CobIdCellRange&) const = default;
};

// Whether the user may change cells of `column`.
bool IsCobIdColumnEditable(int column, bool modifyEditable);

// Tab-separated text of a rectangle, one line per row, each line ending in
// "\n", the form spreadsheets paste. Tabs and line breaks inside a cell
// become blanks so that the block keeps its shape.
std::string CopyCobIdCells(const CobIdTable& table, const CobIdCellRange& range);

// Splits tab-separated text into lines of cells. Lines end in "\n" or
// "\r\n"; the line break after the last line is optional.
std::vector<std::vector<std::string>> SplitTabularText(std::string_view text);

// Writes a block of tab-separated text with its first cell at (row, column).
// Cells that fall outside the table or on a column the user may not edit are
// left alone. Returns the rectangle that was written to, if any.
std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable);

// What of a pasted block falls outside the table or on cells the user may
// not edit: lines below the last row, cells right of the last column and
// values for a read-only "Modify CobID", blank ones not counted (nothing is
// lost with them).
struct CobIdPasteLoss {
    std::size_t lines = 0;
    std::size_t cellsRight = 0;
    std::size_t readOnlyCells = 0;
    bool Any() const { return lines + cellsRight + readOnlyCells > 0; }
};
CobIdPasteLoss CobIdPasteLossOf(std::size_t tableLength, std::size_t row, int column, std::string_view text,
                                bool modifyEditable);
// "3 lines of the pasted text were left out: the table ends at N° 1999." and the like.
std::string CobIdPasteLossText(const CobIdPasteLoss& loss, std::size_t tableLength);

// Widens `range` to take in the cell (row, column); the cell alone when empty.
void IncludeInRange(std::optional<CobIdCellRange>& range, std::size_t row, int column);

// Calls write(row, column, text) for every cell of a pasted block (lines of
// cells, SplitTabularText) that lands on an editable cell of a table of
// `length` rows, the block's first cell at (row, column).
template <typename Write>
void ForEachPastedCell(std::vector<std::vector<std::string>>& lines, std::size_t row, int column, std::size_t length,
                       bool modifyEditable, Write write)
{
    for (std::size_t i = 0; i < lines.size() && row + i < length; ++i) {
        for (std::size_t j = 0; j < lines[i].size(); ++j) {
            const int c = column + static_cast<int>(j);
            if (c >= kCobIdColumnCount)
                break;
            if (IsCobIdColumnEditable(c, modifyEditable))
                write(row + i, c, lines[i][j]);
        }
    }
}

} // namespace c2c
