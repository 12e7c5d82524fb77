#include "documents/CobIdTables.h"

#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::RecordedMessage;
using testing::RecordingMessages;
using testing::TempDir;
using testing::WriteText;

constexpr const char* kTail2A = ". The CobID must between 0x000 and 0x7FF";
constexpr const char* kTail2B = ". The CobID must between 0x0000 0000 and 0x1FFF FFFF";

// A section of `count` rows; row r holds ("r", "r+1", "dr").
std::string Section(const char* name, std::size_t count)
{
    std::string text = std::string("<") + name + ">";
    for (std::size_t r = 0; r < count; ++r)
        text += "<row Orig_CobID=\"" + std::to_string(r) + "\" Mod_CobID=\"" + std::to_string(r + 1) +
                "\" Desc=\"d" + std::to_string(r) + "\"/>";
    return text + "</" + name + ">";
}

std::string Document(const std::string& sections)
{
    return "<CanCanCobID>" + sections + "</CanCanCobID>";
}

class CobIdTablesTest : public ::testing::Test {
protected:
    std::string file() const { return dir / "CanCanCobID.xml"; }
    void Show(CommSession shown) { dialog.FormShow(shown, file()); }

    TempDir dir;
    RecordingMessages messages;
    CobIdDialog dialog;
};

// Sizing by frame format.

struct FormatCase {
    std::int32_t type0, type1;
    std::size_t rows;
};

class CobIdTableSizeTest : public CobIdTablesTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CobIdTableSizeTest, RowsAndCompileButtonFollowTheFormats)
{
    const FormatCase& c = GetParam();
    Show({c.type0, c.type1, false});
    EXPECT_EQ(dialog.ASG_C0.size(), c.rows);
    EXPECT_EQ(dialog.ASG_C1.size(), c.rows);
    EXPECT_EQ(dialog.LbButton3Visible, c.rows == 2048);
    EXPECT_EQ(CobIdCellText(dialog.ASG_C1, c.rows - 1, kNumberColumn), std::to_string(c.rows - 1));
    EXPECT_EQ(dialog.ASG_C0.back(), CobIdRow{});
}

INSTANTIATE_TEST_SUITE_P(Formats, CobIdTableSizeTest,
                         ::testing::Values(FormatCase{0, 0, 2048}, FormatCase{0, 1, 2000}, FormatCase{1, 0, 2000},
                                           FormatCase{1, 1, 2000}, FormatCase{2, 0, 2000},
                                           FormatCase{0, -1, 2000}));

// The range check.

struct CheckCase {
    CommSession session;
    int direction;
    std::size_t row;
    int column;
    const char* text;
    std::string message; // empty: the cell passes
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << "types " << c.session.CanType0 << "/" << c.session.CanType1 << ", table " << c.direction << ", column "
         << c.column << ", \"" << c.text << "\"";
}

class CobIdCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CobIdCheckTest, OneCell)
{
    const CheckCase& c = GetParam();
    CobIdTable tables[2] = {CobIdTable(CobIdTableLength(c.session)), CobIdTable(CobIdTableLength(c.session))};
    tables[c.direction][c.row].Cell(c.column) = c.text;
    auto error = FindCobIdError(tables[0], tables[1], c.session);
    if (c.message.empty()) {
        EXPECT_FALSE(error) << error->message;
    } else {
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, (CobIdCellError{c.direction, c.row, c.column, c.message}));
    }
}

const CommSession k2A{0, 0, false};
const CommSession k2B{1, 1, true};
const CommSession kMixed{0, 1, true}; // CAN 0 2.0A, CAN 1 2.0B
const std::string kRow0C0 = "Table Can0 to Can1. Error in row 0";
const std::string kRow7C1 = "Table Can1 to Can0. Error in row 7";

