#include "project/ProjectLock.h"

#include "platform/Error.h"
#include "platform/FolderLock.h"
#include "project/ProjectLayout.h"

#include <filesystem>
#include <map>
#include <mutex>

namespace c2c {

namespace {

// The locks this process holds, by folder, shared by every ProjectLock of
// the same project.
std::mutex gMutex;
std::map<std::string, std::weak_ptr<FolderLock>> gHeld;

std::string Key(const std::string& folder)
{
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(folder, ec);
    return ec ? folder : canonical.string();
}

} // namespace

std::string ProjectBusyText(const std::string& projectDir)
{
    return "The project \"" + projectDir + "\" is being updated by another run; nothing was changed";
}

ProjectLock::ProjectLock(const ProjectLayout& project)
{
    project.RequireProject();
    const std::string key = Key(project.ProjectDir());
    std::lock_guard<std::mutex> guard(gMutex);
    if (auto held = gHeld[key].lock()) {
        lock_ = std::move(held);
        return;
    }
    auto taken = FolderLock::TryLock(project.ProjectDir());
    if (!taken)
        throw Error(ProjectBusyText(project.ProjectDir()));
    lock_ = std::make_shared<FolderLock>(std::move(*taken));
    gHeld[key] = lock_;
}

ProjectLock::~ProjectLock()
{
    std::lock_guard<std::mutex> guard(gMutex);
    lock_.reset();
}

} // namespace c2c
