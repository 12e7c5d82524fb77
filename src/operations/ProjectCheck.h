#pragma once
// Checking a project before it is built: every problem that would stop the
// build or that Set CobID Access would refuse, not only the first, and what
// the build would take otherwise than the tables seem to say.

#include <string>
#include <vector>

namespace c2c {

class ProjectLayout;

// Reads pargen.xml and CanCanCobID.xml as the build reads them and lists,
// one line each: a document that cannot be read; every identifier cell that
// is no integer, lies outside 0x000-0x7FF where both ports run CAN 2.0A, or
// does not fit the frame format of the port it travels on (cells named by
// table, N° and text); then, table by table, the warnings of
// FindCobIdWarnings (an identifier in several rows, rows the build ignores,
// rows beyond the device's list). Empty when there is nothing to say.
std::vector<std::string> CheckProjectDocuments(const ProjectLayout& project);

// The CANopen checks (documents/CanOpenCheck.h) of the project's documents as
// the build reads them: advice about the network, not problems of the
// tables. A heuristic may name a row that is right (a TPDO that is only
// consumed across the device), so it never fails a check. Empty when the
// documents cannot be read (CheckProjectDocuments names that) or when there
// is nothing to say.
std::vector<std::string> CheckProjectCanOpen(const ProjectLayout& project);

} // namespace c2c
