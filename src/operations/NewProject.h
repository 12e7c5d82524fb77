#pragma once
// A new project without the windows: the folder, its bin folder and the
// documents that New project writes, with the settings a fresh run of the
// program gives (SET COMMUNICATION not yet shown: 250 kbit/s on both ports,
// no frame format chosen, which counts as CAN 2.0B, Positive Implementation
// clear).

#include "documents/CommSettings.h"
#include "operations/Operations.h"

namespace c2c {

inline constexpr CommSettings kNewProjectSettings = {5, 5, 1, 0, 0, 0, 1};

// Creates the project folder (its parent must exist) with an empty bin
// folder, pargen.xml with kNewProjectSettings and the five companion
// documents; no CanCanCobID.xml, as New project writes none. An existing
// folder is left alone (Exists). Throws Error("Project not valid") without
// a folder, Error when the bin folder or a document cannot be made; the
// folder then keeps what was made before.
ProjectFolderResult CreateNewProject(const ProjectLayout& project);

} // namespace c2c
