#include "image/BankImage.h"

#include "app/Workspace.h"
#include "image/ProjectDocuments.h"
#include "platform/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace c2c {
namespace {

using testing::CobIdRows;
using testing::CobIdXml;
using testing::kExtendedPargen;
using testing::kStandardPargen;
using testing::PargenXml;
using testing::TempDir;
using testing::WriteText;
using Bytes = std::vector<std::uint8_t>;

class BuildBankImageTest : public ::testing::Test {
protected:
    BuildBankImageTest()
    {
        workspace.ProjectDir = dir.path();
        workspace.UpdateDocumentPaths();
    }

    void Build(const std::vector<std::string>& pargen, const CobIdRows& can0ToCan1, const CobIdRows& can1ToCan0 = {})
    {
        testing::WriteProject(dir.path(), PargenXml(pargen), CobIdXml(can0ToCan1, can1ToCan0));
        BuildBankImage(workspace, *image);
    }

    // The text of the Error that the build stops with.
    std::string BuildError(const std::string& pargen, const std::string& cobId)
    {
        testing::WriteProject(dir.path(), pargen, cobId);
        try {
            BuildBankImage(workspace, *image);
        } catch (const Error& error) {
            return error.what();
        }
        return "no error";
    }

    Bytes At(int bank, std::size_t offset, std::size_t count) const
    {
        const auto& bytes = image->Bank(bank);
        return Bytes(bytes.begin() + offset, bytes.begin() + offset + count);
    }

    // True when every byte of [from, to) of `bank` equals `value`.
    bool All(int bank, std::size_t from, std::size_t to, std::uint8_t value) const
    {
        const auto& bytes = image->Bank(bank);
        return std::all_of(bytes.begin() + from, bytes.begin() + to, [&](std::uint8_t b) { return b == value; });
    }

