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
// - A table whose listed identifiers are blocked (Positive Implementation
//   clear) while rows give them a Modify CobID, which then does nothing.
//
// Problems and warnings: a cell that is a problem stops the build (no
// integer; outside 0x000-0x7FF in the standard layout) or is refused by OK
// (out of range for its port in the extended layout, which the build stores
// as it is); everything else these rules find is a warning: the build takes
// it, otherwise than the tables may seem to say.

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

// A problem cell in the words of `check`, the build and every command that
// builds a project: "Table CAN0 to CAN1, N° 5, Original CobID '0x2G1' is
// not an integer", "... lies outside 0x000-0x7FF, the range of the standard
// layout", or the tail of OK's message for the port's frame format.
std::string CobIdCellProblemText(const CobIdTables& tables, const CommSession& session,
                                 const CobIdCellProblem& problem);

// Whether the build stops at a problem cell: a text that is no integer, and
// in the standard layout an identifier outside 0x000-0x7FF. In the extended
// layout the build stores any number's 32-bit pattern; only OK refuses it.
bool StopsBuild(const CobIdCellProblem& problem, TableLayout layout);

// The identifier a row lists: its Original CobID when that is an integer,
// as the 32-bit pattern the build stores (-1 is 0xFFFFFFFF).
std::optional<std::uint32_t> ListedIdentifierOf(const CobIdRow& row);

// A Modify CobID in a row without an Original CobID: the build ignores it.
bool IsModifyWithoutOriginal(const CobIdRow& row);

// A row that lists an identifier and gives it a Modify CobID. With Positive
// Implementation clear the device blocks every identifier its table lists,
// so such a row's Modify CobID has no effect.
bool ListsWithModify(const CobIdRow& row);

// "Positive Implementation is clear: the 2048 listed identifiers of CAN0 to
// CAN1 are blocked; their Modify CobIDs have no effect": what is said of a
// table with `listed` identifiers, some given a Modify CobID, while
// Positive Implementation is clear.
std::string BlockedListText(int direction, std::size_t listed);

// What the build does with `rows` rows listing one identifier: "the later
// row wins" in the standard layout, the device's choice in the extended one.
std::string CobIdDuplicateOutcome(TableLayout layout, std::size_t rows);

} // namespace c2c
