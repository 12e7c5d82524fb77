// Rules that add rows: what each expands to, where the rows go, every
// refusal, and the CANopen checks.

#include "documents/CobIdPlacement.h"
#include "documents/IntegerText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const CommSession kStandard{0, 0, true};
const CommSession kClear{0, 0, false};
const CommSession kCan0Extended{1, 0, true};

const std::string kData = C2C_TEST_DATA "/canopen/";

CobIdTables Empty(const CommSession& session)
{
    const std::size_t length = CobIdTableLength(session);
    return {CobIdTable(length), CobIdTable(length)};
}

// A node as its file describes it, read for `node` as the callers of the rules read it.
DescribedNodeRule Described(const std::string& file, std::optional<int> node, CanPort port, std::optional<int> as)
{
    return DescribedNodeRule{ReadDeviceDescription(file, node), file, port, as};
}

// A row as "0>1 0x185->0x1A5 TPDO1 node 5 as node 37" ("=" for unchanged).
std::vector<std::string> Rows(const RuleExpansion& expansion)
{
    std::vector<std::string> rows;
    for (const RuleRow& row : expansion.rows)
        rows.push_back(std::string(row.direction == kCan0ToCan1 ? "0>1 " : "1>0 ") + IdentifierText(row.original) + "->" +
                       (row.modified ? IdentifierText(*row.modified) : "=") + (row.extendedFrame ? " 29-bit " : " ") +
                       row.description);
    return rows;
}

TEST(CobIdRulesTest, ANodeHasOneRowPerServiceInTheDirectionItsFramesTravel)
{
    EXPECT_THAT(Rows(ExpandRule(NodeRule{5, CanPort::Can0, 37, kAllNodeServices})),
                ElementsAre("0>1 0x085->0x0A5 EMCY node 5 as node 37", "0>1 0x185->0x1A5 TPDO1 node 5 as node 37",
                            "0>1 0x285->0x2A5 TPDO2 node 5 as node 37", "0>1 0x385->0x3A5 TPDO3 node 5 as node 37",
                            "0>1 0x485->0x4A5 TPDO4 node 5 as node 37",
                            "1>0 0x225->0x205 RPDO1 to node 5 (node 37 on CAN1)",
                            "1>0 0x325->0x305 RPDO2 to node 5 (node 37 on CAN1)",
                            "1>0 0x425->0x405 RPDO3 to node 5 (node 37 on CAN1)",
                            "1>0 0x525->0x505 RPDO4 to node 5 (node 37 on CAN1)",
                            "0>1 0x585->0x5A5 SDO response node 5 as node 37",
                            "1>0 0x625->0x605 SDO request to node 5 (node 37 on CAN1)",
                            "0>1 0x705->0x725 Heartbeat node 5 as node 37"));
    EXPECT_THAT(ExpandRule(NodeRule{5, CanPort::Can0, 37, kAllNodeServices}).notes,
                ElementsAre("NMT commands name their node in the data byte, which the device does not translate: NMT "
                            "commands for node 37 on CAN1 do not reach node 5."));

    const RuleExpansion onCan1 = ExpandRule(NodeRule{127, CanPort::Can1, std::nullopt, *ParseNodeServices("tpdo1,sdo,heartbeat")});
    EXPECT_THAT(Rows(onCan1), ElementsAre("1>0 0x1FF->= TPDO1 node 127", "1>0 0x5FF->= SDO response node 127",
                                          "0>1 0x67F->= SDO request to node 127", "1>0 0x77F->= Heartbeat node 127"));
    EXPECT_THAT(onCan1.notes, IsEmpty());
    EXPECT_EQ(ParseNodeServices("pdo")->count(), 8u);
    EXPECT_EQ(ParseNodeServices("emcy,rpdo4,heartbeat")->count(), 3u);
    for (const char* bad : {"", "tpdo5", "sdo,", "SDO", "pdo heartbeat"})
        EXPECT_FALSE(ParseNodeServices(bad)) << bad;
}

