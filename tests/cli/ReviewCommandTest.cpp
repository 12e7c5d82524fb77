// diff and report through the real executable. Every expected text is
// worked out by hand from the tables and the device's rules
// (docs/forwarding.md), not asked of the program.

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

// ---------------------------------------------------------------- diff

// A: both ports CAN 2.0A, Positive Implementation set; node 5's TPDO1
// translated, its TPDO2 and heartbeat passed to CAN1, its RPDO1 to CAN0.
const Texts kBasePargen = {"5", "5", "0", "1", "0", "0", "0"};
const CobIdRows kBaseForward = {{"0x185", "0x1A5"}, {"0x285", ""}, {"0x705", ""}};
const CobIdRows kBaseBack = {{"0x205", ""}};
constexpr const char* kNoneBack = "CAN1 to CAN0: no identifier differs\n";

TEST(DiffCommand, TableOfChanges)
{
    const struct {
        const char* name;
        Texts pargen;
        CobIdRows forward, back;
        std::string out;
    } cases[] = {
        {"same", kBasePargen, kBaseForward, kBaseBack, "A and B behave the same\n"},
        {"settings only", {"5", "6", "0", "1", "0", "0", "0"}, kBaseForward, kBaseBack,
         "Settings:\n  CAN1 bit rate: 250 kbit/s -> 500 kbit/s\nCAN0 to CAN1: no identifier differs\n" +
             std::string(kNoneBack)},
        {"one row changed", kBasePargen, {{"0x185", "0x1A5"}, {"0x285", "0x286"}, {"0x705", ""}}, kBaseBack,
         "CAN0 to CAN1:\n  node 5: TPDO2 0x285 passed unchanged -> passed as 0x286\n"
         "CAN0 to CAN1: 1 identifier differs\n" +
             std::string(kNoneBack)},
        {"node 5 becomes node 6", kBasePargen, {{"0x186", "0x1A5"}, {"0x286", ""}, {"0x706", ""}}, {{"0x206", ""}},
         "CAN0 to CAN1:\n"
         "  node 5: TPDO1 0x185 passed as 0x1A5 -> blocked\n"
         "  node 5: TPDO2 0x285 passed unchanged -> blocked\n"
         "  node 5: Heartbeat 0x705 passed unchanged -> blocked\n"
         "  node 6: TPDO1 0x186 blocked -> passed as 0x1A5\n"
         "  node 6: TPDO2 0x286 blocked -> passed unchanged\n"
         "  node 6: Heartbeat 0x706 blocked -> passed unchanged\n"
         "CAN1 to CAN0:\n"
         "  node 5: RPDO1 0x205 passed unchanged -> blocked\n"
         "  node 6: RPDO1 0x206 blocked -> passed unchanged\n"
         "CAN0 to CAN1: 6 identifiers differ\nCAN1 to CAN0: 2 identifiers differ\n"},
        // Every identifier changes; the runs between the listed ones fold.
        {"Positive Implementation cleared", {"5", "5", "0", "0", "0", "0", "0"}, kBaseForward, kBaseBack,
         "Settings:\n  Positive Implementation: set -> clear\n"
         "CAN0 to CAN1:\n"
         "  node 5: TPDO1 0x185 passed as 0x1A5 -> blocked\n"
         "  node 5: TPDO2 0x285 passed unchanged -> blocked\n"
         "  node 5: Heartbeat 0x705 passed unchanged -> blocked\n"
         "  0x000-0x184: blocked -> passed unchanged, 389 identifiers\n"
         "  0x186-0x284: blocked -> passed unchanged, 255 identifiers\n"
         "  0x286-0x704: blocked -> passed unchanged, 1151 identifiers\n"
         "  0x706-0x7FF: blocked -> passed unchanged, 250 identifiers\n"
         "CAN1 to CAN0:\n"
         "  node 5: RPDO1 0x205 passed unchanged -> blocked\n"
         "  0x000-0x204: blocked -> passed unchanged, 517 identifiers\n"
         "  0x206-0x7FF: blocked -> passed unchanged, 1530 identifiers\n"
         "CAN0 to CAN1: 2048 identifiers differ\nCAN1 to CAN0: 2048 identifiers differ\n"},
        // CAN1 goes to CAN 2.0B: its 29-bit frames are received now.
        {"layout changed", {"5", "5", "0", "1", "0", "0", "1"}, kBaseForward, kBaseBack,
         "Settings:\n  Layout: the standard layout -> the extended layout\n"
         "  CAN1 frame format: CAN 2.0A -> CAN 2.0B\n"
         "CAN1 to CAN0:\n"
         "  0x00000205: not received -> passed as 0x205\n"
         "  every other 29-bit identifier: not received -> blocked\n"
         "CAN0 to CAN1: no identifier differs\n"
         "CAN1 to CAN0: 1 identifier differs, and every other 29-bit identifier\n"},
        // A run of translations with one shift folds, and says whose identifiers they are.
        {"a service of every node", kBasePargen,
         {{"0x185", "0x1A5"}, {"0x285", ""}, {"0x705", ""}, {"0x381", "0x3A1"}, {"0x382", "0x3A2"}, {"0x383", "0x3A3"}},
         kBaseBack,
         "CAN0 to CAN1:\n  0x381-0x383: blocked -> passed as 0x3A1-0x3A3, 3 identifiers (TPDO3 of nodes 1 to 3)\n"
         "CAN0 to CAN1: 3 identifiers differ\n" +
             std::string(kNoneBack)},
    };
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir / "b");
        WriteProject(dir / "b", PargenXml(c.pargen), CobIdXml(c.forward, c.back));
        const CliResult diff = RunCli("diff " + Quote(dir / "a") + " " + Quote(dir / "b"));
        EXPECT_EQ(diff.status, c.out == "A and B behave the same\n" ? 0 : 1) << c.name << "\n" << diff.err;
        EXPECT_EQ(diff.out, c.out) << c.name;
    }
}

