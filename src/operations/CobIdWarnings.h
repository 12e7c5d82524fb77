#pragma once
// What the tables hold that the build takes differently from what the
// engineer may expect, without it being an error: an original identifier
// listed in more than one row of a table, a Modify CobID in a row without an
// Original CobID (the build ignores the row), and, in the extended layout,
// the rows beyond the 2000 entries of the device's list (left out of the
// image). `check`, Set CobID Access at OK, and `build` / `update` all name
// them through FindCobIdWarnings.

#include "documents/CobIdTables.h"

#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

enum class CobIdWarningKind {
    Duplicate,             // one original identifier in several rows
    ModifyWithoutOriginal, // rows the build ignores
    BeyondDeviceList,      // extended layout: rows left out of the image
};

struct CobIdWarning {
    CobIdWarningKind kind;
    int direction;
    std::vector<std::size_t> rows; // the N°s concerned, ascending
    std::string text;              // one line naming the table and the N°s
    bool operator==(const CobIdWarning&) const = default;
};

// The warnings of both tables, the CAN0 to CAN1 table first; in each table
// the duplicates (by their first row), then the rows without an Original
// CobID, then the rows beyond the device's list, in the layout the build
// takes. The rows are judged by the rules of documents/CobIdChecks.h:
// identifiers are compared by value (0x181 and 385 are one identifier); a
// text that is no integer is an error of its own, not a warning, and is
// passed over here.
std::vector<CobIdWarning> FindCobIdWarnings(const CobIdTables& tables, TableLayout layout);

// The warnings' lines alone.
std::vector<std::string> CobIdWarningLines(const std::vector<CobIdWarning>& warnings);

} // namespace c2c
