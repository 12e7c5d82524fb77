#include "operations/NewProject.h"

#include "documents/CompanionDocuments.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

namespace c2c {

ProjectFolderResult CreateNewProject(const ProjectLayout& project)
{
    project.RequireProject();
    // A file of that name is taken as well as a folder.
    if (PathExists(project.ProjectDir()))
        return ProjectFolderResult::Exists;
    const ProjectFolderResult result = CreateProjectFolder(project);
    if (result != ProjectFolderResult::Created)
        return result;
    if (!DirectoryExists(project.BinDir()))
        throw Error("Cannot create directory \"" + project.BinDir() + "\"");
    CompanionTables companions; // empty, as in a fresh run
    WriteNewProjectDocuments(project, kNewProjectSettings, companions);
    return result;
}

} // namespace c2c
