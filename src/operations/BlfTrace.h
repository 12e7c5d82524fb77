#pragma once
// Vector's BLF trace (binary logging format), as CANalyzer and CANoe log it:
// a file header ("LOGG", the start time as a local SYSTEMTIME) and then
// objects, each with a header ("LOBJ", header size and version, object
// size, type) and padded to four bytes. Log containers (type 10) hold the
// objects of the trace, zlib-compressed or not; an object may begin in one
// container and end in the next.
//
// CAN_MESSAGE (1) and CAN_MESSAGE2 (86) objects are classic frames: the
// channel (from 1), flags (0x80: remote), the DLC, the identifier (bit 31:
// extended) and eight data bytes. CAN_FD_MESSAGE (100) and
// CAN_FD_MESSAGE_64 (101) objects are classic frames too when their EDL
// flag is clear, CAN FD frames (counted and skipped) when it is set; error
// frame objects (2, 73, 104) are counted and skipped, objects of other
// types counted as events and skipped. An object's time is in ns (flag 2)
// or units of 10 us (flag 1) from the file's start time.
//
// The file is read a container at a time, so a file of any size costs the
// same memory; a container or object larger than kMaxBlfBlock is skipped
// as malformed. Malformed objects and containers are reported at their
// file offset (for an object inside a container, the container's offset).

#include "operations/TraceFormats.h"
#include "platform/LineReader.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace c2c {

// The largest container (compressed or not) and object read: far more than
// the 128 KiB of uncompressed objects that Vector's tools put in one.
inline constexpr std::size_t kMaxBlfBlock = 16 << 20;

// Whether the first bytes of a file are a BLF trace ("LOGG").
bool IsBlfTraceHead(std::string_view head) noexcept;

class BlfFrameSource final : public FrameSource {
public:
    // Reads `source` as LineReader's sources are read.
    // `bufferSize`: the bytes read at a time (LineRules's).
    BlfFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                   MalformedLineReport report, std::size_t bufferSize = 1 << 20);
    BlfFrameSource(const BlfFrameSource&) = delete;
    BlfFrameSource& operator=(const BlfFrameSource&) = delete;

    bool Next(TraceFrame& frame) override;
    const std::string& Name() const override { return name_; }
    std::uint64_t BytesRead() const override { return offset_; }
    const TraceLineCounts& Counts() const override { return counts_; }

private:
    std::size_t Fill(std::size_t need);
    std::size_t ReadInto(unsigned char* to, std::size_t size);
    void Skip(std::uint64_t size);
    void Resynchronize(std::uint64_t at, const char* problem);
    bool ReadFileHeader();
    bool ReadTopObject();
    bool TakeInnerObject(TraceFrame& frame, bool& ready);
    std::uint64_t InnerOffset() const;
    int PortOfChannel(unsigned channel);

    std::string name_;
    LineReader::Source source_;
    InterfacePorts ports_;
    int onPort_;
    MalformedLineReport report_;
    TraceLineCounts counts_;
    std::array<int, 256> channelPorts_;

    // The file, read through a buffer.
    std::vector<unsigned char> buffer_;
    std::size_t bufferAt_ = 0, bufferEnd_ = 0;
    bool sourceEnded_ = false;
    std::uint64_t offset_ = 0; // of the next byte not taken
    bool headerRead_ = false, ended_ = false;
    std::int64_t origin_ = 0;

    // The objects of the containers read so far, not yet taken.
    std::vector<unsigned char> compressed_;
    std::vector<unsigned char> inner_;
    std::size_t innerAt_ = 0;
    std::size_t currentStart_ = 0; // where the last container's objects begin in inner_
    std::uint64_t currentOffset_ = 0, previousOffset_ = 0; // the file offsets of that container and the one before
    std::uint64_t innerSkip_ = 0; // bytes of an oversized object still to pass over
    int padding_ = 0;             // zero bytes passed over since the last object
};

// Writes a BLF trace: CAN_MESSAGE objects (times in ns) in zlib-compressed
// containers of 128 KiB; its start time is the first frame's, to the
// millisecond. The file header's sizes, object count and end time are
// filled in at the end when the sink can be rewritten (a file), and left 0
// otherwise (standard output).
std::unique_ptr<TraceWriter> MakeBlfWriter(TextSink& sink);

} // namespace c2c
