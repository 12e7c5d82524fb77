#pragma once
// The problems of the Set CobID Access tables, kept up to date as the user
// types: each identifier cell's state (empty, fine, not an integer, out of
// range for the frame format of the port it travels on), the rows of each
// original identifier (an identifier in several rows is a warning), and the
// rows with a Modify CobID but no Original CobID (a warning: the build
// ignores them).
//
// One change rechecks one cell and the rows that share its old or new
// identifier, never the whole tables, so marks follow every keystroke on
// two full tables. The rules are those of every other check
// (documents/CobIdChecks.h).

#include "documents/CobIdChecks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace c2c {

// A cell of the tables. Ordered as OK visits them: the CAN0 to CAN1 table
// first, row by row, in each row Original CobID then Modify CobID.
struct CobIdCellRef {
    int direction;
    std::size_t row;
    int column;
    auto operator<=>(const CobIdCellRef&) const = default;
};

enum class CobIdMarkKind {
    None,
    Warning, // taken by the build, but otherwise than it may seem
    Problem, // OK refuses it, or the build stops at it
};

class CobIdLiveCheck {
public:
    // Checks every cell of `tables` against the frame formats of `formats`.
    void Reset(const CobIdTables& tables, const CommSession& formats);
    // After the text of `cell` changed in `tables`.
    void CellChanged(const CobIdTables& tables, const CobIdCellRef& cell);

    std::size_t ProblemCount() const;
    std::size_t WarningCount() const;
    // The first in the order OK visits the cells.
    std::optional<CobIdCellRef> FirstProblem() const;
    std::optional<CobIdCellRef> FirstWarning() const;

    CobIdMarkKind KindOf(const CobIdCellRef& cell) const;
    // Why a cell is marked, naming its value with every blank shown ("␣");
    // empty for an unmarked cell.
    std::string ReasonOf(const CobIdTables& tables, const CobIdCellRef& cell) const;

    // The line under the grids: "3 problems: first in CAN0 to CAN1, N° 12",
    // then the warnings likewise; "No problems" when there is nothing.
    std::string Summary() const;

private:
    struct Table {
        std::vector<std::array<CobIdCellCheck, 2>> cells; // Original, Modify
        // Marked cells by their key (row * 2, + 1 for Modify CobID), ordered
        // so that the first is at hand.
        std::set<std::size_t> problems;
        std::set<std::size_t> warnings;
        // Original identifier -> the rows listing it.
        std::unordered_map<std::uint32_t, std::set<std::size_t>> rowsOf;
    };

    void Update(Table& table, const CobIdRow& row, const CobIdCellRef& cell);
    static std::optional<CobIdCellRef> First(const std::array<Table, 2>& tables, std::set<std::size_t> Table::*marks);

    std::array<Table, 2> tables_;
    CommSession formats_;
};

} // namespace c2c
