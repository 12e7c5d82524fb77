#pragma once
// Find in the CobID tables: an identifier by its value in any integer
// syntax, or a text in the descriptions; and a row by its N°.

#include "dialogs/CobIdLiveCheck.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace c2c {

// What a search finds: the cell, its place among all the cells found (from
// 1) and how many there are.
struct CobIdFound {
    std::optional<CobIdCellRef> cell;
    std::size_t index = 0;
    std::size_t count = 0;
};

// An identifier in any integer syntax (0x1C1, $1c1, 449) finds the Original
// and Modify cells of the same value; any other text the descriptions
// holding it, letter case aside. Searches both tables from the cell after
// `from` (before it, backwards), round the end; without `from`, from the
// start (the end).
CobIdFound FindInCobIdTables(const CobIdTables& tables, std::string_view query, const std::optional<CobIdCellRef>& from,
                             bool forward);

// The row of a N° typed in any integer syntax, when `table` has it.
std::optional<std::size_t> CobIdRowOfNumber(const CobIdTable& table, std::string_view text);

} // namespace c2c
