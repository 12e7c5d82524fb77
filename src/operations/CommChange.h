#pragma once
// Changing a project's communication settings without the window: only the
// values given change, and the SET COMMUNICATION window's rules hold as if
// the user had opened it, changed those controls and pressed OK.

#include "documents/CobIdCarryOver.h"
#include "documents/CommSettings.h"

#include <array>
#include <optional>

namespace c2c {

class ProjectLayout;

inline constexpr const char* kMsgPositiveForced =
    "Positive Implementation stays on while CAN 0 and CAN 1 run different frame formats; nothing was written";

struct PortChange {
    std::optional<int> bitRate; // an index into kBitRates; the dip switch then no longer decides
    bool dipSwitch = false;     // the dip switch decides; the stored index is kept
    std::optional<bool> formatB;
};

struct CommChanges {
    std::array<PortChange, 2> ports; // CAN 0, CAN 1
    std::optional<bool> positive;

    bool Any() const;
};

enum class CommChangeResult {
    Unchanged,      // nothing was asked: the settings as stored, nothing written
    Saved,          // pargen.xml holds the new settings
    PositiveForced, // the flag was to be cleared while the formats differ: nothing written
};

struct CommChangeOutcome {
    CommChangeResult result;
    CommSettings settings; // as stored when Unchanged, as written when Saved
    // When Saved: the stored rows that the next showing of Set CobID
    // Access moves (or cannot keep), see PlanCobIdCarryOver.
    CobIdCarryOver carryOver;
};

// The values the window shows for stored settings: a bit rate outside the
// list as none (-1), any format other than 0 as CAN 2.0B (1), the flags set
// only when they hold 1.
CommSettings AsTheWindowShows(const CommSettings& stored);

// When the formats `before` give longer tables than those `after` (a port
// went to CAN 2.0B): the rows of the project's CanCanCobID.xml beyond the
// new length that the next showing of Set CobID Access will move into empty
// rows, or cannot keep. Nothing when the tables do not shrink or the
// document is missing; the document is read as the window reads it.
CobIdCarryOver PlanCobIdCarryOver(const ProjectLayout& project, const CommSession& before, const CommSession& after);

// Reads pargen.xml as the build does (an Error when it is missing or
// broken), applies `changes` to what the window would show, forces Positive
// Implementation on while the formats differ and writes pargen.xml as OK
// does, telling what the change of formats does to the stored tables.
// Throws Error when the file cannot be written; the old one is kept. The
// project's lock is held from the reading to the writing; while another run
// holds it, Error(ProjectBusyText(...)) and nothing is changed.
CommChangeOutcome ChangeCommSettings(const ProjectLayout& project, const CommChanges& changes);

} // namespace c2c
