// The operations the command line adds: communication settings changed by
// the window's rules, the check of a project, a firmware verified against
// its project, and the update that starts the flasher.

#include "operations/CobIdWarnings.h"
#include "operations/CommChange.h"
#include "operations/FirmwareInspection.h"
#include "operations/ProjectCheck.h"
#include "operations/UpdateRun.h"

#include "documents/CobIdTables.h"
#include "firmware/SRecordTestSupport.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"
#include "support/Fakes.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ProjectTest : public ::testing::Test {
protected:
    ProjectTest() { project.SetProjectDir(dir.path()); }
    TempDir dir;
    ProjectLayout project;
};

// ---------------------------------------------------------------- comm

struct CommCase {
    const char* name;
    Texts stored;
    CommChanges changes;
    CommChangeResult result;
    CommSettings written; // what pargen.xml holds afterwards
};

void PrintTo(const CommCase& c, std::ostream* out) { *out << c.name; }

class ChangeCommSettingsTest : public ProjectTest, public ::testing::WithParamInterface<CommCase> {};

TEST_P(ChangeCommSettingsTest, AppliesTheWindowsRules)
{
    const CommCase& c = GetParam();
    WriteProject(dir.path(), PargenXml(c.stored), "");
    const std::string before = ReadText(project.PargenFile());
    EXPECT_EQ(ChangeCommSettings(project, c.changes).result, c.result);
    EXPECT_EQ(ReadPargenStrictly(project.PargenFile()), c.written);
    if (c.result != CommChangeResult::Saved) {
        EXPECT_EQ(ReadText(project.PargenFile()), before) << "nothing written";
    }
}

