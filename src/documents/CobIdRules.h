#pragma once
// Rules that fill the CobID tables the way a CANopen engineer thinks of a
// network: one identifier, a range of them, a CANopen node with its
// services, the network services, or a node as its own EDS or DCF describes
// it. A rule only writes ordinary rows: CanCanCobID.xml and what the device
// does with it stay as they are.
//
// A node N on port P that appears as node M on the other port (M = N unless
// said otherwise) has one row per service of the predefined connection set
// (documents/CanOpen.h), in the direction its frames travel: what the node
// sends goes from P to the other port, N -> M; what is addressed to it
// comes from the other port to P, M -> N. NMT, SYNC and TIME pass unchanged
// from the port of their producer to the other one.
//
// Expanding a rule is pure: a node described by its EDS or DCF carries the
// description, read by the caller. Where the rows go is
// documents/CobIdPlacement.h; the texts typed for a rule are read by
// documents/CobIdRuleText.h.

#include "documents/CanFrame.h"
#include "documents/CanOpen.h"
#include "documents/CobIdRuleText.h"
#include "documents/DeviceDescription.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace c2c {

// ORIG [-> MOD] in one table.
struct IdentifierRule {
    int direction = kCan0ToCan1;
    std::uint32_t original = 0;
    std::optional<std::uint32_t> modified;
};
// FIRST-LAST [-> NEW_FIRST]: one row per identifier, modified = NEW_FIRST +
// (id - FIRST), unchanged without NEW_FIRST.
struct RangeRule {
    int direction = kCan0ToCan1;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::optional<std::uint32_t> newFirst;
};
// Node `node` on `port`, as node `as` on the other port.
struct NodeRule {
    int node = 1;
    CanPort port = CanPort::Can0;
    std::optional<int> as;
    NodeServices services = kAllNodeServices;
};
// A node as its EDS or DCF describes it (read for the node: its `node` is
// the node's ID), on `port`, as node `as` on the other port. `file` names
// the file in the notes.
struct DescribedNodeRule {
    DeviceDescription description;
    std::string file;
    CanPort port = CanPort::Can0;
    std::optional<int> as;
};
// NMT, SYNC and TIME from `fromPort` to the other one.
struct NetworkRule {
    bool nmt = true;
    bool sync = true;
    bool time = true;
    CanPort fromPort = CanPort::Can0;
};
using CobIdRule = std::variant<IdentifierRule, RangeRule, NodeRule, DescribedNodeRule, NetworkRule>;

// One row a rule asks for.
struct RuleRow {
    int direction = kCan0ToCan1;
    std::uint32_t original = 0;
    std::optional<std::uint32_t> modified; // nothing: passes unchanged
    bool extendedFrame = false;            // a 29-bit frame, whatever its identifier
    std::string description;
    bool operator==(const RuleRow&) const = default;
};

struct RuleExpansion {
    std::vector<RuleRow> rows;
    std::vector<std::string> notes;     // what the engineer should know before adding
    std::optional<std::string> refusal; // the rule itself cannot be added
};

// The rows a rule asks for.
RuleExpansion ExpandRule(const CobIdRule& rule);

// The rows of a node as `description` (read from `fileName`) gives them.
// With M != N, an identifier whose low 7 bits are N becomes the same
// function code + M; any other identifier is listed unchanged, and a note
// says so. The heartbeat is 0x700+N. A file without an SDO server section
// gets the SDO of the predefined set.
RuleExpansion ExpandDescribedNode(const DeviceDescription& description, const std::string& fileName, CanPort port,
                                  std::optional<int> as);

} // namespace c2c
