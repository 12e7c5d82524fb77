// route and replay through the real executable: they answer in every
// layout as worked out by hand, refuse what other commands refuse, and trade traces with the field's own tools (python-can's
// CanutilsLogWriter and CanutilsLogReader, can-utils' log2long).

#include "cli/CliRun.h"
#include "documents/CandumpLog.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

// ---------------------------------------------------------------- the layouts, by hand

// Every expectation below is worked out by hand from the tables and the
// device's rules (docs/forwarding.md), not asked of the forwarding model.
TEST(TrafficCommands, RouteInEveryLayoutAnswersAsWorkedOutByHand)
{
    const Texts bothB = {"5", "5", "1", "1", "0", "0", "1"};
    const Texts mixed = {"5", "5", "0", "1", "0", "0", "1"}; // CAN0 2.0A, CAN1 2.0B
    const Texts clear = {"5", "5", "1", "0", "0", "0", "1"}; // both 2.0B, Positive Implementation clear
    const CobIdRows bothBRows = {{"0x181", "0x1ABC0181"}, {"0x18FF0701", "0x701"}, {"0x285", ""}, {"0x285", "0x286"}};
    const CobIdRows mixedBack = {{"0x1ABC0181", "0x181"}, {"0x18FF0701", "0x18FF0702"}};
    const struct {
        const char* name;
        Texts pargen;
        CobIdRows can0ToCan1, can1ToCan0;
        std::string arguments;
        std::string out;
    } cases[] = {
        {"translated to 29 bits", bothB, bothBRows, {}, "--from can0 0x181 0x18FF0701 0x701",
         "0x181 -> 0x1ABC0181 (listed, Positive Implementation set; leaves as an extended frame)\n"
         "0x18FF0701 -> 0x00000701 (listed, Positive Implementation set)\n"
         "0x701 blocked (not listed, Positive Implementation set)\n"},
        {"duplicate: the first entry", bothB, bothBRows, {}, "--from can0 0x285",
         "0x285 -> 0x285 (listed, Positive Implementation set; ambiguous: 2 entries, the device may take either)\n"},
        {"asked as a 29-bit frame", bothB, bothBRows, {{"0x1ABC0181", "0x181"}}, "--from can0 --extended 0x181",
         "0x00000181 -> 0x1ABC0181 (listed, Positive Implementation set)\n"},
        {"29-bit both ways", bothB, {}, {{"0x1ABC0181", "0x181"}}, "--from can1 0x1ABC0181",
         "0x1ABC0181 -> 0x00000181 (listed, Positive Implementation set)\n"},
        {"onto 29 bits", mixed, {{"0x181", "0x1ABC0181"}}, mixedBack, "--from can0 0x181",
         "0x181 -> 0x1ABC0181 (listed, Positive Implementation set; leaves as an extended frame)\n"},
        {"a 29-bit frame on 2.0A", mixed, {{"0x181", "0x1ABC0181"}}, mixedBack, "--from can0 --extended 0x181",
         "0x00000181 not received (a 29-bit frame, and CAN0 runs CAN 2.0A)\n"},
        {"back to 11 bits", mixed, {}, mixedBack, "--from can1 0x1ABC0181",
         "0x1ABC0181 -> 0x181 (listed, Positive Implementation set; leaves as a standard frame)\n"},
        {"too wide to leave", mixed, {}, mixedBack, "--from can1 0x18FF0701",
         "0x18FF0701 blocked (0x18FF0702 cannot leave on CAN0, which runs CAN 2.0A (0x000 to 0x7FF))\n"},
        {"block-list", clear, {{"0x181", ""}}, {}, "--from can0 0x181 0x182",
         "0x181 blocked (listed, Positive Implementation clear)\n0x182 -> 0x182 (not listed, Positive Implementation "
         "clear)\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteProject(dir / "p", PargenXml(c.pargen), CobIdXml(c.can0ToCan1, c.can1ToCan0));
        const CliResult route = RunCli("route " + Quote(dir / "p") + " " + c.arguments);
        EXPECT_EQ(route.status, 0) << c.name << "\n" << route.err;
        EXPECT_EQ(route.out, c.out) << c.name;
    }
}

// A trace through the mixed layout: what leaves, and the counts, by hand.
TEST(TrafficCommands, ReplayOfTheMixedLayout)
{
    TempDir dir;
    WriteProject(dir / "p", PargenXml({"5", "5", "0", "1", "0", "0", "1"}),
                 CobIdXml({{"0x181", "0x1ABC0181"}}, {{"0x1ABC0181", "0x181"}, {"0x18FF0701", "0x18FF0702"}}));
    WriteText(dir / "in.log", "(1.000001) can0 181#11\n"
                              "(1.000002) can1 1ABC0181#R\n"
                              "(1.000003) can1 18FF0701#0102\n"
                              "(1.000004) can0 00000181#22\n"
                              "(1.000005) can0 182#33\n");
    const CliResult replay = RunCli("replay " + Quote(dir / "p") + " " + Quote(dir / "in.log") + " --out " +
                                    Quote(dir / "out.log") + " --json");
    EXPECT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(ReadText(dir / "out.log"), "(1.000001) can1 1ABC0181#11\n(1.000002) can0 181#R\n");
    EXPECT_THAT(replay.out, HasSubstr("{\"frames\": 5, \"passed\": 0, \"translated\": 2, \"blocked\": 2, "
                                      "\"not_received\": 1, \"skipped\": 0,"));
}

// ---------------------------------------------------------------- the README's example

class TrafficLine7 : public ::testing::Test {
protected:
    TrafficLine7()
    {
        WriteProject(project, PargenXml({"5", "6", "0", "1", "0", "0", "0"}),
                     CobIdXml({{"0x181", "0x1C1"}, {"0x201", ""}}, {{"0x1C1", "0x181"}}));
    }
    TempDir dir;
    const std::string project = dir / "Line7";
};

TEST_F(TrafficLine7, RouteTextAndJson)
{
    const CliResult text = RunCli("route " + Quote(project) + " --from can0 0x181 \\$701 0x18FF0701");
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "0x181 -> 0x1C1 (listed, Positive Implementation set)\n"
                        "0x701 blocked (not listed, Positive Implementation set)\n"
                        "0x18FF0701 not received (a 29-bit frame, and CAN0 runs CAN 2.0A)\n");
    const CliResult json = RunCli("route --json " + Quote(project) + " --from can1 449 0x181");
    EXPECT_EQ(json.out, "[{\"from\":\"can1\",\"id\":449,\"outcome\":\"passed\",\"new_id\":385,"
                        "\"reason\":\"listed, Positive Implementation set\",\"extended\":false,\"leaves_extended\":false},\n"
                        " {\"from\":\"can1\",\"id\":385,\"outcome\":\"blocked\","
                        "\"reason\":\"not listed, Positive Implementation set\",\"extended\":false}]\n");
}

