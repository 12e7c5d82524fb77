// Set CobID Access as a spreadsheet, without widgets: every change as one
// edit to undo, find by value, problems marked as the user types, and
// nothing lost without a word.

#include "dialogs/CobIdAccessLogic.h"

#include "dialogs/ProgramState.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace c2c {
namespace {

using testing::WriteText;

const CommSession k2A{0, 0, true};
const CommSession k2B{1, 1, true};
const std::string kN = "N\u00B0 ";

class CobIdAccessEditingTest : public ::testing::Test {
protected:
    CobIdAccessEditingTest() { state.workspace.layout.SetProjectDir(dir.path()); }
    void Show(CommSession shown)
    {
        state.session = shown;
        dialog.Show();
    }
    void Type(int direction, std::size_t row, int column, const std::string& text)
    {
        dialog.Apply(dialog.TypeCell({direction, row, column}, text));
    }
    std::string file() const { return dir / "CanCanCobID.xml"; }

    testing::TempDir dir;
    ProgramState state;
    testing::FakeServices services;
    testing::RecordingMessages& messages = services.messages;
    CobIdAccessLogic dialog{state, services.all()};
    CobIdTable& c0 = dialog.tables.can0ToCan1;
    CobIdTable& c1 = dialog.tables.can1ToCan0;
};

// ---------------------------------------------------------------- nothing lost

TEST_F(CobIdAccessEditingTest, RowsBeyondShorterTablesMoveIntoEmptyRowsAndOkKeepsThem)
{
    CobIdTables stored{CobIdTable(2048), CobIdTable(2048)};
    stored.can0ToCan1[0] = {"1", "1", "first"};
    stored.can0ToCan1[2] = {"", "", "a description holds its row"};
    stored.can0ToCan1[2040] = {"0x7FE", "0x7FD", "pump"};
    stored.can0ToCan1[2047] = {"", "", "a note"};
    WriteCobIdDocument(file(), stored);
    Show(k2B);
    EXPECT_EQ(c0.size(), 2000u);
    EXPECT_EQ(c0[1], (CobIdRow{"0x7FE", "0x7FD", "pump"}));
    EXPECT_EQ(c0[3], (CobIdRow{"", "", "a note"}));
    EXPECT_EQ(c0[2].Desc, "a description holds its row");
    EXPECT_FALSE(dialog.HasChanges()) << "the showing's tables are what Cancel compares with";
    dialog.TellCarryOver();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Set CobID Access has 2000 rows per table (a port runs CAN 2.0B), and "
                                       "CanCanCobID.xml holds filled rows beyond " + kN + "1999.\nCAN0 to CAN1: 2 rows stored as " +
                                       kN + "2040 and " + kN + "2047 were moved into the first empty rows, now " + kN +
                                       "1 and " + kN + "3."});
    ASSERT_TRUE(dialog.Ok());
    const CobIdTables saved = ReadCobIdStrictly(file());
    EXPECT_EQ(saved.can0ToCan1.size(), 2000u);
    EXPECT_EQ(saved.can0ToCan1[1], stored.can0ToCan1[2040]);
    EXPECT_EQ(saved.can0ToCan1[3], stored.can0ToCan1[2047]);
}

TEST_F(CobIdAccessEditingTest, RowsThatDoNotFitAreListedAsOkWouldDropThem)
{
    CobIdTables stored{CobIdTable(2048), CobIdTable(2048)};
    for (std::size_t r = 0; r < 2000; ++r)
        stored.can1ToCan0[r].Orig_CobID = std::to_string(r);
    stored.can1ToCan0[2000] = {"0x7D0", "", ""};
    stored.can1ToCan0[2001] = {"", "", "x y"};
    WriteCobIdDocument(file(), stored);
    Show({0, 1, true});
    dialog.TellCarryOver();
    EXPECT_EQ(messages.Texts().at(0),
              "Set CobID Access has 2000 rows per table (a port runs CAN 2.0B), and CanCanCobID.xml holds filled "
              "rows beyond " + kN + "1999.\nCAN1 to CAN0: 2 rows stored as " + kN + "2000 and " + kN + "2001 do not fit, as no empty row "
              "is left; OK would drop them:\n" + kN + "2000: Original CobID '0x7D0'\n" + kN + "2001: Description 'x y'");
    EXPECT_EQ(dialog.carryOver.tables[kCan1ToCan0].dropped.size(), 2u);
}

