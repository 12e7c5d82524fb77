#pragma once
// Rules that fill the CobID tables the way a CANopen engineer thinks of a
// network: one identifier, a range of them, a CANopen node with its
// services, the network services, or a node as its own EDS or DCF describes
// it. A rule only writes ordinary rows: CanCanCobID.xml and what the device
// does with it stay as they are.
//
// A node N on port P that appears as node M on the other port (M = N unless
// said otherwise) has one row per service, in the direction its frames
// travel (the predefined connection set):
// - sent by the node, from P to the other port, N -> M: EMCY 0x080+N,
//   TPDO1..4 0x180/0x280/0x380/0x480+N, SDO response 0x580+N, heartbeat
//   (NMT error control) 0x700+N;
// - addressed to the node, from the other port to P, M -> N: RPDO1..4
//   0x200/0x300/0x400/0x500+M, SDO request 0x600+M.
// NMT 0x000, SYNC 0x080 and TIME 0x100 pass unchanged from the port of
// their producer to the other one.
//
// Adding is all or nothing: PlanCobIdAddition places every row after the
// last row in use of its table, ascending by original identifier, or says
// why none can be added.

#include "documents/CobIdTables.h"
#include "documents/DeviceDescription.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace c2c {

// Ports as rules name them: 0 is CAN 0, 1 is CAN 1.
constexpr int OtherPort(int port)
{
    return port == 1 ? 0 : 1;
}
// The table of the frames that arrive on `port`.
constexpr int DirectionFrom(int port)
{
    return port == 1 ? kCan1ToCan0 : kCan0ToCan1;
}
// "CAN0", "CAN1".
std::string CanPortName(int port);

// The largest CAN identifier (29 bits).
inline constexpr std::uint32_t kMaxCanIdentifier = 0x1FFFFFFF;

// Texts typed for a rule, in the program's integer syntax: an identifier
// (0 to 0x1FFFFFFF), a node ID (1 to 127), and FIRST-LAST (the "-" after
// the first character, since a sign may lead FIRST; FIRST not above LAST).
std::optional<std::uint32_t> ParseRuleIdentifier(std::string_view text);
std::optional<int> ParseNodeId(std::string_view text);
std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseIdentifierRange(std::string_view text);

// The services of a node.
enum NodeService : std::size_t {
    kEmcy,
    kTpdo1,
    kTpdo2,
    kTpdo3,
    kTpdo4,
    kRpdo1,
    kRpdo2,
    kRpdo3,
    kRpdo4,
    kSdoResponse,
    kSdoRequest,
    kHeartbeat,
    kNodeServiceCount,
};
using NodeServices = std::bitset<kNodeServiceCount>;
inline const NodeServices kAllNodeServices = NodeServices().set();

// The words of a service list, for help texts.
inline constexpr const char* kNodeServiceWords = "emcy, tpdo1..tpdo4, rpdo1..rpdo4, pdo (all eight), sdo, heartbeat";

// A comma-separated list of those words ("tpdo1,sdo,heartbeat"); nothing
// for an empty list or an unknown word.
std::optional<NodeServices> ParseNodeServices(std::string_view list);

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
    int port = 0;
    std::optional<int> as;
    NodeServices services = kAllNodeServices;
};
// A node as the EDS or DCF `file` describes it; `node` from the file's
// [DeviceComissioning] NodeID when not given.
struct DescribedNodeRule {
    std::string file;
    std::optional<int> node;
    int port = 0;
    std::optional<int> as;
};
// NMT, SYNC and TIME from `fromPort` to the other one.
struct NetworkRule {
    bool nmt = true;
    bool sync = true;
    bool time = true;
    int fromPort = 0;
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

// The rows a rule asks for. A DescribedNodeRule reads its file and throws
// Error as ReadDeviceDescription does.
RuleExpansion ExpandRule(const CobIdRule& rule);

// The rows of a node as `description` (read from `fileName`) gives them.
// With M != N, an identifier whose low 7 bits are N becomes the same
// function code + M; any other identifier is listed unchanged, and a note
// says so. The heartbeat is 0x700+N. A file without an SDO server section
// gets the SDO of the predefined set.
RuleExpansion ExpandDescribedNode(const DeviceDescription& description, const std::string& fileName, int port,
                                  std::optional<int> as);

// Whether a row holds anything; a description alone is the engineer's note,
// so such a row is in use too.
bool IsCobIdRowInUse(const CobIdRow& row);

// A new row in its place.
struct PlacedRow {
    int direction = kCan0ToCan1;
    std::size_t row = 0; // its N°
    CobIdRow cells;
    bool operator==(const PlacedRow&) const = default;
};

struct CobIdAddition {
    std::optional<std::string> refusal; // why nothing can be added
    std::vector<PlacedRow> rows;        // CAN0 to CAN1 first, each table's in row order
    std::vector<std::string> notes;
    CobIdTables tables; // the tables with the rows added; unchanged when refused

    bool Accepted() const { return !refusal; }
};

// Where the rows of `expansion` go in `tables` (both of the window's length
// for `session`), or why none can be added: an identifier that does not fit
// the frame format of its port, a translation while Positive Implementation
// is clear (listed identifiers are then blocked), an original identifier
// asked twice or already in a row of its table, or more rows than the table
// has free after its last row in use (a row with any cell filled).
CobIdAddition PlanCobIdAddition(const CobIdTables& tables, const CommSession& session, const RuleExpansion& expansion);

// The preview: one line per new row ("CAN0 to CAN1  N° 12  0x185 -> 0x1A5
// TPDO1 node 5 as node 37"), then the notes; or the refusal.
std::vector<std::string> CobIdAdditionLines(const CobIdAddition& addition);

} // namespace c2c
