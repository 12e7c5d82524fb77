#pragma once
// The trace formats the program reads and writes, and the one place that
// tells them apart:
//
// - candump: can-utils' `candump -l` text (CandumpLog.h);
// - ASC: the text log of Vector's CANalyzer and CANoe (AscTrace.h);
// - TRC: the text log of PEAK's PCAN-View and PCAN-Explorer (TrcTrace.h);
// - BLF: Vector's binary log of zlib-compressed containers (BlfTrace.h).
//
// A trace's format is taken from its content (BLF's "LOGG" signature, TRC's
// ";$FILEVERSION" or its ";" header, ASC's "date", "base" or "Begin
// Triggerblock" lines, candump's frame lines); the file name's extension
// decides only when the content tells nothing (an empty file). Every
// format is read frame by frame in bounded memory (FrameSource) and
// written frame by frame (TraceWriter) through a TextSink.

#include "operations/TraceFrames.h"
#include "operations/UserOutput.h"
#include "platform/TextSink.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

enum class TraceFormat : std::uint8_t { Candump, Asc, Trc, Blf };

// "candump", "asc", "trc", "blf": as --format takes them.
const char* TraceFormatKey(TraceFormat format);
std::optional<TraceFormat> TraceFormatOfKey(std::string_view key);
// "a candump trace", "an ASC trace", ...
const char* TraceFormatName(TraceFormat format);
// The format a file name's extension suggests (".asc", ".trc", ".blf",
// any case), or nothing.
std::optional<TraceFormat> TraceFormatOfExtension(std::string_view path);

// The format of a trace whose first bytes are `head` (at most
// kFormatSniffSize), or nothing when they are of none.
std::optional<TraceFormat> SniffTraceFormat(std::string_view head) noexcept;
// Whether `head` begins a trace of any of the formats: an output file that
// may be replaced by a trace.
bool IsTraceHead(std::string_view head) noexcept;

// The output a trace of `format` is written as (UserOutput): an existing
// file is replaced without --force when it holds a trace of any format.
OutputFormat TraceOutputFormat(TraceFormat format);

// The format of the trace file `path`: sniffed, else its extension, else
// candump. Throws Error when it cannot be read.
TraceFormat TraceFormatOfFile(const std::string& path);

// Opens the trace file `path` in its format (TraceFormatOfFile). Each frame
// is on the port of its interface or channel (`ports`), or every frame on
// `onPort` when it is 0 or 1. Malformed lines (objects, for BLF) are
// reported. Throws Error when the file cannot be opened.
std::unique_ptr<FrameSource> OpenTraceFrames(const std::string& path, const InterfacePorts& ports, int onPort,
                                             MalformedLineReport report);

// A trace written frame by frame: each frame of port 0 on channel 1 (can0
// in a candump trace), of port 1 on channel 2 (can1), as received (Rx).
class TraceWriter {
public:
    virtual ~TraceWriter() = default;
    // Throws Error when the sink refuses the bytes.
    virtual void Add(const TraceFrame& frame) = 0;
    // Writes what is left (a trailer, the last block). Throws Error.
    virtual void Finish() = 0;
};

// A writer of `format` into `sink`. A candump trace names the ports with
// `interfaces`.
std::unique_ptr<TraceWriter> MakeTraceWriter(TraceFormat format, TextSink& sink,
                                             const std::array<std::string, 2>& interfaces);

// `base` + `offset` as the time of a frame: false when the sum falls before
// 1970 or beyond the nanoseconds of 64 bits (the year 2262).
inline bool TraceTimeAt(std::int64_t base, std::int64_t offset, std::int64_t& time) noexcept
{
    return !__builtin_add_overflow(base, offset, &time) && time >= 0;
}

// The port and time of a text trace's frame line (line `number`) put into
// `frame`: `port` is its channel's (-1: a channel of no port, counted as
// another interface's line), `offset` its time from the trace's `origin`.
// False, with the line counted, when either is of no use.
bool PlaceTextFrame(int port, std::string_view channel, std::int64_t origin, std::int64_t offset,
                    std::uint64_t number, TraceLineCounts& counts, const MalformedLineReport& report,
                    TraceFrame& frame);

// The wall clock of Vector's and PEAK's traces: local time, as the PC that
// recorded it kept it.

// A local date and time as nanoseconds since 1970 (UTC); nothing for a date
// out of range (before 1970, beyond the nanoseconds of 64 bits in 2262).
std::optional<std::int64_t> LocalTimeNs(int year, int month, int day, int hour, int minute, int second,
                                        std::int64_t nanoseconds);
// Nanoseconds since 1970 as a local date and time (tm_year etc. as
// std::tm has them), and the nanoseconds within the second.
std::tm LocalTimeOf(std::int64_t ns, std::int64_t& nanoseconds);

} // namespace c2c