INSTANTIATE_TEST_SUITE_P(
    Cells, CobIdCheckTest,
    ::testing::Values(
        // 2.0A limits; the row is named by its N°.
        CheckCase{k2A, 0, 0, kOriginalColumn, "0x800", kRow0C0 + kTail2A},
        CheckCase{k2A, 0, 0, kOriginalColumn, "0x7FF", ""}, CheckCase{k2A, 0, 0, kModifyColumn, "2047", ""},
        CheckCase{k2A, 0, 0, kModifyColumn, "2048", kRow0C0 + kTail2A},
        CheckCase{k2A, 1, 7, kOriginalColumn, "3FF", kRow7C1 + kTail2A},
        CheckCase{k2A, 1, 7, kOriginalColumn, "$3ff", ""}, CheckCase{k2A, 1, 7, kOriginalColumn, "0", ""},
        CheckCase{k2A, 1, 2047, kModifyColumn, "-0x1", "Table Can1 to Can0. Error in row 2047" + std::string(kTail2A)},
        // 2.0B limits: not an integer, or negative, fails.
        CheckCase{k2B, 0, 0, kOriginalColumn, "0x1FFFFFFF", ""},
        CheckCase{k2B, 0, 0, kOriginalColumn, "0x20000000", kRow0C0 + kTail2B},
        CheckCase{k2B, 0, 0, kOriginalColumn, "-1", kRow0C0 + kTail2B},
        CheckCase{k2B, 0, 0, kModifyColumn, "0xFFFFFFFF", kRow0C0 + kTail2B},
        CheckCase{k2B, 1, 7, kModifyColumn, "abc", kRow7C1 + kTail2B},
        CheckCase{k2B, 1, 7, kModifyColumn, " ", kRow7C1 + kTail2B},
        CheckCase{k2B, 1, 7, kOriginalColumn, "  536870911", ""},
        CheckCase{k2B, 1, 7, kOriginalColumn, "5 ", kRow7C1 + kTail2B},
        // Mixed formats: each cell takes the limit of the port its identifier travels on.
        CheckCase{kMixed, 0, 0, kModifyColumn, "0x1FFFFFFF", ""},
        CheckCase{kMixed, 0, 0, kOriginalColumn, "0x1FFFFFFF", kRow0C0 + kTail2A},
        CheckCase{kMixed, 1, 7, kOriginalColumn, "0x1FFFFFFF", ""},
        CheckCase{kMixed, 1, 7, kModifyColumn, "0x1FFFFFFF", kRow7C1 + kTail2A},
        CheckCase{kMixed, 1, 7, kModifyColumn, "0x20000000", kRow7C1 + kTail2A},
        // Other type numbers are not checked.
        CheckCase{CommSession{2, 1, false}, 0, 0, kOriginalColumn, "text", ""},
        CheckCase{CommSession{2, 1, false}, 0, 0, kModifyColumn, "text", kRow0C0 + kTail2B}));

TEST_F(CobIdTablesTest, ChecksRowByRowAndStopsAtTheFirstBadCell)
{
    Show(k2A);
    dialog.ASG_C1[0].Orig_CobID = "bad";
    dialog.ASG_C0[9].Orig_CobID = "0x800";
    dialog.ASG_C0[3].Mod_CobID = "0x800";
    dialog.ASG_C0[3].Desc = "not checked: 0x800";
    EXPECT_FALSE(dialog.ValidateTables(messages));
    RecordedMessage shown{RecordedMessage::Error, "Table Can0 to Can1. Error in row 3" + std::string(kTail2A)};
    EXPECT_EQ(messages.messages, std::vector<RecordedMessage>{shown});
    EXPECT_EQ(dialog.BadCell->row, 3u);
    EXPECT_EQ(dialog.PageControl1, kCan0ToCan1);

    dialog.ASG_C0[3].Mod_CobID.clear();
    dialog.ASG_C0[9].Orig_CobID.clear();
    dialog.ASG_C0[2047].Desc = "x";
    EXPECT_FALSE(dialog.ValidateTables(messages));
    EXPECT_EQ(dialog.BadCell, (CobIdCellError{kCan1ToCan0, 0, kOriginalColumn,
                                              "Table Can1 to Can0. Error in row 0" + std::string(kTail2A)}));
    EXPECT_EQ(dialog.PageControl1, kCan1ToCan0) << "the bad cell's tab is shown";

    dialog.ASG_C1[0].Orig_CobID = "x7ff";
    messages.messages.clear();
    EXPECT_TRUE(dialog.ValidateTables(messages));
    EXPECT_FALSE(dialog.BadCell);
    EXPECT_TRUE(messages.messages.empty());
}