TEST_F(CobIdAccessEditingTest, APasteThatDoesNotFitSaysWhatWasLeftOut)
{
    struct Case {
        bool modifyEditable;
        std::size_t row;
        int column;
        std::string text;
        std::string said;
    } cases[] = {
        {true, 1, kOriginalColumn, "", ""},
        {true, 1998, kOriginalColumn, "1\n2\n3\n\n4\n", "2 lines of the pasted text were left out: the table ends at " + kN + "1999."},
        {true, 1999, kOriginalColumn, "1\n\n\t\n", ""},
        {true, 0, kModifyColumn, "1\t2\t3\t4", "2 cells of the pasted text were left out: the table ends at Description."},
        {false, 0, kOriginalColumn, "1\t2\n3\t\n", "1 Modify CobID value of the pasted text was left out: the column is "
                                                   "read-only while Positive Implementation is off."},
    };
    std::string lines;
    for (int i = 0; i < 2100; ++i)
        lines += std::to_string(i) + "\n";
    Show(k2B);
    const CobIdPaste large = dialog.Paste(kCan0ToCan1, 1, kOriginalColumn, lines);
    EXPECT_EQ(CobIdPasteLossText(large.loss, 2000), "101 lines of the pasted text were left out: the table ends at " + kN + "1999.");
    EXPECT_EQ(large.written, (CobIdCellRange{1, kOriginalColumn, 1999, kOriginalColumn}));
    for (const Case& c : cases) {
        dialog.modifyEditable = c.modifyEditable;
        const CobIdPaste paste = dialog.Paste(kCan0ToCan1, c.row, c.column, c.text);
        EXPECT_EQ(CobIdPasteLossText(paste.loss, 2000), c.said) << c.text;
    }
}

TEST_F(CobIdAccessEditingTest, CancelAsksOnlyWhenTheTablesChanged)
{
    struct Case {
        bool changed;
        bool yes;
        bool closes;
    } cases[] = {{false, false, true}, {true, false, false}, {true, true, true}};
    for (const Case& c : cases) {
        Show(k2A);
        messages.messages.clear();
        messages.answers = {c.yes};
        if (c.changed)
            Type(kCan1ToCan0, 7, kDescriptionColumn, "edited");
        EXPECT_EQ(dialog.Cancel(), c.closes);
        EXPECT_EQ(messages.Texts(), c.changed ? std::vector<std::string>{"Discard the changes to the CobID tables?"}
                                              : std::vector<std::string>{});
    }
    Show(k2A);
    const CobIdEdit typed = dialog.TypeCell({kCan0ToCan1, 0, kOriginalColumn}, "5");
    dialog.Apply(typed);
    dialog.Revert(typed);
    messages.messages.clear();
    EXPECT_TRUE(dialog.Cancel()) << "undone back to the showing";
    EXPECT_TRUE(messages.messages.empty());
}

// ---------------------------------------------------------------- undo

TEST_F(CobIdAccessEditingTest, EveryKindOfChangeIsOneEditThatRevertsExactly)
{
    WriteText(dir / "in.csv", "direction,row,original,modified,description\ncan1-to-can0,3,0x10,,imported\n");
    services.files.result = dir / "in.csv";
    struct Case {
        const char* name;
        std::function<CobIdEdit(CobIdAccessLogic&)> make;
    } cases[] = {
        {"Typing", [](CobIdAccessLogic& d) { return d.TypeCell({kCan0ToCan1, 2, kOriginalColumn}, "0x800"); }},
        {"Delete", [](CobIdAccessLogic& d) {
             return d.FillCells(kEditDelete, {{kCan0ToCan1, 0, kOriginalColumn}, {kCan0ToCan1, 0, kNumberColumn},
                                              {kCan0ToCan1, 1, kDescriptionColumn}}, "");
         }},
        {"Paste", [](CobIdAccessLogic& d) { return d.Paste(kCan0ToCan1, 0, kModifyColumn, "9\tnine\n\t\n").edit; }},
        {"Compile All CobID", [](CobIdAccessLogic& d) { return d.CompileAll(); }},
        {"Cancel All CobID", [](CobIdAccessLogic& d) { return d.ClearAll(); }},
        {"Import CSV", [](CobIdAccessLogic& d) { return d.ImportCsv(); }},
        {"Add rows", [](CobIdAccessLogic& d) {
             CobIdTables after = d.tables;
             after.can1ToCan0[2047] = {"0x7FF", "0x7FF", "added"};
             return d.TablesChange("Add rows", after);
         }},
    };
    for (const Case& c : cases) {
        Show(k2A);
        Type(kCan0ToCan1, 0, kOriginalColumn, "0x181");
        Type(kCan0ToCan1, 1, kOriginalColumn, "385");
        Type(kCan0ToCan1, 1, kDescriptionColumn, "two");
        const CobIdTables before = dialog.tables;
        const std::string problems = dialog.Problems().Summary();
        messages.answers = {true};
        const CobIdEdit edit = c.make(dialog);
        EXPECT_EQ(edit.name, c.name);
        ASSERT_FALSE(edit.Empty()) << c.name;
        dialog.Apply(edit);
        const CobIdTables after = dialog.tables;
        EXPECT_NE(after, before) << c.name;
        dialog.Revert(edit);
        EXPECT_EQ(dialog.tables, before) << c.name;
        EXPECT_EQ(dialog.Problems().Summary(), problems) << c.name;
        dialog.Apply(edit);
        EXPECT_EQ(dialog.tables, after) << c.name;
    }
    EXPECT_TRUE(dialog.TypeCell({kCan0ToCan1, 0, kModifyColumn}, "").Empty()) << "no change, no step";
    dialog.modifyEditable = false;
    EXPECT_TRUE(dialog.TypeCell({kCan0ToCan1, 0, kModifyColumn}, "5").Empty()) << "read-only";
}

