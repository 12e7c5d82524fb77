#include "project/Workspace.h"

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

std::string ChooseWorkspaceDir(const std::string& exeDir, const std::string& userDataDir)
{
    if (userDataDir.empty() || (CanCreateFilesIn(exeDir) && !IsSystemFolder(exeDir)))
        return exeDir;
    return userDataDir;
}

bool Workspace::Initialise(const std::string& exeDir)
{
    return Initialise(exeDir, ChooseWorkspaceDir(exeDir, UserDataDirectory()));
}

bool Workspace::Initialise(const std::string& exeDir, const std::string& workspaceDir)
{
    layout = ProjectLayout(exeDir, workspaceDir);
    const std::string projects = layout.ProjectsDir();
    // A failure to create a folder is not reported; start-up goes on, and
    // the steps that need the folder say what is missing.
    if (!DirectoryExists(layout.WorkspaceDir()))
        CreateDirectories(layout.WorkspaceDir());
    for (const std::string& folder : {layout.MasterDir(), projects})
        if (!DirectoryExists(folder))
            CreateDirectory(folder);

    ProjectName = ReadProfileString(layout.SettingsFile(), kSettingsSection, kSettingsKey, "");
    if (!ProjectName.empty() && ProjectName.front() != '/' && ProjectName.front() != '\\')
        ProjectName = kSep + ProjectName;

    if (!ProjectName.empty() && !LeavesProjects(ProjectName) && DirectoryExists(projects + ProjectName)) {
        layout.SetProjectDir(projects + ProjectName);
        return true;
    }
    // PROJECTS itself serves as the project; a stored name whose folder has
    // gone is kept and written back unchanged at exit.
    layout.SetProjectDir(projects);
    return false;
}

void Workspace::UseProject(std::string name, std::string projectDir)
{
    ProjectName = std::move(name);
    layout.SetProjectDir(std::move(projectDir));
}

void Workspace::OpenProject(FolderPicker& picker)
{
    std::string projectDir = layout.ProjectDir();
    if (!DirectoryExists(projectDir))
        projectDir.clear();
    const std::string projects = layout.ProjectsDir();
    if (auto chosen = picker.pickFolder(kOpenProjectTitle, projects, projectDir))
        projectDir = *chosen;
    // The name is whatever follows the first ProjectsDir().size() characters;
    // the picker only returns folders inside PROJECTS.
    ProjectName = projectDir.size() > projects.size() ? projectDir.substr(projects.size()) : std::string();
    layout.SetProjectDir(projectDir);
}

void Workspace::SaveLastProject() const
{
    WriteProfileString(layout.SettingsFile(), kSettingsSection, kSettingsKey, ProjectName);
}

} // namespace c2c
