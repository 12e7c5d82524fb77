#pragma once
// What the tables hold that the build takes differently from what the
// engineer may expect, without it being an error: an original identifier
// listed in more than one row of a table, a Modify CobID in a row without an
// Original CobID (the build ignores the row), Modify CobIDs of a table whose
// listed identifiers are blocked (Positive Implementation clear), in the
// extended layout the rows beyond the 2000 entries of the device's list
// (left out of the image), and rows stored beyond the tables' last row
// (Set CobID Access moves them). `check`, Set CobID Access at OK, `build` /
// `update` and Update Device all name them through FindCobIdWarnings; the
// grid's problems line says the same as the user types.

#include "documents/CobIdTables.h"

#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

enum class CobIdWarningKind {
    Duplicate,             // one original identifier in several rows
    ModifyWithoutOriginal, // rows the build ignores
    BeyondDeviceList,      // extended layout: rows left out of the image
    BlockedModify,         // Positive Implementation clear: listed identifiers blocked, Modify CobIDs idle
    StoredBeyondTables,    // rows beyond the tables' last row, which Set CobID Access moves (or cannot keep)
};

struct CobIdWarning {
    CobIdWarningKind kind;
    int direction;
    std::vector<std::size_t> rows; // the N°s concerned, ascending
    std::string text;              // one line naming the table and the N°s
    bool operator==(const CobIdWarning&) const = default;
};

// What the warnings depend on besides the tables: the layout the build
// takes and whether the device passes the listed identifiers (Positive
// Implementation set) or blocks them.
struct CobIdWarningRules {
    TableLayout layout = TableLayout::Standard;
    bool positive = true;
};

// The warnings of both tables, the CAN0 to CAN1 table first; in each table
// the duplicates (by their first row), then the rows without an Original
// CobID, then the blocked list's Modify CobIDs, then the rows beyond the
// device's list, then the rows stored beyond the tables' last row (tables
// read whole, longer than the layout's length). The rows are judged by the
// rules of documents/CobIdChecks.h: identifiers are compared by value (0x181
// and 385 are one identifier); a text that is no integer is an error of its
// own, not a warning, and is passed over here.
std::vector<CobIdWarning> FindCobIdWarnings(const CobIdTables& tables, const CobIdWarningRules& rules);

// The warnings' lines alone.
std::vector<std::string> CobIdWarningLines(const std::vector<CobIdWarning>& warnings);

} // namespace c2c
