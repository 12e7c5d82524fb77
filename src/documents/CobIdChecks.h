#pragma once
// The rules every check of the CobID tables applies, one cell or one row at
// a time: the live marks of Set CobID Access, its check at OK, `check`,
// and the warnings of `build` all ask these, so they cannot disagree.
//
// - A cell: empty, fine, not an integer (the build stops at it), or out of
//   range for the frame format of the port its frame travels on (OK refuses
//   it). A type number other than 0 and 1 checks no range.
// - A row: the identifier it lists (its Original CobID as the build stores
//   it, the 32-bit pattern of the number), and whether it has a Modify
//   CobID without an Original CobID (the build ignores it).
// - Two rows listing one identifier: what the build does with them.

#include "documents/CobIdTables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

enum class CobIdCellState : std::uint8_t { Empty, Fine, NotInteger, OutOfRange };

struct CobIdCellCheck {
    CobIdCellState state = CobIdCellState::Empty;
    std::int32_t value = 0; // the number, when the text is an integer

    bool IsInteger() const { return state == CobIdCellState::Fine || state == CobIdCellState::OutOfRange; }
    bool IsProblem() const { return state == CobIdCellState::NotInteger || state == CobIdCellState::OutOfRange; }
    bool operator==(const CobIdCellCheck&) const = default;
};

// An identifier cell's text against the type number that governs it
// (GoverningType).
CobIdCellCheck CheckCobIdCell(std::string_view text, std::int32_t governingType);

// The check at OK (and of a CSV import), which the program has always
// made: where the governing type number has a range (0 and 1), a cell that
// is a problem fails, with the tail of its message (CobIdLimitOf); where it
// has none, every cell passes, even one that is no integer.
std::optional<const char*> CobIdOkFailure(std::string_view text, std::int32_t governingType);

// Every identifier cell of both tables that is a problem (not an integer,
// or out of range), in the order OK visits them: the CAN0 to CAN1 table
// first, row by row, Original CobID before Modify CobID.
struct CobIdCellProblem {
    int direction;
    std::size_t row;
    int column;
    CobIdCellCheck check;
    bool operator==(const CobIdCellProblem&) const = default;
};
std::vector<CobIdCellProblem> FindCobIdCellProblems(const CobIdTables& tables, const CommSession& session);

// The identifier a row lists: its Original CobID when that is an integer,
// as the 32-bit pattern the build stores (-1 is 0xFFFFFFFF).
std::optional<std::uint32_t> ListedIdentifierOf(const CobIdRow& row);

// A Modify CobID in a row without an Original CobID: the build ignores it.
bool IsModifyWithoutOriginal(const CobIdRow& row);

// What the build does with `rows` rows listing one identifier: "the later
// row wins" in the standard layout, the device's choice in the extended one.
std::string CobIdDuplicateOutcome(TableLayout layout, std::size_t rows);

} // namespace c2c
