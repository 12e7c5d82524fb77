#pragma once
// What a change of configuration changes: two images compared by what the
// device does with them, not by their bytes. The settings that differ (the
// layout, each port's bit rate and frame format, Positive Implementation),
// then, in both directions, every frame whose route differs: every 11-bit
// identifier, every 29-bit identifier that either image lists, and all
// other 29-bit identifiers together (they share one route in each image).
// Two routes differ in their outcome, the identifier and format a passed
// frame leaves with, or whether the device may take another entry
// (ambiguous). The reasons alone do not make a difference.
//
// The text reads as an engineer reads a network: the CANopen identifiers
// by node and service ("node 5: TPDO1 0x185 passed as 0x1A5 -> blocked"),
// runs of consecutive identifiers with the same change folded into one
// line ("0x300-0x37F: blocked -> passed unchanged, 128 identifiers"), the
// rest one line each.

#include "image/BankDecoder.h"
#include "image/Forwarding.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

struct ConfigurationSource;

// A setting that differs, in words: {"CAN0 bit rate", "250 kbit/s", "500 kbit/s"}.
struct SettingChange {
    std::string setting;
    std::string a;
    std::string b;
};

// One frame's route in A and in B, with the reasons in words.
struct RouteChange {
    CanFrameId frame;
    Route a;
    Route b;
    std::string reasonA;
    std::string reasonB;
};

struct DirectionDiff {
    int direction = kCan0ToCan1;
    // The frames whose routes differ: the standard frames ascending, then
    // the listed 29-bit frames ascending.
    std::vector<RouteChange> changes;
    // Every 29-bit frame that neither image lists, when their route differs
    // (`frame` is one of them).
    std::optional<RouteChange> otherExtended;
    // `changes` and `otherExtended` as the text shows them, grouped and folded.
    std::vector<std::string> lines;

    bool Same() const { return changes.empty() && !otherExtended; }
};

struct ConfigurationDiff {
    std::vector<SettingChange> settings;
    std::array<DirectionDiff, 2> directions; // index kCan0ToCan1, kCan1ToCan0
    // Bytes of banks 1 and 2 that differ, and the first of them in words
    // ("bank 1 byte 12000 (a byte that should be 0xFF)"); empty when none.
    std::size_t differingBytes = 0;
    std::string firstDifferingByte;

    // A and B behave the same: no setting and no route differs.
    bool Same() const;
};

// Compares A with B: decoded images and their banks 1 and 2 as they are.
ConfigurationDiff DiffConfigurations(const ConfigurationSource& a, const ConfigurationSource& b);

// A route as the text shows it: "passed unchanged", "passed as 0x1A5",
// "passed as 0x1C1 (ambiguous)", "blocked", "not received".
std::string RoutePhrase(const CanFrameId& frame, const Route& route);

// The whole diff as text lines, without line ends: the settings, each
// direction's lines, then a count per direction; or, when A and B behave
// the same, one line saying so (and where their bytes differ, that nothing
// reads those bytes).
std::vector<std::string> DiffTextLines(const ConfigurationDiff& diff);

// "CAN0 to CAN1: 3 identifiers differ", "..., and every other 29-bit
// identifier", "CAN1 to CAN0: no identifier differs", "CAN1 to CAN0: every
// 29-bit identifier that neither image lists differs".
std::string DirectionCountText(const DirectionDiff& direction);

// The line when A and B behave the same: "A and B behave the same", and
// where bytes differ "; their banks 1 and 2 differ only where nothing reads
// them: 3 bytes, the first bank 1 byte 12000 (a byte that should be 0xFF)".
std::string SameBehaviourText(const ConfigurationDiff& diff);

} // namespace c2c
