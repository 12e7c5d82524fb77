#pragma once
// The run's current project: which project is open, under which name, and
// remembering it from one run to the next in the settings file.

#include "project/ProjectLayout.h"

#include <string>

namespace c2c {

class FolderPicker;

inline constexpr const char* kSettingsSection = "lastproj";
inline constexpr const char* kSettingsKey = "projectname";
inline constexpr const char* kOpenProjectTitle = "Select directory of project";

// The workspace of a program in `exeDir`: `exeDir` itself (the portable
// layout) when the program may create files there and it is not a folder of
// the system (/usr on Linux); otherwise `userDataDir`, the folder the user's
// own data goes to (see UserDataDirectory), unless that is unknown.
std::string ChooseWorkspaceDir(const std::string& exeDir, const std::string& userDataDir);

struct Workspace {
    ProjectLayout layout;
    // Relative to PROJECTS: "\Line3" / "/Line3" when restored or opened,
    // "Line3" as typed for a new project, empty for PROJECTS itself.
    std::string ProjectName;

    // Start-up: lays out the program's folders in the workspace that
    // ChooseWorkspaceDir picks for `exeDir` (creating MASTER and PROJECTS
    // when missing), restores the last project from the settings file, or
    // takes PROJECTS itself as the project folder.
    // Returns true when the last project was restored.
    bool Initialise(const std::string& exeDir);
    // The same with the workspace given.
    bool Initialise(const std::string& exeDir, const std::string& workspaceDir);

    // Makes `projectDir`, shown as `name`, the current project.
    void UseProject(std::string name, std::string projectDir);

    // Open project: runs the folder picker rooted at PROJECTS and makes the
    // chosen folder current; a cancel keeps the project (emptied first when
    // its folder has gone). The name is the path below PROJECTS.
    void OpenProject(FolderPicker& picker);

    // Writes ProjectName to the settings file.
    // Throws Error("Unable to write to PATH") when it cannot.
    void SaveLastProject() const;
};

} // namespace c2c
