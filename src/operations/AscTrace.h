#pragma once
// Vector's ASC trace, as CANalyzer and CANoe log it:
//
//     date Wed Dec 9 04:09:32.123 pm 2026
//     base hex  timestamps absolute
//     internal events logged
//     // version 9.0.0
//     Begin Triggerblock Wed Dec 9 04:09:32.123 pm 2026
//        0.000000 Start of measurement
//        0.001000 1  181             Rx   d 8 11 22 33 44 55 66 77 88
//        0.002000 2  18FF0701x       Tx   d 2 01 02
//        0.003000 1  701             Rx   r 1
//        0.004000 1  ErrorFrame
//        0.005000 CANFD   1 Rx  123  1 0 8  8 11 22 33 44 55 66 77 88 ...
//     End TriggerBlock
//
// A frame line: the time in seconds, the channel (from 1), the identifier
// ("x" after an extended one), Rx or Tx, "d" and the DLC and the data
// bytes, or "r" and an optional DLC for a remote frame; more fields
// (Length = ..., BitCount = ...) may follow. "base hex" or "base dec" says
// how identifiers, DLCs and bytes are written; "timestamps relative" that
// each time counts from the line before. The clock starts at the first
// Begin Triggerblock's date, else at the "date" line's (local time).
// Error frames and CAN FD lines are counted and skipped, as are events
// (statistics, chip states, ...; not "Start of measurement", which every
// trigger block begins with). Anything else is
// malformed, with the reason.

#include "operations/TraceFormats.h"
#include "operations/TraceTextParts.h"
#include "platform/LineReader.h"

#include <memory>
#include <string>

namespace c2c {

// Whether the first bytes of a file are an ASC trace: its first line that is
// no comment is "date ...", "base ..." or "Begin Triggerblock".
bool IsAscTraceText(std::string_view head) noexcept;

class AscFrameSource final : public FrameSource {
public:
    // `bufferSize`: the bytes read at a time (LineRules's).
    AscFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                   MalformedLineReport report, std::size_t bufferSize = 1 << 20);
    AscFrameSource(const AscFrameSource&) = delete;
    AscFrameSource& operator=(const AscFrameSource&) = delete;

    bool Next(TraceFrame& frame) override;
    const std::string& Name() const override { return name_; }
    std::uint64_t BytesRead() const override { return bytes_; }
    const TraceLineCounts& Counts() const override { return counts_; }

private:
    // Takes a line that is no event: a header line, the trigger block's
    // bounds, a comment. False for none of them.
    bool TakeHeaderLine(const trace_text::Words& words);
    // An event line: a frame (true, `frame` filled) or a line counted.
    bool TakeEventLine(const trace_text::Words& words, std::uint64_t number, TraceFrame& frame);

    std::string name_;
    std::uint64_t bytes_ = 0;
    LineReader reader_;
    InterfacePorts ports_;
    int onPort_;
    MalformedLineReport report_;
    TraceLineCounts counts_;
    int base_ = 16;
    bool relative_ = false;
    bool triggerDate_ = false; // the clock starts at a Begin Triggerblock's date
    std::int64_t origin_ = 0;
    std::int64_t last_ = 0; // the time of the last event, for relative times
    trace_text::ChannelPorts<InterfacePorts> channels_{ports_};
};

// Writes an ASC trace (base hex, absolute timestamps, one trigger block);
// its clock starts at the first frame's time, to the millisecond.
std::unique_ptr<TraceWriter> MakeAscWriter(TextSink& sink);

} // namespace c2c
