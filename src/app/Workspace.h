#pragma once
// Where things live: the executable's folder, MASTER and PROJECTS beside it,
// the current project and the paths of its documents. One instance for the
// whole run, owned by the main window.

#include <string>

namespace c2c {

class FolderPicker;

// Caption of the main window before any project is shown in it.
inline constexpr const char* kInitialCaption = "Tarvex Drevanta SW40517 CAN2CAN CobID :";
// The window title is this prefix followed directly by ProjectName.
inline constexpr const char* kTitlePrefix = "Tarvex Drevanta SW40517 CAN - Repeater (With Filter) :";

inline constexpr const char* kSettingsFileName = "Drevanta_C2CCOBID.ini";
inline constexpr const char* kSettingsSection = "lastproj";
inline constexpr const char* kSettingsKey = "projectname";
inline constexpr const char* kOpenProjectTitle = "Select directory of project";
// Refusal of every step that needs a project when none is open.
inline constexpr const char* kMsgProjectNotValid = "Project not valid";

struct Workspace {
    std::string ExeDir;
    std::string MasterDir;
    std::string ProjectsDir;
    // Relative to ProjectsDir: "\Line3" / "/Line3" when restored or opened,
    // "Line3" as typed for a new project, empty for PROJECTS itself.
    std::string ProjectName;
    // Full path of the current project; empty means no valid project.
    std::string ProjectDir;

    std::string PargenFile;
    std::string SdoFile;
    std::string EmcyDefFile;
    std::string EmcyWordFile;
    std::string RpdoDefFile;
    std::string SdoPdoFile;
    std::string CanCobIdFile;

    // Start-up: sets the folders (creating MASTER and PROJECTS when missing),
    // restores the last project from the settings file, or takes PROJECTS
    // itself as the project directory. Returns true when the last project
    // was restored. `exeDir` is the executable's folder.
    bool Initialise(const std::string& exeDir);

    // Recomputes the seven document paths from ProjectDir.
    void UpdateDocumentPaths();

    // Open project: runs the folder picker rooted at ProjectsDir and makes
    // the chosen folder current; a cancel keeps ProjectDir (emptied first
    // when its folder has gone). Sets ProjectName and the document paths.
    void OpenProject(FolderPicker& picker);

    // Writes ProjectName to the settings file.
    // Throws Error("Unable to write to PATH") when it cannot.
    void SaveLastProject() const;

    bool IsProjectValid() const { return !ProjectDir.empty(); }
    std::string SettingsFile() const;
    // The title for the current ProjectName.
    std::string Title() const { return std::string(kTitlePrefix) + ProjectName; }
};

} // namespace c2c
