#pragma once
// The changes of the CobID tables in Set CobID Access, each one step to
// undo: the cells an action changes, their text before and after.

#include "dialogs/CobIdClipboard.h"
#include "dialogs/CobIdLiveCheck.h"

#include <optional>
#include <string>
#include <vector>

namespace c2c {

// One cell's change: its text before and after.
struct CobIdCellChange {
    CobIdCellRef cell;
    std::string before;
    std::string after;
    bool operator==(const CobIdCellChange&) const = default;
};

// One user action's change of the tables, one step to undo: its name for
// Undo and Redo ("Paste") and the cells it changes, in table order.
struct CobIdEdit {
    std::string name;
    std::vector<CobIdCellChange> cells;
    bool Empty() const { return cells.empty(); }
};

// The edit that turns `before` into `after`, cell by cell. Tables of other
// lengths than those of `before` change nothing beyond its rows.
CobIdEdit DiffCobIdTables(std::string name, const CobIdTables& before, const CobIdTables& after);

// A paste: its edit, the rectangle written to (selected afterwards), and
// what did not fit.
struct CobIdPaste {
    CobIdEdit edit;
    std::optional<CobIdCellRange> written;
    CobIdPasteLoss loss;
};

} // namespace c2c
