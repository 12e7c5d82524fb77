// What the command line says of a project is what the build will do: check
// fails on problems and warns of the rest as build does, every command that
// builds a project names a bad cell, rows beyond the tables' last row are
// carried over as the window carries them over, and --quiet is taken by
// every command that says on success what it did.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

const std::string kN = "N\u00B0 ";
const Texts kClearPargen = {"5", "5", "0", "0", "0", "0", "0"}; // both 2.0A, Positive Implementation clear

TEST(CheckCommand, ProblemsFailWarningsOnlyWithStrict)
{
    const std::string duplicate = "Warning: Table CAN0 to CAN1, " + kN + "0 and " + kN + "1 both list 0x100; the "
                                  "later row wins\n";
    const struct {
        const char* name;
        CobIdRows can0ToCan1;
        const char* options;
        int status;
        std::string out, err;
    } cases[] = {
        {"nothing to say", {{"0x100", ""}}, "", 0, "No problem found.\n", ""},
        {"nothing, quietly", {{"0x100", ""}}, " --quiet", 0, "", ""},
        {"a warning", {{"0x100", ""}, {"256", ""}}, "", 0, duplicate + "No problem found; 1 warning.\n", ""},
        {"a warning, quietly", {{"0x100", ""}, {"256", ""}}, " -q", 0, duplicate, ""},
        {"a warning, strictly", {{"0x100", ""}, {"256", ""}}, " --strict", 1, duplicate,
         "No problem found, but 1 warning, which --strict counts as failures.\n"},
        {"a problem and a warning", {{"0x100", ""}, {"256", ""}, {"0x2G1", ""}}, "", 1,
         "Table CAN0 to CAN1, " + kN + "2, Original CobID '0x2G1' is not an integer\n" + duplicate,
         "1 problem found; 1 warning.\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteProject(dir.path(), PargenXml(kClearPargen), CobIdXml(c.can0ToCan1, {}));
        const CliResult result = RunCli("check " + Quote(dir.path()) + c.options);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
    }
}

// Positive Implementation clear and every row given a Modify CobID: the
// device blocks what the tables list. check, build and inspect say so;
// route agrees.
TEST(CheckCommand, ABlockedListIsCalledBlockedEverywhere)
{
    TempDir dir;
    const std::string p = Quote(dir / "p");
    RunCliOk("new " + p);
    RunCliOk("comm " + p + " --format0 2.0A --format1 2.0A");
    std::string csv = "direction,row,original,modified,description\n";
    for (const char* direction : {"can0-to-can1", "can1-to-can0"})
        for (int id = 0; id < 2048; ++id)
            csv += std::string(direction) + "," + std::to_string(id) + "," + std::to_string(id) + "," +
                   std::to_string(2047 - id) + ",\n";
    WriteText(dir / "all.csv", csv);
    RunCliOk("cobid import " + p + " " + Quote(dir / "all.csv"));

    const std::string warnings =
        "Warning: Positive Implementation is clear: the 2048 listed identifiers of CAN0 to CAN1 are blocked; their "
        "Modify CobIDs have no effect\n"
        "Warning: Positive Implementation is clear: the 2048 listed identifiers of CAN1 to CAN0 are blocked; their "
        "Modify CobIDs have no effect\n";
    EXPECT_EQ(RunCliOk("check " + p).out, warnings + "No problem found; 2 warnings.\n");
    EXPECT_EQ(RunCliOk("build " + p + " --quiet").err, warnings);

    const std::string text = RunCliOk("inspect " + Quote(dir / "p/bin")).out;
    EXPECT_THAT(text, HasSubstr("CAN0 to CAN1: 2048 identifiers blocked (listed, Positive Implementation clear); all "
                                "others pass unchanged\n  0x000 blocked (its entry -> 0x7FF has no effect)\n"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("translation")));
    EXPECT_THAT(RunCliOk("inspect --json " + Quote(dir / "p/bin")).out,
                HasSubstr("\"positive\": false,\n \"listed\": \"blocked\",\n"));
    EXPECT_EQ(RunCliOk("route " + p + " --from can1 0x7FF").out, "0x7FF blocked (listed, Positive Implementation clear)\n");
}

// route, replay, verify and build name a bad cell as check does.
TEST(CheckCommand, EveryCommandThatBuildsAProjectNamesTheBadCell)
{
    TempDir dir;
    const std::string p = Quote(dir / "p");
    WriteProject(dir / "p", PargenXml(kClearPargen), CobIdXml({{"0x181", ""}}, {{"", ""}, {"0x2G1", ""}}));
    WriteText(dir / "trace.log", "(1.000000) can0 181#\n");
    WriteText(dir / "fw.sx", Join({S0(), S9()}));
    const std::string named = "Table CAN1 to CAN0, " + kN + "1, Original CobID '0x2G1' is not an integer";
    for (const std::string& command : {"check " + p, "build " + p, "route " + p + " --from can0 0x181",
                                       "replay " + p + " " + Quote(dir / "trace.log"),
                                       "verify " + p + " --firmware " + Quote(dir / "fw.sx")}) {
        const CliResult result = RunCli(command);
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_THAT(result.out + result.err, HasSubstr(named)) << command;
    }
}

// A document of tables of 2048 rows after a port went to CAN 2.0B: check
// names the rows beyond N° 1999, cobid add moves them as the window does,
// and cobid import moves the file's own.
TEST(CheckCommand, RowsBeyondTheTablesAreNamedAndCarriedOver)
{
    TempDir dir;
    const std::string p = Quote(dir / "p");
    CobIdRows rows(2048);
    rows[0] = {"0x100", ""};
    rows[2040] = {"0x7F0", ""};
    WriteProject(dir / "p", PargenXml({"5", "5", "0", "1", "0", "0", "1"}), CobIdXml(rows, {}));
    EXPECT_THAT(RunCliOk("check " + p).out,
                HasSubstr("Warning: Table CAN0 to CAN1, " + kN + "2040 is stored beyond " + kN + "1999, the last row "
                          "of the tables (a port runs CAN 2.0B): Set CobID Access will move it into the first empty "
                          "row, " + kN + "1\n"));

    const CliResult added = RunCliOk("cobid add " + p + " id 0x300 --direction can0-to-can1");
    EXPECT_EQ(added.err, "The CobID tables have 2000 rows (a port runs CAN 2.0B), and CanCanCobID.xml holds filled "
                         "rows beyond " + kN + "1999.\nCAN0 to CAN1: 1 row stored as " + kN + "2040 was moved into the "
                         "first empty row, now " + kN + "1.\n");
    EXPECT_EQ(RunCliOk("cobid export " + p).out, "direction,row,original,modified,description\r\n"
                                                 "can0-to-can1,0,0x100,,\r\ncan0-to-can1,1,0x7F0,,\r\n"
                                                 "can0-to-can1,2,0x300,,Identifier 0x300\r\n");

    WriteText(dir / "t.csv", "direction,row,original,modified,description\ncan1-to-can0,2047,0x5,,\n");
    const CliResult imported = RunCliOk("cobid import " + p + " " + Quote(dir / "t.csv"));
    EXPECT_THAT(imported.err, HasSubstr("CAN1 to CAN0: 1 row stored as " + kN + "2047 was moved into the first empty "
                                        "row, now " + kN + "0."));
    EXPECT_THAT(RunCliOk("cobid export " + p).out, HasSubstr("can1-to-can0,0,0x5,,\r\n"));
}

// Each command that says on success what it did says nothing with --quiet,
// and still does it.
TEST(CheckCommand, QuietIsTakenByEveryCommandThatSaysWhatItDid)
{
    TempDir dir;
    const std::string p = Quote(dir / "p");
    WriteText(dir / "t.csv", "direction,row,original,modified,description\ncan0-to-can1,0,0x123,,\n");
    WriteText(dir / "trace.log", "(1.000000) can0 123#\n");
    auto lines = S2Range(0x380000, 0x3B0000, 32, 7);
    lines.insert(lines.begin(), S0());
    lines.push_back(S9());
    WriteText(dir / "m.sx", Join(lines));
    for (const std::string& command :
         {"new " + p, "comm " + p + " --format0 2.0A --positive on", "cobid import " + p + " " + Quote(dir / "t.csv"),
          "cobid add " + p + " network nmt,sync --from can0",
          // --quiet before the kind too; the shell's # drops the one added below.
          "cobid add --quiet " + p + " id 0x124 --direction can0-to-can1 #", "check " + p, "build " + p,
          "compose " + p + " --master " + Quote(dir / "m.sx"), "update " + p + " --master " + Quote(dir / "m.sx"),
          "verify " + p + " --firmware " + Quote(dir / "p/New_m.sx"),
          "replay " + p + " " + Quote(dir / "trace.log") + " --out " + Quote(dir / "out.log")}) {
        const CliResult result = RunCli(command + " --quiet");
        EXPECT_EQ(result.status, 0) << command << "\n" << result.err;
        EXPECT_EQ(result.out, "") << command;
    }
    EXPECT_EQ(ReadText(dir / "out.log"), "(1.000000) can1 123#\n");
}

} // namespace
} // namespace c2c