TEST_F(TrafficLine7, ReplaySummaryWarningsAndStreams)
{
    WriteText(dir / "in.log", "(1.000001) can0 181#11223344\n"
                              "(1.000002) vcan7 181#11\n"
                              "(1.000003) can0 123##1AABB\n"
                              "garbage\n"
                              "(1.000004) can0 20000080#0000000000000000\n"
                              "(1.000005) can1 1C1#R2\n"
                              "(1.000006) can0 701#\n"
                              "(1.000007) can0 18FF0701#01\n"
                              "\n"
                              "(1.000008) can0 201#AA T\n");
    const CliResult toStdout = RunCli("replay " + Quote(project) + " " + Quote(dir / "in.log") + " --stats");
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, "(1.000001) can1 1C1#11223344\n(1.000005) can0 181#R2\n(1.000008) can1 201#AA T\n");
    const std::string log = dir / "in.log";
    EXPECT_EQ(toStdout.err, log + ":4: no timestamp in parentheses at the start\n" +
                                log + ": 1 CAN FD frame skipped (the first at line 3): only classic CAN frames are replayed\n" +
                                log + ": 1 error frame skipped (the first at line 5)\n" +
                                log + ": 1 frame of an interface on neither port skipped (vcan7, the first at line 2): "
                                      "--map IFACE=can0|can1 says which port an interface is\n"
                                      "Frames read: 5\nPassed unchanged: 1\nTranslated: 2\nBlocked: 1\nNot received: 1\n"
                                      "Skipped lines: 5 (1 malformed at line 4; 1 CAN FD frame; 1 error frame; "
                                      "1 frame of other interfaces; 1 empty line)\n"
                                      "Per identifier:\n"
                                      "  can0 0x181 -> 0x1C1 (listed, Positive Implementation set): 1 frame\n"
                                      "  can0 0x201 -> 0x201 (listed, Positive Implementation set): 1 frame\n"
                                      "  can0 0x701 blocked (not listed, Positive Implementation set): 1 frame\n"
                                      "  can0 0x18FF0701 not received (a 29-bit frame, and CAN0 runs CAN 2.0A): 1 frame\n"
                                      "  can1 0x1C1 -> 0x181 (listed, Positive Implementation set): 1 frame\n");

    // --map names the interfaces; the summary goes to standard output with --out.
    const CliResult mapped = RunCli("replay " + Quote(project) + " " + Quote(dir / "in.log") + " --map vcan7=can1 --map " +
                                    "can1=can0 --out " + Quote(dir / "out.log"));
    EXPECT_EQ(mapped.status, 0) << mapped.err;
    EXPECT_EQ(ReadText(dir / "out.log"), "(1.000001) vcan7 1C1#11223344\n(1.000008) vcan7 201#AA T\n");
    EXPECT_THAT(mapped.out, HasSubstr("Frames read: 6\n"));
}

