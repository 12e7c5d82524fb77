#include "dialogs/CommSettingsLogic.h"

#include "dialogs/ProgramState.h"
#include "documents/CobIdTables.h"
#include "platform/Error.h"
#include "support/Fakes.h"
#include "support/ProjectDocuments.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::PargenXml;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

class CommSettingsLogicTest : public ::testing::Test {
protected:
    CommSettingsLogicTest() { state.workspace.layout.SetProjectDir(dir.path()); }
    std::string file() const { return dir / "pargen.xml"; }
    TempDir dir;
    ProgramState state;
    testing::FakeServices services;
    testing::RecordingMessages& messages = services.messages;
    CommSettingsLogic dialog{state, services.all()};
};

TEST_F(CommSettingsLogicTest, CreationTimeStatesAreWrittenAsTwoPointZeroB)
{
    dialog.Ok();
    EXPECT_EQ(ReadText(file()), PargenXml({"5", "5", "1", "0", "0", "0", "1"}));
    EXPECT_EQ(state.session.CanType0, 1);
    EXPECT_EQ(state.session.CanType1, 1);
    EXPECT_FALSE(state.session.PositiveImpl);
}

TEST_F(CommSettingsLogicTest, ShorterTablesAreAnnouncedWithTheRowsSetCobIdAccessWillMove)
{
    WriteText(file(), PargenXml({"5", "5", "0", "1", "0", "0", "0"}));
    CobIdTable table(2048);
    table[2040] = {"0x7FE", "0x7FD", ""};
    WriteCobIdDocument(dir / "CanCanCobID.xml", {table, CobIdTable(2048)});
    state.session = {0, 0, true};
    dialog.Show();
    dialog.ChooseFormat(1, true);
    dialog.Ok();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "The CobID tables will have 2000 rows (a port runs CAN 2.0B), and CanCanCobID.xml "
                                    "holds filled rows beyond N\u00B0 1999.\nCAN0 to CAN1: Set CobID Access will move 1 row "
                                    "stored as N\u00B0 2040 into the first empty row, N\u00B0 0."});
    EXPECT_EQ(ReadText(file()), PargenXml({"5", "5", "0", "1", "0", "0", "1"})) << "saved all the same";
    messages.messages.clear();
    dialog.Ok();
    EXPECT_TRUE(messages.messages.empty()) << "the tables do not shrink again";
}

TEST_F(CommSettingsLogicTest, RoundTripThroughTheDialog)
{
    // CAN 0 250 kbit/s 2.0A, CAN 1 500 kbit/s from the dip switch 2.0B, flag set.
    WriteText(file(), PargenXml({"5", "6", "0", "1", "0", "1", "1"}));
    dialog.Show();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dialog.can0.bitRate, 5);
    EXPECT_EQ(dialog.can1.bitRate, 6);
    EXPECT_TRUE(dialog.can0.formatA);
    EXPECT_FALSE(dialog.can0.formatB);
    EXPECT_TRUE(dialog.can1.formatB);
    EXPECT_TRUE(dialog.can1.dipSwitch);
    EXPECT_FALSE(dialog.can1.bitRateEnabled) << "dip switch greys the list";
    EXPECT_TRUE(dialog.can0.bitRateEnabled);
    EXPECT_TRUE(dialog.positive);
    EXPECT_FALSE(dialog.positiveEnabled) << "formats differ";

    std::string before = ReadText(file());
    dialog.Ok();
    EXPECT_EQ(ReadText(file()), before);
    EXPECT_EQ(state.session.CanType0, 0);
    EXPECT_EQ(state.session.CanType1, 1);
    EXPECT_TRUE(state.session.PositiveImpl);
}

TEST_F(CommSettingsLogicTest, SixChildDocumentLetsCan1FollowCan0)
{
    WriteText(file(), PargenXml({"5", "5", "1", "0", "0", "0"}));
    dialog.Show();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(dialog.can1.formatB);
    EXPECT_FALSE(dialog.can1.formatA);
    EXPECT_TRUE(dialog.positiveEnabled) << "both 2.0B";
    EXPECT_FALSE(dialog.positive);

    LoadCommSession(file(), state.session);
    EXPECT_EQ(state.session.CanType0, 1);
    EXPECT_EQ(state.session.CanType1, 1);
    EXPECT_FALSE(state.session.PositiveImpl);
}

