#pragma once
// Identifier conflicts that the repeater would bring onto a line: frames of
// the traces recorded without it, routed by the forwarding model, looked at
// identifier by identifier.
//
// - two producers: an identifier sent natively on a line as a data frame and
//   also forwarded onto it as a data frame; for SYNC, TIME, NMT and the
//   heartbeats that kind has a name of its own (two SYNC or TIME producers,
//   NMT commands from both sides, a heartbeat of one node ID from both sides);
// - identifiers made one: frames of different identifiers from the other
//   line that the device forwards as one identifier;
// - LSS crossing: LSS frames (0x7E4, 0x7E5) that the device passes;
// - an SDO request (0x600+n) that crosses as the request to node m while the
//   device does not bring node m's response (0x580+m) back as 0x580+n, and
//   the reverse: a response that crosses while the request cannot.
// Every frame the device passes counts, also one a full queue would lose.

#include "image/Forwarding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace c2c {

enum class ConflictKind : std::uint8_t {
    TwoProducers,
    TwoSyncProducers,
    TwoTimeProducers,
    NmtFromBothSides,
    HeartbeatFromBothSides,
    IdentifiersMadeOne,
    LssCrossing,
    SdoResponseBlocked, // a request crosses, its response cannot come back
    SdoRequestBlocked,  // a response crosses, the request cannot go there
};

// The key of a kind in JSON: "two_producers", "sdo_response_blocked", ...
const char* ConflictKindKey(ConflictKind kind);

// Frames of one identifier of the other line that leave as the conflict's.
struct ConflictSource {
    CanFrameId original;
    std::uint64_t frames = 0;
    bool operator==(const ConflictSource&) const = default;
};

struct TrafficConflict {
    ConflictKind kind = ConflictKind::TwoProducers;
    int line = 0;     // where it happens: 0 = CAN0, 1 = CAN1
    CanFrameId id;    // the identifier on that line
    std::uint64_t native = 0;    // data frames sent natively on the line with `id`
    std::uint64_t forwarded = 0; // frames forwarded onto the line as `id`
    std::int64_t firstSeen = 0;  // when the conflict first shows, in trace nanoseconds
    // The identifiers of the other line that leave as `id`, ascending (at
    // most kListedSources; `forwarded` counts them all).
    std::vector<ConflictSource> sources;
    // SDO kinds: the identifier on `line` whose route fails (the response,
    // or the request), and that route in words.
    std::optional<CanFrameId> counterpart;
    std::string counterpartRoute;
    // "0x1A5, TPDO1 of node 37, on CAN1: two producers: 14 native frames
    // and 120 forwarded from CAN0 (TPDO1 node 5 as node 37)".
    std::string text;
};

inline constexpr std::size_t kListedSources = 4;

// Looks at the frames of the traces one by one; Conflicts() at the end.
class ConflictFinder {
public:
    explicit ConflictFinder(const ForwardingModel& model);

    // A frame recorded on `port` at `time`, routed as `route`; a forwarded
    // copy is ready on the other line at `forwardedAt`.
    void Note(int port, const CanFrameId& frame, bool remote, std::int64_t time, const Route& route,
              std::int64_t forwardedAt);

    // Ordered by line, identifier and kind.
    std::vector<TrafficConflict> Conflicts() const;
    // Frames of further 29-bit identifiers, beyond the kTrackedIdentifiers
    // that are looked at one by one.
    std::uint64_t Unexamined() const { return unexamined_; }

private:
    // What one line sees of one identifier.
    struct WireEntry {
        std::uint64_t nativeData = 0, forwardedData = 0, forwarded = 0, otherSources = 0;
        std::int64_t firstNativeData = 0, firstForwardedData = 0, secondSourceAt = 0;
        std::array<ConflictSource, kListedSources> sources{};
        std::uint8_t sourceCount = 0;
        std::uint8_t distinctSources = 0; // up to 2 is all that matters beyond the listed
    };
    // The frames of one 11-bit identifier of a port that the device passes.
    struct PassedEntry {
        std::uint64_t frames = 0;
        std::int64_t first = 0;
        CanFrameId leaves;
    };

    WireEntry* Wire(int line, const CanFrameId& id);
    void Collect(int line, const CanFrameId& id, const WireEntry& entry, std::vector<TrafficConflict>& out) const;
    void CollectPassed(int port, std::vector<TrafficConflict>& out) const;

    const ForwardingModel& model_;
    std::array<std::vector<WireEntry>, 2> standard_;
    std::array<std::unordered_map<std::uint32_t, WireEntry>, 2> extended_;
    std::array<std::vector<PassedEntry>, 2> passed_;
    std::uint64_t unexamined_ = 0;
};

// 29-bit identifiers looked at one by one, per line.
inline constexpr std::size_t kTrackedIdentifiers = 100000;

} // namespace c2c
