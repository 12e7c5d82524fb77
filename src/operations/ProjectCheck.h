#pragma once
// Checking a project before it is built: every problem, not only the first,
// and every warning, by the rules every other check asks
// (documents/CobIdChecks.h, operations/CobIdWarnings.h).

#include <string>
#include <vector>

namespace c2c {

class ProjectLayout;
struct CommSettings;
struct CobIdTables;

struct ProjectCheck {
    // What stops the build or what Set CobID Access refuses at OK, one line
    // each: a document that cannot be read (CanCanCobID.xml missing: how to
    // make it, as the build says); a frame-format number that the build
    // refuses (FrameFormatNumberText); every identifier cell that is no
    // integer, lies outside 0x000-0x7FF where both ports run CAN 2.0A, or
    // does not fit the frame format of the port it travels on (cells named
    // by table, N° and text). `check` exits 1 when there is any.
    std::vector<std::string> problems;
    // The warnings, `check`'s "Warning:" lines, which the build prints too:
    // a frame-format number other than 0 and 1 that the build takes (as
    // CAN 2.0B) first; then, table by table, what the build takes otherwise
    // than the tables seem to say (FindCobIdWarnings: an identifier in
    // several rows, rows the build ignores, a blocked list's Modify CobIDs,
    // rows beyond the device's list or beyond the tables); then the CANopen
    // advice (documents/CanOpenCheck.h), a heuristic that may name a row
    // that is right. They fail `check` only with --strict.
    std::vector<std::string> advice;
};

// Reads pargen.xml and CanCanCobID.xml once, as the build reads them, and
// says what `check` says; both lists are empty when there is nothing to say.
// The warnings of the tables and the advice need both documents readable.
ProjectCheck CheckProjectDocuments(const ProjectLayout& project);

// The warnings of documents read as the build reads them: `check`'s
// "Warning:" lines, which build, update and Update Device say too.
std::vector<std::string> ProjectWarnings(const CommSettings& settings, const CobIdTables& tables);

} // namespace c2c
