#pragma once
// Replaying a recorded trace through the device's forwarding: every frame of
// a trace (candump, ASC, TRC, BLF), received on the port its interface stands for, is passed
// on, translated or dropped as the image says, and the frames that leave
// are written as the trace of the other port would show them: the same
// timestamps and data, the other port's interface, the identifiers they
// leave with.

#include "image/Forwarding.h"
#include "operations/TraceFormats.h"
#include "operations/TraceFrames.h"
#include "platform/TextSink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace c2c {

// How many frames of one identifier came, and their route.
struct IdentifierCount {
    int port = 0;
    CanFrameId frame;
    std::uint64_t frames = 0;
    Route route;
};

// What a replay read (the lines that were no frame of either port are
// counted by the base).
struct ReplaySummary : TraceLineCounts {
    // Classic frames received on either port, by outcome.
    std::uint64_t frames = 0, passed = 0, translated = 0, blocked = 0, notReceived = 0;
    // When counted: per port, frame format and identifier, ascending. At
    // most kCountedIdentifiers of them; frames of further identifiers are
    // counted in uncountedFrames.
    std::vector<IdentifierCount> identifiers;
    std::uint64_t uncountedFrames = 0;
};

// Identifiers counted one by one; enough for every identifier of a real
// network, few enough to keep the memory small for any trace.
inline constexpr std::size_t kCountedIdentifiers = 100000;

// Replays the trace at `logPath` (a regular file of any trace format, read
// in chunks) through `model`, writes the frames that leave to `out` as a
// trace of `outFormat` (by default the log's) and reports each malformed
// line. A candump trace written from a candump trace keeps each line's
// timestamp text and direction. `countIdentifiers` fills the summary's
// identifiers. Throws Error when the log cannot be read or `out` cannot be
// written.
ReplaySummary ReplayTrace(const ForwardingModel& model, const std::string& logPath, const InterfacePorts& ports,
                          bool countIdentifiers, TextSink& out, const MalformedLineReport& malformed,
                          std::optional<TraceFormat> outFormat = std::nullopt);

} // namespace c2c
