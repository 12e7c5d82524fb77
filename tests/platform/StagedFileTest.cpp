// The one file writer: streamed writes that appear whole or not at all, sets
// of files replaced together, and the temporary files of killed runs
// removed at the next save of the same target, never another's files.

#include "platform/StagedFile.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(StagedFile, AppearsWholeOnlyWhenInstalled)
{
    TempDir dir;
    const std::string target = dir / "trace.log";
    WriteText(target, "old");
    {
        StagedFile file(target);
        file.Write("new ");
        file.Write("content");
        EXPECT_EQ(ReadText(target), "old") << "nothing is seen before Install";
    } // dropped
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"trace.log"});

    // A set: both written and finished before either takes its name.
    StagedFile a(dir / "a.bin", "A"), b(dir / "b.bin", std::string(100000, 'b'));
    EXPECT_FALSE(FileExists(dir / "a.bin"));
    a.Install();
    b.Install();
    EXPECT_EQ(ReadText(dir / "a.bin"), "A");
    EXPECT_EQ(ReadText(dir / "b.bin").size(), 100000u);
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.bin", "b.bin", "trace.log"}));
}

TEST(StagedFile, AFullDiskKeepsTheOldFile)
{
    if (!testing::kFileSizeLimitWorks)
        GTEST_SKIP() << "no per-process file size limit on this system";
    TempDir dir;
    const std::string target = dir / "out.log";
    WriteText(target, "old");
    {
        testing::FileSizeLimit limit(1000);
        StagedFile file(target);
        // The buffer takes the bytes; the limit shows when they go out.
        EXPECT_THROW(
            {
                file.Write(std::string(5000, 'x'));
                file.Install();
            },
            Error);
    }
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"out.log"});
}

#ifndef _WIN32
// Names a killed run of this program leaves (the prefix, then six letters
// or digits), and names that only look alike.
TEST(StagedFile, StaleTemporariesOfTheTargetGoOthersStay)
{
    TempDir dir;
    const std::string target = dir / "out.csv";
    const std::string prefix = TemporaryNamePrefix(target);
    ASSERT_EQ(prefix, "out.csv.tmp-c2c-");
    WriteText(dir / "outside.txt", "not ours");
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {prefix + "Ab12Cd", true},
        {prefix + "zzzzzz", true},
        {prefix + "Ab12C", false},        // five characters: not a name of ours
        {prefix + "Ab12Cd7", false},      // seven
        {prefix + "Ab-2Cd", false},
        {"out.csv.tmp-Ab12Cd", false},    // another program's naming
        {"other.csv.tmp-c2c-Ab12Cd", false}, // another target's
        {prefix + "Folder", false},       // a folder
        {prefix + "Linked", false},       // a link: never followed, never removed
    };
    for (const auto& c : cases) {
        if (c.name == prefix + "Folder")
            std::filesystem::create_directory(dir / c.name);
        else if (c.name == prefix + "Linked")
            std::filesystem::create_symlink(dir / "outside.txt", dir / c.name);
        else
            WriteText(dir / c.name, "left by a killed run");
    }
    // A save under way in another run: its temporary file is in use.
    StagedFile underWay(target);
    underWay.Write("a save under way");
    const std::set<std::string> before = Names(dir.path());

    WriteFileAtomically(target, "saved");

    std::set<std::string> expected = before;
    for (const auto& c : cases)
        if (c.removed)
            expected.erase(c.name);
    expected.insert("out.csv");
    EXPECT_EQ(Names(dir.path()), expected);
    EXPECT_EQ(ReadText(dir / "outside.txt"), "not ours");
    underWay.Install();
    EXPECT_EQ(ReadText(target), "a save under way") << "the save under way was not disturbed";
}
#endif

} // namespace
} // namespace c2c
