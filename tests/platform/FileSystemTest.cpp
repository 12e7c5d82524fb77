#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::size_t FilesIn(const std::string& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(WriteFileAtomically, CreatesAndReplacesWholeFiles)
{
    TempDir dir;
    const std::string path = dir / "out.txt";
    WriteFileAtomically(path, "a much longer first content");
    WriteFileAtomically(path, "short");
    EXPECT_EQ(ReadText(path), "short");
    EXPECT_EQ(FilesIn(dir.path()), 1u) << "no temporary file is left behind";
}

TEST(WriteFileAtomically, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    TempDir dir;
    const std::string path = dir / "doc.xml";
    WriteText(path, "old content");
    {
        if (!testing::kFileSizeLimitWorks)
            GTEST_SKIP() << "no per-process file size limit on this system";
        testing::FileSizeLimit limit(4); // the new content cannot be written in full
        EXPECT_THROW(WriteFileAtomically(path, std::string(100, 'x')), Error);
    }
    EXPECT_EQ(ReadText(path), "old content");
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(WriteFileAtomically, MissingFolderNamesTheFileInTheError)
{
    TempDir dir;
    const std::string path = dir / "missing/bankg.c";
    try {
        WriteFileAtomically(path, "x");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + path + "\". ", 0), 0u) << error.what();
    }
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheReplacedFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no permission bits beyond read-only";
#endif
    TempDir dir;
    const std::string path = dir / "settings.ini";
    WriteText(path, "x");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    WriteFileAtomically(path, "y");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, std::filesystem::perms(0640));
}

TEST(WriteFileAtomically, RefusesToReplaceAFifo)
{
#ifdef _WIN32
    GTEST_SKIP() << "no FIFOs or device files to name on Windows";
#else
    TempDir dir;
    const std::string fifo = dir / "out.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO stands for a device too: a failing test must not replace a
    // real device file of the machine that runs it.
    try {
        WriteFileAtomically(fifo, "x");
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), ("Cannot create file \"" + fifo + "\". It is not a regular file").c_str());
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(FilesIn(dir.path()), 1u) << "no temporary file is left behind";
#endif
}

TEST(FileSystem, ExistenceTestsTellFilesFromFolders)
{
    TempDir dir;
    WriteText(dir / "file", "x");
    EXPECT_TRUE(FileExists(dir / "file"));
    EXPECT_FALSE(DirectoryExists(dir / "file"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(FileSystem, CreateDirectoryMakesOneLevelOnly)
{
    TempDir dir;
    EXPECT_FALSE(CreateDirectory(dir / "a/b"));
    EXPECT_TRUE(CreateDirectory(dir / "a"));
    EXPECT_FALSE(CreateDirectory(dir / "a")) << "an existing folder is a failure";
    EXPECT_TRUE(CreateDirectories(dir / "x/y/z"));
    EXPECT_TRUE(DirectoryExists(dir / "x/y/z"));
}

TEST(FileSystem, RenameReplacesAndRemoveReportsNothingToDelete)
{
    TempDir dir;
    WriteText(dir / "a", "A");
    WriteText(dir / "b", "B");
    EXPECT_TRUE(RenameFile(dir / "a", dir / "b"));
    EXPECT_EQ(ReadText(dir / "b"), "A");
    EXPECT_TRUE(RemoveFile(dir / "b"));
    EXPECT_FALSE(RemoveFile(dir / "b"));
}

TEST(FileSystem, NameAndFolderOfAPath)
{
    EXPECT_EQ(FileNameOf("/x/MASTER/SX40517.sx"), "SX40517.sx");
    EXPECT_EQ(FolderOf("/x/MASTER/SX40517.sx"), "/x/MASTER");
    EXPECT_EQ(FileNameOf("C:\\T\\a.sx"), "a.sx");
    EXPECT_EQ(FileNameOf("plain"), "plain");
    EXPECT_EQ(FolderOf("plain"), "");
}

TEST(FileSystem, ExecutableDirectoryIsTheFolderOfThisTestProgram)
{
#ifdef _WIN32
    const std::string program = "platform_tests.exe";
#else
    const std::string program = "platform_tests";
#endif
    const std::string folder = ExecutableDirectory();
    EXPECT_TRUE(FileExists(folder + kSep + program)) << folder;
    EXPECT_NE(folder.back(), kPathSeparator);
}

#ifndef _WIN32
TEST(FileSystem, UserDataDirectoryFollowsXdgThenHome)
{
    struct Case {
        const char* xdg; // nullptr: unset
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/data/", "/home/ann", "/x/data/drevanta-c2c"},
        {nullptr, "/home/ann", "/home/ann/.local/share/drevanta-c2c"},
        {"relative", "/home/ann", "/home/ann/.local/share/drevanta-c2c"}, // ignored, as XDG says
        {nullptr, nullptr, ""},
    };
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const Case& c : cases) {
        c.xdg ? ::setenv("XDG_DATA_HOME", c.xdg, 1) : ::unsetenv("XDG_DATA_HOME");
        c.home ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
        EXPECT_EQ(UserDataDirectory(), c.expected) << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-");
    }
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}
#endif

} // namespace
} // namespace c2c
