#include "dialogs/CobIdAccessLogic.h"

#include "dialogs/ProgramState.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace c2c {
namespace {

using testing::ReadText;
using testing::RecordedMessage;
using testing::RecordingMessages;
using testing::TempDir;
using testing::WriteText;

constexpr const char* kTail2A = ". The CobID must between 0x000 and 0x7FF";
constexpr const char* kTail2B = ". The CobID must between 0x0000 0000 and 0x1FFF FFFF";

const CommSession k2A{0, 0, false};
const CommSession k2B{1, 1, true};

class CobIdAccessLogicTest : public ::testing::Test {
protected:
    CobIdAccessLogicTest() { state.workspace.layout.SetProjectDir(dir.path()); }
    std::string file() const { return dir / "CanCanCobID.xml"; }
    CobIdLoad Show(CommSession shown)
    {
        state.session = shown;
        return dialog.Show();
    }
    // Carries out an edit; true when it changes anything.
    bool Do(const CobIdEdit& edit)
    {
        dialog.Apply(edit);
        return !edit.Empty();
    }

    TempDir dir;
    ProgramState state;
    testing::FakeServices services;
    RecordingMessages& messages = services.messages;
    CobIdAccessLogic dialog{state, services.all()};
    CobIdTable& c0 = dialog.tables.can0ToCan1;
    CobIdTable& c1 = dialog.tables.can1ToCan0;
};

// Sizing by frame format.

struct FormatCase {
    std::int32_t type0, type1;
    std::size_t rows;
};

class CobIdTableSizeTest : public CobIdAccessLogicTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CobIdTableSizeTest, RowsAndCompileButtonFollowTheFormats)
{
    const FormatCase& c = GetParam();
    Show({c.type0, c.type1, false});
    EXPECT_EQ(c0.size(), c.rows);
    EXPECT_EQ(c1.size(), c.rows);
    EXPECT_EQ(dialog.compileAllVisible, c.rows == 2048);
    EXPECT_EQ(CobIdCellText(c1, c.rows - 1, kNumberColumn), std::to_string(c.rows - 1));
    EXPECT_EQ(c0.back(), CobIdRow{});
}

INSTANTIATE_TEST_SUITE_P(Formats, CobIdTableSizeTest,
                         ::testing::Values(FormatCase{0, 0, 2048}, FormatCase{0, 1, 2000}, FormatCase{1, 0, 2000},
                                           FormatCase{1, 1, 2000}, FormatCase{2, 0, 2000},
                                           FormatCase{0, -1, 2000}, FormatCase{256, 0, 2000},
                                           FormatCase{0, -256, 2000}));

// Add rows' file chooser starts in the project's folder, then where the
// last file was picked, until another project is shown.
TEST_F(CobIdAccessLogicTest, AddRowsStartsInTheProjectFolder)
{
    Show(k2A);
    EXPECT_EQ(dialog.addRowsFolder, dir.path());
    dialog.addRowsFolder = "/plant/eds";
    Show(k2A);
    EXPECT_EQ(dialog.addRowsFolder, "/plant/eds");
    TempDir other;
    state.workspace.layout.SetProjectDir(other.path());
    Show(k2A);
    EXPECT_EQ(dialog.addRowsFolder, other.path());
}

// The check.

TEST_F(CobIdAccessLogicTest, ChecksRowByRowAndStopsAtTheFirstBadCell)
{
    Show(k2A);
    c1[0].Orig_CobID = "bad";
    c0[9].Orig_CobID = "0x800";
    c0[3].Mod_CobID = "0x800";
    c0[3].Desc = "not checked: 0x800";
    EXPECT_FALSE(dialog.CheckTables());
    RecordedMessage shown{RecordedMessage::Error, "Table Can0 to Can1. Error in row 3" + std::string(kTail2A)};
    EXPECT_EQ(messages.messages, std::vector<RecordedMessage>{shown});
    EXPECT_EQ(dialog.badCell->row, 3u);
    EXPECT_EQ(dialog.shownTab, kCan0ToCan1);

    c0[3].Mod_CobID.clear();
    c0[9].Orig_CobID.clear();
    c0[2047].Desc = "x";
    EXPECT_FALSE(dialog.CheckTables());
    EXPECT_EQ(dialog.badCell, (CobIdCellError{kCan1ToCan0, 0, kOriginalColumn,
                                              "Table Can1 to Can0. Error in row 0" + std::string(kTail2A)}));
    EXPECT_EQ(dialog.shownTab, kCan1ToCan0) << "the bad cell's tab is shown";

    c1[0].Orig_CobID = "x7ff";
    messages.messages.clear();
    EXPECT_TRUE(dialog.CheckTables());
    EXPECT_FALSE(dialog.badCell);
    EXPECT_TRUE(messages.messages.empty());
}

// Saving.