// The document.

TEST_F(CobIdTablesTest, SavedDocumentHasEveryRowAndEmptyAttributes)
{
    CobIdTable c0(2), c1(2);
    c0[0] = {"0x10", "", "a<b & \"c\""};
    c1[1] = {"", "7", ""};
    EXPECT_EQ(CobIdDocumentText(c0, c1),
              "<CanCanCobID><Can0_to_Can1><row Orig_CobID=\"0x10\" Mod_CobID=\"\" Desc=\"a&lt;b &amp; &quot;c&quot;\"/>"
              "<row Orig_CobID=\"\" Mod_CobID=\"\" Desc=\"\"/></Can0_to_Can1><Can1_to_Can0>"
              "<row Orig_CobID=\"\" Mod_CobID=\"\" Desc=\"\"/><row Orig_CobID=\"\" Mod_CobID=\"7\" Desc=\"\"/>"
              "</Can1_to_Can0></CanCanCobID>");
}

TEST_F(CobIdTablesTest, SaveAndLoadRestoreEveryRowAsTyped)
{
    for (CommSession session : {k2A, k2B}) {
        Show(session);
        std::size_t last = dialog.ASG_C0.size() - 1;
        dialog.ASG_C0[0] = {" 0x1", "$2", "  spaces kept  "};
        dialog.ASG_C0[last] = {"5", "6", "Gr\xC3\xBC\xC3\x9F" "e <&> \"q\" 'a'"};
        dialog.ASG_C1[last] = {"", "", "only a description"};
        CobIdDialog saved = dialog;
        ASSERT_TRUE(dialog.LbButton1Click(file(), messages));
        Show(session);
        EXPECT_EQ(dialog.ASG_C0, saved.ASG_C0);
        EXPECT_EQ(dialog.ASG_C1, saved.ASG_C1);
        EXPECT_TRUE(messages.messages.empty());
    }
}

TEST_F(CobIdTablesTest, LongerDocumentFillsTheShorterTableAndIsSavedShorter)
{
    WriteText(file(), Document(Section("Can0_to_Can1", 2048) + Section("Can1_to_Can0", 2048)));
    Show(k2B);
    EXPECT_EQ(dialog.ASG_C0[1999], (CobIdRow{"1999", "2000", "d1999"}));
    EXPECT_EQ(dialog.ASG_C1[1999], (CobIdRow{"1999", "2000", "d1999"}));
    // 2000 passes the 2.0B check; rewrite with the 2000 rows shown.
    ASSERT_TRUE(dialog.LbButton1Click(file(), messages));
    EXPECT_EQ(ReadText(file()), Document(Section("Can0_to_Can1", 2000) + Section("Can1_to_Can0", 2000)));
}

TEST_F(CobIdTablesTest, MissingDescReadsAsEmptyAndMissingOrigStopsTheLoading)
{
    WriteText(file(), Document("<Can0_to_Can1><row Orig_CobID=\"1\" Mod_CobID=\"2\"/>"
                               "<row Mod_CobID=\"3\" Desc=\"x\"/><row Orig_CobID=\"4\" Mod_CobID=\"\" Desc=\"\"/>"
                               "</Can0_to_Can1>" +
                               Section("Can1_to_Can0", 2)));
    Show(k2A);
    EXPECT_EQ(dialog.LoadTables(file()), CobIdLoad::Stopped);
    EXPECT_EQ(dialog.ASG_C0[0], (CobIdRow{"1", "2", ""}));
    EXPECT_EQ(dialog.ASG_C0[1], CobIdRow{});
    EXPECT_EQ(dialog.ASG_C0[2], CobIdRow{}) << "rows after the failure stay empty";
    EXPECT_EQ(dialog.ASG_C1[0], CobIdRow{}) << "the second section is not reached";
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CobIdTablesTest, DeclarationAndIndentationReadLikeTheWrittenShape)
{
    WriteText(file(), "<?xml version=\"1.0\"?>\n<CanCanCobID>\n  <Can1_to_Can0>\n    <row Orig_CobID=\"9\" "
                      "Mod_CobID=\"8\" Desc=\"\"/>\n  </Can1_to_Can0>\n  <Can0_to_Can1>\n    <line Orig_CobID=\"1\" "
                      "Mod_CobID=\"\"/>\n  </Can0_to_Can1>\n</CanCanCobID>\n");
    Show(k2A);
    EXPECT_EQ(dialog.LoadTables(file()), CobIdLoad::Complete);
    EXPECT_EQ(dialog.ASG_C0[0], (CobIdRow{"1", "", ""})) << "sections are found by name, rows by position";
    EXPECT_EQ(dialog.ASG_C1[0], (CobIdRow{"9", "8", ""}));
    EXPECT_EQ(dialog.ASG_C1[1], CobIdRow{}) << "a shorter section leaves the other rows empty";

    WriteText(file(), Document(Section("Can0_to_Can1", 2)));
    EXPECT_EQ(dialog.LoadTables(file()), CobIdLoad::Stopped);
    EXPECT_EQ(dialog.ASG_C0[1], (CobIdRow{"1", "2", "d1"})) << "the first table stays when the second is missing";
}