TEST(CobIdRulesTest, NetworkServicesIdentifiersAndRanges)
{
    const RuleExpansion network = ExpandRule(NetworkRule{true, true, true, CanPort::Can1});
    EXPECT_THAT(Rows(network), ElementsAre("1>0 0x000->= NMT from CAN1", "1>0 0x080->= SYNC from CAN1",
                                           "1>0 0x100->= TIME from CAN1"));
    EXPECT_THAT(network.notes, ElementsAre(HasSubstr("NMT commands name their node in the data byte")));
    EXPECT_THAT(Rows(ExpandRule(NetworkRule{false, true, false, CanPort::Can0})), ElementsAre("0>1 0x080->= SYNC from CAN0"));

    EXPECT_THAT(Rows(ExpandRule(IdentifierRule{kCan1ToCan0, 0x123, 0x1ABCDEF})),
                ElementsAre("1>0 0x123->0x1ABCDEF Identifier 0x123 as 0x1ABCDEF"));
    EXPECT_THAT(Rows(ExpandRule(IdentifierRule{kCan0ToCan1, 0x123, 0x123})), ElementsAre("0>1 0x123->= Identifier 0x123"));
    EXPECT_THAT(Rows(ExpandRule(RangeRule{kCan0ToCan1, 0x7FD, 0x7FF, 0x100})),
                ElementsAre("0>1 0x7FD->0x100 Range 0x7FD-0x7FF as 0x100-0x102",
                            "0>1 0x7FE->0x101 Range 0x7FD-0x7FF as 0x100-0x102",
                            "0>1 0x7FF->0x102 Range 0x7FD-0x7FF as 0x100-0x102"));
    EXPECT_EQ(ExpandRule(RangeRule{kCan0ToCan1, 0, 0x7FF, std::nullopt}).rows.size(), 2048u);
}

TEST(CobIdRulesTest, ANodeFromItsFileIsRemappedWhereItsIdentifiersEndInItsId)
{
    const RuleExpansion pump = ExpandRule(Described(kData + "pump.eds", 5, CanPort::Can1, 37));
    EXPECT_THAT(Rows(pump), ElementsAre("1>0 0x085->0x0A5 EMCY node 5 as node 37",
                                        "0>1 0x625->0x605 SDO request to node 5 (node 37 on CAN0)",
                                        "1>0 0x585->0x5A5 SDO response node 5 as node 37",
                                        "0>1 0x225->0x205 RPDO1 to node 5 (node 37 on CAN0)",
                                        "1>0 0x185->0x1A5 TPDO1 node 5 as node 37",
                                        "1>0 0x285->0x2A5 TPDO2 node 5 as node 37",
                                        "1>0 0xABC005->0xABC025 29-bit TPDO4 node 5 as node 37",
                                        "1>0 0x705->0x725 Heartbeat node 5 as node 37"));
    EXPECT_THAT(pump.notes, ElementsAre(HasSubstr("Read from"), HasSubstr("TPDO3 ([1802SUB1]) is not valid"),
                                        HasSubstr("NMT commands for node 37 on CAN0 do not reach node 5")));

    const RuleExpansion valve = ExpandRule(Described(kData + "valve.dcf", std::nullopt, CanPort::Can0, 12));
    EXPECT_THAT(Rows(valve), ElementsAre("0>1 0x08B->0x08C EMCY node 11 as node 12",
                                         "1>0 0x181->= RPDO1 to node 11 (0x181 kept)",
                                         "1>0 0x30C->0x30B RPDO2 to node 11 (node 12 on CAN1)",
                                         "0>1 0x310->= TPDO1 node 11 (0x310 kept)",
                                         "1>0 0x60C->0x60B SDO request to node 11 (node 12 on CAN1)",
                                         "0>1 0x58B->0x58C SDO response node 11 as node 12",
                                         "0>1 0x70B->0x70C Heartbeat node 11 as node 12"));
    EXPECT_THAT(valve.notes, ElementsAre(HasSubstr("for node 11"), HasSubstr("describes no SDO server"),
                                         "RPDO1 of node 11, 0x181, does not end in the node's ID: listed unchanged.",
                                         HasSubstr("TPDO1 of node 11, 0x310"), HasSubstr("NMT commands")));
    EXPECT_THAT(Rows(ExpandRule(Described(kData + "valve.dcf", std::nullopt, CanPort::Can0, std::nullopt))),
                ::testing::Contains("1>0 0x181->= RPDO1 to node 11"));
}

