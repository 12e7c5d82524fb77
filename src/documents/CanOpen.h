#pragma once
// The CANopen facts the program uses (CiA 301, and LSS of CiA 305), in one
// table: the predefined connection set, the network services, the CAN-IDs
// CiA 301 restricts, each service's names and the way its frames travel,
// and a classifier that names the service and node of an 11-bit identifier.
// The rules that add rows, the checks, Add rows, the help texts and any
// report that names frames ask this file.
//
// The predefined connection set: a node N (1 to 127) has
//   EMCY 0x080+N, TPDO1..4 0x180/0x280/0x380/0x480+N, RPDO1..4
//   0x200/0x300/0x400/0x500+N, SDO response (server to client) 0x580+N,
//   SDO request (client to server) 0x600+N, NMT error control (heartbeat)
//   0x700+N;
// and the network has NMT 0x000, SYNC 0x080, TIME 0x100, and LSS 0x7E4
// (LSS slave to master) and 0x7E5 (LSS master to slave).

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

inline constexpr int kMinNodeId = 1;
inline constexpr int kMaxNodeId = 127;
// A node ID of 0xFF: LSS's "not configured" (CiA 305).
inline constexpr int kUnconfiguredNodeId = 0xFF;
// The low bits of a node's identifier that hold its node ID.
inline constexpr std::uint32_t kNodeIdBits = 0x7F;

constexpr bool IsNodeId(int node)
{
    return node >= kMinNodeId && node <= kMaxNodeId;
}
// "1 to 127".
std::string NodeIdRangeText();

// ---------------------------------------------------------------- a node's services

// The services of a node, in the order rules, Add rows and the help list
// them; also the bit of each in a NodeServices set.
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

struct NodeServiceFact {
    const char* name;   // for messages and row descriptions: "TPDO1", "SDO response"
    const char* word;   // for rules and help: "tpdo1"; "sdo" for both SDO services
    std::uint32_t base; // the identifier is base + node ID
    bool sentByNode;    // produced by the node; else addressed to it
};
inline constexpr std::array<NodeServiceFact, kNodeServiceCount> kNodeServiceFacts = {{
    {"EMCY", "emcy", 0x080, true},
    {"TPDO1", "tpdo1", 0x180, true},
    {"TPDO2", "tpdo2", 0x280, true},
    {"TPDO3", "tpdo3", 0x380, true},
    {"TPDO4", "tpdo4", 0x480, true},
    {"RPDO1", "rpdo1", 0x200, false},
    {"RPDO2", "rpdo2", 0x300, false},
    {"RPDO3", "rpdo3", 0x400, false},
    {"RPDO4", "rpdo4", 0x500, false},
    {"SDO response", "sdo", 0x580, true},
    {"SDO request", "sdo", 0x600, false},
    {"Heartbeat", "heartbeat", 0x700, true},
}};
// The word for all eight PDOs.
inline constexpr const char* kAllPdosWord = "pdo";

constexpr const NodeServiceFact& FactOf(NodeService service)
{
    return kNodeServiceFacts[service];
}
// The service's identifier for node `node`.
constexpr std::uint32_t NodeServiceId(NodeService service, int node)
{
    return FactOf(service).base + static_cast<std::uint32_t>(node);
}

// The services a node sends (`sentByNode`) or receives, with their
// identifiers for node `node`: "EMCY 0x080+N, TPDO1 0x180+N, ...".
std::string NodeServiceListText(bool sentByNode, const char* node);

// The words of a service list, as the help shows them.
inline constexpr const char* kNodeServiceWords = "emcy, tpdo1..tpdo4, rpdo1..rpdo4, pdo (all eight), sdo, heartbeat";
// A comma-separated list of the services' words and "pdo"
// ("tpdo1,sdo,heartbeat"); nothing for an empty list or an unknown word.
std::optional<NodeServices> ParseNodeServices(std::string_view list);

// ---------------------------------------------------------------- the network's services

enum class NetworkService : std::uint8_t { Nmt, Sync, Time, LssResponse, LssRequest };

struct NetworkServiceFact {
    const char* name; // "NMT", "SYNC", "TIME", "LSS response", "LSS request"
    const char* word; // "nmt", "sync", "time", "lss" (both LSS services)
    std::uint32_t id;
};
inline constexpr std::array<NetworkServiceFact, 5> kNetworkServiceFacts = {{
    {"NMT", "nmt", 0x000},
    {"SYNC", "sync", 0x080},
    {"TIME", "time", 0x100},
    {"LSS response", "lss", 0x7E4},
    {"LSS request", "lss", 0x7E5},
}};

constexpr const NetworkServiceFact& FactOf(NetworkService service)
{
    return kNetworkServiceFacts[static_cast<std::size_t>(service)];
}
constexpr std::uint32_t NetworkServiceId(NetworkService service)
{
    return FactOf(service).id;
}
// "NMT (0x000)": the name and the identifier, as check boxes and advice show them.
std::string NetworkServiceLabel(NetworkService service);

// ---------------------------------------------------------------- restricted CAN-IDs

// The CAN-IDs CiA 301 restricts: no PDO, EMCY or other configurable object
// may use them, since the predefined set or the network services do.
struct CanIdRange {
    std::uint32_t first;
    std::uint32_t last;
};
inline constexpr std::array<CanIdRange, 8> kRestrictedCanIds = {{
    {0x000, 0x000},
    {0x001, 0x07F},
    {0x101, 0x180},
    {0x581, 0x5FF},
    {0x601, 0x67F},
    {0x6E0, 0x6FF},
    {0x701, 0x77F},
    {0x780, 0x7FF},
}};
// Whether an 11-bit identifier is restricted (29-bit identifiers are not).
bool IsRestrictedCanId(std::uint32_t id, bool extendedFrame = false);

// ---------------------------------------------------------------- the classifier

// What an identifier is in the predefined connection set.
struct CanOpenIdentity {
    std::optional<NodeService> nodeService;       // a node's service, with `node`
    std::optional<NetworkService> networkService; // or a network service
    int node = 0;                                 // 1 to 127 for a node's service

    // Produced by the node (or by the network's master or producer).
    bool SentByNode() const { return nodeService && FactOf(*nodeService).sentByNode; }
    // "TPDO1 of node 37", "SDO request to node 5", "NMT", "LSS request".
    std::string Text() const;
    bool operator==(const CanOpenIdentity&) const = default;
};
// The service (and node) of an 11-bit identifier in the predefined set, or
// nothing for one outside it (0x180, 0x7FF) and for any 29-bit frame.
std::optional<CanOpenIdentity> ClassifyCanOpenId(std::uint32_t id, bool extendedFrame = false);

} // namespace c2c
