#include "app/Workspace.h"

#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "platform/UiServices.h"

namespace c2c {

namespace {

// A hand-edited settings file could name "\..\elsewhere"; the dialogs would
// then read and write documents outside PROJECTS.
bool LeavesProjects(const std::string& name)
{
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool Workspace::Initialise(const std::string& exeDir)
{
    ExeDir = exeDir;
    if (!ExeDir.empty() && (ExeDir.back() == '/' || ExeDir.back() == '\\'))
        ExeDir.pop_back();

    MasterDir = ExeDir + kSep + "MASTER";
    if (!DirectoryExists(MasterDir))
        CreateDirectory(MasterDir); // a failure is not reported; start-up goes on
    ProjectsDir = ExeDir + kSep + "PROJECTS";
    if (!DirectoryExists(ProjectsDir))
        CreateDirectory(ProjectsDir);

    ProjectName = ReadProfileString(SettingsFile(), kSettingsSection, kSettingsKey, "");
    if (!ProjectName.empty() && ProjectName.front() != '/' && ProjectName.front() != '\\')
        ProjectName = kSep + ProjectName;

    bool restored = false;
    if (!ProjectName.empty() && !LeavesProjects(ProjectName) && DirectoryExists(ProjectsDir + ProjectName)) {
        ProjectDir = ProjectsDir + ProjectName;
        restored = true;
    } else {
        // PROJECTS itself serves as the project; a stored name whose folder
        // has gone is kept and written back unchanged at exit.
        ProjectDir = ProjectsDir;
    }
    UpdateDocumentPaths();
    return restored;
}

void Workspace::UpdateDocumentPaths()
{
    PargenFile = ProjectDir + kSep + "pargen.xml";
    SdoFile = ProjectDir + kSep + "sdo.xml";
    EmcyDefFile = ProjectDir + kSep + "emcydef.xml";
    EmcyWordFile = ProjectDir + kSep + "emcyword.xml";
    RpdoDefFile = ProjectDir + kSep + "rpdodef.xml";
    SdoPdoFile = ProjectDir + kSep + "sdopdo.xml";
    CanCobIdFile = ProjectDir + kSep + "CanCanCobID.xml";
}

void Workspace::OpenProject(FolderPicker& picker)
{
    if (!DirectoryExists(ProjectDir))
        ProjectDir.clear();
    if (auto chosen = picker.pickFolder(kOpenProjectTitle, ProjectsDir, ProjectDir))
        ProjectDir = *chosen;
    // The name is whatever follows the first ProjectsDir.size() characters;
    // the picker only returns folders inside PROJECTS.
    ProjectName = ProjectDir.size() > ProjectsDir.size() ? ProjectDir.substr(ProjectsDir.size()) : std::string();
    UpdateDocumentPaths();
}

void Workspace::SaveLastProject() const
{
    WriteProfileString(SettingsFile(), kSettingsSection, kSettingsKey, ProjectName);
}

std::string Workspace::SettingsFile() const
{
    return ExeDir + kSep + kSettingsFileName;
}

} // namespace c2c
