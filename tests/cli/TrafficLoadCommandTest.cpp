// traffic through the real executable: the figures of a burst worked out by
// hand (see LineTrafficTest), the JSON keys, the merged traces and the plot
// (read by python's XML parser), exit statuses 0, 1 and 2, and the command
// lines it refuses.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

// CAN0 at 125 kbit/s, CAN1 at 500 (bit-rate indexes 4 and 6), both CAN 2.0A,
// Positive Implementation set; NMT passes from CAN1 to CAN0.
class TrafficLoad : public ::testing::Test {
protected:
    TrafficLoad()
    {
        WriteProject(project, PargenXml({"4", "6", "0", "1", "0", "0", "0"}), CobIdXml({}, {{"0x000", ""}}));
        WriteText(dir / "burst.log", "(1.000000) can1 000#\n(1.000110) can1 000#\n(1.000220) can1 000#\n"
                                     "(1.000330) can1 000#\n(1.000440) can1 000#\n");
    }
    TempDir dir;
    const std::string project = dir / "Line";
};

TEST_F(TrafficLoad, BurstFiguresTraceAndPlot)
{
    const std::string out0 = dir / "can0.log", plot = dir / "load.svg";
    const CliResult json = RunCli("traffic " + Quote(project) + " " + Quote(dir / "burst.log") +
                                  " --window 1 --json --out0 " + Quote(out0) + " --plot " + Quote(plot));
    EXPECT_EQ(json.status, 1) << json.err; // a window over 100 %
    EXPECT_THAT(json.out, HasSubstr("{\"window_ms\": 1, \"start\": 1.000000, \"frames\": 5, \"fits\": false,"));
    EXPECT_THAT(json.out,
                HasSubstr("{\"port\": \"can0\", \"bitrate_kbps\": 125, \"bitrate_from\": \"image\", \"frames_native\": 0, "
                          "\"frames_forwarded\": 5, \"bits\": 265, \"load_mean\": 1.0000, \"load_peak\": 1.2720, "
                          "\"peak_window_start\": 1.000000, \"windows_over_70\": 2, \"windows_over_100\": 1, "
                          "\"max_backlog\": 3, \"max_delay_forwarded_us\": 1256, \"max_delay_native_us\": 0, \"lost\": 0,"));
    EXPECT_THAT(json.out, HasSubstr("{\"port\": \"can1\", \"bitrate_kbps\": 500, \"bitrate_from\": \"image\", "
                                    "\"frames_native\": 5, \"frames_forwarded\": 0, \"bits\": 265,"));
    EXPECT_THAT(json.out, HasSubstr("\"conflicts\": []"));
    EXPECT_EQ(ReadText(out0), "(1.000000) can0 000#\n(1.000424) can0 000#\n(1.000848) can0 000#\n"
                              "(1.001272) can0 000#\n(1.001696) can0 000#\n");

    // The plot is an SVG document with a line per port and both marks.
    std::string errors;
    ASSERT_EQ(RunShell("/usr/bin/python3 -c \"import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
                       "n = '{http://www.w3.org/2000/svg}'; "
                       "print(r.tag == n + 'svg', len(r.findall(n + 'polyline')), "
                       "sum(l.get('stroke-dasharray') is not None for l in r.iter(n + 'line')))\" " +
                           Quote(plot) + " >" + Quote(dir / "plot.txt"),
                       &errors),
              0)
        << errors;
    EXPECT_EQ(ReadText(dir / "plot.txt"), "True 2 2\n");

    // A queue of 2 loses one frame, named in the summary; the text says why
    // the exit status is 1.
    const CliResult text = RunCli("traffic " + Quote(project) + " " + Quote(dir / "burst.log") + " --window 1 --queue 2");
    EXPECT_EQ(text.status, 1);
    EXPECT_THAT(text.out, HasSubstr("  lost: 1 frame (the device's queue was full): 0x000 at 1.000330\n"));
    EXPECT_THAT(text.out, HasSubstr("Result: CAN0 passes 100 % in 1 window; 1 frame lost on CAN0\n"));

    // Wider windows see no overload.
    const CliResult calm = RunCli("traffic " + Quote(project) + " " + Quote(dir / "burst.log"));
    EXPECT_EQ(calm.status, 0) << calm.out << calm.err;
    EXPECT_THAT(calm.out, HasSubstr("Result: no line passes 100 %, no frame is lost, no conflict\n"));
}

// Two loggers that both called their interface can0: --log0 and --log1 say
// which line each recorded. The NMT master on CAN1 reaches CAN0, which has
// one of its own.
TEST_F(TrafficLoad, OneTracePerLineAndAConflict)
{
    WriteText(dir / "a.log", "(1.000100) can0 000#0100\n(1.000200) can0 181#01\n");
    WriteText(dir / "b.log", "(1.000000) can0 000#8000\nnot a frame\n(1.000300) can0 123##1AABB\n");
    const std::string out1 = dir / "can1.log";
    const CliResult run = RunCli("traffic " + Quote(project) + " --log0 " + Quote(dir / "a.log") + " --log1 " +
                                 Quote(dir / "b.log") + " --out1 " + Quote(out1) + " --latency 50");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("CAN0 (can0), 125 kbit/s: 2 native frames, 1 forwarded from CAN1; "));
    EXPECT_THAT(run.out, HasSubstr("Conflicts: 1\n  0x000, NMT, on CAN0: NMT commands from both sides: 1 native frame and "
                                   "1 forwarded from CAN1 (0x000 unchanged); first at 1.000100\n"));
    EXPECT_THAT(run.out, HasSubstr("Result: 1 conflict\n"));
    const std::string b = dir / "b.log";
    EXPECT_EQ(run.err, b + ":2: no timestamp in parentheses at the start\n" + b +
                           ": 1 CAN FD frame skipped (the first at line 3): only classic CAN frames are sent on these "
                           "lines\n");
    EXPECT_EQ(ReadText(out1), "(1.000000) can1 000#8000\n");
}

