// The CANopen advice: forgotten heartbeats and SDO responses of a node
// whose TPDOs pass, and the network services, with Positive Implementation
// set. Expectations worked out by hand from the predefined connection set.

#include "documents/CanOpenCheck.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

const CommSession kStandard{0, 0, true};
const CommSession kClear{0, 0, false};

TEST(CanOpenCheckTest, NamesForgottenHeartbeatsSdoResponsesAndNetworkServices)
{
    auto tablesOf = [](std::vector<const char*> can0ToCan1, std::vector<const char*> can1ToCan0) {
        CobIdTables tables{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
        for (std::size_t r = 0; r < can0ToCan1.size(); ++r)
            tables.can0ToCan1[r].Orig_CobID = can0ToCan1[r];
        for (std::size_t r = 0; r < can1ToCan0.size(); ++r)
            tables.can1ToCan0[r].Orig_CobID = can1ToCan0[r];
        return tables;
    };
    const struct {
        const char* name;
        CobIdTables tables;
        CommSession session;
        std::vector<std::string> findings;
    } cases[] = {
        {"whole node", tablesOf({"0x185", "0x585", "$705"}, {"0", "0x80"}), kStandard, {}},
        {"no CANopen node", tablesOf({"0x10", "0x600"}, {}), kStandard, {}},
        {"positive clear", tablesOf({"0x185"}, {}), kClear, {}},
        {"heartbeat forgotten", tablesOf({"0x0", "0x80"}, {"0x183", "0x483", "0x583"}), kStandard,
         {"Table CAN1 to CAN0: the TPDOs of node 3 pass (0x183, 0x483) but its heartbeat 0x703 has no row, so the "
          "device blocks it (Positive Implementation is set)"}},
        {"both forgotten, no NMT", tablesOf({"0x80", "0x1FF"}, {}), kStandard,
         {"Table CAN0 to CAN1: the TPDOs of node 127 pass (0x1FF) but its heartbeat 0x77F and its SDO response 0x5FF "
          "have no row, so the device blocks them (Positive Implementation is set)",
          "No table lists NMT (0x000): with Positive Implementation set, the NMT master's commands do not cross the "
          "device"}},
        {"any integer syntax", tablesOf({"0", "128", "$185", "1413", "x705"}, {}), kStandard, {}},
        {"rows of each table judged apart", tablesOf({"0", "0x80", "0x185"}, {"0x585", "0x705"}), kStandard,
         {"Table CAN0 to CAN1: the TPDOs of node 5 pass (0x185) but its heartbeat 0x705 and its SDO response 0x585 "
          "have no row, so the device blocks them (Positive Implementation is set)"}},
        {"heartbeat alone, no SYNC", tablesOf({"0x701"}, {"0"}), kStandard,
         {"No table lists SYNC (0x080): with Positive Implementation set, SYNC does not cross the device"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckCanOpenTables(c.tables, c.session), c.findings) << c.name;
}

} // namespace
} // namespace c2c
