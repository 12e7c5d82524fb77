#include "project/ProjectLock.h"

#include "platform/Error.h"
#include "platform/FolderLock.h"
#include "project/ProjectLayout.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace c2c {
namespace {

// Whether another process can take the folder's lock now.
bool FreeForAnotherProcess(const std::string& folder)
{
#ifdef _WIN32
    // The lock is a file opened without sharing, and Windows judges sharing
    // per open, not per process: a second open here meets what another
    // process's would.
    return FolderLock::TryLock(folder).has_value();
#else
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(FolderLock::TryLock(folder) ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

TEST(ProjectLockTest, HeldForOtherProcessesSharedWithinThisOne)
{
    testing::TempDir dir;
    ProjectLayout project;
    project.SetProjectDir(dir.path());
    {
        ProjectLock outer(project);
        EXPECT_NO_THROW(ProjectLock inner(project)) << "an operation inside another one";
        EXPECT_FALSE(FreeForAnotherProcess(dir.path()));
        EXPECT_FALSE(FolderLock::TryLock(dir.path())) << "a second lock of this process outside ProjectLock";
    }
    EXPECT_TRUE(FreeForAnotherProcess(dir.path())) << "released with the last ProjectLock";

    auto other = FolderLock::TryLock(dir.path()); // as another run holds it
    ASSERT_TRUE(other);
    EXPECT_THAT([&] { ProjectLock refused(project); },
                ::testing::ThrowsMessage<Error>(ProjectBusyText(dir.path())));
    EXPECT_THROW(ProjectLock{ProjectLayout{}}, Error) << "no project";
    EXPECT_THROW(FolderLock::TryLock(dir / "missing"), Error);
}

} // namespace
} // namespace c2c
