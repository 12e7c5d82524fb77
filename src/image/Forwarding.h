#pragma once
// What the device does with a frame: the forwarding model, read from a
// decoded configuration image. `route`, `replay` and the filter map of Set
// CobID Access all ask this one model, so they can never disagree.
//
// A frame received on CAN0 goes through the table of bank 1 (CAN0 to CAN1)
// and leaves on CAN1; a frame received on CAN1 goes through bank 2 and
// leaves on CAN0. The image decides:
// - standard layout: the filter bitmap bit of the identifier set = the
//   frame passes, clear = it is blocked; a passing frame whose table entry
//   is not FF FF FF FF leaves with the entry's modified identifier;
// - extended layout: Positive Implementation set, a listed identifier passes
//   as its entry's modified identifier and an unlisted one is blocked;
//   clear, a listed one is blocked and an unlisted one passes unchanged.
//   Of two entries with the same original identifier the first is taken
//   and the outcome says the device may take either;
// - frame formats: a 29-bit frame on a CAN 2.0A port is not received; a
//   frame leaves as a standard frame on a CAN 2.0A port, or when it came as
//   a standard frame and its new identifier fits 11 bits; a new identifier
//   above 0x7FF cannot leave on a CAN 2.0A port and is blocked.
// Identifiers are compared as numbers, whatever the frame's format.
// docs/forwarding.md says which of this the image states and where the
// device's own firmware decides.
//
// The model is built once per image; answering a frame is a table look-up
// (a binary search for 29-bit identifiers), without allocation.

#include "documents/CanFrame.h"
#include "image/BankDecoder.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace c2c {

enum class RouteOutcome : std::uint8_t {
    Passed,      // leaves on the other port, unchanged or with a new identifier
    Blocked,     // received, not passed on
    NotReceived, // the port does not take frames of this format
};

// Why a frame takes its route.
enum class RouteReason : std::uint8_t {
    Listed,           // an entry of the table lists the identifier
    NotListed,        // no entry lists it
    FilterBitSet,     // standard layout: its filter bit is set where the table calls for it clear
    FilterBitClear,   // standard layout: its filter bit is clear where the table calls for it set
    TooWideForPort,   // the new identifier does not fit the format of the port it leaves on
    ExtendedOnStandardPort, // a 29-bit frame on a CAN 2.0A port
    NoIdentifier,     // no identifier of the frame's format (a standard one above 0x7FF)
};

struct Route {
    RouteOutcome outcome = RouteOutcome::Blocked;
    RouteReason reason = RouteReason::NotListed;
    // The frame that leaves (passed), or the identifier it would have had
    // (blocked for TooWideForPort).
    CanFrameId leaves;
    // How many entries list the identifier (more than one: ambiguous).
    std::uint16_t entries = 0;

    bool Passed() const { return outcome == RouteOutcome::Passed; }
    bool Ambiguous() const { return entries > 1; }
    // Passed with another identifier or in another format than it came.
    bool Changes(const CanFrameId& frame) const { return Passed() && leaves != frame; }
};

class ForwardingModel {
public:
    explicit ForwardingModel(const DecodedImage& image);

    // The route of `frame` received on port `fromPort`.
    Route RouteFrame(CanPort fromPort, CanFrameId frame) const noexcept;

    // The reason in words: "listed, Positive Implementation set",
    // "0x1ABC0181 does not fit CAN 2.0A on CAN1", ...
    std::string ReasonText(CanPort fromPort, const CanFrameId& frame, const Route& route) const;
    // One line: "0x181 -> 0x1C1 (listed, Positive Implementation set)",
    // "0x701 blocked (not listed, Positive Implementation set)".
    std::string RouteText(CanPort fromPort, const CanFrameId& frame, const Route& route) const;

    bool Extended() const { return extended_; }
    bool Positive() const { return positive_; }
    // Whether the port runs CAN 2.0B (any frame-format byte but 0).
    bool PortTakesExtended(CanPort port) const { return formatB_[PortIndex(port)]; }

private:
    // What the table of one direction says about one identifier.
    struct Lookup {
        bool pass = false;
        RouteReason reason = RouteReason::NotListed;
        std::uint16_t entries = 0;
        std::uint32_t newId = 0; // the entry's modified identifier; the identifier itself when none
    };
    struct Direction {
        std::array<Lookup, kStandardIdCount> small{}; // identifiers 0x000-0x7FF
        // Extended layout: identifiers above 0x7FF, ascending, one per identifier.
        std::vector<std::pair<std::uint32_t, Lookup>> large;
        Lookup unlisted; // any identifier of `large`'s range that is not there
    };

    Lookup Find(const Direction& direction, std::uint32_t id) const noexcept;
    void BuildStandard(const DecodedImage& image, int direction);
    void BuildExtended(const DecodedImage& image, int direction);

    bool extended_ = false;
    bool positive_ = false;
    std::array<bool, 2> formatB_{};
    std::array<Direction, 2> directions_;
};

} // namespace c2c