TEST_F(TrafficLoad, DipSwitchOutOfOrderAndRefusals)
{
    const std::string dip = dir / "Dip";
    WriteProject(dip, PargenXml({"4", "6", "0", "1", "1", "0", "0"}), CobIdXml({}, {}));
    const std::string log = Quote(dir / "burst.log");
    const CliResult missing = RunCli("traffic " + Quote(dip) + " " + log);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "CAN0's bit rate is set by the dip switch: give it with --bitrate0\n");
    const CliResult given = RunCli("traffic --json " + Quote(dip) + " " + log + " --bitrate0 1000");
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_THAT(given.out, HasSubstr("\"bitrate_kbps\": 1000, \"bitrate_from\": \"option\""));

    WriteText(dir / "unsorted.log", "(2.0) can0 7FF#\n(1.0) can0 7FF#\n");
    const CliResult unsorted = RunCli("traffic " + Quote(project) + " " + Quote(dir / "unsorted.log"));
    EXPECT_EQ(unsorted.status, 0);
    EXPECT_THAT(unsorted.err, HasSubstr("Warning: " + (dir / "unsorted.log") +
                                        ": 1 frame out of time order (the first at line 2: 1.000000 after 2.000000)"));

    // Frames of no port: no answer, and not a success.
    WriteText(dir / "vcan.log", "(1.0) vcan0 181#01\n");
    const CliResult none = RunCli("traffic " + Quote(project) + " " + Quote(dir / "vcan.log"));
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.out, HasSubstr("Result: the traces hold no frame of either line\n"));
    EXPECT_THAT(none.err, HasSubstr("1 frame of an interface on neither port skipped (vcan0, the first at line 1)"));

    const std::string p = Quote(project);
    const struct {
        std::string arguments;
        int status;
        std::string error;
    } cases[] = {
        {"traffic " + p, 2, "give at least one trace"},
        {"traffic " + p + " " + log + " --bitrate0 300", 2, "300"},
        {"traffic " + p + " " + log + " --window 0", 2, "--window"},
        {"traffic " + p + " " + log + " --queue 0", 2, "--queue"},
        {"traffic " + p + " " + log + " --latency -1", 2, "--latency"},
        {"traffic " + p + " " + log + " --window 5 --window 6", 2, "--window"},
        {"traffic " + p + " " + log + " --out0 " + log, 2, "--out0: cannot be a trace it reads"},
        {"traffic " + p + " " + log + " --out0 x.log --out1 x.log", 2, "--out1: names the same file as another output"},
        {"traffic " + p + " " + log + " --plot " + Quote(project + "/pargen.xml"), 2, "a document of the project"},
        {"traffic " + p + " " + log + " --map can7", 2, "takes IFACE=can0 or IFACE=can1"},
        {"traffic " + p + " " + Quote(dir / "none.log"), 1, "none.log"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
    const CliResult help = RunCli("traffic --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("Usage: drevanta-c2c-cli traffic"));
}

// The README's worked example: Line7 with a second of each line; the PLC's
// RPDO1 crosses to a line whose master sends 0x201 too, until its row goes.
TEST(TrafficLoadLine7, ConflictFoundAndRemovedByARowChange)
{
    TempDir dir;
    const std::string project = dir / "Line7";
    const std::string traces =
        " " + Quote(C2C_TEST_DATA "/traces/line7-can0.log") + " " + Quote(C2C_TEST_DATA "/traces/line7-can1.log");
    WriteProject(project, PargenXml({"5", "6", "0", "1", "0", "0", "0"}),
                 CobIdXml({{"0x181", "0x1C1"}, {"0x201", ""}}, {{"0x1C1", "0x181"}}));
    const CliResult found = RunCli("traffic " + Quote(project) + traces);
    EXPECT_EQ(found.status, 1) << found.err;
    EXPECT_THAT(found.out, HasSubstr("Conflicts: 1\n  0x201, RPDO1 to node 1, on CAN1: two producers: 50 native frames "
                                     "and 100 forwarded from CAN0 (0x201 unchanged); first at 1700000000.000900\n"
                                     "Result: 1 conflict\n"));
    WriteProject(project, PargenXml({"5", "6", "0", "1", "0", "0", "0"}),
                 CobIdXml({{"0x181", "0x1C1"}}, {{"0x1C1", "0x181"}}));
    const CliResult removed = RunCli("traffic " + Quote(project) + traces);
    EXPECT_EQ(removed.status, 0) << removed.out;
    EXPECT_THAT(removed.out, HasSubstr("Conflicts: 0\nResult: no line passes 100 %, no frame is lost, no conflict\n"));
}

} // namespace
} // namespace c2c
