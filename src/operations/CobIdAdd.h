#pragma once
// Adding rows to a project's CobID tables by rule (documents/CobIdRules.h),
// saved as the OK of Set CobID Access saves the tables.

#include "documents/CobIdPlacement.h"

namespace c2c {

class ProjectLayout;

// Reads the project's pargen.xml and CanCanCobID.xml as the build reads
// them (a project without CanCanCobID.xml starts from empty tables), sized
// by the frame formats as Set CobID Access sizes them, and plans the rule's
// rows. When `write` is set and the plan is accepted, the tables are saved
// with the window's check and durable save, under the project's lock.
//
// Refused, with nothing written: whatever the plan refuses; tables that hold
// a cell the window's OK refuses; a document with rows in use beyond the
// tables' length (the tables would lose them).
// Throws Error when a document cannot be read, when another run holds the
// project, or when the tables cannot be written. (A node's EDS/DCF is read
// by the caller: the rule carries its description.)
CobIdAddition AddCobIdRows(const ProjectLayout& project, const CobIdRule& rule, bool write);

} // namespace c2c
