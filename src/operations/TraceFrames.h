#pragma once
// Recorded traces as frames, one at a time: the frames of a trace file with
// their time, port, identifier, format, remote flag, data length code and
// data, whatever the file's format, and the lines that were no such frame,
// counted by kind. A reader of another trace format is one more
// FrameSource.

#include "documents/CandumpLog.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace c2c {

// Which port each interface name of a trace stands for. Names given by the
// user come first; "can0" and "can1" stand for their ports unless given.
// The channels of Vector's and PEAK's traces (numbered from 1) are names
// too: "1" and "2" stand for CAN0 and CAN1 unless given.
class InterfacePorts {
public:
    // `named`: interface name and port (0 or 1), in the order given.
    explicit InterfacePorts(std::vector<std::pair<std::string, int>> named = {});

    // The port of an interface, or -1 for one that is on neither.
    int PortOf(std::string_view name) const noexcept;
    // The interface written for frames leaving on `port`: the first name
    // given for it that is no channel number, else "can0" or "can1".
    const std::string& NameOf(int port) const { return output_[port == 1 ? 1 : 0]; }

private:
    std::vector<std::pair<std::string, int>> names_;
    std::array<std::string, 2> output_;
};

// Reports a malformed line: its number and why.
using MalformedLineReport = std::function<void(std::uint64_t line, const char* problem)>;

// Malformed lines whose numbers are kept; interface names likewise.
inline constexpr std::size_t kListedMalformedLines = 10;
inline constexpr std::size_t kListedInterfaceNames = 5;

// The lines of a trace that were no classic frame of either port, by kind.
// In a binary trace (BLF) the "lines" are objects, numbered by their offset.
struct TraceLineCounts {
    std::uint64_t malformed = 0, canFd = 0, canXl = 0, errorFrames = 0, dropNotes = 0, empty = 0,
                  otherInterfaces = 0, events = 0;
    // Numbers are byte offsets (a BLF file), not lines.
    bool atOffsets = false;
    // The line numbers of the first malformed lines, and the first line of
    // each other kind (0 when none).
    std::vector<std::uint64_t> malformedLines;
    std::uint64_t firstCanFd = 0, firstCanXl = 0, firstErrorFrame = 0, firstDropNote = 0, firstOtherInterface = 0,
                  firstEvent = 0;
    // The first interface names that stand for neither port.
    std::vector<std::string> otherInterfaceNames;

    std::uint64_t Skipped() const
    {
        return malformed + canFd + canXl + errorFrames + dropNotes + empty + otherInterfaces + events;
    }
    // What the numbers are: "line" or "offset".
    const char* Position() const { return atOffsets ? "offset" : "line"; }
    // Counts line `line`, taken apart as `parsed`, of any kind but Frame;
    // a malformed one is also reported.
    void CountOtherKind(const CandumpLine& parsed, std::uint64_t line, const MalformedLineReport& report);
    void CountMalformed(std::uint64_t line, const char* problem, const MalformedLineReport& report);
    // A frame of interface `name`, which stands for neither port.
    void CountOtherInterface(std::string_view name, std::uint64_t line);
    // The other kinds of Vector's and PEAK's traces: a CAN FD frame, an
    // error frame, an event or status entry (statistics, chip states,
    // markers, objects of other kinds).
    void CountCanFd(std::uint64_t line);
    void CountErrorFrame(std::uint64_t line);
    void CountEvent(std::uint64_t line);
};

// One note per kind of line of trace `log` that was skipped, after the
// malformed lines named one by one: "LOG: 1 CAN FD frame skipped (the first
// at line 3)" and why; `classicOnly` ends the notes of CAN FD and CAN XL
// frames (": only classic CAN frames are replayed"), `otherInterfaces` that
// of interfaces on neither port (how to name their port).
std::vector<std::string> SkippedLineNotes(const std::string& log, const TraceLineCounts& counts,
                                          const char* classicOnly, const char* otherInterfaces);

// One frame of a trace.
struct TraceFrame {
    std::int64_t time = 0; // nanoseconds on the trace's clock
    int port = 0;          // 0 = CAN0, 1 = CAN1
    std::uint32_t id = 0;
    bool extended = false;
    bool remote = false;
    std::uint8_t dlc = 0; // the data length code as sent, 0 to 15
    std::array<std::uint8_t, 8> data{};
    std::uint64_t line = 0; // where the trace holds it, for messages
};

// A trace read frame by frame, in the order it holds them.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The next frame of either port, or false at the end. Throws Error when
    // the trace cannot be read.
    virtual bool Next(TraceFrame& frame) = 0;
    // The trace's name in messages (its path).
    virtual const std::string& Name() const = 0;
    // What was read so far, for progress.
    virtual std::uint64_t BytesRead() const = 0;
    // The lines that were no frame of either port.
    virtual const TraceLineCounts& Counts() const = 0;
};

// Seconds and nanoseconds: "(1436509052.249713)" -> 1436509052249713000.
// A fraction is cut after nine digits. Nothing without parentheses, digits
// and at most one point between them, or beyond 9000000000 seconds.
bool ParseTraceTimestamp(std::string_view text, std::int64_t& nanoseconds) noexcept;

// Trace time in words, as candump writes it: "1700000000.000100" (seconds,
// six decimals; the rest of the nanoseconds cut).
std::string TraceTimeText(std::int64_t nanoseconds);
// The same into `out`, which must hold kTraceTimeChars; returns the length.
inline constexpr std::size_t kTraceTimeChars = 24;
std::size_t FormatTraceTime(std::int64_t nanoseconds, char* out) noexcept;

// A candump -l trace (see CandumpLog.h) as frames.
class CandumpFrameSource final : public FrameSource {
public:
    // The frames of `source`, named `name` in messages. Each frame is on the
    // port of its interface (`ports`), or every frame on `onPort` when it is
    // 0 or 1, whatever its interface. `bufferSize`: as LineRules's.
    CandumpFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                       MalformedLineReport report, std::size_t bufferSize = 1 << 20);
    CandumpFrameSource(const CandumpFrameSource&) = delete;
    CandumpFrameSource& operator=(const CandumpFrameSource&) = delete;
    // The regular file `path`. Throws Error when it cannot be opened.
    static std::unique_ptr<CandumpFrameSource> Open(const std::string& path, const InterfacePorts& ports, int onPort,
                                                    MalformedLineReport report);

    bool Next(TraceFrame& frame) override;
    const std::string& Name() const override { return name_; }
    std::uint64_t BytesRead() const override { return bytes_; }
    const TraceLineCounts& Counts() const override { return counts_; }

private:
    std::string name_;
    std::uint64_t bytes_ = 0;
    LineReader reader_;
    InterfacePorts ports_;
    int onPort_;
    MalformedLineReport report_;
    TraceLineCounts counts_;
};

} // namespace c2c
