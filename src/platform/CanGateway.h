#pragma once
// The Linux kernel's CAN gateway (the can-gw module): rules that pass frames
// from one SocketCAN interface to another, filtered by identifier and mask,
// with the identifier rewritten on the way. Reached over netlink, the way
// can-utils' cangw reaches it, but many rules in one conversation.
//
// Only Linux has it: elsewhere CanGatewaySupported() is false and every
// other call throws Error saying so.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

// The flags of a can_id, as SocketCAN and the gateway's filters see it.
inline constexpr std::uint32_t kCanIdExtendedFlag = 0x80000000; // a 29-bit frame (CAN_EFF_FLAG)
inline constexpr std::uint32_t kCanIdRemoteFlag = 0x40000000;   // a remote frame (CAN_RTR_FLAG)

struct CanGatewayRule {
    std::string source, destination; // interface names
    // Matches a frame when (can_id & filterMask) == (filterId & filterMask),
    // on the whole can_id with its flags (0x80000000 extended, 0x40000000
    // remote).
    std::uint32_t filterId = 0, filterMask = 0;
    // The identifier of the frame sent: (can_id & andId) | orId, each only
    // when given.
    std::optional<std::uint32_t> andId, orId;
    // The frame sent is also seen by the destination's own sockets (candump,
    // and on vcan anything at all).
    bool echo = true;

    bool operator==(const CanGatewayRule&) const = default;
};

// A rule as the kernel lists it, with its counters.
struct CanGatewayJob {
    CanGatewayRule rule;
    std::uint32_t handled = 0, dropped = 0, deleted = 0;
    // It also does what CanGatewayRule cannot say (an XOR or SET, a
    // checksum, a hop limit, CAN FD frames, ...): it is no rule of ours.
    bool foreign = false;
};

// Whether this system has the kernel's CAN gateway at all (Linux).
bool CanGatewaySupported();

// Removes every rule between interfaces `a` and `b` (in either direction),
// then adds `rules`, whose interfaces must be `a` and `b`. Throws Error when
// an interface is missing or no CAN interface, the gateway is not loaded,
// the process may not change it (CAP_NET_ADMIN) or the kernel refuses a
// rule; the rules between `a` and `b` are then removed again, so no partial
// set is left.
void ReplaceCanGatewayRules(const std::string& a, const std::string& b, const std::vector<CanGatewayRule>& rules);

// Every rule of the kernel's gateway, in the kernel's order (the newest
// first). Throws Error when the gateway cannot be read.
std::vector<CanGatewayJob> ReadCanGatewayRules();

} // namespace c2c