TEST_F(CobIdTablesTest, BrokenDocumentShowsEmptyTablesAndOkReplacesIt)
{
    for (const char* broken : {"<CanCanCobID><Can0_to_Can1>", "", "<Other/>", "\x01\x02garbage"}) {
        WriteText(file(), broken);
        Show(k2A);
        EXPECT_EQ(dialog.LoadTables(file()), CobIdLoad::Stopped);
        EXPECT_EQ(dialog.ASG_C0[0], CobIdRow{});
        dialog.ASG_C0[0].Orig_CobID = "1";
        ASSERT_TRUE(dialog.LbButton1Click(file(), messages));
        Show(k2A);
        EXPECT_EQ(dialog.ASG_C0[0].Orig_CobID, "1") << broken;
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CobIdTablesTest, ReadOnlyModifyValuesAreLoadedAndWrittenBackUnchanged)
{
    Show(k2B);
    dialog.ASG_C0[5] = {"0x100", "0x1FFFFFFF", "kept"};
    ASSERT_TRUE(dialog.LbButton1Click(file(), messages));
    std::string before = ReadText(file());

    Show({1, 1, false});
    EXPECT_FALSE(dialog.IsEditable(kModifyColumn));
    EXPECT_EQ(dialog.ASG_C0[5].Mod_CobID, "0x1FFFFFFF");
    ASSERT_TRUE(dialog.LbButton1Click(file(), messages));
    EXPECT_EQ(ReadText(file()), before);
}

TEST_F(CobIdTablesTest, BadCellOrFailedWriteWritesNothingAndKeepsTheDialogOpen)
{
    WriteText(file(), "old");
    Show(k2A);
    dialog.ASG_C0[0].Orig_CobID = "0x800";
    EXPECT_FALSE(dialog.LbButton1Click(file(), messages));
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(ReadText(file()), "old");

    dialog.ASG_C0[0].Orig_CobID = "0x7FF";
    messages.messages.clear();
    {
        testing::FileSizeLimit limit(100);
        EXPECT_FALSE(dialog.LbButton1Click(file(), messages));
    }
    ASSERT_EQ(messages.messages.size(), 1u) << "a failed save says why";
    EXPECT_EQ(messages.messages[0].kind, testing::RecordedMessage::Error);
    EXPECT_EQ(messages.messages[0].text.rfind("Cannot create file \"" + file() + "\". ", 0), 0u);
    EXPECT_EQ(ReadText(file()), "old");
    EXPECT_EQ(dialog.ASG_C0[0].Orig_CobID, "0x7FF") << "the edits are kept";
    EXPECT_FALSE(dialog.SaveTables(dir / "no-such-folder/CanCanCobID.xml"));
}

// "Compile All CobID" and "Cancel All CobID".

TEST_F(CobIdTablesTest, CompileAllOnTheSecondTabFillsOnlyThatTable)
{
    Show(k2A);
    dialog.ASG_C1[10] = {"", "", "desc"};
    dialog.ASG_C0[10] = {"1", "1", ""};
    dialog.PageControl1 = kCan1ToCan0;
    messages.answers = {false, true};
    EXPECT_FALSE(dialog.LbButton3Click(messages));
    EXPECT_EQ(dialog.ASG_C1[0], CobIdRow{}) << "No changes nothing";
    EXPECT_TRUE(dialog.LbButton3Click(messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Are you sure to cancel all the CobID just write?"));
    EXPECT_EQ(dialog.ASG_C1[10], (CobIdRow{"10", "10", "desc"}));
    EXPECT_EQ(dialog.ASG_C1[2047], (CobIdRow{"2047", "2047", ""}));
    EXPECT_EQ(dialog.ASG_C0[10], (CobIdRow{"1", "1", ""}));
    EXPECT_EQ(dialog.ASG_C0[11], CobIdRow{});
    EXPECT_TRUE(dialog.ValidateTables(messages));
}

TEST_F(CobIdTablesTest, CancelAllEmptiesTheIdentifiersOfTheShownTable)
{
    Show(k2B);
    dialog.ASG_C0[1999] = {"1", "2", "d"};
    dialog.ASG_C1[0] = {"1", "2", "d"};
    messages.answers = {true};
    EXPECT_TRUE(dialog.LbButton4Click(messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Are you sure to cancel all the CobID?"});
    EXPECT_EQ(dialog.ASG_C0[1999], (CobIdRow{"", "", "d"}));
    EXPECT_EQ(dialog.ASG_C1[0], (CobIdRow{"1", "2", "d"}));
    EXPECT_FALSE(dialog.LbButton4Click(messages)) << "no answer left: No";
}

// Block editing.

TEST(CobIdBlockTest, SplitsSpreadsheetText)
{
    using Lines = std::vector<std::vector<std::string>>;
    EXPECT_EQ(SplitTabularText(""), Lines{});
    EXPECT_EQ(SplitTabularText("a"), (Lines{{"a"}}));
    EXPECT_EQ(SplitTabularText("a\tb\r\n\tc\t\n"), (Lines{{"a", "b"}, {"", "c", ""}}));
    EXPECT_EQ(SplitTabularText("a\n\nb"), (Lines{{"a"}, {""}, {"b"}}));
}

TEST(CobIdBlockTest, PasteSkipsReadOnlyCellsAndStopsAtTheEdges)
{
    CobIdTable table(3);
    table[1].Mod_CobID = "kept";
    auto written = PasteCobIdCells(table, 1, kOriginalColumn, "1\t2\t3\textra\n4\t5\t6\n7\t8\t9\n", false);
    EXPECT_EQ(written, (CobIdCellRange{1, kOriginalColumn, 2, kDescriptionColumn}));
    EXPECT_EQ(table[0], CobIdRow{});
    EXPECT_EQ(table[1], (CobIdRow{"1", "kept", "3"}));
    EXPECT_EQ(table[2], (CobIdRow{"4", "", "6"}));

    written = PasteCobIdCells(table, 0, kModifyColumn, "x\ty", true);
    EXPECT_EQ(written, (CobIdCellRange{0, kModifyColumn, 0, kDescriptionColumn}));
    EXPECT_EQ(table[0], (CobIdRow{"", "x", "y"}));
    EXPECT_FALSE(PasteCobIdCells(table, 0, kModifyColumn, "z", false)) << "only a read-only cell";
}

TEST(CobIdBlockTest, CopyGivesARectangleOfOneLineCells)
{
    CobIdTable table(3);
    table[1] = {"1", "2", "two\tparts"};
    table[2] = {"3", "", "line\nbreak"};
    std::string text = CopyCobIdCells(table, {1, kOriginalColumn, 2, kDescriptionColumn});
    EXPECT_EQ(text, "1\t2\ttwo parts\n3\t\tline break\n");
    CobIdTable other(2);
    PasteCobIdCells(other, 0, kOriginalColumn, text, true);
    EXPECT_EQ(other[1], (CobIdRow{"3", "", "line break"}));
}

} // namespace
} // namespace c2c
