#pragma once
// PEAK's TRC trace, as PCAN-View and PCAN-Explorer log it. The
// ";$FILEVERSION" line decides the layout (none: 1.0):
//
//     1.0  "   1)      1841  0181  8  11 22 33 44 55 66 77 88"
//     1.1  "   1)      1841.0  Rx         0181  8  11 22 ..."        (RTR for a remote frame)
//     1.2  "   1)      1841.0 1  Rx         0181  8  11 22 ..."      (the bus)
//     1.3  "   1)      1841.0 1  Rx         0181 -  8  11 22 ..."    (a reserved column)
//     2.0  "      1      1841.000 DT     0181 Rx 8  11 22 ..."       (N,O,T,I,d,l,D)
//     2.1  "      1      1841.000 DT  1     0181 Rx -  8    11 22 ..." (N,O,T,B,I,d,R,L,D)
//
// From 2.0 on, ";$COLUMNS=" names the columns (N number, O time offset, T
// type, B bus, I identifier, d direction, R reserved, L DLC, l data length,
// D data); the types are DT (a data frame), RR (a remote frame), FD, FB,
// FE, BI (CAN FD frames, counted and skipped), ER (an error frame,
// counted and skipped), ST, EC, EV (status, error counters, events:
// counted and skipped). In 1.x, "Error" lines are error frames, "Warng"
// lines and the bus lines of 1.0 (identifier FFFFFFFF) events.
//
// Times are milliseconds from the start time, which ";$STARTTIME=" gives
// as days since 30 December 1899 (local time, PEAK's OLE date), read to the
// nanosecond. An identifier of more than four digits is an extended one.
// The bus (channel) is numbered from 1; without a bus column it is 1.

#include "operations/TraceFormats.h"
#include "operations/TraceTextParts.h"
#include "platform/LineReader.h"

#include <memory>
#include <string>

namespace c2c {

// Whether the first bytes of a file are a TRC trace: it starts with a ";"
// line (";$FILEVERSION=" or PEAK's header of comments) before any frame.
bool IsTrcTraceText(std::string_view head) noexcept;

// "46000.123456789012345" (days since 30 December 1899 and their fraction,
// a local date) as nanoseconds since 1970; nothing when it is no such number.
std::optional<std::int64_t> ParseTrcStartTime(std::string_view text) noexcept;

class TrcFrameSource final : public FrameSource {
public:
    // `bufferSize`: the bytes read at a time (LineRules's).
    TrcFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                   MalformedLineReport report, std::size_t bufferSize = 1 << 20);
    TrcFrameSource(const TrcFrameSource&) = delete;
    TrcFrameSource& operator=(const TrcFrameSource&) = delete;

    bool Next(TraceFrame& frame) override;
    const std::string& Name() const override { return name_; }
    std::uint64_t BytesRead() const override { return bytes_; }
    const TraceLineCounts& Counts() const override { return counts_; }

private:
    void TakeHeaderLine(std::string_view line, std::uint64_t number);
    bool TakeVersion1Line(const trace_text::Words& words, std::uint64_t number, TraceFrame& frame);
    bool TakeVersion2Line(const trace_text::Words& words, std::uint64_t number, TraceFrame& frame);
    bool TakeFrame(std::string_view time, std::string_view bus, std::string_view id, std::uint64_t dlc, bool remote,
                   const trace_text::Words& words, std::size_t data, std::uint64_t number, TraceFrame& frame);

    std::string name_;
    std::uint64_t bytes_ = 0;
    LineReader reader_;
    InterfacePorts ports_;
    int onPort_;
    MalformedLineReport report_;
    TraceLineCounts counts_;
    int version_ = 10; // major * 10 + minor
    std::string columns_;
    bool started_ = false; // a frame line came: no more header
    std::int64_t origin_ = 0;
    trace_text::ChannelPorts<InterfacePorts> channels_{ports_};
};

// Writes a TRC trace of file version 2.1; its start time is the first
// frame's time.
std::unique_ptr<TraceWriter> MakeTrcWriter(TextSink& sink, const std::array<std::string, 2>& interfaces);

} // namespace c2c