// ---------------------------------------------------------------- refusals

TEST_F(TrafficLine7, RefusalsChangeNothing)
{
    const std::string p = Quote(project);
    const std::string log = Quote(dir / "in.log");
    WriteText(dir / "in.log", "(1.0) can0 181#11\n");
    ASSERT_TRUE(MakeFifo(dir / "fifo"));
    const struct {
        std::string arguments;
        int status;
        std::string error;
    } cases[] = {
        {"route " + p + " 0x181", 2, "--from is required"},
        {"route " + p + " --from can2 0x181", 2, "can2"},
        {"route " + p + " --from can0", 2, "ID is required"},
        {"route " + p + " --from can0 0x18G", 2, "'0x18G' is not a valid integer value"},
        {"route " + p + " --from can0 0x20000000", 2, "is no CAN identifier (0 to 0x1FFFFFFF)"},
        {"route " + p + " --from can0 -1", 2, "is no CAN identifier"},
        {"route " + p + " --from can0 --from can1 1", 2, "--from"},
        {"route " + p + " --from can0 --json --json 1", 2, "--json"},
        {"route " + Quote(dir / "missing") + " --from can0 1", 1, "not found"},
        {"replay " + p + " " + log + " --json", 2, "--json requires --out"},
        {"replay " + p + " " + log + " --out ''", 2, "an empty value names nothing"},
        {"replay " + p + " " + log + " --out " + Quote(project + "/CanCanCobID.xml"), 2, "a document of the project"},
        {"replay " + p + " " + log + " --out " + Quote(project + "/bin/bank2.bin"), 2, "a bank file"},
        {"replay " + p + " " + log + " --out x.log --out y.log", 2, "--out"},
        {"replay " + p + " " + log + " --out " + log, 2, "--out: cannot be the trace it reads"},
        {"replay " + p + " " + log + " --map vcan0", 2, "takes IFACE=can0 or IFACE=can1"},
        {"replay " + p + " " + log + " --map a=can0 --map a=can1", 2, "'a' is mapped twice"},
        {"replay " + p + " " + log + " --stats --stats", 2, "--stats"},
        {"replay " + p + " " + Quote(dir / "fifo"), 1, "It is not a regular file"},
        {"replay " + p + " " + Quote(dir / "none.log"), 1, "none.log"},
        {"replay " + p + " " + log + " --out " + Quote(dir / "fifo"), 2, "is not a regular file"},
        {"replay " + p + " " + log + " --out " + Quote(dir / "no/such/out.log"), 1, "Cannot create file"},
    };
    const std::string before = ReadText(project + "/CanCanCobID.xml");
    for (const auto& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
    EXPECT_EQ(ReadText(project + "/CanCanCobID.xml"), before);
    EXPECT_EQ(ReadText(dir / "in.log"), "(1.0) can0 181#11\n");
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank2.bin"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
}

TEST(TrafficCommands, Help)
{
    for (const char* command : {"route", "replay"}) {
        const CliResult help = RunCli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_THAT(help.out, HasSubstr(std::string("Usage: drevanta-c2c-cli ") + command)) << command;
    }
}

// ---------------------------------------------------------------- interop

// python-can writes the trace, replay reads it; python-can and log2long read
// what replay wrote, frame for frame.
TEST_F(TrafficLine7, TracesOfPythonCanAndCanUtils)
{
    const std::string in = dir / "python.log", out = dir / "replayed.log";
    WriteText(dir / "write.py",
              "import can, sys\n"
              "M = can.Message\n"
              "w = can.CanutilsLogWriter(sys.argv[1])\n"
              "for m in [M(timestamp=1436509052.249713, channel='can0', arbitration_id=0x181, is_extended_id=False,"
              " data=[0x11, 0x22, 0x33, 0x44]),\n"
              "          M(timestamp=1436509052.25, channel='can0', arbitration_id=0x701, is_extended_id=False, data=[5]),\n"
              "          M(timestamp=1436509052.3, channel='can0', arbitration_id=0x201, is_extended_id=False,"
              " is_remote_frame=True, dlc=0),\n"
              "          M(timestamp=1436509052.4, channel='can0', arbitration_id=0x18FF0701, data=[1, 2]),\n"
              "          M(timestamp=1436509052.5, channel='can0', arbitration_id=0x181, is_extended_id=False,"
              " is_fd=True, data=bytes(12)),\n"
              "          M(timestamp=1436509052.6, channel='can1', is_error_frame=True),\n"
              "          M(timestamp=1436509052.7, channel='can1', arbitration_id=0x1C1, is_extended_id=False,"
              " is_rx=False, data=bytes(range(8)))]:\n"
              "    w.on_message_received(m)\n"
              "w.stop()\n");
    WriteText(dir / "read.py", "import can, sys\n"
                               "for m in can.CanutilsLogReader(sys.argv[1]):\n"
                               "    print('%.6f %s %X %d %d %d %s %d' % (m.timestamp, m.channel, m.arbitration_id,"
                               " m.is_extended_id, m.is_remote_frame, m.dlc, bytes(m.data or b'').hex(), m.is_rx))\n");
    std::string errors;
    ASSERT_EQ(RunShell("/usr/bin/python3 " + Quote(dir / "write.py") + " " + Quote(in), &errors), 0)
        << errors << "(python3-can is installed by tools/setup-debian.sh)";

    const CliResult replay = RunCli("replay " + Quote(project) + " " + Quote(in) + " --out " + Quote(out) + " --json");
    ASSERT_EQ(replay.status, 0) << replay.err;
    EXPECT_THAT(replay.out, HasSubstr("{\"frames\": 5, \"passed\": 1, \"translated\": 2, \"blocked\": 1, "
                                      "\"not_received\": 1, \"skipped\": 2,"));
    EXPECT_THAT(replay.err, HasSubstr("1 CAN FD frame skipped"));
    EXPECT_THAT(replay.err, HasSubstr("1 error frame skipped"));

    TempDir scratch;
    ASSERT_EQ(RunShell("/usr/bin/python3 " + Quote(dir / "read.py") + " " + Quote(out) + " >" +
                           Quote(scratch / "python.txt"),
                       &errors),
              0)
        << errors;
    EXPECT_EQ(ReadText(scratch / "python.txt"), "1436509052.249713 can1 1C1 0 0 4 11223344 1\n"
                                                "1436509052.300000 can1 201 0 1 0  1\n"
                                                "1436509052.700000 can0 181 0 0 8 0001020304050607 0\n");

    ASSERT_EQ(RunShell("log2long <" + Quote(out) + " >" + Quote(scratch / "long.txt"), &errors), 0)
        << errors << "(can-utils is installed by tools/setup-debian.sh)";
    std::istringstream lines(ReadText(scratch / "long.txt"));
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string timestamp, interface, id, length;
        fields >> timestamp >> interface >> id >> length;
        frames.push_back(timestamp + " " + interface + " " + id + " " + length);
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"(1436509052.249713) can1 1C1 [4]", "(1436509052.300000) can1 201 [0]",
                                                 "(1436509052.700000) can0 181 [8]"}));
}

} // namespace
} // namespace c2c
