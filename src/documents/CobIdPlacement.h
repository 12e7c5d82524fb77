#pragma once
// Where the rows a rule asks for go in the CobID tables, or why none can be
// added. Adding is all or nothing: every row goes after the last row in use
// of its table, ascending by original identifier.

#include "documents/CobIdRules.h"
#include "documents/CobIdTables.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

// A new row in its place.
struct PlacedRow {
    int direction = kCan0ToCan1;
    std::size_t row = 0; // its N°
    CobIdRow cells;
    bool operator==(const PlacedRow&) const = default;
};

struct CobIdAddition {
    std::optional<std::string> refusal; // why nothing can be added
    std::vector<PlacedRow> rows;        // CAN0 to CAN1 first, each table's in row order
    std::vector<std::string> notes;
    CobIdTables tables; // the tables with the rows added; unchanged when refused

    bool Accepted() const { return !refusal; }
};

// Where the rows of `expansion` go in `tables` (both of the window's length
// for `session`), or why none can be added: an identifier that does not fit
// the frame format of its port, a translation while Positive Implementation
// is clear (listed identifiers are then blocked), an original identifier
// asked twice or already in a row of its table, or more rows than the table
// has free after its last row in use (a row with any cell filled).
CobIdAddition PlanCobIdAddition(const CobIdTables& tables, const CommSession& session, const RuleExpansion& expansion);

// The preview: one line per new row ("CAN0 to CAN1  N° 12  0x185 -> 0x1A5
// TPDO1 node 5 as node 37"), then the notes; or the refusal.
std::vector<std::string> CobIdAdditionLines(const CobIdAddition& addition);

} // namespace c2c
