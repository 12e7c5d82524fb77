// Add rows without widgets: the fields of each kind, their preview, what
// keeps the rows from being added, and the tables Add hands back.

#include "dialogs/AddRowsLogic.h"

#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace c2c {
namespace {

using ::testing::HasSubstr;

const std::string kData = C2C_TEST_DATA "/canopen/";
const CommSession kStandard{0, 0, true};

CobIdTables Tables()
{
    CobIdTables tables{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    tables.can0ToCan1[0].Orig_CobID = "0x185";
    return tables;
}

TEST(AddRowsLogicTest, PreviewsEveryKindAndSaysWhatKeepsRowsOut)
{
    const struct {
        const char* name;
        std::function<void(AddRowsLogic&)> fill;
        std::size_t lines;     // of the preview
        const char* firstLine; // a part of it
        bool canAdd;
    } cases[] = {
        {"no node", [](AddRowsLogic&) {}, 1, "Type the node's ID (1 to 127), or choose its EDS or DCF.", false},
        {"bad node", [](AddRowsLogic& l) { l.node = "200"; }, 1, "The node's ID '200' is no node ID (1 to 127).", false},
        {"bad as", [](AddRowsLogic& l) { l.node = "5"; l.nodeAs = "x"; }, 1, "on the other port 'x' is no node ID", false},
        {"heartbeat only",
         [](AddRowsLogic& l) {
             l.node = "0x7";
             l.serviceBoxes.assign(l.serviceBoxes.size(), false);
             l.serviceBoxes.back() = true;
         },
         1, "CAN0 to CAN1  N\u00B0 1   0x707 -> unchanged", true},
        {"no service",
         [](AddRowsLogic& l) {
             l.node = "7";
             l.serviceBoxes.assign(l.serviceBoxes.size(), false);
         },
         1, "Nothing can be added: No service of node 7 is chosen.", false},
        {"listed already", [](AddRowsLogic& l) { l.node = "5"; }, 1,
         "Nothing can be added: Table CAN0 to CAN1 has a row for 0x185 (TPDO1 node 5) already: N\u00B0 0", false},
        {"from the file, services ignored",
         [](AddRowsLogic& l) {
             l.ChooseFile(kData + "valve.dcf");
             l.nodePort = CanPort::Can1;
             l.nodeAs = "9";
             l.serviceBoxes.assign(l.serviceBoxes.size(), false);
         },
         7 + 5, "CAN0 to CAN1  N\u00B0 1   0x181 -> unchanged", true},
        {"unreadable file", [](AddRowsLogic& l) { l.ChooseFile(kData + "missing.dcf"); }, 1,
         "Nothing can be added: Cannot open file", false},
        {"range", [](AddRowsLogic& l) { l.kind = kAddRange; l.range = "0x100-0x10F"; l.rangeTo = "$200"; }, 16,
         "0x100 -> 0x200", true},
        {"bad range", [](AddRowsLogic& l) { l.kind = kAddRange; l.range = "0x10"; }, 1, "Type the range as FIRST-LAST",
         false},
        {"bad range target", [](AddRowsLogic& l) { l.kind = kAddRange; l.range = "1-2"; l.rangeTo = "-1"; }, 1,
         "The new first identifier '-1' is no identifier", false},
        {"identifier",
         [](AddRowsLogic& l) {
             l.kind = kAddIdentifier;
             l.identifier = "0x185";
             l.identifierTable = kCan1ToCan0;
             l.identifierTo = "0x1A5";
         },
         1, "CAN1 to CAN0  N\u00B0 0   0x185 -> 0x1A5", true},
        {"no identifier", [](AddRowsLogic& l) { l.kind = kAddIdentifier; }, 1, "Type the identifier", false},
        {"network", [](AddRowsLogic& l) { l.kind = kAddNetwork; l.networkPort = CanPort::Can1; }, 3, "0x000 -> unchanged", true},
        {"no network service",
         [](AddRowsLogic& l) {
             l.kind = kAddNetwork;
             l.nmt = l.sync = l.time = false;
         },
         1, "Nothing can be added: No network service is chosen.", false},
    };
    testing::FakeServices services;
    for (const auto& c : cases) {
        AddRowsLogic logic(Tables(), kStandard, services.all(), "");
        c.fill(logic);
        const AddRowsLogic::Preview preview = logic.Refresh();
        ASSERT_EQ(preview.lines.size(), c.lines) << c.name << ": " << ::testing::PrintToString(preview.lines);
        EXPECT_THAT(preview.lines[0], HasSubstr(c.firstLine)) << c.name;
        EXPECT_EQ(preview.canAdd, c.canAdd) << c.name;
        EXPECT_EQ(logic.Add().has_value(), c.canAdd) << c.name;
    }
}

TEST(AddRowsLogicTest, AddHandsBackTheTablesWithTheRowsAndBrowsePicksTheFile)
{
    testing::FakeServices services;
    AddRowsLogic logic(Tables(), kStandard, services.all(), "/plant");
    EXPECT_FALSE(logic.Add()) << "nothing before a preview";
    services.files.result = kData + "valve.dcf";
    ASSERT_TRUE(logic.BrowseFile());
    EXPECT_EQ(services.files.calls.back().folder, "/plant");
    EXPECT_EQ(services.files.calls.back().pattern, "*.eds *.dcf");
    EXPECT_FALSE(logic.ServicesApply());
    logic.Refresh();
    const auto addition = logic.Add();
    ASSERT_TRUE(addition);
    EXPECT_EQ(addition->tables.can0ToCan1[0].Orig_CobID, "0x185");
    EXPECT_EQ(addition->tables.can0ToCan1[1], (CobIdRow{"0x08B", "", "EMCY node 11"}));
    EXPECT_EQ(addition->tables.can1ToCan0[0], (CobIdRow{"0x181", "", "RPDO1 to node 11"}));

    services.files.result.reset();
    EXPECT_FALSE(logic.BrowseFile());
    EXPECT_EQ(logic.NodeFile(), kData + "valve.dcf");
}

// The node's file is read once, when it is chosen: the preview follows the
// fields without reading it again, until Reload.
TEST(AddRowsLogicTest, TheFileIsReadWhenChosenAndAgainOnlyOnReload)
{
    testing::TempDir dir;
    testing::FakeServices services;
    testing::WriteText(dir / "node.dcf", "[DeviceComissioning]\nNodeID=5\n[1800sub1]\nDefaultValue=$NODEID+0x180\n");
    AddRowsLogic logic(Tables(), kStandard, services.all(), dir.path());
    services.files.result = dir / "node.dcf";
    ASSERT_TRUE(logic.BrowseFile());
    EXPECT_EQ(services.files.calls.back().folder, dir.path()) << "the chooser starts in the folder given";
    EXPECT_EQ(logic.Folder(), dir.path()) << "and next in the folder of the file picked";
    std::filesystem::remove(dir / "node.dcf");
    logic.node = "6"; // read for node 6 from what was read
    EXPECT_THAT(logic.Refresh().lines[0], HasSubstr("0x186 -> unchanged"));
    logic.ReloadFile();
    EXPECT_THAT(logic.Refresh().lines[0], HasSubstr("Nothing can be added: "));
    logic.ClearFile();
    EXPECT_TRUE(logic.ServicesApply());
    EXPECT_THAT(logic.Refresh().lines[0], HasSubstr("EMCY node 6"));
}

} // namespace
} // namespace c2c
