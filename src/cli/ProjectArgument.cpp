#include "cli/Commands.h"

#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

namespace c2c::cli {

ProjectLayout ProjectArgument(const std::string& argument)
{
    std::string folder = argument;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    ProjectLayout project(ExecutableDirectory());
    project.SetProjectDir(folder);
    return project;
}

} // namespace c2c::cli
