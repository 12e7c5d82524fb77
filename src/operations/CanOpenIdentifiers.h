#pragma once
// Which CANopen service an 11-bit identifier stands for in the predefined
// connection set (CiA 301), and its node: what the traffic analysis needs
// to name an identifier in words and to find the services that must not be
// produced twice on one line.
//
// NMT 0x000, SYNC 0x080, EMCY 0x080+n, TIME 0x100, TPDO1-4
// 0x180/0x280/0x380/0x480+n, RPDO1-4 0x200/0x300/0x400/0x500+n, SDO response
// 0x580+n, SDO request 0x600+n, heartbeat (NMT error control) 0x700+n, LSS
// 0x7E4 (from the slaves) and 0x7E5 (from the master); n is 1 to 127.

#include <cstdint>
#include <string>

namespace c2c {

enum class CanOpenService : std::uint8_t {
    None, // no service of the predefined set
    Nmt,
    Sync,
    Emcy,
    Time,
    Tpdo1,
    Rpdo1,
    Tpdo2,
    Rpdo2,
    Tpdo3,
    Rpdo3,
    Tpdo4,
    Rpdo4,
    SdoResponse,
    SdoRequest,
    Heartbeat,
    LssResponse,
    LssRequest,
};

struct CanOpenIdentifier {
    CanOpenService service = CanOpenService::None;
    int node = 0; // 1 to 127 for the services of a node, else 0
};

inline constexpr std::uint32_t kNmtIdentifier = 0x000;
inline constexpr std::uint32_t kSyncIdentifier = 0x080;
inline constexpr std::uint32_t kTimeIdentifier = 0x100;
inline constexpr std::uint32_t kSdoResponseBase = 0x580;
inline constexpr std::uint32_t kSdoRequestBase = 0x600;
inline constexpr std::uint32_t kLssResponseIdentifier = 0x7E4;
inline constexpr std::uint32_t kLssRequestIdentifier = 0x7E5;

// The service and node of a standard frame's identifier; None for an
// extended frame or an identifier outside the predefined set.
CanOpenIdentifier ClassifyCanOpen(std::uint32_t id, bool extended) noexcept;

// The identifier of a node's service.
std::uint32_t CanOpenIdentifierOf(CanOpenService service, int node) noexcept;

// "TPDO1", "SDO request", "heartbeat", "SYNC", ...
const char* CanOpenServiceName(CanOpenService service) noexcept;

// "TPDO1 of node 37", "SDO request to node 5", "SYNC", "LSS request";
// empty for None.
std::string CanOpenText(const CanOpenIdentifier& identifier);

} // namespace c2c