TEST_F(CommSettingsLogicTest, TypeTwoSelectsBInTheDialogButIsKeptByLoadCommSession)
{
    WriteText(file(), PargenXml({"5", "5", "2", "2", "0", "0", "0"}));
    dialog.Show();
    EXPECT_TRUE(dialog.can0.formatB);
    EXPECT_TRUE(dialog.can1.formatA);
    LoadCommSession(file(), state.session);
    EXPECT_EQ(state.session.CanType0, 2);
    EXPECT_EQ(state.session.CanType1, 0);
    EXPECT_FALSE(state.session.PositiveImpl) << "Positive 2 reads as clear";
}

TEST_F(CommSettingsLogicTest, PositiveTwoReadsAsClearInTheDialog)
{
    WriteText(file(), PargenXml({"5", "5", "1", "2", "0", "0", "1"}));
    dialog.positive = true;
    dialog.Show();
    EXPECT_FALSE(dialog.positive);
    EXPECT_TRUE(dialog.positiveEnabled);
}

TEST_F(CommSettingsLogicTest, LettersInBoud0StopTheReadingAtPositionZero)
{
    WriteText(file(), PargenXml({"abc", "7", "0", "1", "1", "1", "0"}));
    dialog.can1.bitRate = 2;
    dialog.Show();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error in reading file XML"});
    EXPECT_EQ(dialog.can0.bitRate, 5);
    EXPECT_EQ(dialog.can1.bitRate, 2) << "later positions untouched";
    EXPECT_FALSE(dialog.can0.formatA);
    EXPECT_FALSE(dialog.can0.dipSwitch);
    EXPECT_TRUE(dialog.positive) << "the Positive rule still runs: no format chosen";
}

TEST_F(CommSettingsLogicTest, ShortDocumentKeepsWhatWasReadBeforeTheMissingChild)
{
    WriteText(file(), PargenXml({"1", "2", "0", "1"}));
    dialog.Show();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error in reading file XML"});
    EXPECT_EQ(dialog.can0.bitRate, 1);
    EXPECT_EQ(dialog.can1.bitRate, 2);
    EXPECT_TRUE(dialog.can0.formatA);
    EXPECT_TRUE(dialog.can1.formatA) << "missing position 6 follows CAN 0";
    EXPECT_TRUE(dialog.positive);
}

TEST_F(CommSettingsLogicTest, MissingOrBrokenFileMessages)
{
    dialog.Show();
    WriteText(file(), "<ParametriGenerali><Boud0>");
    dialog.Show();
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"File XML not found", "Error in reading file XML"}));
}

TEST_F(CommSettingsLogicTest, BitRateOutsideTheListShowsNoSelectionAndStoresMinusOne)
{
    WriteText(file(), PargenXml({"12", "8", "0", "0", "1", "0", "0"}));
    dialog.Show();
    EXPECT_EQ(dialog.can0.bitRate, -1);
    EXPECT_EQ(dialog.can1.bitRate, 8);
    EXPECT_FALSE(dialog.can0.bitRateEnabled);
    dialog.Ok();
    EXPECT_EQ(ReadText(file()), PargenXml({"-1", "8", "0", "0", "1", "0", "0"}));
}

TEST_F(CommSettingsLogicTest, PositiveRuleAndRadioExclusivity)
{
    dialog.ChooseFormat(0, false);
    EXPECT_TRUE(dialog.positive);
    EXPECT_FALSE(dialog.positiveEnabled) << "CAN 1 has no format yet";
    dialog.ChooseFormat(1, false);
    EXPECT_TRUE(dialog.positiveEnabled);
    dialog.positive = false;
    dialog.ChooseFormat(1, true);
    EXPECT_FALSE(dialog.can1.formatA);
    EXPECT_TRUE(dialog.positive);
    EXPECT_FALSE(dialog.positiveEnabled);
}

TEST_F(CommSettingsLogicTest, FailedWriteUpdatesTheSessionAndKeepsTheOldFile)
{
    WriteText(file(), "old");
    dialog.ChooseFormat(0, false);
    dialog.ChooseFormat(1, false);
    dialog.positive = false;
    {
        if (!testing::kFileSizeLimitWorks)
            GTEST_SKIP() << "no per-process file size limit on this system";
        testing::FileSizeLimit limit(2);
        EXPECT_THROW(dialog.Ok(), Error);
    }
    EXPECT_EQ(ReadText(file()), "old");
    EXPECT_EQ(state.session.CanType0, 0);
    EXPECT_FALSE(state.session.PositiveImpl);
}

} // namespace
} // namespace c2c