TEST(CobIdRulesTest, RowsGoAfterTheLastRowInUseAscendingByOriginal)
{
    CobIdTables tables = Empty(kStandard);
    tables.can0ToCan1[0] = {"0x10", "", ""};
    tables.can0ToCan1[4] = {"", "", "a note"}; // in use: nothing goes above it
    const CobIdAddition addition = PlanCobIdAddition(tables, kStandard, ExpandRule(NodeRule{2, CanPort::Can1, 3, kAllNodeServices}));
    ASSERT_TRUE(addition.Accepted()) << *addition.refusal;
    EXPECT_EQ(addition.rows.front(), (PlacedRow{kCan0ToCan1, 5, {"0x203", "0x202", "RPDO1 to node 2 (node 3 on CAN0)"}}));
    EXPECT_EQ(addition.tables.can0ToCan1[9], (CobIdRow{"0x603", "0x602", "SDO request to node 2 (node 3 on CAN0)"}));
    EXPECT_EQ(addition.tables.can1ToCan0[0], (CobIdRow{"0x082", "0x083", "EMCY node 2 as node 3"}));
    EXPECT_EQ(addition.tables.can1ToCan0[6], (CobIdRow{"0x702", "0x703", "Heartbeat node 2 as node 3"}));
    EXPECT_EQ(addition.rows.size(), 12u);
    EXPECT_EQ(addition.tables.can0ToCan1[4], tables.can0ToCan1[4]);
    EXPECT_THAT(CobIdAdditionLines(addition)[0], "CAN0 to CAN1  N\u00B0 5   0x203 -> 0x202            RPDO1 to node 2 (node 3 on CAN0)");

    // Positive Implementation clear: rows that block are allowed, and said so.
    const CobIdAddition blocking = PlanCobIdAddition(Empty(kClear), kClear, ExpandRule(NodeRule{2, CanPort::Can1, std::nullopt}));
    ASSERT_TRUE(blocking.Accepted());
    EXPECT_THAT(blocking.notes, ElementsAre(HasSubstr("Positive Implementation is clear: the device blocks")));

    // The table's last row is reached exactly.
    CobIdTables nearlyFull = Empty(kStandard);
    nearlyFull.can0ToCan1[2040].Orig_CobID = "1";
    const CobIdAddition edge =
        PlanCobIdAddition(nearlyFull, kStandard, ExpandRule(RangeRule{kCan0ToCan1, 0x7F9, 0x7FF, std::nullopt}));
    ASSERT_TRUE(edge.Accepted());
    EXPECT_EQ(edge.tables.can0ToCan1[2047].Orig_CobID, "0x7FF");
}

