// drevanta-c2c-cli as batch work uses it: whole runs from a new project to
// a decoded firmware, and the command lines it must refuse.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

// A master with code below and between the windows of banks 1 to 3.
void WriteMaster(const std::string& path)
{
    auto lines = S2Range(0x380000, 0x3B0000, 32, 7);
    lines.insert(lines.begin(), S0());
    lines.push_back(S9());
    WriteText(path, Join(lines));
}

struct Row {
    const char* direction;
    int row;
    std::string original, modified, description;
};

// What goes in, and what the firmware must say afterwards.
struct RoundTrip {
    const char* name;
    std::string commOptions;
    std::vector<Row> rows;
    std::string expectedPorts; // the "layout" to "positive" part of the JSON
    Translations can0ToCan1, can1ToCan0;
    std::string editedRow;      // a CSV line that changes one row,
    std::string verifyMismatch; // and how verify names it
};

void PrintTo(const RoundTrip& c, std::ostream* out) { *out << c.name; }

std::string Csv(const std::vector<Row>& rows)
{
    std::string text = "direction,row,original,modified,description\n";
    for (const Row& r : rows)
        text += std::string(r.direction) + "," + std::to_string(r.row) + "," + r.original + "," + r.modified + ",\"" +
                r.description + "\"\n";
    return text;
}

class CommandLineRoundTrip : public ::testing::TestWithParam<RoundTrip> {
protected:
    CliResult Run(const std::string& arguments) { return RunCliOk(arguments); }

    TempDir dir;
    const std::string project = dir / "Line 3";
    const std::string copy = dir / "Line 4";
};

