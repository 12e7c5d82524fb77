#pragma once
// Rows carried over when the tables are shorter than the stored sections.
//
// The tables have 2048 rows while both ports run CAN 2.0A and 2000 as soon
// as one runs CAN 2.0B, so a document saved with 2048 rows may hold filled
// rows beyond N° 1999. Rather than dropping them, Set CobID Access moves
// them into the first empty rows of their table, keeping their order and
// cells, and says so; what does not fit is named, as OK would drop it. SET
// COMMUNICATION and the command line's comm say the same beforehand.

#include "documents/CobIdTables.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

// A stored row moved from N° `from` to the empty row N° `to`.
struct CobIdMovedRow {
    std::size_t from;
    std::size_t to;
    bool operator==(const CobIdMovedRow&) const = default;
};

struct CobIdTableCarryOver {
    std::vector<CobIdMovedRow> moved;
    std::vector<CobIdStoredRow> dropped; // no empty row was left for them
    bool operator==(const CobIdTableCarryOver&) const = default;
};

struct CobIdCarryOver {
    std::size_t length = 0; // the tables' length
    std::array<CobIdTableCarryOver, 2> tables;

    // Whether any stored row lies beyond the tables.
    bool Any() const;
    // The N°s the moved rows have now, in both tables, by direction.
    std::vector<std::size_t> MovedTo(int direction) const;
};

// Moves each table's rows of `beyond` (in stored order) into the first rows
// of that table whose three cells are empty; the rows left when no empty
// row remains are listed as dropped.
CobIdCarryOver CarryOverRows(CobIdTables& tables, const CobIdRowsBeyond& beyond);

// When the rows are moved: now (Set CobID Access is shown), or at the next
// showing (the formats were just changed).
enum class CarryOverTime { Now, AtNextShowing };

// The message naming how many rows were (or will be) moved and their new
// N°s, and every row that does not fit. Empty when nothing is carried over.
std::string CobIdCarryOverText(const CobIdCarryOver& carryOver, CarryOverTime time);

} // namespace c2c