TEST(CobIdRulesTest, AddingIsRefusedWithAClearReason)
{
    CobIdTables listed = Empty(kStandard);
    listed.can0ToCan1[7].Orig_CobID = "389"; // 0x185
    CobIdTables nearlyFull = Empty(kStandard);
    nearlyFull.can0ToCan1[2040].Orig_CobID = "1";
    DeviceDescription twice{5, {{NodeObject::Tpdo, 1, 0x185, false}, {NodeObject::Tpdo, 2, 0x185, false}}, true, {}};
    DeviceDescription extended{5, {{NodeObject::Tpdo, 1, 0x185, true}}, true, {}};
    const struct {
        const char* name;
        CobIdTables tables;
        CommSession session;
        RuleExpansion expansion;
        const char* reason;
    } cases[] = {
        {"listed", listed, kStandard, ExpandRule(NodeRule{5, CanPort::Can0, std::nullopt}),
         "Table CAN0 to CAN1 has a row for 0x185 (TPDO1 node 5) already: N\u00B0 7"},
        {"too big", Empty(kStandard), kStandard, ExpandRule(IdentifierRule{kCan0ToCan1, 0x800, std::nullopt}),
         "Table CAN0 to CAN1: 0x800 (Identifier 0x800) cannot arrive on CAN0, which runs CAN 2.0A (0x000 to 0x7FF)"},
        {"cannot leave", Empty(kCan0Extended), kCan0Extended, ExpandRule(IdentifierRule{kCan0ToCan1, 0x1000, std::nullopt}),
         "0x1000 (Identifier 0x1000) cannot leave on CAN1, which runs CAN 2.0A (0x000 to 0x7FF)"},
        {"new too big", Empty(kCan0Extended), kCan0Extended, ExpandRule(IdentifierRule{kCan0ToCan1, 0x100, 0x800}),
         "0x100 (Identifier 0x100 as 0x800) cannot leave on CAN1, which runs CAN 2.0A (0x000 to 0x7FF)"},
        {"29-bit frame", Empty(kStandard), kStandard, ExpandDescribedNode(extended, "x.eds", CanPort::Can0, std::nullopt),
         "0x185 (TPDO1 node 5) cannot arrive on CAN0, which runs CAN 2.0A (0x000 to 0x7FF): it uses 29-bit frames"},
        {"no CAN identifier", Empty(kCan0Extended), kCan0Extended,
         ExpandRule(IdentifierRule{kCan1ToCan0, 0x20000000, std::nullopt}), "is no CAN identifier"},
        {"translation, positive clear", Empty(kClear), kClear, ExpandRule(NodeRule{5, CanPort::Can0, 6}),
         "Positive Implementation is clear: the device then blocks the listed identifiers"},
        {"asked twice", Empty(kStandard), kStandard, ExpandDescribedNode(twice, "x.eds", CanPort::Can0, std::nullopt),
         "Table CAN0 to CAN1: 0x185 is asked twice (TPDO1 node 5, TPDO2 node 5)"},
        {"no room", nearlyFull, kStandard, ExpandRule(RangeRule{kCan0ToCan1, 0x7F8, 0x7FF, std::nullopt}),
         "Table CAN0 to CAN1 has room for 7 rows after its last row in use (N\u00B0 2040); 8 are needed"},
        {"more than 2000", Empty(kCan0Extended), kCan0Extended, ExpandRule(RangeRule{kCan1ToCan0, 0, 0x7FF, std::nullopt}),
         "Table CAN1 to CAN0 has 2000 rows; 2048 are needed"},
        {"range beyond a table", Empty(kStandard), kStandard, ExpandRule(RangeRule{kCan0ToCan1, 0, 0x800, std::nullopt}),
         "The range 0x000-0x800 holds 2049 identifiers, more than the 2048 rows a table has"},
        {"range beyond 29 bits", Empty(kCan0Extended), kCan0Extended,
         ExpandRule(RangeRule{kCan0ToCan1, 0x10, 0x20, 0x1FFFFFF0}), "would end beyond 0x1FFFFFFF"},
        {"range backwards", Empty(kStandard), kStandard, ExpandRule(RangeRule{kCan0ToCan1, 0x20, 0x10, std::nullopt}),
         "ends before it starts"},
        {"node", Empty(kStandard), kStandard, ExpandRule(NodeRule{128, CanPort::Can0, std::nullopt}), "Node 128 is no node ID (1 to 127)"},
        {"as", Empty(kStandard), kStandard, ExpandRule(NodeRule{5, CanPort::Can0, 0}), "Node 0 is no node ID"},
        {"no service", Empty(kStandard), kStandard, ExpandRule(NodeRule{5, CanPort::Can0, std::nullopt, NodeServices()}),
         "No service of node 5 is chosen"},
        {"no network service", Empty(kStandard), kStandard, ExpandRule(NetworkRule{false, false, false, CanPort::Can0}),
         "No network service is chosen"},
    };
    for (const auto& c : cases) {
        const CobIdAddition addition = PlanCobIdAddition(c.tables, c.session, c.expansion);
        ASSERT_FALSE(addition.Accepted()) << c.name;
        EXPECT_THAT(*addition.refusal, HasSubstr(c.reason)) << c.name;
        EXPECT_EQ(addition.tables, c.tables) << c.name;
        EXPECT_THAT(addition.rows, IsEmpty()) << c.name;
        EXPECT_THAT(CobIdAdditionLines(addition), ElementsAre("Nothing can be added: " + *addition.refusal + "."));
    }
}

} // namespace
} // namespace c2c
