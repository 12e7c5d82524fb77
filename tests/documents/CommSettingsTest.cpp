#include "documents/CommSettings.h"

#include "platform/Error.h"
#include "platform/XmlDocument.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::RecordingMessages;
using testing::TempDir;
using testing::WriteText;

std::string Pargen(std::initializer_list<const char*> values)
{
    const char* names[] = {"Boud0", "Boud1", "Type", "Positive", "Baud_Dip_C0", "Baud_Dip_C1", "TypeC1"};
    std::string text = "<ParametriGenerali>";
    std::size_t i = 0;
    for (const char* value : values) {
        text += std::string("<") + names[i] + ">" + value + "</" + names[i] + ">";
        ++i;
    }
    return text + "</ParametriGenerali>";
}

class CommSettingsTest : public ::testing::Test {
protected:
    std::string file() const { return dir / "pargen.xml"; }
    TempDir dir;
    RecordingMessages messages;
    CommSession session;
    CommSettingsDialog dialog;
};

TEST_F(CommSettingsTest, CreationTimeStatesAreWrittenAsTwoPointZeroB)
{
    dialog.BitBtn1Click(file(), session);
    EXPECT_EQ(ReadText(file()), Pargen({"5", "5", "1", "0", "0", "0", "1"}));
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 1);
    EXPECT_FALSE(session.PositiveImpl);
}

TEST_F(CommSettingsTest, RoundTripThroughTheDialog)
{
    // CAN 0 250 kbit/s 2.0A, CAN 1 500 kbit/s from the dip switch 2.0B, flag set.
    WriteText(file(), Pargen({"5", "6", "0", "1", "0", "1", "1"}));
    dialog.FormShow(file(), messages);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dialog.ComboBox1, 5);
    EXPECT_EQ(dialog.ComboBox2, 6);
    EXPECT_TRUE(dialog.RB_C0_TA);
    EXPECT_FALSE(dialog.RB_C0_TB);
    EXPECT_TRUE(dialog.RB_C1_TB);
    EXPECT_TRUE(dialog.ECB_Baud_Dip_C1);
    EXPECT_FALSE(dialog.ComboBox2Enabled) << "dip switch greys the list";
    EXPECT_TRUE(dialog.ComboBox1Enabled);
    EXPECT_TRUE(dialog.EwCheckBox2);
    EXPECT_FALSE(dialog.EwCheckBox2Enabled) << "formats differ";

    std::string before = ReadText(file());
    dialog.BitBtn1Click(file(), session);
    EXPECT_EQ(ReadText(file()), before);
    EXPECT_EQ(session.CanType0, 0);
    EXPECT_EQ(session.CanType1, 1);
    EXPECT_TRUE(session.PositiveImpl);
}

TEST_F(CommSettingsTest, SixChildDocumentLetsCan1FollowCan0)
{
    WriteText(file(), Pargen({"5", "5", "1", "0", "0", "0"}));
    dialog.FormShow(file(), messages);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(dialog.RB_C1_TB);
    EXPECT_FALSE(dialog.RB_C1_TA);
    EXPECT_TRUE(dialog.EwCheckBox2Enabled) << "both 2.0B";
    EXPECT_FALSE(dialog.EwCheckBox2);

    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 1);
    EXPECT_FALSE(session.PositiveImpl);
}

TEST_F(CommSettingsTest, TypeTwoSelectsBInTheDialogButIsKeptByLoadCommSession)
{
    WriteText(file(), Pargen({"5", "5", "2", "2", "0", "0", "0"}));
    dialog.FormShow(file(), messages);
    EXPECT_TRUE(dialog.RB_C0_TB);
    EXPECT_TRUE(dialog.RB_C1_TA);
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 2);
    EXPECT_EQ(session.CanType1, 0);
    EXPECT_FALSE(session.PositiveImpl) << "Positive 2 reads as clear";
}

TEST_F(CommSettingsTest, PositiveTwoReadsAsClearInTheDialog)
{
    WriteText(file(), Pargen({"5", "5", "1", "2", "0", "0", "1"}));
    dialog.EwCheckBox2 = true;
    dialog.FormShow(file(), messages);
    EXPECT_FALSE(dialog.EwCheckBox2);
    EXPECT_TRUE(dialog.EwCheckBox2Enabled);
}