TEST_F(CobIdAccessLogicTest, SaveAndLoadRestoreEveryRowAsTyped)
{
    for (CommSession session : {k2A, k2B}) {
        // A 2048-row document shown in 2000 rows would carry its last rows over.
        std::filesystem::remove(file());
        Show(session);
        std::size_t last = c0.size() - 1;
        c0[0] = {" 0x1", "$2", "  spaces kept  "};
        c0[last] = {"5", "6", "Gr\xC3\xBC\xC3\x9F" "e <&> \"q\" 'a'"};
        c1[last] = {"", "", "only a description"};
        const CobIdTables saved = dialog.tables;
        ASSERT_TRUE(dialog.Ok());
        Show(session);
        EXPECT_EQ(dialog.tables, saved);
        EXPECT_TRUE(messages.messages.empty());
    }
}

TEST_F(CobIdAccessLogicTest, BrokenDocumentShowsEmptyTablesAndOkReplacesIt)
{
    for (const char* broken : {"<CanCanCobID><Can0_to_Can1>", "", "<Other/>", "\x01\x02garbage"}) {
        WriteText(file(), broken);
        EXPECT_EQ(Show(k2A), CobIdLoad::Stopped);
        EXPECT_EQ(c0[0], CobIdRow{});
        c0[0].Orig_CobID = "1";
        ASSERT_TRUE(dialog.Ok());
        Show(k2A);
        EXPECT_EQ(c0[0].Orig_CobID, "1") << broken;
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CobIdAccessLogicTest, ReadOnlyModifyValuesAreLoadedAndWrittenBackUnchanged)
{
    Show(k2B);
    c0[5] = {"0x100", "0x1FFFFFFF", "kept"};
    ASSERT_TRUE(dialog.Ok());
    std::string before = ReadText(file());

    Show({1, 1, false});
    EXPECT_FALSE(dialog.IsEditable(kModifyColumn));
    EXPECT_EQ(c0[5].Mod_CobID, "0x1FFFFFFF");
    ASSERT_TRUE(dialog.Ok());
    EXPECT_EQ(ReadText(file()), before);
}

TEST_F(CobIdAccessLogicTest, BadCellOrFailedWriteWritesNothingAndKeepsTheDialogOpen)
{
    WriteText(file(), "old");
    Show(k2A);
    c0[0].Orig_CobID = "0x800";
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(ReadText(file()), "old");

    c0[0].Orig_CobID = "0x7FF";
    messages.messages.clear();
    {
        if (!testing::kFileSizeLimitWorks)
            GTEST_SKIP() << "no per-process file size limit on this system";
        testing::FileSizeLimit limit(100);
        EXPECT_FALSE(dialog.Ok());
    }
    ASSERT_EQ(messages.messages.size(), 1u) << "a failed save says why";
    EXPECT_EQ(messages.messages[0].kind, testing::RecordedMessage::Error);
    EXPECT_EQ(messages.messages[0].text.rfind("Cannot create file \"" + file() + "\". ", 0), 0u);
    EXPECT_EQ(ReadText(file()), "old");
    EXPECT_EQ(c0[0].Orig_CobID, "0x7FF") << "the edits are kept";
}

// "Compile All CobID" and "Cancel All CobID".

TEST_F(CobIdAccessLogicTest, CompileAllOnTheSecondTabFillsOnlyThatTable)
{
    Show(k2A);
    c1[10] = {"", "", "desc"};
    c0[10] = {"1", "1", ""};
    dialog.shownTab = kCan1ToCan0;
    messages.answers = {false, true};
    EXPECT_FALSE(Do(dialog.CompileAll()));
    EXPECT_EQ(c1[0], CobIdRow{}) << "No changes nothing";
    EXPECT_TRUE(Do(dialog.CompileAll()));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Are you sure to cancel all the CobID just write?"));
    EXPECT_EQ(c1[10], (CobIdRow{"10", "10", "desc"}));
    EXPECT_EQ(c1[2047], (CobIdRow{"2047", "2047", ""}));
    EXPECT_EQ(c0[10], (CobIdRow{"1", "1", ""}));
    EXPECT_EQ(c0[11], CobIdRow{});
    EXPECT_TRUE(dialog.CheckTables());
}

TEST_F(CobIdAccessLogicTest, CancelAllEmptiesTheIdentifiersOfTheShownTable)
{
    Show(k2B);
    c0[1999] = {"1", "2", "d"};
    c1[0] = {"1", "2", "d"};
    messages.answers = {true};
    EXPECT_TRUE(Do(dialog.ClearAll()));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Are you sure to cancel all the CobID?"});
    EXPECT_EQ(c0[1999], (CobIdRow{"", "", "d"}));
    EXPECT_EQ(c1[0], (CobIdRow{"1", "2", "d"}));
    c0[5].Orig_CobID = "7";
    EXPECT_FALSE(Do(dialog.ClearAll())) << "no answer left: No";
    EXPECT_EQ(c0[5].Orig_CobID, "7");
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
