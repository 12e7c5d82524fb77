#pragma once
// One update at a time per project. Building the bank files, composing the
// firmware and starting the flasher each hold the project's lock, whether
// the windows or the command line run them; a second run on the same
// project is refused at once and changes nothing. The lock goes with the
// process that holds it, however that process ends.
//
// Within one process the lock is shared: an operation that runs others
// (the command line's update) holds it once for all of them.

#include <memory>
#include <string>

namespace c2c {

class ProjectLayout;
class FolderLock;

// "The project "PATH" is being updated by another run; nothing was changed"
std::string ProjectBusyText(const std::string& projectDir);

class ProjectLock {
public:
    // Throws Error(ProjectBusyText(...)) when another process holds the
    // project, Error("Project not valid") without a project, and Error when
    // the project folder cannot be opened.
    explicit ProjectLock(const ProjectLayout& project);
    ~ProjectLock();
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

private:
    std::shared_ptr<FolderLock> lock_;
};

} // namespace c2c
