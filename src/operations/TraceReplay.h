#pragma once
// Replaying a recorded trace through the device's forwarding: every frame of
// a candump log, received on the port its interface stands for, is passed
// on, translated or dropped as the image says, and the frames that leave
// are written as the trace of the other port would show them: the same
// timestamps and data, the other port's interface, the identifiers they
// leave with.

#include "image/Forwarding.h"
#include "platform/TextSink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace c2c {

// Which port each interface name of a trace stands for. Names given by the
// user come first; "can0" and "can1" stand for their ports unless given.
class InterfacePorts {
public:
    // `named`: interface name and port (0 or 1), in the order given.
    explicit InterfacePorts(std::vector<std::pair<std::string, int>> named = {});

    // The port of an interface, or -1 for one that is on neither.
    int PortOf(std::string_view name) const noexcept;
    // The interface written for frames leaving on `port`: the first name
    // given for it, else "can0" or "can1".
    const std::string& NameOf(int port) const { return output_[port == 1 ? 1 : 0]; }

private:
    std::vector<std::pair<std::string, int>> names_;
    std::array<std::string, 2> output_;
};

// How many frames of one identifier came, and their route.
struct IdentifierCount {
    int port = 0;
    CanFrameId frame;
    std::uint64_t frames = 0;
    Route route;
};

struct ReplaySummary {
    // Classic frames received on either port, by outcome.
    std::uint64_t frames = 0, passed = 0, translated = 0, blocked = 0, notReceived = 0;
    // Lines that are no such frame, by kind.
    std::uint64_t malformed = 0, canFd = 0, canXl = 0, errorFrames = 0, dropNotes = 0, empty = 0,
                  otherInterfaces = 0;
    // The line numbers of the first malformed lines, and the first line of
    // each other kind (0 when none).
    std::vector<std::uint64_t> malformedLines;
    std::uint64_t firstCanFd = 0, firstCanXl = 0, firstErrorFrame = 0, firstDropNote = 0, firstOtherInterface = 0;
    // The first interface names that stand for neither port.
    std::vector<std::string> otherInterfaceNames;
    // When counted: per port, frame format and identifier, ascending. At
    // most kCountedIdentifiers of them; frames of further identifiers are
    // counted in uncountedFrames.
    std::vector<IdentifierCount> identifiers;
    std::uint64_t uncountedFrames = 0;

    std::uint64_t Skipped() const
    {
        return malformed + canFd + canXl + errorFrames + dropNotes + empty + otherInterfaces;
    }
};

// Malformed lines whose numbers the summary keeps; interface names likewise.
inline constexpr std::size_t kListedMalformedLines = 10;
inline constexpr std::size_t kListedInterfaceNames = 5;
// Identifiers counted one by one; enough for every identifier of a real
// network, few enough to keep the memory small for any trace.
inline constexpr std::size_t kCountedIdentifiers = 100000;

// Reports a malformed line: its number and why.
using MalformedLineReport = std::function<void(std::uint64_t line, const char* problem)>;

// Replays the candump log at `logPath` (a regular file, read in chunks)
// through `model`, writes the frames that leave to `out` and reports each
// malformed line. `countIdentifiers` fills the summary's identifiers.
// Throws Error when the log cannot be read or `out` cannot be written.
ReplaySummary ReplayTrace(const ForwardingModel& model, const std::string& logPath, const InterfacePorts& ports,
                          bool countIdentifiers, TextSink& out, const MalformedLineReport& malformed);

} // namespace c2c