    TempDir dir;
    Workspace workspace;
    std::unique_ptr<BankImage> image = std::make_unique<BankImage>();
};

// --- standard layout ------------------------------------------------------

TEST_F(BuildBankImageTest, EmptyStandardTablesFollowThePositiveFlag)
{
    Build({"5", "5", "0", "1", "0", "0", "0"}, {}, {});
    EXPECT_TRUE(All(1, 0, 9000, 0xFF));
    EXPECT_TRUE(All(1, 9000, 9256, 0x00)) << "positive: nothing passes";
    EXPECT_TRUE(All(2, 9000, 9256, 0x00));

    Build({"5", "5", "0", "0", "0", "0", "0"}, {}, {});
    EXPECT_TRUE(All(1, 0, 16100, 0xFF)) << "negative: everything passes";
    EXPECT_TRUE(All(1, 16106, 16384, 0xFF)) << "no list sizes in the standard layout";
    EXPECT_TRUE(All(2, 0, 16384, 0xFF));
    EXPECT_EQ(At(1, 16100, 6), (Bytes{0x06, 0x06, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(BuildBankImageTest, StandardEntriesAndFilterBitsOfTheWorkedExample)
{
    Build(kStandardPargen, {{"0x001", "0x002"}, {"0x123", ""}});
    EXPECT_EQ(At(1, 4, 4), (Bytes{0x01, 0x00, 0x02, 0x00}));
    EXPECT_EQ(At(1, 0x48C, 4), (Bytes{0x23, 0x01, 0x23, 0x01})) << "empty Mod_CobID: identity";
    EXPECT_EQ(image->Bank(1)[9000], 0x02);
    EXPECT_EQ(image->Bank(1)[9036], 0x08);
    EXPECT_TRUE(All(1, 0, 4, 0xFF));
    EXPECT_TRUE(All(1, 8, 0x48C, 0xFF));
    EXPECT_TRUE(All(2, 0, 8192, 0xFF));

    // Without the flag the same identifiers are the ones filtered out.
    Build({"5", "5", "0", "0", "0", "0", "0"}, {{"0x001", "0x002"}, {"0x123", ""}});
    EXPECT_EQ(image->Bank(1)[9000], 0xFD);
    EXPECT_EQ(image->Bank(1)[9036], 0xF7);
}

TEST_F(BuildBankImageTest, IdentityTableOfAllIdentifiersInBothBanks)
{
    CobIdRows rows;
    for (int id = 0; id < 2048; ++id)
        rows.push_back({std::to_string(id), std::to_string(id)});
    Build(kStandardPargen, rows, rows);
    for (int bank : {1, 2}) {
        for (std::uint32_t id = 0; id < 2048; ++id) {
            const auto lo = static_cast<std::uint8_t>(id), hi = static_cast<std::uint8_t>(id >> 8);
            ASSERT_EQ(At(bank, 4 * id, 4), (Bytes{lo, hi, lo, hi})) << "bank " << bank << " id " << id;
        }
        EXPECT_TRUE(All(bank, 9000, 9256, 0xFF));
    }
}

TEST_F(BuildBankImageTest, RowWithEmptyOriginalLeavesNoTrace)
{
    // Whatever Mod_CobID holds, even text that is no number.
    Build(kStandardPargen, {{"", "0x010"}, {"", "junk"}}, {{"", "5"}});
    EXPECT_TRUE(All(1, 0, 9000, 0xFF));
    EXPECT_TRUE(All(1, 9000, 9256, 0x00));
    EXPECT_TRUE(All(2, 0, 9000, 0xFF));
}

TEST_F(BuildBankImageTest, StandardDuplicateKeepsTheLaterRow)
{
    Build(kStandardPargen, {{"0x10", "0x20"}, {"$10", "0x30"}});
    EXPECT_EQ(At(1, 0x40, 4), (Bytes{0x10, 0x00, 0x30, 0x00}));
}

TEST_F(BuildBankImageTest, SecondDirectionGoesToBankTwo)
{
    Build(kStandardPargen, {}, {{"0x7FF", "0"}});
    EXPECT_EQ(At(2, 4 * 0x7FF, 4), (Bytes{0xFF, 0x07, 0x00, 0x00}));
    EXPECT_EQ(image->Bank(2)[9255], 0x80);
    EXPECT_TRUE(All(1, 9000, 9256, 0x00));
    EXPECT_TRUE(All(2, 16100, 16106, 0xFF)) << "the settings block is in bank 1 only";
}

// --- extended layout ------------------------------------------------------

TEST_F(BuildBankImageTest, ExtendedListOfTheWorkedExample)
{
    Build(kExtendedPargen, {{"0x12345", "0x12346"}, {"0x100", ""}, {"0x50", "0x60"}}, {{"", ""}, {"", "7"}});
    EXPECT_EQ(At(1, 0, 24), (Bytes{0x50, 0, 0, 0, 0x60, 0, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0,
                                   0x45, 0x23, 0x01, 0, 0x46, 0x23, 0x01, 0}));
    EXPECT_TRUE(All(1, 24, 16100, 0xFF));
    EXPECT_EQ(At(1, 16200, 4), (Bytes{0x03, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(All(2, 0, 16384, 0xFF));
    EXPECT_TRUE(All(1, 16204, 16384, 0xFF));
}

TEST_F(BuildBankImageTest, ExtendedDuplicatesStayInDocumentOrder)
{
    Build(kExtendedPargen, {{"9", "1"}, {"3", "2"}, {"9", "3"}, {"9", "4"}});
    EXPECT_EQ(At(1, 0, 32), (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0,
                                   9, 0, 0, 0, 3, 0, 0, 0, 9, 0, 0, 0, 4, 0, 0, 0}));
}

TEST_F(BuildBankImageTest, ExtendedSortIsUnsigned)
{
    // 0xFFFFFFFF reads as -1 but sorts as the largest identifier.
    Build(kExtendedPargen, {{"0xFFFFFFFF", "-2"}, {"0x10", ""}});
    EXPECT_EQ(At(1, 0, 16), (Bytes{0x10, 0, 0, 0, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST_F(BuildBankImageTest, ExtendedListIsCutAtTwoThousandEntries)
{
    CobIdRows rows;
    for (int i = 2000; i >= 0; --i) // 2001 rows, largest identifier first
        rows.push_back({std::to_string(i), ""});
    Build(kExtendedPargen, {}, rows);
    EXPECT_EQ(At(1, 16200, 4), (Bytes{0x00, 0x00, 0xD0, 0x07}));
    EXPECT_EQ(At(2, 8 * 1999, 8), (Bytes{0xCF, 0x07, 0, 0, 0xCF, 0x07, 0, 0})) << "last entry is 1999";
    EXPECT_TRUE(All(2, 16000, 16384, 0xFF)) << "identifier 2000 is dropped";
}

TEST_F(BuildBankImageTest, MixedFormatsUseTheExtendedLayoutForBothDirections)
{
    Build({"5", "5", "0", "1", "0", "0", "1"}, {{"0x7FF", ""}}, {{"0x1FFFFFFF", "1"}});
    EXPECT_EQ(At(1, 0, 8), (Bytes{0xFF, 0x07, 0, 0, 0xFF, 0x07, 0, 0}));
    EXPECT_EQ(At(2, 0, 8), (Bytes{0xFF, 0xFF, 0xFF, 0x1F, 1, 0, 0, 0}));
    EXPECT_EQ(image->Bank(1)[16102], 0x00);
    EXPECT_EQ(image->Bank(1)[16105], 0x01);
    EXPECT_EQ(At(1, 16200, 4), (Bytes{1, 0, 1, 0}));
    EXPECT_TRUE(All(1, 9000, 9256, 0xFF)) << "no bitmap in the extended layout";
}

TEST_F(BuildBankImageTest, OutOfRangeIdentifiersAreFineInTheExtendedLayout)
{
    Build(kExtendedPargen, {{"0x800", "0xFFFF"}});
    EXPECT_EQ(At(1, 0, 8), (Bytes{0x00, 0x08, 0, 0, 0xFF, 0xFF, 0, 0}));
}

// --- settings block -------------------------------------------------------

struct SettingsCase {
    std::vector<std::string> pargen;
    Bytes block; // bytes 16100-16105
    bool extended;
};

class SettingsBlockTest : public BuildBankImageTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsBlockTest, BlockAndLayout)
{
    Build(GetParam().pargen, {{"0x10", ""}});
    EXPECT_EQ(At(1, 16100, 6), GetParam().block);
    // The standard layout puts identifier 0x10 at offset 0x40, the extended at 0.
    EXPECT_EQ(image->Bank(1)[0], GetParam().extended ? 0x10 : 0xFF);
    EXPECT_EQ(image->Bank(1)[16200], GetParam().extended ? 0x01 : 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsBlockTest,
    ::testing::Values(
        // Bit-rate index + 1, both dip-switch flags.
        SettingsCase{{"5", "8", "0", "1", "1", "1", "0"}, {0x06, 0x09, 0x00, 0x01, 0x03, 0x00}, false},
        // Index -1 (no entry chosen) wraps to 0; hexadecimal texts.
        SettingsCase{{"-1", "0x0", "$0", "x0", "0", "1", "0"}, {0x00, 0x01, 0x00, 0x00, 0x02, 0x00}, false},
        // Six children: CAN1 follows CAN0, in the layout and in the block.
        SettingsCase{{"0", "0", "0", "1", "0", "0"}, {0x01, 0x01, 0x00, 0x01, 0x00, 0x00}, false},
        SettingsCase{{"0", "0", "1", "1", "0", "0"}, {0x01, 0x01, 0x01, 0x01, 0x00, 0x01}, true},
        // An unreadable position 6 counts as missing.
        SettingsCase{{"0", "0", "1", "0", "0", "0", "B"}, {0x01, 0x01, 0x01, 0x00, 0x00, 0x01}, true},
        SettingsCase{{"0", "0", "0", "0", "0", "0", "<x>1</x>"}, {0x01, 0x01, 0x00, 0x00, 0x00, 0x00}, false},
        // Any non-zero frame format is 2.0B for the layout; bytes hold the low 8 bits.
        SettingsCase{{"0", "0", "2", "257", "0", "0", "0"}, {0x01, 0x01, 0x02, 0x01, 0x00, 0x00}, true},
        SettingsCase{{"0", "0", "256", "1", "0", "0", "0"}, {0x01, 0x01, 0x00, 0x01, 0x00, 0x00}, false}));

// --- the whole image ------------------------------------------------------

TEST_F(BuildBankImageTest, EveryBuildStartsAfresh)
{
    EXPECT_TRUE(All(5, 0, kBankSize, 0x00));
    Build(kExtendedPargen, {{"1", "2"}, {"3", "4"}}, {{"5", "6"}});
    Build(kStandardPargen, {}, {});
    EXPECT_TRUE(All(1, 0, 9000, 0xFF)) << "nothing of the extended build remains";
    EXPECT_TRUE(All(2, 0, 9000, 0xFF));
    EXPECT_TRUE(All(1, 16200, 16204, 0xFF));
    EXPECT_TRUE(All(3, 0, kBankSize, 0xFF));
    EXPECT_TRUE(All(4, 0, kBankSize, 0xFF));
    EXPECT_TRUE(All(5, 0, kBankSize, 0x00));
    EXPECT_THROW(image->MutableBank(5), std::out_of_range) << "bank 5 never changes";
}

TEST_F(BuildBankImageTest, CommentAfterTheSettingsElementIsHarmless)
{
    testing::WriteProject(dir.path(), PargenXml(kStandardPargen) + "<!-- end -->", CobIdXml({}, {}));
    EXPECT_NO_THROW(BuildBankImage(workspace, *image));
}

TEST_F(BuildBankImageTest, EmptyProjectIsRefused)
{
    workspace.ProjectDir.clear();
    workspace.UpdateDocumentPaths();
    EXPECT_THAT([&] { BuildBankImage(workspace, *image); }, ::testing::ThrowsMessage<Error>("Project not valid"));
}

// --- errors ---------------------------------------------------------------

struct ErrorCase {
    const char* name;
    std::string pargen;
    std::string cobId;
    std::string expected; // the error text, "DIR" standing for the project folder
};

void PrintTo(const ErrorCase& error, std::ostream* out)
{
    *out << error.name;
}

class BuildErrorTest : public BuildBankImageTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(BuildErrorTest, StopsTheBuildWithAClearText)
{
    std::string expected = GetParam().expected;
    if (auto at = expected.find("DIR"); at != std::string::npos)
        expected.replace(at, 3, dir.path());
    EXPECT_EQ(BuildError(GetParam().pargen, GetParam().cobId), expected);
}

const std::string kPargen = PargenXml(kStandardPargen);
const std::string kCobId = CobIdXml({}, {});

std::string Pargen(std::vector<std::string> values)
{
    return PargenXml(values);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BuildErrorTest,
    ::testing::Values(
        ErrorCase{"NoRootInPargen", "", kCobId,
                  "Error in file \"DIR/pargen.xml\" at byte 0: No document element found"},
        ErrorCase{"DeclarationAheadOfSettings", "<?xml version=\"1.0\"?>" + kPargen, kCobId,
                  "The first node of \"DIR/pargen.xml\" is not the settings element"},
        ErrorCase{"CommentAheadOfSettings", "<!-- c -->" + kPargen, kCobId,
                  "The first node of \"DIR/pargen.xml\" is not the settings element"},
        ErrorCase{"SixthValueMissing", Pargen({"5", "5", "0", "1", "0"}), kCobId,
                  "Settings value number 5 (Baud_Dip_C1) not found in \"DIR/pargen.xml\""},
        ErrorCase{"NestedSettingsValue", Pargen({"5", "5", "<a>0</a>", "1", "0", "0"}), kCobId,
                  "Settings value number 2 (Type) in \"DIR/pargen.xml\" does not hold a single text"},
        ErrorCase{"BitRateNotANumber", Pargen({"5", "7FF", "0", "1", "0", "0", "0"}), kCobId,
                  "'7FF' is not a valid integer value"},
        ErrorCase{"EmptyFlag", Pargen({"5", "5", "0", "", "0", "0", "0"}), kCobId, "'' is not a valid integer value"},
        ErrorCase{"NoTablesRoot", kPargen, "<Tables/>",
                  "Element \"CanCanCobID\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoFirstSection", kPargen, "<CanCanCobID><Can1_to_Can0/></CanCanCobID>",
                  "Element \"Can0_to_Can1\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoSecondSection", kPargen, "<CanCanCobID><Can0_to_Can1/></CanCanCobID>",
                  "Element \"Can1_to_Can0\" not found in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"NoModAttribute", kPargen,
                  "<CanCanCobID><Can0_to_Can1/><Can1_to_Can0><row Orig_CobID=\"\" Mod_CobID=\"\"/>"
                  "<row Orig_CobID=\"\"/></Can1_to_Can0></CanCanCobID>",
                  "Attribute \"Mod_CobID\" not found in row 1 of \"Can1_to_Can0\" in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"CommentAmongRows", kPargen,
                  "<CanCanCobID><Can0_to_Can1><!-- x --></Can0_to_Can1><Can1_to_Can0/></CanCanCobID>",
                  "Attribute \"Orig_CobID\" not found in row 0 of \"Can0_to_Can1\" in \"DIR/CanCanCobID.xml\""},
        ErrorCase{"OriginalNotANumber", kPargen, CobIdXml({{"0x1G", ""}}, {}), "'0x1G' is not a valid integer value"},
        ErrorCase{"ModifiedNotANumber", Pargen(kExtendedPargen), CobIdXml({}, {{"1", "2 "}}),
                  "'2 ' is not a valid integer value"},
        // The direct table has 2048 entries: larger identifiers stop the build.
        ErrorCase{"StandardOriginalTooLarge", kPargen, CobIdXml({{"1", ""}, {"0x800", "1"}}, {}),
                  "The CobID '0x800' in row 1 of \"CAN0 to CAN1\" lies outside 0x000-0x7FF"},
        ErrorCase{"StandardModifiedTooLarge", kPargen, CobIdXml({}, {{"", ""}, {"", ""}, {"7", "4096"}}),
                  "The CobID '4096' in row 2 of \"CAN1 to CAN0\" lies outside 0x000-0x7FF"},
        ErrorCase{"StandardNegative", kPargen, CobIdXml({{"0xFFFFFFFF", ""}}, {}),
                  "The CobID '0xFFFFFFFF' in row 0 of \"CAN0 to CAN1\" lies outside 0x000-0x7FF"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST_F(BuildBankImageTest, MissingDocumentsStopTheBuild)
{
    EXPECT_THAT([&] { BuildBankImage(workspace, *image); },
                ::testing::ThrowsMessage<Error>("File \"" + workspace.PargenFile + "\" not found"));
    WriteText(workspace.PargenFile, PargenXml(kStandardPargen));
    EXPECT_THAT([&] { BuildBankImage(workspace, *image); },
                ::testing::ThrowsMessage<Error>("File \"" + workspace.CanCobIdFile + "\" not found"));
    WriteText(workspace.CanCobIdFile, "<CanCanCobID><Can0_to_Can1>");
    EXPECT_THAT([&] { BuildBankImage(workspace, *image); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr(workspace.CanCobIdFile)));
}

} // namespace
} // namespace c2c
