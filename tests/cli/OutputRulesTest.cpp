// What the command line writes where the user names an output, and how it
// saves: standard output as "-", links and special files, the master folder,
// files of another format, a file-size limit, runs killed while saving.

#include "cli/CliRun.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <signal.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::string Q(const std::string& text)
{
    return "'" + text + "'";
}

class OutputRules : public ::testing::Test {
protected:
    OutputRules()
    {
        WriteProject(project, PargenXml(kStandardPargen), CobIdXml({{"0x181", "0x1C1"}}, {}));
        std::string log;
        for (int i = 0; i < 100; ++i)
            log += "(1." + std::to_string(100000 + i) + ") can0 181#1122334455667788\n";
        WriteText(dir / "in.log", log);
    }
    // The trace replay writes for in.log.
    static std::string Replayed()
    {
        std::string trace;
        for (int i = 0; i < 100; ++i)
            trace += "(1." + std::to_string(100000 + i) + ") can1 1C1#1122334455667788\n";
        return trace;
    }
    std::vector<std::string> Temporaries() const
    {
        std::vector<std::string> found;
        for (const std::string& folder : {dir.path(), project})
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().find(".tmp-") != std::string::npos)
                    found.push_back(entry.path().filename().string());
        return found;
    }

    TempDir dir;
    const std::string project = dir / "Line7";
    const std::string replay = "replay " + Q(project) + " " + Q(dir / "in.log");
};

TEST_F(OutputRules, StandardOutputIsADash)
{
    const CliResult trace = RunCli(replay + " --out -");
    EXPECT_EQ(trace.status, 0) << trace.err;
    EXPECT_EQ(trace.out, Replayed());
    EXPECT_THAT(trace.err, HasSubstr("Frames read: 100\n"));
    const CliResult json = RunCli(replay + " --out - --json");
    EXPECT_EQ(json.status, 2);
    EXPECT_THAT(json.err, HasSubstr("--json needs --out FILE"));
    const CliResult csv = RunCli("cobid export " + Q(project) + " --out -");
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "direction,row,original,modified,description\r\ncan0-to-can1,0,0x181,0x1C1,\r\n");
    EXPECT_FALSE(fs::exists("-"));
}

// Refused: nothing written, nothing replaced, the links still links.
TEST_F(OutputRules, WhatIsNeverReplaced)
{
    fs::create_symlink("/proc/self/fd/1", dir / "so");
    WriteText(project + "/New_SX40517.sx", "S00600004844521B\r\nS9030000FC\r\n");
    WriteText(dir / "notes.csv", "my notes\n");
    const struct {
        std::string arguments;
        std::string error;
    } cases[] = {
        {replay + " --out " + Q(dir / "so"), "leads to \"/proc/self/fd/1\", in a folder of the system's devices"},
        {replay + " --out /dev/stdout", "--out - writes to standard output"},
        {replay + " --out " + Q(project + "/New_SX40517.sx"), "does not hold a candump trace; --force replaces it"},
        {"cobid export " + Q(project) + " --out " + Q(dir / "notes.csv"),
         "does not hold CobID tables as CSV (its first line the header); --force replaces it"},
        {"cobid export " + Q(project) + " --out " + Q(dir / "so"), "devices and processes"},
        {"traffic " + Q(project) + " " + Q(dir / "in.log") + " --out0 " + Q(dir / "so"), "--out0: \""},
        {"traffic " + Q(project) + " " + Q(dir / "in.log") + " --out1 -", "--out1: takes a file"},
        {"traffic " + Q(project) + " " + Q(dir / "in.log") + " --plot " + Q(dir / "notes.csv"),
         "does not hold an SVG picture; --force replaces it"},
    };
    for (const auto& c : cases) {
        // Standard output is a file, as in "replay ... --out so > captured.txt".
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "so"));
    EXPECT_EQ(ReadText(project + "/New_SX40517.sx"), "S00600004844521B\r\nS9030000FC\r\n");
    EXPECT_EQ(ReadText(dir / "notes.csv"), "my notes\n");

    // What the user forces is replaced.
    EXPECT_EQ(RunCli(replay + " --force --out " + Q(project + "/New_SX40517.sx")).status, 0);
    EXPECT_EQ(ReadText(project + "/New_SX40517.sx"), Replayed());
}

