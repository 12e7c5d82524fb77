#pragma once
// Rows carried over when the tables are shorter than the stored sections.
//
// The tables have 2048 rows while both ports run CAN 2.0A and 2000 as soon
// as one runs CAN 2.0B, so a document saved with 2048 rows may hold filled
// rows beyond N° 1999. Rather than dropping them, Set CobID Access moves
// them into the first empty rows of their table, keeping their order and
// cells, and says so; what does not fit is named, as OK would drop it. SET
// COMMUNICATION and the command line's comm say the same beforehand; check
// and the build name such rows; cobid add and cobid import move them as the
// window does (and refuse, changing nothing, when they do not fit).

#include "documents/CobIdTables.h"
#include "project/ProjectLayout.h"

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

// The same for tables read whole (every stored row): the rows of each table
// beyond `length` that are in use are taken off (each table is cut to
// `length`) and carried over as CarryOverRows carries them.
CobIdCarryOver CarryOverStoredRows(CobIdTables& tables, std::size_t length);

// When the rows are moved: now (Set CobID Access is shown), or at the next
// showing (the formats were just changed).
enum class CarryOverTime { Now, AtNextShowing };

// The message naming how many rows were (or will be) moved and their new
// N°s, and every row that does not fit. `source` is what holds the rows (a
// spreadsheet file's name for an import). Empty when nothing is carried over.
std::string CobIdCarryOverText(const CobIdCarryOver& carryOver, CarryOverTime time,
                               const std::string& source = DocumentFileName(ProjectDocument::CobId));

// What check and the build say of a table's rows stored beyond the tables,
// one finding for those Set CobID Access will move and one for those that
// do not fit: "Table CAN0 to CAN1, N° 2040 is stored beyond N° 1999, the
// last row of the tables (a port runs CAN 2.0B): Set CobID Access will move
// it into the first empty row, N° 0".
struct CobIdCarryOverFinding {
    int direction;
    std::vector<std::size_t> rows; // the stored N°s, ascending
    bool fits;                     // moved, rather than left without a row
    std::string text;
};
std::vector<CobIdCarryOverFinding> CobIdCarryOverFindings(const CobIdCarryOver& carryOver);

} // namespace c2c