TEST_P(CommandLineRoundTrip, WhatGoesInComesOutOfTheFirmware)
{
    const RoundTrip& c = GetParam();
    WriteMaster(dir / "SX40517.sx");
    WriteText(dir / "tables.csv", Csv(c.rows));
    const std::string master = " --master " + Quote(dir / "SX40517.sx");
    Run("new " + Quote(project));
    Run("comm " + Quote(project) + c.commOptions);
    Run("cobid import " + Quote(project) + " " + Quote(dir / "tables.csv"));
    Run("update " + Quote(project) + master);

    const std::string firmware = project + "/New_SX40517.sx";
    EXPECT_EQ(Run("inspect --json " + Quote(firmware)).out,
              c.expectedPorts + ",\n \"can0_to_can1\": " + TranslationsJson(c.can0ToCan1) +
                  ",\n \"can1_to_can0\": " + TranslationsJson(c.can1ToCan0) + ",\n \"warnings\": []}\n");
    EXPECT_EQ(Run("inspect --json " + Quote(project + "/bin")).out, Run("inspect --json " + Quote(firmware)).out);

    // The tables through a spreadsheet into a fresh project build the same banks.
    Run("cobid export " + Quote(project) + " --out " + Quote(dir / "export.csv"));
    Run("new " + Quote(copy));
    Run("comm " + Quote(copy) + c.commOptions);
    Run("cobid import " + Quote(copy) + " " + Quote(dir / "export.csv"));
    Run("build " + Quote(copy));
    for (int bank = 1; bank <= 5; ++bank) {
        const std::string name = "/bin/bank" + std::to_string(bank) + ".bin";
        EXPECT_TRUE(ReadText(copy + name) == ReadText(project + name)) << name;
    }

    EXPECT_EQ(Run("verify " + Quote(project) + " --firmware " + Quote(firmware)).err, "");
    WriteText(dir / "edit.csv", Csv(c.rows) + c.editedRow + "\n");
    Run("cobid import " + Quote(copy) + " " + Quote(dir / "edit.csv"));
    const CliResult mismatch = RunCli("verify " + Quote(copy) + " --firmware " + Quote(firmware));
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_EQ(mismatch.err, c.verifyMismatch + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CommandLineRoundTrip,
    ::testing::Values(
        RoundTrip{"Standard",
                  " --can0 125 --can1 dip --format0 2.0A --format1 2.0A --positive on",
                  {{"can0-to-can1", 3, "0x181", "0x1C1", "heater, left"},
                   {"can0-to-can1", 10, "$7ff", "", ""},
                   {"can0-to-can1", 5, "", "", "a note alone"},
                   {"can1-to-can0", 0, "5", "6", ""}},
                  "{\"configured\": true,\n \"layout\": \"standard\",\n"
                  " \"can0\": {\"bitrate_kbps\": 125, \"bitrate_from_dip_switch\": false, \"format\": \"2.0A\"},\n"
                  " \"can1\": {\"bitrate_kbps\": 250, \"bitrate_from_dip_switch\": true, \"format\": \"2.0A\"},\n"
                  " \"positive\": true",
                  {{0x181, 0x1C1}, {0x7FF, 0x7FF}},
                  {{5, 6}},
                  "can0-to-can1,11,0x100,,",
                  "Table CAN0 to CAN1, row N\u00B0 11 (0x100 -> 0x100): the firmware has no entry for 0x100"},
        RoundTrip{"Extended",
                  " --can0 1000 --format0 2.0A --format1 2.0B",
                  {{"can0-to-can1", 0, "0x700", "0x1ABCDEF", ""},
                   {"can0-to-can1", 1, "256", "", "\"\"quoted\"\""},
                   {"can1-to-can0", 1999, "0x1FFFFFFF", "0x7FF", ""}},
                  "{\"configured\": true,\n \"layout\": \"extended\",\n"
                  " \"can0\": {\"bitrate_kbps\": 1000, \"bitrate_from_dip_switch\": false, \"format\": \"2.0A\"},\n"
                  " \"can1\": {\"bitrate_kbps\": 250, \"bitrate_from_dip_switch\": false, \"format\": \"2.0B\"},\n"
                  " \"positive\": true",
                  {{0x100, 0x100}, {0x700, 0x1ABCDEF}},
                  {{0x1FFFFFFF, 0x7FF}},
                  "can0-to-can1,2,0x50,0x60,",
                  "Table CAN0 to CAN1, row N\u00B0 2 (0x050 -> 0x060): entry 0 of the firmware's list holds "
                  "0x100 -> 0x100"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- success lines

// Each command that writes says on one line of standard output what it
// wrote, where; --quiet silences that and nothing else.
TEST(CommandLineSuccessLines, SayWhatWasWrittenWhere)
{
    TempDir dir;
    WriteMaster(dir / "SX40517.sx");
    const std::string master = " --master " + Quote(dir / "SX40517.sx");
    for (const std::string quiet : {"", " --quiet"}) {
        const std::string project = dir / ("Line 3" + quiet);
        const std::string built =
            "bank1.bin .. bank5.bin and bankg.c written to " + project + "/bin: 1 row in bank 1, 0 rows in bank 2";
        const std::string composed = "New_SX40517.sx written to " + project + ", banks 1 and 2 inserted";
        const std::pair<std::string, std::string> cases[] = {
            {"new " + Quote(project),
             "New project written to " + project + ": pargen.xml, the five companion documents and an empty bin folder"},
            {"build " + Quote(project), built},
            {"compose " + Quote(project) + master, composed},
            {"update " + Quote(project) + master, built + "; " + composed},
        };
        for (const auto& [arguments, line] : cases) {
            const CliResult result = RunCli(arguments + quiet);
            EXPECT_EQ(result.status, 0) << arguments << "\n" << result.err;
            EXPECT_EQ(result.err, "") << arguments;
            EXPECT_EQ(result.out, quiet.empty() ? line + "\n" : "") << arguments;
            if (arguments.starts_with("new "))
                WriteText(project + "/CanCanCobID.xml", CobIdXml({{"0x181", ""}}, {}));
        }
    }
}

// A master whose bank windows are erased is said to hold no configuration,
// not decoded into 4000 entries of 0xFFFFFFFF.
TEST(CommandLineInspect, ErasedWindowsHoldNoConfiguration)
{
    TempDir dir;
    std::vector<std::string> lines = {S0()};
    for (std::uint32_t address = 0x388000; address < 0x39C000; address += 32)
        lines.push_back(S2(address, Bytes(32, 0xFF)));
    lines.push_back(S9());
    WriteText(dir / "SX40517.sx", Join(lines));

    const CliResult text = RunCli("inspect " + Quote(dir / "SX40517.sx"));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "the firmware holds no configuration in banks 1 and 2 (all bytes 0xFF)\n");
    const CliResult json = RunCli("inspect --json " + Quote(dir / "SX40517.sx"));
    EXPECT_EQ(json.out, "{\"configured\": false,\n"
                        " \"note\": \"the firmware holds no configuration in banks 1 and 2 (all bytes 0xFF)\",\n"
                        " \"layout\": null,\n \"can0\": null,\n \"can1\": null,\n \"positive\": null,\n"
                        " \"can0_to_can1\": [],\n \"can1_to_can0\": [],\n \"warnings\": []}\n");
    // Nothing to route either: an answer would be made up.
    WriteText(dir / "trace.log", "(1.000000) can0 181#\n");
    for (const std::string& command : {"route " + Quote(dir / "SX40517.sx") + " --from can0 0x181",
                                       "replay " + Quote(dir / "SX40517.sx") + " " + Quote(dir / "trace.log")}) {
        const CliResult refused = RunCli(command);
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_THAT(refused.err, HasSubstr("holds no configuration in banks 1 and 2")) << command;
        EXPECT_EQ(refused.out, "") << command;
    }
}

// ---------------------------------------------------------------- refusals

class CommandLineRefusals : public ::testing::Test {
protected:
    CommandLineRefusals()
    {
        // Formats that differ, a master, and a bad spreadsheet.
        WriteProject(project, PargenXml({"5", "5", "0", "1", "0", "0", "1"}), CobIdXml({{"1", "2"}}, {}));
        std::filesystem::create_directories(dir / "empty");
        WriteMaster(dir / "m.sx");
        WriteText(dir / "bad.csv", "direction,row,original,modified,description\ncan0-to-can1,1,0x800,,\n");
    }

    // Every file of the project, with its content.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            files[entry.path().string()] = entry.is_regular_file() ? ReadText(entry.path().string()) : "";
        return files;
    }

    TempDir dir;
    const std::string project = dir / "p";
};

TEST_F(CommandLineRefusals, WrongCommandLinesAndUnfitProjectsChangeNothing)
{
    const std::string p = Quote(project);
    const std::string master = " --master " + Quote(dir / "m.sx");
    const struct {
        std::string arguments;
        int status;
        std::string error;
    } cases[] = {
        {"compose " + p + master + " --out pargen.xml", 2, "cannot be pargen.xml, a document of the project"},
        {"compose " + p + master + " --out CANCANCOBID.XML", 2, "a document of the project"},
        {"update " + p + master + " --out sdopdo.xml", 2, "a document of the project"},
        {"compose " + p + master + " --out Bin.sx", 2, "a working file of the composition"},
        {"update " + p + master + " --out b5.SX", 2, "a working file of the composition"},
        {"compose " + p + master + " --out sub/new.sx", 2, "without a folder"},
        {"compose " + p + master + " --out ''", 2, "an empty value names nothing"},
        {"compose " + p + master + master, 2, "--master"},
        {"cobid export " + p + " --out " + Quote(dir / "emcydef.xml"), 2, "a document of the project"},
        {"cobid export " + p + " --out x.csv --out y.csv", 2, "--out"},
        {"inspect --json --json " + Quote(dir / "m.sx"), 2, "--json"},
        {"update " + p + master + " --flash COM9", 2, "COM9"},
        {"comm " + p + " --can0 300", 2, "300"},
        {"verify " + p, 2, "--firmware"},
        {"cobid", 2, "A subcommand is required"},
        {"frobnicate", 2, "frobnicate"},
        {"compose /" + master, 1, "Project not valid."},
        {"compose " + Quote(dir / "empty") + master, 1, "holds no pargen.xml"},
        {"check " + Quote(dir / "missing"), 1, "not found"},
        {"comm " + p + " --positive off", 1, "Positive Implementation stays on"},
        {"cobid import " + p + " " + Quote(dir / "bad.csv"), 1,
         dir / "bad.csv" + ":2: original '0x800'. The CobID must between 0x000 and 0x7FF\n"},
        {"cobid import " + p + " " + Quote(dir.path()), 1, "is not a regular file"},
        {"new " + p, 1, "exists already"},
        {"inspect " + Quote(dir / "bad.csv"), 1, "holds no S-record"},
        {"update " + p + master + " --flash COM1", 1, "Tessimor.exe Not Found, Procedure Aborted"},
    };
    for (const auto& c : cases) {
        const auto before = Snapshot();
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.arguments;
        if (c.arguments.find("--flash COM1") == std::string::npos) {
            EXPECT_TRUE(Snapshot() == before) << c.arguments << ": something was written";
        }
    }
}

TEST_F(CommandLineRefusals, ChecksListEveryProblem)
{
    WriteProject(project, PargenXml(kStandardPargen), CobIdXml({{"0x800", ""}, {"x", "1"}}, {}));
    const CliResult result = RunCli("check " + Quote(project));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Table CAN0 to CAN1, N\u00B0 0, Original CobID '0x800' lies outside 0x000-0x7FF, the range of "
                          "the standard layout\nTable CAN0 to CAN1, N\u00B0 1, Original CobID 'x' is not an integer\n");
    EXPECT_EQ(result.err, "2 problems found.\n");
}

// A frame-format number other than 0 and 1. The window sizes the tables as
// for CAN 2.0B and checks none of that port's identifiers; the build takes
// the number's low byte. Where that byte is 0 the two would disagree (the
// device told CAN 2.0A, 29-bit rows in the tables): the build refuses, and
// check names it as a problem. Any other such number is a warning.
TEST(CommandLine, FrameFormatNumbersOtherThanZeroAndOne)
{
    const std::string refused = " is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B), and the image keeps its low byte, 0: the "
                                "device would run CAN 2.0A while the tables are sized for CAN 2.0B. Write 0 or 1";
    const std::string taken = " is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B): the device takes it as CAN 2.0B, and none "
                              "of the port's identifiers is checked";
    const struct {
        const char* type;
        const char* typeC1;
        CobIdRows can0ToCan1, can1ToCan0; // 0x12345 arriving on the port of the odd number
        int status;                       // of check and build
        std::string checkOut;
        std::string buildError;
    } cases[] = {
        {"256", "0", {{"0x12345", ""}}, {}, 1, "Type 256" + refused + "\n", "Type 256" + refused},
        {"0", "-256", {}, {{"0x12345", ""}}, 1, "TypeC1 -256" + refused + "\n", "TypeC1 -256" + refused},
        {"1", "2", {}, {{"0x12345", ""}}, 0, "Warning: TypeC1 2" + taken + "\nNo problem found; 1 warning.\n", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteProject(dir / "p", PargenXml({"5", "5", c.type, "1", "0", "0", c.typeC1}),
                     CobIdXml(c.can0ToCan1, c.can1ToCan0));
        const CliResult check = RunCli("check " + Quote(dir / "p"));
        EXPECT_EQ(check.status, c.status) << c.type << "/" << c.typeC1;
        EXPECT_EQ(check.out, c.checkOut) << c.type << "/" << c.typeC1;
        const CliResult build = RunCli("build " + Quote(dir / "p"));
        EXPECT_EQ(build.status, c.status) << c.type << "/" << c.typeC1;
        EXPECT_THAT(build.err, HasSubstr(c.buildError)) << c.type << "/" << c.typeC1;
        EXPECT_EQ(std::filesystem::exists(dir / "p/bin/bank1.bin"), c.status == 0) << c.type << "/" << c.typeC1;
    }
}

TEST(CommandLine, CommSaysWhatShorterTablesDoToTheStoredRows)
{
    TempDir dir;
    CobIdRows rows(2048);
    rows[2040] = {"0x7FE", "0x7FD"};
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml(rows, {}));
    const CliResult result = RunCli("comm " + Quote(dir.path()) + " --format1 2.0B");
    EXPECT_EQ(result.status, 0);
    EXPECT_THAT(result.out, HasSubstr("CAN 1: 250 kbit/s, CAN 2.0B"));
    EXPECT_EQ(result.err, "The CobID tables will have 2000 rows (a port runs CAN 2.0B), and CanCanCobID.xml holds "
                          "filled rows beyond N\u00B0 1999.\nCAN0 to CAN1: Set CobID Access will move 1 row stored as "
                          "N\u00B0 2040 into the first empty row, N\u00B0 0.\n");
    EXPECT_EQ(RunCli("comm " + Quote(dir.path()) + " --format0 2.0B").err, "") << "no shorter than they are";
}

TEST(CommandLine, HelpOnEveryCommandAndTheVersion)
{
    for (const char* command : {"new", "comm", "check", "cobid", "cobid export", "cobid import", "build", "compose",
                                "update", "inspect", "verify"}) {
        const CliResult help = RunCli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_THAT(help.out, HasSubstr(std::string("Usage: drevanta-c2c-cli ") + command)) << command;
    }
    const CliResult version = RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, ::testing::MatchesRegex("drevanta-c2c-cli [0-9.]+\n"));
}

