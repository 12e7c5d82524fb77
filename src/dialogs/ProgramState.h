#pragma once
// What the windows share for the whole run: the open project, the frame
// formats of its ports, and the companion tables a new project receives.
//
// Every window's logic is made once at start-up with a reference to the one
// ProgramState and the one set of UiServices; the Qt windows hold a
// reference to their logic.

#include "documents/CommSettings.h"
#include "documents/CompanionDocuments.h"
#include "project/Workspace.h"

namespace c2c {

struct ProgramState {
    Workspace workspace;
    CommSession session;
    CompanionTables companions;
};

} // namespace c2c
