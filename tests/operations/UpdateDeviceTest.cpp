// "Update Device" without the window: the documents read as the build reads
// them, the image built and the bank files written.

#include "operations/Operations.h"

#include "platform/Error.h"
#include "project/ProjectLayout.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace c2c {
namespace {

using namespace c2c::testing;

TEST(UpdateDeviceTest, WithoutAProjectNothingIsWritten)
{
    EXPECT_THAT([] { UpdateDevice(ProjectLayout()); }, ::testing::ThrowsMessage<Error>("Project not valid"));
}

struct ErrorCase {
    const char* name;
    std::string pargen, cobId; // an empty text: the document is missing
    std::string expected;      // part of the error text, DIR standing for the project folder
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class UpdateDeviceErrorTest : public ::testing::TestWithParam<ErrorCase> {
protected:
    UpdateDeviceErrorTest() { project.SetProjectDir(dir.path()); }
    TempDir dir;
    ProjectLayout project;
};

TEST_P(UpdateDeviceErrorTest, StopsTheBuildAndWritesNothing)
{
    WriteProject(dir.path(), GetParam().pargen, GetParam().cobId);
    WriteText(project.BankFile(1), "earlier bank");
    for (const std::string* text : {&GetParam().pargen, &GetParam().cobId})
        if (text->empty())
            std::filesystem::remove(text == &GetParam().pargen ? project.PargenFile() : project.CobIdFile());
    std::string expected = GetParam().expected;
    if (auto at = expected.find("DIR"); at != std::string::npos)
        expected.replace(at, 3, dir.path());
    expected = Native(expected);
    EXPECT_THAT([&] { UpdateDevice(project); }, ::testing::ThrowsMessage<Error>(::testing::HasSubstr(expected)));
    EXPECT_EQ(ReadText(project.BankFile(1)), "earlier bank");
    EXPECT_LT(std::string(GetParam().expected).size(), 200u);
}

// The build counts the rows each bank holds as the device reads them: a
// later row of the same identifier replaces the earlier in the direct
// table, and the list holds at most 2000.
TEST(UpdateDeviceTest, TellsHowManyRowsWentIntoEachBank)
{
    TempDir dir;
    ProjectLayout project;
    project.SetProjectDir(dir.path());
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml({{"1", "2"}, {"", "7"}, {"1", "3"}, {"0x7FF", ""}}, {}));
    DeviceBuild build = UpdateDevice(project);
    EXPECT_EQ(build.binDir, project.BinDir());
    EXPECT_EQ(build.rows, (std::array<std::size_t, 2>{2, 0}));

    CobIdRows many;
    for (int id = 0; id < 2001; ++id)
        many.push_back({std::to_string(id), ""});
    WriteProject(dir.path(), PargenXml(kExtendedPargen), CobIdXml({{"1", "2"}, {"1", "3"}}, many));
    build = UpdateDevice(project);
    EXPECT_EQ(build.rows, (std::array<std::size_t, 2>{2, 2000}));
}

// A settings document that is no regular file is refused at once, never
// waited on; one that cannot be read says why instead of "not found".
TEST(UpdateDeviceTest, UnreadableDocumentsSayWhy)
{
    TempDir dir;
    ProjectLayout project;
    project.SetProjectDir(dir.path());
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml({}, {}));
    std::filesystem::remove(project.PargenFile());
    if (!MakeFifo(project.PargenFile()))
        GTEST_SKIP() << "no FIFOs on this system";
    EXPECT_THAT([&] { UpdateDevice(project); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr("It is not a regular file")));
    if (PermissionsAreEnforced()) {
        std::filesystem::remove(project.PargenFile());
        WriteText(project.PargenFile(), PargenXml(kStandardPargen));
        std::filesystem::permissions(project.PargenFile(), std::filesystem::perms::none);
        EXPECT_THAT([&] { UpdateDevice(project); },
                    ::testing::ThrowsMessage<Error>(::testing::HasSubstr("Permission denied")));
    }
}

const std::string kPargen = PargenXml(kStandardPargen);
const std::string kTables = CobIdXml({}, {});