TEST(CommandLine, UpdateStartsTheFlasherBesideTheProgram)
{
    TempDir dir;
    // The program in a folder of its own, with a flasher that notes how it was started.
    std::filesystem::create_directories(dir / "program");
    std::filesystem::copy_file(CliProgram(), dir / "program/drevanta-c2c-cli");
    WriteText(dir / "program/Tessimor.exe", "#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$1\" \"$2\" \"$(pwd)\" >" +
                                                Quote(dir / "flasher.tmp") + "\nmv " + Quote(dir / "flasher.tmp") +
                                                " " + Quote(dir / "flasher.txt") + "\n");
    std::filesystem::permissions(dir / "program/Tessimor.exe", std::filesystem::perms::owner_all);
    const std::string project = dir / "p";
    WriteProject(project, PargenXml(kStandardPargen), CobIdXml({{"1", "2"}, {"", "3"}}, {}));
    std::filesystem::create_directories(dir / "MASTER");
    WriteMaster(dir / "MASTER/SX40517.sx");

    const CliResult result = RunCli("update " + Quote(project) + " --master " + Quote(dir / "MASTER/SX40517.sx") +
                                        " --flash COM3",
                                    dir / "program/drevanta-c2c-cli");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "Warning: Table CAN0 to CAN1, N\u00B0 1 has a Modify CobID but no Original CobID; the build "
                          "ignores it\n");
    for (int i = 0; i < 500 && !std::filesystem::exists(dir / "flasher.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadText(dir / "flasher.txt"), project + "/New_SX40517.sx\n2\n" + dir / "MASTER" + "\n");
}

} // namespace
} // namespace c2c