// A portable program: the master folder beside it is never written, forced or not.
TEST_F(OutputRules, TheMasterFolderIsNeverWritten)
{
    const std::string portable = dir / "portable";
    fs::create_directories(portable + "/MASTER");
    fs::copy_file(CliProgram(), portable + "/drevanta-c2c-cli");
    WriteText(portable + "/MASTER/SX40517.sx", "S9030000FC\r\n");
    fs::create_symlink(portable + "/MASTER/SX40517.sx", dir / "master-link");
    for (const std::string& out : {portable + "/MASTER/SX40517.sx", portable + "/MASTER/trace.log", dir / "master-link"}) {
        const CliResult result = RunCli(replay + " --force --out " + Q(out), portable + "/drevanta-c2c-cli");
        EXPECT_EQ(result.status, 2) << out;
        EXPECT_THAT(result.err, HasSubstr("is in the master folder")) << out;
    }
    EXPECT_EQ(ReadText(portable + "/MASTER/SX40517.sx"), "S9030000FC\r\n");
    EXPECT_FALSE(fs::exists(portable + "/MASTER/trace.log"));
}

// Under a file-size limit a save fails with a message naming the file, the
// old file stays and no temporary file is left.
TEST_F(OutputRules, AFileSizeLimitIsAnErrorWithAMessage)
{
    WriteText(dir / "out.log", "(0.5) can1 100#\n");
    const std::string document = ReadText(project + "/CanCanCobID.xml");
    const struct {
        std::string arguments;
        std::string file;
    } cases[] = {
        {replay + " --out " + Q(dir / "out.log"), dir / "out.log"},
        {"cobid add " + Q(project) + " range 0x200-0x2FF --direction can0-to-can1", project + "/CanCanCobID.xml"},
    };
    for (const auto& c : cases) {
        // 2 blocks of 512 bytes: the new files are larger.
        const CliResult result = RunCli(c.arguments, CliProgram(), "ulimit -f 2;");
        EXPECT_EQ(result.status, 1) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr("Cannot create file \"" + c.file + "\". File too large")) << c.arguments;
    }
    EXPECT_EQ(ReadText(dir / "out.log"), "(0.5) can1 100#\n");
    EXPECT_EQ(ReadText(project + "/CanCanCobID.xml"), document);
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

// Runs killed at any moment leave the earlier file or the whole new one;
// the temporary files they leave go at the next save of the same file.
TEST_F(OutputRules, KilledRunsLeaveOldOrNewAndTheNextSaveTidiesUp)
{
    std::string log;
    for (int i = 0; i < 200000; ++i)
        log += "(2." + std::to_string(100000 + i % 900000) + ") can0 181#11223344\n";
    WriteText(dir / "big.log", log);
    const std::vector<std::string> bigReplay = {"replay", project, dir / "big.log", "--out", dir / "out.log"};
    ASSERT_EQ(WaitCli(StartCli(bigReplay, "/dev/null", dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    const std::string whole = ReadText(dir / "out.log");
    const std::vector<std::string> add = {"cobid", "add", project, "range", "0x300-0x3FF", "--direction", "can1-to-can0"};
    const std::string document = ReadText(project + "/CanCanCobID.xml");
    ASSERT_EQ(WaitCli(StartCli(add, "/dev/null", dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    const std::string added = ReadText(project + "/CanCanCobID.xml");

    std::mt19937 random(24);
    auto killed = [&](const std::vector<std::string>& arguments, unsigned maxMicroseconds) {
        const pid_t child = StartCli(arguments, "/dev/null", "/dev/null");
        std::this_thread::sleep_for(std::chrono::microseconds(random() % maxMicroseconds));
        ::kill(child, SIGKILL);
        return WaitCli(child);
    };
    bool leftSome = false;
    for (int round = 0; round < 30; ++round) {
        WriteText(dir / "out.log", "(0.5) can1 100#\n");
        killed(bigReplay, 150000);
        const std::string now = ReadText(dir / "out.log");
        EXPECT_TRUE(now == "(0.5) can1 100#\n" || now == whole) << "round " << round << ": a part of a trace";

        WriteText(project + "/CanCanCobID.xml", document);
        killed(add, 30000);
        const std::string saved = ReadText(project + "/CanCanCobID.xml");
        EXPECT_TRUE(saved == document || saved == added) << "round " << round << ": a part of a document";
        leftSome = leftSome || !Temporaries().empty();
    }
    if (!leftSome)
        GTEST_SKIP() << "no run was killed while saving; nothing to tidy up";
    // The next save of each file removes what the killed runs left.
    EXPECT_EQ(WaitCli(StartCli(bigReplay, "/dev/null", dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    WriteText(project + "/CanCanCobID.xml", document);
    EXPECT_EQ(WaitCli(StartCli(add, "/dev/null", dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

} // namespace
} // namespace c2c