INSTANTIATE_TEST_SUITE_P(
    Errors, UpdateDeviceErrorTest,
    ::testing::Values(
        ErrorCase{"NoPargen", "", kTables, "File \"DIR/pargen.xml\" not found"},
        ErrorCase{"NoTables", kPargen, "",
                  "File \"DIR/CanCanCobID.xml\" not found: open Set CobID Access and press OK, or drevanta-c2c-cli "
                  "cobid import"},
        ErrorCase{"BrokenPargen", "<ParametriGenerali>", kTables, "Error in file \"DIR/pargen.xml\" at byte"},
        // The settings element is the first top-level node, whatever it is.
        ErrorCase{"DeclarationAhead", "<?xml version=\"1.0\"?>" + kPargen, kTables,
                  "The first node of \"DIR/pargen.xml\" is not the settings element"},
        ErrorCase{"CommentAhead", "<!-- c -->" + kPargen, kTables, "is not the settings element"},
        ErrorCase{"SixthValueMissing", PargenXml({"5", "5", "0", "1", "0"}), kTables,
                  "Settings value number 5 (Baud_Dip_C1) not found in \"DIR/pargen.xml\""},
        ErrorCase{"NestedValue", PargenXml({"5", "5", "<a>0</a>", "1", "0", "0"}), kTables,
                  "Settings value number 2 (Type) in \"DIR/pargen.xml\" does not hold a single text"},
        ErrorCase{"BitRateNotANumber", PargenXml({"5", "7FF", "0", "1", "0", "0"}), kTables,
                  "'7FF' is not a valid integer value"},
        ErrorCase{"NoTablesRoot", kPargen, "<Tables/>", "Element \"CanCanCobID\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoFirstSection", kPargen, "<CanCanCobID><Can1_to_Can0/></CanCanCobID>",
                  "Element \"Can0_to_Can1\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoSecondSection", kPargen, "<CanCanCobID><Can0_to_Can1/></CanCanCobID>",
                  "Element \"Can1_to_Can0\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoModAttribute", kPargen,
                  "<CanCanCobID><Can0_to_Can1/><Can1_to_Can0><row Orig_CobID=\"\" Mod_CobID=\"\"/>"
                  "<row Orig_CobID=\"\"/></Can1_to_Can0></CanCanCobID>",
                  "Attribute \"Mod_CobID\" not found in row 1 of \"Can1_to_Can0\" in \"DIR/CanCanCobID.xml\""},
        // A cell is named by table, N° and value, as check names it.
        ErrorCase{"OriginalNotANumber", kPargen, CobIdXml({{"0x1G", ""}}, {}),
                  "Table CAN0 to CAN1, N\u00B0 0, Original CobID '0x1G' is not an integer"},
        ErrorCase{"ModifiedNotANumber", PargenXml(kExtendedPargen), CobIdXml({}, {{"1", "2 "}}),
                  "Table CAN1 to CAN0, N\u00B0 0, Modify CobID '2 ' is not an integer"},
        // The direct table has room for 0x000-0x7FF only.
        ErrorCase{"StandardOriginalTooLarge", kPargen, CobIdXml({{"1", ""}, {"0x800", "1"}}, {}),
                  "Table CAN0 to CAN1, N\u00B0 1, Original CobID '0x800' lies outside 0x000-0x7FF, the range of the "
                  "standard layout"},
        ErrorCase{"StandardModifiedTooLarge", kPargen, CobIdXml({}, {{"", ""}, {"7", "4096"}}),
                  "Table CAN1 to CAN0, N\u00B0 1, Modify CobID '4096' lies outside 0x000-0x7FF"},
        ErrorCase{"StandardNegative", kPargen, CobIdXml({{"0xFFFFFFFF", ""}}, {}),
                  "Table CAN0 to CAN1, N\u00B0 0, Original CobID '0xFFFFFFFF' lies outside"},
        // Documents that are not well-formed do not parse, however lenient
        // a parser could be with them.
        ErrorCase{"ReferenceToCharacterZero", kPargen, CobIdXml({{"&#0;5", ""}}, {}),
                  "Error in file \"DIR/CanCanCobID.xml\" at byte 44: reference to character 0"},
        ErrorCase{"TwoRootElements", kPargen + "<ParametriGenerali/>", kTables, "more than one root element"},
        ErrorCase{"TextBeforeTheRoot", kPargen, "x" + kTables, "text outside the root element"},
        ErrorCase{"AttributeTwice", kPargen,
                  "<CanCanCobID><Can0_to_Can1><row Orig_CobID=\"1\" Mod_CobID=\"\" Orig_CobID=\"2\"/>"
                  "</Can0_to_Can1><Can1_to_Can0/></CanCanCobID>",
                  "attribute \"Orig_CobID\" given twice"},
        // A message quotes at most 64 characters of a value.
        ErrorCase{"HugeValue", PargenXml({"5", std::string(1000000, '7'), "0", "1", "0", "0"}), kTables,
                  "'" + std::string(64, '7') + "...' is not a valid integer value"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace c2c