PortChange Rate(int index) { return {index, false, std::nullopt}; }
PortChange Dip() { return {std::nullopt, true, std::nullopt}; }
PortChange FormatB(bool b) { return {std::nullopt, false, b}; }
CommChanges Changes(PortChange can0, PortChange can1, std::optional<bool> positive = {})
{
    return {{can0, can1}, positive};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeCommSettingsTest,
    ::testing::Values(
        CommCase{"NothingAsked", {"9", "5", "2", "3", "0", "0", "1"}, {}, CommChangeResult::Unchanged, {9, 5, 2, 3, 0, 0, 1}},
        CommCase{"RateAndDipSwitch", {"5", "5", "0", "1", "0", "0", "0"}, Changes(Rate(8), Dip()),
                 CommChangeResult::Saved, {8, 5, 0, 1, 0, 1, 0}},
        CommCase{"ARateEndsTheDipSwitch", {"5", "5", "0", "1", "1", "0", "0"}, Changes(Rate(2), {}),
                 CommChangeResult::Saved, {2, 5, 0, 1, 0, 0, 0}},
        CommCase{"DifferentFormatsForcePositive", {"5", "5", "0", "0", "0", "0", "0"}, Changes({}, FormatB(true)),
                 CommChangeResult::Saved, {5, 5, 0, 1, 0, 0, 1}},
        CommCase{"PositiveOffRefusedWhileFormatsDiffer", {"5", "5", "0", "1", "0", "0", "1"}, Changes({}, {}, false),
                 CommChangeResult::PositiveForced, {5, 5, 0, 1, 0, 0, 1}},
        CommCase{"PositiveOffWithEqualFormats", {"5", "5", "1", "1", "0", "0", "1"}, Changes({}, {}, false),
                 CommChangeResult::Saved, {5, 5, 1, 0, 0, 0, 1}},
        // Read as the window shows them: no rate in the list, format 2 as
        // 2.0B, flags other than 1 clear, CAN 1 following CAN 0.
        CommCase{"OddStoredValues", {"12", "5", "2", "2", "2", "0"}, Changes({}, Rate(0)), CommChangeResult::Saved,
                 {-1, 0, 1, 0, 0, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectTest, ChangeCommSettingsNeedsAReadablePargen)
{
    EXPECT_THROW(ChangeCommSettings(project, Changes(Rate(1), {})), Error);
    EXPECT_FALSE(FileExists(project.PargenFile()));
}

// ---------------------------------------------------------------- check

TEST_F(ProjectTest, CheckListsEveryProblemNotOnlyTheFirst)
{
    WriteProject(dir.path(), PargenXml(kStandardPargen),
                 CobIdXml({{"0x800", "1"}, {"7FF", ""}, {"0x10", "0x11"}, {"16", "0x12"}}, {{"", "-1"}}));
    EXPECT_THAT(CheckProjectDocuments(project).problems,
                ElementsAre("Table CAN0 to CAN1, N\u00B0 0, Original CobID '0x800' lies outside 0x000-0x7FF, the range "
                            "of the standard layout",
                            "Table CAN0 to CAN1, N\u00B0 1, Original CobID '7FF' is not an integer",
                            "Table CAN0 to CAN1, N\u00B0 2 and N\u00B0 3 both list 0x010; the later row wins",
                            "Table CAN1 to CAN0, N\u00B0 0, Modify CobID '-1' lies outside 0x000-0x7FF, the range of "
                            "the standard layout",
                            "Table CAN1 to CAN0, N\u00B0 0 has a Modify CobID but no Original CobID; the build ignores "
                            "it"));

    WriteProject(dir.path(), PargenXml({"5", "5", "0", "1", "0", "0", "1"}), CobIdXml({{"0x800", "0x1FFFFFFF"}}, {}));
    EXPECT_THAT(CheckProjectDocuments(project).problems,
                ElementsAre("Table CAN0 to CAN1, N\u00B0 0, Original CobID '0x800'. The CobID must between 0x000 and "
                            "0x7FF"));

    RemoveFile(project.CobIdFile());
    EXPECT_THAT(CheckProjectDocuments(project).problems, ElementsAre(HasSubstr("CanCanCobID.xml\" not found")));
}

struct WarningCase {
    const char* name;
    bool extended;
    CobIdRows can0ToCan1, can1ToCan0;
    std::vector<std::string> lines;
};

void PrintTo(const WarningCase& c, std::ostream* out) { *out << c.name; }

class CobIdWarningsTest : public ::testing::TestWithParam<WarningCase> {};

TEST_P(CobIdWarningsTest, NameWhatTheBuildTakesOtherwise)
{
    const WarningCase& c = GetParam();
    auto table = [](const CobIdRows& rows) {
        CobIdTable table;
        for (const auto& row : rows)
            table.push_back({row.orig, row.mod, ""});
        return table;
    };
    EXPECT_EQ(CobIdWarningLines(FindCobIdWarnings({table(c.can0ToCan1), table(c.can1ToCan0)},
                                                      c.extended ? TableLayout::Extended : TableLayout::Standard)), c.lines);
}

CobIdRows Descending(std::size_t count)
{
    CobIdRows rows;
    for (std::size_t r = 0; r < count; ++r)
        rows.push_back({std::to_string(5000 - r), ""});
    return rows;
}

const std::string kN = "N\u00B0 ";

INSTANTIATE_TEST_SUITE_P(
    Cases, CobIdWarningsTest,
    ::testing::Values(
        WarningCase{"None", false, {{"1", ""}, {"2", "x"}, {"", ""}}, {{"1", "1"}}, {}},
        WarningCase{"OneIdentifierInEverySyntax", false, {{"5", ""}, {"1", ""}, {"0x1", "2"}, {"$1", ""}, {"bad", ""}, {"bad", ""}}, {},
                    {"Table CAN0 to CAN1, " + kN + "1 to 3 all list 0x001; the last of them wins"}},
        WarningCase{"DuplicatesInTheExtendedLayout", true, {}, {{"0x12345", ""}, {"74565", "1"}},
                    {"Table CAN1 to CAN0, " + kN + "0 and " + kN + "1 both list 0x12345; the device may take either"}},
        WarningCase{"ModifyWithoutOriginal", false, {}, {{"", "1"}, {"", ""}, {"", "2"}, {"", "3"}, {"4", ""}, {"", " "}},
                    {"Table CAN1 to CAN0, " + kN + "0, " + kN + "2, " + kN + "3 and " + kN +
                     "5 have a Modify CobID but no Original CobID; the build ignores them"}},
        WarningCase{"BeyondTheDevicesList", true, Descending(2003), {},
                    {"Table CAN0 to CAN1, " + kN + "0 to 2 are left out of the image: 2003 rows have an Original CobID, "
                     "and the device's list holds 2000 entries, dropping those of the largest identifiers"}},
        WarningCase{"NoListInTheStandardLayout", false, Descending(2003), {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectTest, CheckNamesTheTablesWarningsAfterTheCells)
{
    CobIdRows rows = Descending(2001);
    rows[5] = {"", "0x10"};
    rows.push_back({"0x1FFFFFFF", ""});
    rows.push_back({"536870911", "7FF"});
    WriteProject(dir.path(), PargenXml(kExtendedPargen), CobIdXml(rows, {}));
    EXPECT_THAT(CheckProjectDocuments(project).problems,
                ElementsAre("Table CAN0 to CAN1, " + kN + "2002, Modify CobID '7FF' is not an integer",
                            "Table CAN0 to CAN1, " + kN + "2001 and " + kN + "2002 both list 0x1FFFFFFF; the device may take either",
                            "Table CAN0 to CAN1, " + kN + "5 has a Modify CobID but no Original CobID; the build ignores it",
                            "Table CAN0 to CAN1, " + kN + "2001 and " + kN + "2002 are left out of the image: 2002 rows have an "
                            "Original CobID, and the device's list holds 2000 entries, dropping those of the largest "
                            "identifiers"));
}

// ---------------------------------------------------------------- verify

// A firmware whose windows of banks 1 and 2 hold `bank1` and `bank2`.
std::string Firmware(const BankImage::BankBytes& bank1, const BankImage::BankBytes& bank2)
{
    std::vector<std::string> lines = {S0()};
    for (std::uint32_t bank = 0; bank < 2; ++bank) {
        const auto& bytes = bank == 0 ? bank1 : bank2;
        for (std::size_t at = 0; at < bytes.size(); at += 32)
            lines.push_back(S2(0x388000 + 0x10000 * bank + static_cast<std::uint32_t>(at),
                               Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 32)));
    }
    lines.push_back(S9());
    return Join(lines);
}

struct VerifyCase {
    const char* name;
    Texts pargen;
    CobIdRows can0ToCan1;
    Texts pargenNow;      // the project as it is when verified
    CobIdRows can0ToCan1Now;
    std::string difference;
};

void PrintTo(const VerifyCase& c, std::ostream* out) { *out << c.name; }

class VerifyFirmwareTest : public ProjectTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(VerifyFirmwareTest, NamesTheFirstDifferenceInTheUsersTerms)
{
    const VerifyCase& c = GetParam();
    WriteProject(dir.path(), PargenXml(c.pargen), CobIdXml(c.can0ToCan1, {}));
    BankImage image;
    BuildBankImage(ReadPargenStrictly(project.PargenFile()), ReadCobIdStrictly(project.CobIdFile()), image);
    WriteText(dir / "fw.sx", Firmware(image.Bank(1), image.Bank(2)));
    EXPECT_TRUE(VerifyFirmware(project, dir / "fw.sx").matches);

    WriteProject(dir.path(), PargenXml(c.pargenNow), CobIdXml(c.can0ToCan1Now, {}));
    const FirmwareVerdict verdict = VerifyFirmware(project, dir / "fw.sx");
    EXPECT_FALSE(verdict.matches);
    EXPECT_EQ(verdict.difference, c.difference);
}

const Texts kExtended = {"5", "5", "1", "1", "0", "0", "1"};

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyFirmwareTest,
    ::testing::Values(
        VerifyCase{"BitRate", kStandardPargen, {}, {"5", "7", "0", "1", "0", "0", "0"}, {},
                   "CAN 1 bit rate: the project has 800 kbit/s, the firmware 250 kbit/s"},
        VerifyCase{"Layout", kStandardPargen, {}, kExtended, {},
                   "The project builds the extended layout, the firmware holds the standard layout"},
        VerifyCase{"StandardRow", kStandardPargen, {{"1", "2"}, {"0x181", "0x1C1"}}, kStandardPargen,
                   {{"1", "2"}, {"0x181", "0x1C2"}},
                   "Table CAN0 to CAN1, row N\u00B0 1 (0x181 -> 0x1C2): the firmware translates 0x181 to 0x1C1"},
        VerifyCase{"StandardRowAdded", kStandardPargen, {{"1", "2"}}, kStandardPargen, {{"1", "2"}, {"", ""}, {"0", ""}},
                   "Table CAN0 to CAN1, row N\u00B0 2 (0x000 -> 0x000): the firmware has no entry for 0x000"},
        VerifyCase{"ExtendedRow", kExtended, {{"0x300", ""}, {"0x12345", "0x2"}}, kExtended,
                   {{"0x300", ""}, {"0x12345", "0x3"}},
                   "Table CAN0 to CAN1, row N\u00B0 1 (0x12345 -> 0x003): entry 1 of the firmware's list holds "
                   "0x12345 -> 0x002"},
        VerifyCase{"ExtendedRowRemoved", kExtended, {{"0x300", ""}, {"0x200", ""}}, kExtended, {{"0x200", ""}},
                   "Table CAN0 to CAN1: entry 1 of the firmware's list (0x300 -> 0x300) comes from no row of the "
                   "project"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectTest, VerifyRefusesAFirmwareWithAnIncompleteWindow)
{
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml({}, {}));
    WriteText(dir / "fw.sx", Join({S0(), S2(0x388000, Bytes(32, 0xFF)), S9()}));
    const FirmwareVerdict verdict = VerifyFirmware(project, dir / "fw.sx");
    EXPECT_FALSE(verdict.matches);
    EXPECT_THAT(verdict.difference, HasSubstr("The window of bank 1 in \"" + dir / "fw.sx" +
                                              "\" is not complete: 16352 of its 16384 bytes are in no record"));
}

// ---------------------------------------------------------------- inspect

// Windows that hold only 0xFF, written so or not written at all, hold no
// configuration: nothing is decoded, and only what the reading met is said.
TEST_F(ProjectTest, InspectOfErasedWindowsDecodesNothing)
{
    std::vector<std::string> full = {S0()};
    for (std::uint32_t address = 0x388000; address < 0x39C000; address += 32)
        full.push_back(S2(address, Bytes(32, 0xFF)));
    full.push_back(S9());
    const struct {
        const char* name;
        std::vector<std::string> lines;
        bool erased;
        std::size_t warnings;
    } cases[] = {
        {"all 0xFF", full, true, 0},
        {"no records in the windows", {S0(), S2(0x380000, {1, 2}), S9()}, true, 2},
        {"one byte set", [&] { auto lines = full; lines[1] = S2(0x388000, Bytes(32, 0x00)); return lines; }(), false, 0},
    };
    for (const auto& c : cases) {
        WriteText(dir / "fw.sx", Join(c.lines));
        const DecodedImage image = InspectConfiguration(dir / "fw.sx");
        EXPECT_EQ(image.erased, c.erased) << c.name;
        if (c.erased) {
            EXPECT_TRUE(image.translations[0].empty() && image.translations[1].empty()) << c.name;
            EXPECT_EQ(image.warnings.size(), c.warnings) << c.name;
        }
    }
}

// ---------------------------------------------------------------- update

TEST_F(ProjectTest, UpdateStartsTheFlasherOnlyWithEveryBankInPlace)
{
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml({{"1", "2"}}, {}));
    std::vector<std::string> master = S2Range(0x380000, 0x3B0000, 32, 1);
    master.insert(master.begin(), S0());
    master.push_back(S9());
    CreateDirectories(dir / "MASTER");
    WriteText(dir / "MASTER/SX.sx", Join(master));
    ProjectLayout withFlasher(dir / "program");
    withFlasher.SetProjectDir(dir.path());
    CreateDirectories(dir / "program");
    WriteText(withFlasher.FlasherFile(), "");
    RecordingMessages messages;
    NoProgress progress;
    RecordingShell shell;

    FirmwareUpdate update{dir / "MASTER/SX.sx", "New.sx", {true, true, false, false, false}, 3};
    FirmwareUpdateOutcome outcome = UpdateFirmware(withFlasher, update, messages, progress, shell);
    EXPECT_TRUE(outcome.Succeeded(update));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].arguments, (std::vector<std::string>{dir / "New.sx", "3"}));
    EXPECT_EQ(shell.started[0].workingDirectory, dir / "MASTER");
    EXPECT_TRUE(FileExists(project.BankFile(1)));

    update.banks = {true, true, false, false, true}; // the master has no window for bank 5
    outcome = UpdateFirmware(withFlasher, update, messages, progress, shell);
    EXPECT_FALSE(outcome.Succeeded(update));
    EXPECT_EQ(outcome.flasher, std::nullopt);
    EXPECT_EQ(shell.started.size(), 1u);
    EXPECT_THAT(messages.Texts(), ElementsAre("Bank 5 Not Found,Bank Not Inserted"));
}

} // namespace
} // namespace c2c
