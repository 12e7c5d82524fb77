#include "operations/NewProject.h"

#include "documents/CompanionDocuments.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

namespace c2c {

ProjectFolderResult CreateNewProject(const ProjectLayout& project)
{
    project.RequireProject();
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
