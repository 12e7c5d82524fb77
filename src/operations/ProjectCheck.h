#pragma once
// Checking a project before it is built: every problem that would stop the
// build or that Set CobID Access would refuse, not only the first, and what
// the build would take otherwise than the tables seem to say, with advice
// about the CANopen network.

#include <string>
#include <vector>

namespace c2c {

class ProjectLayout;

struct ProjectCheck {
    // One line each: a document that cannot be read; a frame-format number
    // that the build refuses (FrameFormatNumberText); every identifier cell
    // that is no integer, lies outside 0x000-0x7FF where both ports run
    // CAN 2.0A, or does not fit the frame format of the port it travels on
    // (cells named by table, N° and text); then, table by table, the
    // warnings of FindCobIdWarnings (an identifier in several rows, rows the
    // build ignores, rows beyond the device's list).
    std::vector<std::string> problems;
    // The CANopen checks (documents/CanOpenCheck.h): advice about the
    // network, not problems of the tables. A heuristic may name a row that
    // is right (a TPDO that is only consumed across the device), so advice
    // never fails a check. A frame-format number other than 0 and 1 that
    // the build takes (as CAN 2.0B) comes first.
    std::vector<std::string> advice;
};

// Reads pargen.xml and CanCanCobID.xml once, as the build reads them, and
// says what `check` says; both lists are empty when there is nothing to say.
// Advice needs both documents readable.
ProjectCheck CheckProjectDocuments(const ProjectLayout& project);

} // namespace c2c
