// The rules of an output the user names: standard output, links followed to
// a regular file or refused, the system's device folders and the master
// folder never written, an existing file of another format kept unless
// forced, a file the command reads never its output.

#include "operations/UserOutput.h"

#include "documents/CandumpLog.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <sys/stat.h>

namespace c2c {
namespace {

using namespace c2c::testing;
namespace fs = std::filesystem;

const OutputFormat kTrace{"a candump trace", [](std::string_view head) { return IsCandumpTraceText(head); }};

struct Case {
    const char* name;
    std::function<std::string(const TempDir&)> arrange; // returns the --out argument
    bool force;
    const char* refusal;  // part of the refusal; nullptr when the output may go there
    const char* writesTo; // when allowed: the file written, in the folder ("-": standard output)
};

TEST(UserOutput, RulesOfAnOutputNamedByTheUser)
{
    const Case cases[] = {
        {"StandardOutput", [](auto&) { return std::string("-"); }, false, nullptr, "-"},
        {"NewFile", [](auto& d) { return d / "new.log"; }, false, nullptr, "new.log"},
        {"EmptyFile", [](auto& d) { WriteText(d / "e.log", ""); return d / "e.log"; }, false, nullptr, "e.log"},
        {"EarlierTrace", [](auto& d) { WriteText(d / "t.log", "\n(1.0) can0 181#11\n"); return d / "t.log"; }, false,
         nullptr, "t.log"},
        {"Firmware", [](auto& d) { WriteText(d / "New_SX40517.sx", "S00600004844521B\r\n"); return d / "New_SX40517.sx"; },
         false, "exists and does not hold a candump trace; --force replaces it", nullptr},
        {"FirmwareForced", [](auto& d) { WriteText(d / "f.sx", "S9030000FC\r\n"); return d / "f.sx"; }, true, nullptr,
         "f.sx"},
        {"LinkToATrace",
         [](auto& d) {
             WriteText(d / "real.log", "(1.0) can0 181#11\n");
             fs::create_symlink("real.log", d / "so");
             return d / "so";
         },
         false, nullptr, "real.log"},
        {"ChainOfLinksToANewFile",
         [](auto& d) {
             fs::create_directory(d / "sub");
             WriteText(d / "sub/real.log", "");
             fs::create_symlink("sub/real.log", d / "a");
             fs::create_symlink(d / "a", d / "b");
             return d / "b";
         },
         false, nullptr, "sub/real.log"},
        {"LinkToFirmware",
         [](auto& d) {
             WriteText(d / "m.sx", "S9030000FC\r\n");
             fs::create_symlink(d / "m.sx", d / "out");
             return d / "out";
         },
         false, "leads to", nullptr},
        {"DanglingLink", [](auto& d) { fs::create_symlink(d / "none.log", d / "out"); return d / "out"; }, true,
         "which does not exist", nullptr},
        {"LoopOfLinks",
         [](auto& d) {
             fs::create_symlink(d / "y", d / "x");
             fs::create_symlink(d / "x", d / "y");
             return d / "x";
         },
         true, "a loop of links", nullptr},
        {"LinkToStandardOutput", [](auto& d) { fs::create_symlink("/proc/self/fd/1", d / "so"); return d / "so"; },
         true, "in a folder of the system's devices and processes", nullptr},
        {"DevStdout", [](auto&) { return std::string("/dev/stdout"); }, true, "--out - writes to standard output",
         nullptr},
        {"DevNull", [](auto&) { return std::string("/dev/null"); }, true, "devices and processes", nullptr},
        {"ThroughALinkedFolder", [](auto& d) { fs::create_symlink("/proc/self", d / "self"); return d / "self/x"; },
         true, "devices and processes", nullptr},
        {"Folder", [](auto& d) { fs::create_directory(d / "f"); return d / "f"; }, true, "is a folder", nullptr},
        {"LinkToAFolder", [](auto& d) { fs::create_symlink(d.path(), d / "l"); return d / "l"; }, true,
         "which is a folder", nullptr},
        {"Fifo", [](auto& d) { MakeFifo(d / "p"); return d / "p"; }, true, "is not a regular file", nullptr},
        {"LinkToAFifo",
         [](auto& d) {
             MakeFifo(d / "p");
             fs::create_symlink(d / "p", d / "l");
             return d / "l";
         },
         true, "which is not a regular file", nullptr},
        {"TheTraceItReads", [](auto& d) { return d / "in.log"; }, true, "cannot be the trace it reads", nullptr},
        {"ALinkToTheTraceItReads", [](auto& d) { fs::create_symlink(d / "in.log", d / "l"); return d / "l"; }, true,
         "cannot be the trace it reads", nullptr},
        {"MasterFolder", [](auto& d) { return d / "MASTER/SX40517.sx"; }, true, "is in the master folder", nullptr},
        {"NewFileInTheMasterFolder", [](auto& d) { return d / "MASTER/x.log"; }, true, "is in the master folder",
         nullptr},
        {"LinkIntoTheMasterFolder", [](auto& d) { fs::create_symlink(d / "MASTER/x.log", d / "l"); return d / "l"; },
         true, "does not exist", nullptr},
        {"LinkToTheMaster", [](auto& d) { fs::create_symlink(d / "MASTER/SX40517.sx", d / "l"); return d / "l"; },
         true, "is in the master folder", nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir; // a portable program's folder: MASTER is its workspace's
        fs::create_directory(dir / "MASTER");
        WriteText(dir / "MASTER/SX40517.sx", "S9030000FC\r\n");
        WriteText(dir / "in.log", "(1.0) can0 181#11\n");
        const std::string argument = c.arrange(dir);
        const OutputChoice choice =
            ChooseOutput({argument, kTrace, c.force, {{dir / "in.log", "the trace it reads"}}}, dir.path());
        if (c.refusal) {
            EXPECT_THAT(choice.refusal, ::testing::HasSubstr(c.refusal)) << c.name;
            continue;
        }
        EXPECT_EQ(choice.refusal, "") << c.name;
        EXPECT_EQ(choice.standardOutput, std::string(c.writesTo) == "-") << c.name;
        if (!choice.standardOutput) {
            EXPECT_TRUE(fs::equivalent(fs::path(choice.path).parent_path(), fs::path(dir / c.writesTo).parent_path()))
                << c.name << ": " << choice.path;
            EXPECT_EQ(fs::path(choice.path).filename(), fs::path(c.writesTo).filename()) << c.name;
        }
    }
}

TEST(UserOutput, AFileWrittenThroughALinkKeepsTheLink)
{
    TempDir dir;
    WriteText(dir / "real.log", "(1.0) can0 181#11\n");
    fs::create_symlink("real.log", dir / "so");
    UserOutput out(ChooseOutput({dir / "so", kTrace, false, {}}, dir.path()));
    out.Sink().Write("(2.0) can1 181#22\n");
    out.Finish();
    EXPECT_TRUE(fs::is_symlink(dir / "so"));
    EXPECT_EQ(ReadText(dir / "real.log"), "(2.0) can1 181#22\n");
}

TEST(UserOutput, AnUnreadableFileIsReplacedOnlyWhenForced)
{
    if (!PermissionsAreEnforced())
        GTEST_SKIP() << "root reads every file";
    TempDir dir;
    WriteText(dir / "locked.log", "(1.0) can0 181#11\n");
    fs::permissions(dir / "locked.log", fs::perms::none);
    EXPECT_THAT(ChooseOutput({dir / "locked.log", kTrace, false, {}}, dir.path()).refusal,
                ::testing::HasSubstr("cannot be read"));
    EXPECT_FALSE(ChooseOutput({dir / "locked.log", kTrace, true, {}}, dir.path()).Refused());
}

} // namespace
} // namespace c2c
