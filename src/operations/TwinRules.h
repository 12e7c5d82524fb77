#pragma once
// The twin: the device's forwarding as rules of the Linux kernel's CAN
// gateway between two SocketCAN interfaces, so that a Linux machine with two
// CAN interfaces passes, translates and blocks frames as the device will.
//
// The rules come from the forwarding model, asked about every identifier of
// every frame kind the port receives, so the twin can never say otherwise
// than route and replay:
// - an identifier that an entry lists and that passes: one rule, filtered
//   on that identifier (data and remote frames, both formats where the port
//   takes both), with the new identifier ORed into the flags the rule keeps;
// - identifiers that no entry lists and that pass unchanged: identifier/mask
//   blocks that cover them exactly once (the kernel fires every rule that
//   matches, so overlapping blocks would send a frame twice);
// - 29-bit frames on a CAN 2.0A port, and new identifiers too wide for the
//   output port, match no rule.

#include "documents/CanFrame.h"
#include "image/BankDecoder.h"
#include "operations/IdentifierCover.h"
#include "platform/CanGateway.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

struct TwinRule {
    CanGatewayRule rule;
    CanPort fromPort = CanPort::Can0; // the port its frames arrive on
    // What it stands for, in words: "0x181 -> 0x1C1 (listed, Positive
    // Implementation set)", "unlisted 0x000-0x17F, unchanged".
    std::string meaning;
    bool cover = false; // a block of unlisted identifiers, not one listed identifier
};

struct TwinDirectionCount {
    std::size_t listed = 0; // rules of listed identifiers
    std::size_t cover = 0;  // blocks covering the unlisted identifiers that pass
};

struct TwinRules {
    std::array<std::string, 2> interfaces; // the interfaces of CAN0 and CAN1
    std::vector<TwinRule> rules;            // CAN0 to CAN1 first, then CAN1 to CAN0
    std::array<TwinDirectionCount, 2> counts; // per table direction (kCan0ToCan1, kCan1ToCan0)
    // What the rules take as the model takes it: an identifier listed twice
    // in the extended list (the first entry is taken).
    std::vector<std::string> notes;

    std::vector<CanGatewayRule> GatewayRules() const;
};

// The twin of `image` between the interfaces given for CAN0 and CAN1.
TwinRules MakeTwinRules(const DecodedImage& image, const std::array<std::string, 2>& interfaces);

// Why `name` cannot be used as an interface of the twin, or "" when it can:
// 1 to 15 characters of letters, digits, '_', '.' and '-', not beginning
// with '-' or '.' (names that go into shell scripts and unit names as they
// are).
std::string TwinInterfaceProblem(const std::string& name);

// The rule as a cangw command: "cangw -A -s can0 -d can1 -e -f 181:1FFFFFFF
// -m AND:I:C0000000.0.0000000000000000 -m OR:I:000001C1.0.0000000000000000".
std::string CangwCommand(const CanGatewayRule& rule);

// A shell script that flushes the kernel's gateway and adds every rule with
// cangw; `source` is named in its heading.
std::string TwinScript(const TwinRules& twin, const std::string& source);

// A systemd service that runs the script at `scriptPath` (absolute) when
// both interfaces are there, again each time they come back. Throws Error
// for a path with a control character, which no unit line can hold.
std::string TwinSystemdUnit(const TwinRules& twin, const std::string& scriptPath);

// The kernel's rules between the twin's interfaces held against the twin.
struct TwinCheck {
    struct Held {
        const TwinRule* twin = nullptr; // the rule of the twin it is
        CanGatewayJob job;
    };
    std::vector<Held> held;                 // in the twin's order
    std::vector<const TwinRule*> missing;   // rules of the twin the kernel lacks
    std::vector<CanGatewayJob> foreign;     // the kernel's rules between the interfaces that are not the twin's
    std::array<std::uint64_t, 2> handled{}, dropped{}, deleted{}; // per direction, of the held rules

    bool Same() const { return missing.empty() && foreign.empty(); }
};
TwinCheck CheckTwinRules(const TwinRules& twin, const std::vector<CanGatewayJob>& kernel);

} // namespace c2c