TEST_F(CommSettingsTest, LettersInBoud0StopTheReadingAtPositionZero)
{
    WriteText(file(), Pargen({"abc", "7", "0", "1", "1", "1", "0"}));
    dialog.ComboBox2 = 2;
    dialog.FormShow(file(), messages);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error in reading file XML"});
    EXPECT_EQ(dialog.ComboBox1, 5);
    EXPECT_EQ(dialog.ComboBox2, 2) << "later positions untouched";
    EXPECT_FALSE(dialog.RB_C0_TA);
    EXPECT_FALSE(dialog.ECB_Baud_Dip_C0);
    EXPECT_TRUE(dialog.EwCheckBox2) << "the Positive rule still runs: no format chosen";
}

TEST_F(CommSettingsTest, ShortDocumentKeepsWhatWasReadBeforeTheMissingChild)
{
    WriteText(file(), Pargen({"1", "2", "0", "1"}));
    dialog.FormShow(file(), messages);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error in reading file XML"});
    EXPECT_EQ(dialog.ComboBox1, 1);
    EXPECT_EQ(dialog.ComboBox2, 2);
    EXPECT_TRUE(dialog.RB_C0_TA);
    EXPECT_TRUE(dialog.RB_C1_TA) << "missing position 6 follows CAN 0";
    EXPECT_TRUE(dialog.EwCheckBox2);
}

TEST_F(CommSettingsTest, MissingOrBrokenFileMessages)
{
    dialog.FormShow(file(), messages);
    WriteText(file(), "<ParametriGenerali><Boud0>");
    dialog.FormShow(file(), messages);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"File XML not found", "Error in reading file XML"}));
}

TEST_F(CommSettingsTest, BitRateOutsideTheListShowsNoSelectionAndStoresMinusOne)
{
    WriteText(file(), Pargen({"12", "8", "0", "0", "1", "0", "0"}));
    dialog.FormShow(file(), messages);
    EXPECT_EQ(dialog.ComboBox1, -1);
    EXPECT_EQ(dialog.ComboBox2, 8);
    EXPECT_FALSE(dialog.ComboBox1Enabled);
    dialog.BitBtn1Click(file(), session);
    EXPECT_EQ(ReadText(file()), Pargen({"-1", "8", "0", "0", "1", "0", "0"}));
}

TEST_F(CommSettingsTest, CommentInsideTheRootShiftsPositions)
{
    WriteText(file(), "<ParametriGenerali><!--c--><Boud0>1</Boud0><Boud1>2</Boud1><Type>1</Type>"
                      "<Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1>"
                      "<TypeC1>1</TypeC1></ParametriGenerali>");
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 2) << "position 2 is now the element Boud1";
}

TEST_F(CommSettingsTest, PositiveRuleAndRadioExclusivity)
{
    dialog.ChooseCan0(false);
    EXPECT_TRUE(dialog.EwCheckBox2);
    EXPECT_FALSE(dialog.EwCheckBox2Enabled) << "CAN 1 has no format yet";
    dialog.ChooseCan1(false);
    EXPECT_TRUE(dialog.EwCheckBox2Enabled);
    dialog.EwCheckBox2 = false;
    dialog.ChooseCan1(true);
    EXPECT_FALSE(dialog.RB_C1_TA);
    EXPECT_TRUE(dialog.EwCheckBox2);
    EXPECT_FALSE(dialog.EwCheckBox2Enabled);
}

TEST_F(CommSettingsTest, LoadCommSessionDefaultsAndBrokenDocuments)
{
    session = {7, 7, false};
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 0);
    EXPECT_EQ(session.CanType1, 0);
    EXPECT_TRUE(session.PositiveImpl);

    session = {7, 7, false};
    WriteText(file(), Pargen({"5", "5", "1"}));
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 1) << "position 6 missing: follows CAN 0";
    EXPECT_FALSE(session.PositiveImpl) << "fewer than four children: unchanged";

    session = {7, 7, false};
    WriteText(file(), "not xml");
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 7);
}

TEST_F(CommSettingsTest, FailedWriteUpdatesTheSessionAndKeepsTheOldFile)
{
    WriteText(file(), "old");
    dialog.ChooseCan0(false);
    dialog.ChooseCan1(false);
    dialog.EwCheckBox2 = false;
    {
        testing::FileSizeLimit limit(2);
        EXPECT_THROW(dialog.BitBtn1Click(file(), session), Error);
    }
    EXPECT_EQ(ReadText(file()), "old");
    EXPECT_EQ(session.CanType0, 0);
    EXPECT_FALSE(session.PositiveImpl);
}

} // namespace
} // namespace c2c