// ---------------------------------------------------------------- find

TEST_F(CobIdAccessEditingTest, FindsAnIdentifierByValueInEverySyntaxAcrossBothTables)
{
    Show(k2A);
    Type(kCan0ToCan1, 3, kOriginalColumn, "449");
    Type(kCan0ToCan1, 7, kModifyColumn, "$1c1");
    Type(kCan0ToCan1, 8, kOriginalColumn, "0x1C2");
    Type(kCan1ToCan0, 1, kOriginalColumn, "x1C1");
    Type(kCan1ToCan0, 5, kDescriptionColumn, "Pump 0x1C1 of node 0x41");
    const std::vector<CobIdCellRef> expected = {
        {kCan0ToCan1, 3, kOriginalColumn}, {kCan0ToCan1, 7, kModifyColumn}, {kCan1ToCan0, 1, kOriginalColumn}};
    for (const char* query : {"0x1C1", "449", "$1c1", "x1C1", " 0X01c1 "}) {
        std::optional<CobIdCellRef> at;
        for (std::size_t i = 0; i < 4; ++i) {
            const CobIdFound found = dialog.Find(query, at, true);
            ASSERT_TRUE(found.cell) << query;
            EXPECT_EQ(*found.cell, expected[i % 3]) << query << " #" << i;
            EXPECT_EQ(found.index, i % 3 + 1);
            EXPECT_EQ(found.count, 3u);
            at = found.cell;
        }
        EXPECT_EQ(dialog.Find(query, at, false).cell, expected[2]) << "backwards, round the start";
    }
    EXPECT_EQ(dialog.Find("PUMP", std::nullopt, true).cell, (CobIdCellRef{kCan1ToCan0, 5, kDescriptionColumn}));
    EXPECT_EQ(dialog.Find("0x41", std::nullopt, true).count, 0u) << "an identifier is looked for by value only";
    EXPECT_FALSE(dialog.Find("valve", std::nullopt, true).cell);
    EXPECT_FALSE(dialog.Find("  ", std::nullopt, true).cell);

    EXPECT_EQ(dialog.RowOfNumber(" 0x7FF"), 2047u);
    EXPECT_FALSE(dialog.RowOfNumber("2048"));
    EXPECT_FALSE(dialog.RowOfNumber("-1"));
    EXPECT_FALSE(dialog.RowOfNumber("twelve"));
}

// ---------------------------------------------------------------- problems as you type

TEST_F(CobIdAccessEditingTest, ProblemsAreMarkedAsTypedAndClearedWhenFixed)
{
    struct Case {
        CommSession formats;
        int direction;
        int column;
        std::string text;
        CobIdMarkKind kind;
        std::string reason;
    } cases[] = {
        {k2A, kCan0ToCan1, kOriginalColumn, "0x7FF", CobIdMarkKind::None, ""},
        {k2A, kCan0ToCan1, kOriginalColumn, "0x800", CobIdMarkKind::Problem,
         "'0x800' is out of range: the frame arrives on CAN0, which runs CAN 2.0A (0x000 to 0x7FF)"},
        {{0, 1, true}, kCan1ToCan0, kModifyColumn, "0x800", CobIdMarkKind::Problem,
         "'0x800' is out of range: the frame leaves on CAN0, which runs CAN 2.0A (0x000 to 0x7FF)\n"
         "A Modify CobID without an Original CobID: the build ignores this row"},
        {{0, 1, true}, kCan0ToCan1, kModifyColumn, "0x1FFFFFFF", CobIdMarkKind::Warning,
         "A Modify CobID without an Original CobID: the build ignores this row"},
        {k2B, kCan0ToCan1, kOriginalColumn, "-1", CobIdMarkKind::Problem,
         "'-1' is out of range: the frame arrives on CAN0, which runs CAN 2.0B (0x00000000 to 0x1FFFFFFF)"},
        {k2A, kCan0ToCan1, kOriginalColumn, " ", CobIdMarkKind::Problem,
         "'\u2423' is not an integer: write it in decimal, or in hexadecimal after 0x, $ or x"},
        {k2A, kCan0ToCan1, kOriginalColumn, "7FF ", CobIdMarkKind::Problem,
         "'7FF\u2423' is not an integer: write it in decimal, or in hexadecimal after 0x, $ or x"},
        {k2A, kCan0ToCan1, kDescriptionColumn, "0x800", CobIdMarkKind::None, ""},
    };
    for (const Case& c : cases) {
        Show(c.formats);
        const CobIdCellRef cell{c.direction, 12, c.column};
        Type(c.direction, 12, c.column, c.text);
        EXPECT_EQ(dialog.Problems().KindOf(cell), c.kind) << c.text;
        EXPECT_EQ(dialog.Problems().ReasonOf(dialog.tables, cell), c.reason) << c.text;
        if (c.kind != CobIdMarkKind::None) {
            EXPECT_EQ(dialog.FirstMarkedCell(), cell);
        }
        Type(c.direction, 12, c.column, "");
        EXPECT_EQ(dialog.Problems().KindOf(cell), CobIdMarkKind::None) << "cleared: " << c.text;
        EXPECT_EQ(dialog.Problems().Summary(), "No problems");
    }
}