// The bytes of a blocked identifier's table entry are read by nothing: the
// images differ, the device does the same.
TEST(DiffCommand, BytesThatNothingReads)
{
    TempDir dir;
    WriteProject(dir / "p", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    RunCliOk("build --quiet " + Quote(dir / "p"));
    std::filesystem::copy(dir / "p/bin", dir / "other");
    std::string bank1 = ReadText(dir / "other/bank1.bin");
    bank1.replace(4 * 0x135, 4, "\x35\x01\x99\x01"); // 0x135 -> 0x199, its filter bit still clear
    WriteText(dir / "other/bank1.bin", bank1);

    const CliResult diff = RunCli("diff " + Quote(dir / "p") + " " + Quote(dir / "other/bank1.bin"));
    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_THAT(diff.out, HasSubstr("A and B behave the same; their banks 1 and 2 differ only where nothing reads "
                                    "them: 4 bytes, the first bank 1 byte 1236 ("));
    EXPECT_THAT(diff.err, HasSubstr("Warning: B (" + (dir / "other/bank1.bin") + "): "));
}

TEST(DiffCommand, JsonOfOneChangedRow)
{
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    WriteProject(dir / "b", PargenXml(kBasePargen), CobIdXml({{"0x185", "0x1A5"}, {"0x285", "0x286"}, {"0x705", ""}}, kBaseBack));
    const CliResult diff = RunCli("diff --json " + Quote(dir / "a") + " " + Quote(dir / "b"));
    EXPECT_EQ(diff.status, 1) << diff.err;
    // One byte of the entry of 0x285 differs: its new identifier's low byte 0x85 -> 0x86.
    EXPECT_EQ(diff.out,
              "{\"same\": false,\n \"settings\": [],\n"
              " \"changes\": [{\"direction\": \"can0_to_can1\", \"id\": 645, \"extended\": false,\n"
              "   \"a\": {\"outcome\": \"passed\", \"new_id\": 645, \"leaves_extended\": false, \"reason\": \"listed, "
              "Positive Implementation set\"},\n"
              "   \"b\": {\"outcome\": \"passed\", \"new_id\": 646, \"leaves_extended\": false, \"reason\": \"listed, "
              "Positive Implementation set\"}}],\n"
              " \"other_extended\": [],\n"
              " \"counts\": {\"can0_to_can1\": 1, \"can1_to_can0\": 0},\n"
              " \"differing_bytes\": 1,\n"
              " \"note\": null}\n");
}

TEST(DiffCommand, TroubleIsStatusTwo)
{
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    std::filesystem::create_directories(dir / "erased");
    WriteText(dir / "erased/bank1.bin", std::string(16384, '\xFF'));
    WriteText(dir / "erased/bank2.bin", std::string(16384, '\xFF'));
    const struct {
        std::string arguments;
        std::string err;
    } cases[] = {
        {"diff " + Quote(dir / "a") + " " + Quote(dir / "missing.sx"), "File \"" + (dir / "missing.sx") + "\" not found"},
        {"diff " + Quote(dir / "a") + " " + Quote(dir / "erased"), "holds no configuration"},
        {"diff " + Quote(dir / "a"), "B is required"},
        {"diff --json --json " + Quote(dir / "a") + " " + Quote(dir / "a"), "--json"},
    };
    for (const auto& c : cases) {
        const CliResult diff = RunCli(c.arguments);
        EXPECT_EQ(diff.status, 2) << c.arguments;
        EXPECT_THAT(diff.err, HasSubstr(c.err)) << c.arguments;
        EXPECT_EQ(diff.out, "") << c.arguments;
    }
}

// ---------------------------------------------------------------- report

// Whether a program of the build machine is there.
bool Have(const std::string& program)
{
    return RunShell("command -v " + program + " >/dev/null 2>&1") == 0;
}

// The output of a shell command.
std::string Output(const std::string& command)
{
    TempDir dir;
    RunShell(command + " >" + Quote(dir / "out"));
    return ReadText(dir / "out");
}

// Line 7: a project with descriptions that markup would take for its own,
// built and composed into New_SX40517.sx in its folder.
class ReportCommand : public ::testing::Test {
protected:
    ReportCommand()
    {
        WriteProject(project, PargenXml(kBasePargen), "");
        WriteText(project + "/CanCanCobID.xml",
                  "<CanCanCobID><Can0_to_Can1>"
                  "<row Orig_CobID=\"0x185\" Mod_CobID=\"0x1A5\" Desc=\"&lt;Pump &amp; valve&gt;\"/>"
                  "<row Orig_CobID=\"0x080\" Mod_CobID=\"\" Desc=\"SYNC\"/>"
                  "<row Orig_CobID=\"0x7F0\" Mod_CobID=\"0x7F1\" Desc=\"\"/>"
                  "<row Orig_CobID=\"0x705\" Mod_CobID=\"\" Desc=\"\"/>"
                  "</Can0_to_Can1><Can1_to_Can0><row Orig_CobID=\"0x205\" Mod_CobID=\"\" Desc=\"\"/>"
                  "</Can1_to_Can0></CanCanCobID>");
        auto lines = S2Range(0x380000, 0x3D0000, 32, 3);
        lines.insert(lines.begin(), S0());
        lines.push_back(S9());
        WriteText(dir / "SX40517.sx", Join(lines, "\n"));
        RunCliOk("update --quiet " + Quote(project) + " --master " + Quote(dir / "SX40517.sx"));
    }

    TempDir dir;
    const std::string project = dir / "Line 7";
    const std::string firmware = project + "/New_SX40517.sx";
    const std::string report = dir / "report.html";
};

// Every reference the page makes: it must fetch nothing.
std::vector<std::string> ExternalReferences(const std::string& html)
{
    std::vector<std::string> found;
    for (const char* pattern : {"src=", "href=", "@import", "url(", "http:", "https:", "//"}) {
        for (std::size_t at = html.find(pattern); at != std::string::npos; at = html.find(pattern, at + 1)) {
            const std::string context = html.substr(at, 40);
            // An SVG element names its namespace; clip paths are named in the page.
            if (context.rfind("http://www.w3.org/2000/svg\"", 0) == 0 || context.rfind("url(#", 0) == 0 ||
                html.compare(at > 5 ? at - 5 : 0, 5, "http:") == 0)
                continue;
            found.push_back(context);
        }
    }
    return found;
}

TEST_F(ReportCommand, IdentifiesTheFirmwareAndValidates)
{
    const CliResult result = RunCli("report " + Quote(firmware) + " --out " + Quote(report));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string html = ReadText(report);

    // The digests, as sha256sum and zlib compute them.
    const std::string sha = Output("sha256sum " + Quote(firmware)).substr(0, 64);
    EXPECT_THAT(html, HasSubstr("<code class=\"digest\">" + sha + "</code>"));
    for (int bank : {1, 2}) {
        const std::string crc = Output("python3 -c 'import sys, zlib; print(\"0x%08X\" % zlib.crc32(open(sys.argv[1], "
                                       "\"rb\").read()))' " + Quote(project + "/bin/bank" + std::to_string(bank) + ".bin"));
        ASSERT_EQ(crc.size(), 11u) << crc;
        EXPECT_THAT(html, HasSubstr("Bank " + std::to_string(bank) + " CRC-32</th><td><code>" + crc.substr(0, 10)));
    }
    EXPECT_THAT(html, HasSubstr("<th scope=\"row\">Holds what the project builds now</th><td>yes, byte for byte"));

    // The rows grouped: network services, node 5, the rest; the description as text.
    const std::size_t network = html.find(">Network services<");
    const std::size_t node5 = html.find(">Node 5<");
    const std::size_t others = html.find(">Other identifiers<");
    EXPECT_TRUE(network < node5 && node5 < others) << network << " " << node5 << " " << others;
    EXPECT_THAT(html, HasSubstr("<td class=\"desc\">&lt;Pump &amp; valve&gt;</td><td class=\"route\">passed as "
                                "0x1A5</td>"));
    // The counts of the map: 0x185 translated; 0x080, 0x705 passed; 0x7F0 translated.
    EXPECT_THAT(html, HasSubstr("Passed unchanged (2)"));
    EXPECT_THAT(html, HasSubstr("Translated (2)"));
    EXPECT_THAT(html, HasSubstr("Blocked (2044)"));

    EXPECT_THAT(ExternalReferences(html), ::testing::IsEmpty());
    if (!Have("tidy"))
        GTEST_SKIP() << "tidy is not installed: the page is not validated";
    std::string errors;
    EXPECT_EQ(RunShell("tidy -e -q " + Quote(report), &errors), 0) << errors;
}

TEST_F(ReportCommand, AgainstAnotherConfigurationWithATitle)
{
    WriteProject(dir / "before", PargenXml(kBasePargen), CobIdXml({{"0x185", "0x1A5"}}, {}));
    const CliResult result = RunCli("report " + Quote(project) + " --against " + Quote(dir / "before") +
                                    " --title 'Line 7 <change 42>' --out " + Quote(report));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string html = ReadText(report);
    EXPECT_THAT(html, HasSubstr("<title>Line 7 &lt;change 42&gt;</title>"));
    EXPECT_THAT(html, HasSubstr("<li>node 5: Heartbeat 0x705 blocked -&gt; passed unchanged</li>"));
    EXPECT_THAT(html, HasSubstr("<h3>CAN1 to CAN0: 1 identifier differs</h3>"));
    // SYNC, node 5's heartbeat and 0x7F0 pass now towards CAN1, node 5's RPDO1 towards CAN0.
    EXPECT_THAT(html, HasSubstr("<li>Against before: CAN0 to CAN1: 3 identifiers differ; CAN1 to CAN0: 1 identifier "
                                "differs</li>"));
    // A project source has no firmware to name.
    EXPECT_THAT(html, ::testing::Not(HasSubstr("Firmware SHA-256")));
}

TEST_F(ReportCommand, RefusesAnOutputItReadsOrThatIsTheProjects)
{
    const std::string p = Quote(project);
    const struct {
        std::string arguments;
        const char* err;
    } cases[] = {
        {"report " + Quote(firmware) + " --out " + Quote(firmware), "which the report reads"},
        {"report " + p + " --against " + Quote(firmware) + " --out " + Quote(firmware), "which the report reads"},
        {"report " + p + " --out " + Quote(project + "/pargen.xml"), "a document of the project"},
        {"report " + p, "--out is required"},
        {"report " + p + " --out ''", "an empty value names nothing"},
        {"report " + p + " --trace " + Quote(firmware) + " --out " + Quote(firmware), "which the report reads"},
        {"report " + p + " --window 50 --out " + Quote(report), "--window requires --trace"},
        {"report " + p + " --title a --title b --out " + Quote(report), "--title"},
        // The rules of every output the user names.
        {"report " + p + " --out " + Quote(dir / "notes.txt"), "--force"},
        {"report " + p + " --out " + Quote(dir / "to-proc"), "/proc"},
    };
    WriteText(dir / "notes.txt", "the engineer's notes\n");
    std::filesystem::create_symlink("/proc/self/fd/1", dir / "to-proc");
    const std::string firmwareBytes = ReadText(firmware);
    for (const auto& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_THAT(result.err, HasSubstr(c.err)) << c.arguments;
    }
    EXPECT_EQ(ReadText(firmware), firmwareBytes);
    EXPECT_EQ(ReadText(dir / "notes.txt"), "the engineer's notes\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "to-proc"));

    // Forced, the notes make way; "-" is standard output.
    EXPECT_EQ(RunCli("report " + p + " --force --quiet --out " + Quote(dir / "notes.txt")).status, 0);
    EXPECT_THAT(ReadText(dir / "notes.txt"), HasSubstr("<!DOCTYPE html>"));
    const CliResult toStandardOutput = RunCli("report " + p + " --out -");
    EXPECT_EQ(toStandardOutput.status, 0) << toStandardOutput.err;
    EXPECT_THAT(toStandardOutput.out, HasSubstr("<!DOCTYPE html>"));
}

// With traces, the traffic section: one frame on each line, each passed to
// the other line, nothing near the lines' capacity.
TEST_F(ReportCommand, TrafficOfTwoFramesFits)
{
    WriteText(dir / "plant.log", "(1700000000.000000) can0 185#11\n(1700000000.010000) can1 205#22\n");
    const CliResult result =
        RunCli("report " + Quote(project) + " --trace " + Quote(dir / "plant.log") + " --out " + Quote(report));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string html = ReadText(report);
    EXPECT_THAT(html, HasSubstr("<h2>Traffic</h2>"));
    EXPECT_THAT(html, HasSubstr("<code>" + (dir / "plant.log") + "</code>: 2 frames"));
    EXPECT_THAT(html, HasSubstr("CAN0 250 kbit/s, CAN1 250 kbit/s"));
    EXPECT_THAT(html, HasSubstr("<p class=\"verdict-ok\">Result: no line passes 100 %, no frame is lost, no "
                                "conflict</p>"));
    EXPECT_THAT(html, HasSubstr("<li>Traffic: no line passes 100 %, no frame is lost, no conflict</li>"));
    EXPECT_THAT(html, ::testing::Not(HasSubstr("<?xml"))) << "the load picture is part of the page";
    if (Have("tidy")) {
        std::string errors;
        EXPECT_EQ(RunShell("tidy -e -q " + Quote(report), &errors), 0) << errors;
    }

    // The dip switch sets CAN0's rate: it must be given.
    WriteText(project + "/pargen.xml", PargenXml({"5", "5", "0", "1", "1", "0", "0"}));
    const CliResult dip =
        RunCli("report " + Quote(project) + " --trace " + Quote(dir / "plant.log") + " --out " + Quote(report));
    EXPECT_EQ(dip.status, 1);
    EXPECT_THAT(dip.err, HasSubstr("CAN0's bit rate is set by the dip switch: the traffic needs it given"));
    RunCliOk("report " + Quote(project) + " --trace " + Quote(dir / "plant.log") + " --bitrate0 500 --out " +
             Quote(report));
    EXPECT_THAT(ReadText(report), HasSubstr("CAN0 500 kbit/s, CAN1 250 kbit/s"));
}

// The page in a real browser: headless Chromium prints it to PDF, with the
// running header of the print style sheet on every page.
TEST_F(ReportCommand, PrintsToPdfInChromium)
{
    if (!Have("chromium"))
        GTEST_SKIP() << "chromium is not installed: the report is not printed";
    RunCliOk("report " + Quote(firmware) + " --out " + Quote(report));
    const std::string pdf = dir / "report.pdf";
    std::string errors;
    const int status = RunShell("chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                "--disable-background-networking --disable-component-update --disable-sync "
                                "--no-pdf-header-footer --user-data-dir=" +
                                    Quote(dir / "chromium-profile") + " --print-to-pdf=" + Quote(pdf) + " " +
                                    Quote("file://" + report),
                                &errors);
    ASSERT_EQ(status, 0) << errors;
    ASSERT_EQ(ReadText(pdf).substr(0, 5), "%PDF-");
    if (!Have("pdftotext"))
        GTEST_SKIP() << "pdftotext is not installed: the PDF's text is not read";
    const std::string text = Output("pdftotext -layout " + Quote(pdf) + " -");
    // Identification, maps, rows, check, sign-off: a page each.
    EXPECT_THAT(text, HasSubstr("Page 1 of 5"));
    EXPECT_THAT(text, HasSubstr("Page 5 of 5"));
    EXPECT_THAT(text, HasSubstr("Configuration of Line 7"));
    EXPECT_THAT(text, HasSubstr("Approved"));
}

} // namespace
} // namespace c2c
