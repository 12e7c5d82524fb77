#include "documents/CommSettings.h"

#include "support/ProjectDocuments.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::PargenXml;
using testing::TempDir;
using testing::WriteText;

class CommSettingsTest : public ::testing::Test {
protected:
    std::string file() const { return dir / "pargen.xml"; }
    TempDir dir;
    CommSession session;
};

TEST_F(CommSettingsTest, CommentInsideTheRootShiftsPositions)
{
    WriteText(file(), "<ParametriGenerali><!--c--><Boud0>1</Boud0><Boud1>2</Boud1><Type>1</Type>"
                      "<Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1>"
                      "<TypeC1>1</TypeC1></ParametriGenerali>");
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 2) << "position 2 is now the element Boud1";
}

TEST_F(CommSettingsTest, LoadCommSessionDefaultsAndBrokenDocuments)
{
    session = {7, 7, false};
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 0);
    EXPECT_EQ(session.CanType1, 0);
    EXPECT_TRUE(session.PositiveImpl);

    session = {7, 7, false};
    WriteText(file(), PargenXml({"5", "5", "1"}));
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 1) << "position 6 missing: follows CAN 0";
    EXPECT_FALSE(session.PositiveImpl) << "fewer than four children: unchanged";

    session = {7, 7, false};
    WriteText(file(), "not xml");
    LoadCommSession(file(), session);
    EXPECT_EQ(session.CanType0, 7);
}

} // namespace
} // namespace c2c