TEST_F(CobIdAccessEditingTest, TheLineCountsProblemsAndDuplicatesAreWarnings)
{
    Show(k2A);
    Type(kCan1ToCan0, 4, kOriginalColumn, "0x181");
    Type(kCan1ToCan0, 9, kOriginalColumn, "385");
    EXPECT_EQ(dialog.Problems().Summary(), "2 warnings: first in CAN1 to CAN0, " + kN + "4");
    EXPECT_EQ(dialog.Problems().ReasonOf(dialog.tables, {kCan1ToCan0, 9, kOriginalColumn}),
              "'385' (0x181) is also listed in " + kN + "4; the later row wins");
    Type(kCan0ToCan1, 20, kModifyColumn, "x");
    Type(kCan0ToCan1, 12, kOriginalColumn, "0x800");
    Type(kCan1ToCan0, 0, kOriginalColumn, "bad");
    EXPECT_EQ(dialog.Problems().Summary(),
              "3 problems: first in CAN0 to CAN1, " + kN + "12; 3 warnings: first in CAN0 to CAN1, " + kN + "20");
    EXPECT_EQ(dialog.FirstMarkedCell(), (CobIdCellRef{kCan0ToCan1, 12, kOriginalColumn}));
    // The first problem is the cell OK reports.
    EXPECT_FALSE(dialog.CheckTables());
    EXPECT_EQ(dialog.badCell->row, 12u);
    Type(kCan1ToCan0, 9, kOriginalColumn, "0x182");
    EXPECT_EQ(dialog.Problems().KindOf({kCan1ToCan0, 4, kOriginalColumn}), CobIdMarkKind::None)
        << "the other row of a duplicate is cleared too";
}

TEST_F(CobIdAccessEditingTest, OkSavesAndThenNamesWhatTheBuildTakesOtherwise)
{
    Show(k2A);
    Type(kCan0ToCan1, 0, kOriginalColumn, "0x181");
    Type(kCan0ToCan1, 2, kOriginalColumn, "385");
    Type(kCan0ToCan1, 3, kOriginalColumn, "0x701");
    Type(kCan0ToCan1, 4, kOriginalColumn, "0x581");
    Type(kCan0ToCan1, 6, kOriginalColumn, "0");
    Type(kCan1ToCan0, 7, kModifyColumn, "0x12");
    ASSERT_TRUE(dialog.Ok());
    const testing::RecordedMessage warning{
        testing::RecordedMessage::Plain,
        "The tables were saved, with these warnings:\nTable CAN0 to CAN1, " + kN + "0 and " + kN +
            "2 both list 0x181; the later row wins\nTable CAN1 to CAN0, " + kN +
            "7 has a Modify CobID but no Original CobID; the build ignores it\nNo table lists SYNC (0x080): with "
            "Positive Implementation set, SYNC does not cross the device"};
    EXPECT_EQ(messages.messages, std::vector<testing::RecordedMessage>{warning});
    EXPECT_EQ(ReadCobIdStrictly(file()).can0ToCan1[2].Orig_CobID, "385");
    const std::string many = CobIdOkWarningText(std::vector<std::string>(14, "w"));
    EXPECT_EQ(many.substr(many.size() - 17), "\nw\n... and 2 more");

    Type(kCan0ToCan1, 5, kOriginalColumn, "0x800");
    messages.messages.clear();
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Table Can0 to Can1. Error in row 5. The CobID must between "
                                                         "0x000 and 0x7FF"})
        << "a bad cell first: no warning";
}

} // namespace
} // namespace c2c
