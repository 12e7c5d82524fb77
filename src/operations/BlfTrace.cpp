#include "operations/BlfTrace.h"

#include "documents/CanFrame.h"
#include "platform/Error.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace c2c {

namespace {

constexpr std::int64_t kMillisecond = 1000000;
constexpr std::size_t kFileHeaderSize = 144;
constexpr std::size_t kObjectHeaderBase = 16;
constexpr std::size_t kContainerHeader = 16; // after the object's base header

// Object types.
constexpr std::uint32_t kCanMessage = 1, kCanError = 2, kLogContainer = 10, kCanErrorExt = 73, kCanMessage2 = 86,
                        kCanFdMessage = 100, kCanFdMessage64 = 101, kCanFdError64 = 104;

constexpr std::uint32_t kExtendedFlag = 0x80000000u;
constexpr std::uint8_t kRemoteFlag = 0x80;

std::uint16_t U16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t U64(const unsigned char* p)
{
    return U32(p) | static_cast<std::uint64_t>(U32(p + 4)) << 32;
}
void Put16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put64(std::string& out, std::uint64_t v)
{
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

bool IsSignature(const unsigned char* p)
{
    return std::memcmp(p, "LOBJ", 4) == 0;
}

} // namespace

bool IsBlfTraceHead(std::string_view head) noexcept
{
    return head.substr(0, 4) == "LOGG";
}

BlfFrameSource::BlfFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                               MalformedLineReport report, std::size_t bufferSize)
    : name_(std::move(name)),
      source_(std::move(source)),
      ports_(ports),
      onPort_(onPort),
      report_(std::move(report)),
      buffer_(std::max<std::size_t>(bufferSize, 4096))
{
    counts_.atOffsets = true;
    channelPorts_.fill(-2);
}

std::size_t BlfFrameSource::Fill(std::size_t need)
{
    if (bufferEnd_ - bufferAt_ >= need || sourceEnded_)
        return bufferEnd_ - bufferAt_;
    std::memmove(buffer_.data(), buffer_.data() + bufferAt_, bufferEnd_ - bufferAt_);
    bufferEnd_ -= bufferAt_;
    bufferAt_ = 0;
    while (bufferEnd_ < need && !sourceEnded_) {
        const std::size_t got = source_(reinterpret_cast<char*>(buffer_.data() + bufferEnd_), buffer_.size() - bufferEnd_);
        if (got == 0)
            sourceEnded_ = true;
        bufferEnd_ += got;
    }
    return bufferEnd_ - bufferAt_;
}

std::size_t BlfFrameSource::ReadInto(unsigned char* to, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const std::size_t have = Fill(std::min(size - done, buffer_.size()));
        if (have == 0)
            break;
        const std::size_t n = std::min(have, size - done);
        std::memcpy(to + done, buffer_.data() + bufferAt_, n);
        bufferAt_ += n;
        offset_ += n;
        done += n;
    }
    return done;
}

void BlfFrameSource::Skip(std::uint64_t size)
{
    while (size > 0) {
        const std::size_t have = Fill(1);
        if (have == 0)
            return;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(have, size));
        bufferAt_ += n;
        offset_ += n;
        size -= n;
    }
}

// Reports `problem` at `at` and passes over the bytes up to the next "LOBJ".
void BlfFrameSource::Resynchronize(std::uint64_t at, const char* problem)
{
    counts_.CountMalformed(at, problem, report_);
    for (;;) {
        const std::size_t have = Fill(4);
        if (have < 4) {
            Skip(have);
            return;
        }
        const unsigned char* p = buffer_.data() + bufferAt_;
        const std::size_t limit = have - 3;
        std::size_t i = 0;
        while (i < limit && !IsSignature(p + i))
            ++i;
        bufferAt_ += i;
        offset_ += i;
        if (i < limit)
            return;
    }
}

bool BlfFrameSource::ReadFileHeader()
{
    headerRead_ = true;
    unsigned char header[kFileHeaderSize];
    const std::size_t got = ReadInto(header, 72);
    if (got < 72 || std::memcmp(header, "LOGG", 4) != 0) {
        counts_.CountMalformed(0, got < 72 ? "the file ends inside its header" : "no LOGG signature: no BLF file",
                               report_);
        return false;
    }
    const std::uint32_t size = U32(header + 4);
    if (size < 72) {
        counts_.CountMalformed(0, "a file header shorter than 72 bytes", report_);
        return false;
    }
    Skip(size - 72);
    const unsigned char* start = header + 40; // SYSTEMTIME: year, month, weekday, day, h, m, s, ms
    if (U16(start) != 0)
        if (const auto time = LocalTimeNs(U16(start), U16(start + 2), U16(start + 6), U16(start + 8), U16(start + 10),
                                          U16(start + 12), std::int64_t{U16(start + 14) % 1000} * kMillisecond))
            origin_ = *time;
    return true;
}

// Reads the next object of the file: a container's objects go to inner_, an
// object outside a container too. False at the end of the file.
bool BlfFrameSource::ReadTopObject()
{
    for (;;) {
        // Padding: up to three zero bytes after an object.
        for (int zeros = 0; zeros < 3 && Fill(1) > 0 && buffer_[bufferAt_] == 0; ++zeros) {
            ++bufferAt_;
            ++offset_;
        }
        const std::uint64_t at = offset_;
        const std::size_t have = Fill(kObjectHeaderBase);
        if (have == 0)
            return false;
        if (have < kObjectHeaderBase) {
            counts_.CountMalformed(at, "the file ends inside an object's header", report_);
            Skip(have);
            return false;
        }
        const unsigned char* p = buffer_.data() + bufferAt_;
        if (!IsSignature(p)) {
            Resynchronize(at, "no object (LOBJ) here: the bytes up to the next object are skipped");
            continue;
        }
        const std::uint16_t headerSize = U16(p + 4);
        const std::uint32_t size = U32(p + 8);
        const std::uint32_t type = U32(p + 12);
        if (size < kObjectHeaderBase || headerSize < kObjectHeaderBase || headerSize > size) {
            bufferAt_ += 4;
            offset_ += 4;
            Resynchronize(at, "an object whose header gives no possible size");
            continue;
        }
        if (size > kMaxBlfBlock + kObjectHeaderBase + kContainerHeader) {
            counts_.CountMalformed(at, "an object larger than 16 MiB, skipped", report_);
            Skip(size);
            continue;
        }
        // The object whole.
        compressed_.resize(size);
        const std::size_t got = ReadInto(compressed_.data(), size);
        if (got < size) {
            counts_.CountMalformed(at, type == kLogContainer ? "the file ends inside this log container"
                                                             : "the file ends inside this object",
                                   report_);
            return false;
        }
        // Keep what is left of the objects not yet taken.
        inner_.erase(inner_.begin(), inner_.begin() + static_cast<std::ptrdiff_t>(innerAt_));
        innerAt_ = 0;
        previousOffset_ = currentOffset_;
        currentOffset_ = at;
        currentStart_ = inner_.size();
        if (type != kLogContainer) {
            inner_.insert(inner_.end(), compressed_.begin(), compressed_.end());
            return true;
        }
        if (size < headerSize + kContainerHeader) {
            counts_.CountMalformed(at, "a log container too short for its header", report_);
            continue;
        }
        const unsigned char* container = compressed_.data() + headerSize;
        const std::uint16_t method = U16(container);
        const std::uint32_t uncompressed = U32(container + 8);
        const unsigned char* data = container + kContainerHeader;
        const std::size_t dataSize = size - headerSize - kContainerHeader;
        if (method == 0) {
            inner_.insert(inner_.end(), data, data + dataSize);
            return true;
        }
        if (method != 2) {
            counts_.CountMalformed(at, "a log container compressed by a method other than zlib, skipped", report_);
            continue;
        }
        if (uncompressed > kMaxBlfBlock) {
            counts_.CountMalformed(at, "a log container of more than 16 MiB, skipped", report_);
            continue;
        }
        inner_.resize(currentStart_ + uncompressed);
        uLongf length = uncompressed;
        const int result = uncompress(inner_.data() + currentStart_, &length, data, static_cast<uLong>(dataSize));
        if (result != Z_OK || length != uncompressed) {
            inner_.resize(currentStart_);
            counts_.CountMalformed(at, "a log container whose compressed data is corrupt, skipped", report_);
            continue;
        }
        return true;
    }
}

std::uint64_t BlfFrameSource::InnerOffset() const
{
    return innerAt_ < currentStart_ ? previousOffset_ : currentOffset_;
}

int BlfFrameSource::PortOfChannel(unsigned channel)
{
    if (onPort_ == 0 || onPort_ == 1)
        return onPort_;
    if (channel < channelPorts_.size()) {
        int& known = channelPorts_[channel];
        if (known == -2)
            known = ports_.PortOf(std::to_string(channel));
        return known;
    }
    return ports_.PortOf(std::to_string(channel));
}

// Takes the next object of inner_: `ready` when it was a frame. False when
// inner_ holds no whole object.
bool BlfFrameSource::TakeInnerObject(TraceFrame& frame, bool& ready)
{
    ready = false;
    if (innerSkip_ > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(innerSkip_, inner_.size() - innerAt_));
        innerAt_ += n;
        innerSkip_ -= n;
        if (innerSkip_ > 0)
            return false;
    }
    while (padding_ < 3 && innerAt_ < inner_.size() && inner_[innerAt_] == 0) {
        ++innerAt_;
        ++padding_;
    }
    const std::size_t have = inner_.size() - innerAt_;
    if (have < kObjectHeaderBase)
        return false;
    const unsigned char* p = inner_.data() + innerAt_;
    const std::uint64_t at = InnerOffset();
    const std::uint16_t headerSize = U16(p + 4);
    const std::uint32_t size = U32(p + 8);
    const std::uint32_t type = U32(p + 12);
    if (!IsSignature(p) || size < headerSize || headerSize < 32) {
        counts_.CountMalformed(at,
                               !IsSignature(p) ? "an object in this log container without its LOBJ signature"
                                               : "an object in this log container whose header gives no possible size",
                               report_);
        // On to the next signature.
        std::size_t next = innerAt_ + 1;
        while (next + 4 <= inner_.size() && !IsSignature(inner_.data() + next))
            ++next;
        innerAt_ = std::min(next, inner_.size());
        padding_ = 3;
        return true;
    }
    if (size > kMaxBlfBlock) {
        counts_.CountMalformed(at, "an object of more than 16 MiB in this log container, skipped", report_);
        innerSkip_ = size;
        padding_ = 0;
        return true;
    }
    if (have < size)
        return false;
    innerAt_ += size;
    padding_ = 0;

    const std::uint32_t timeFlags = U32(p + 16);
    const std::uint64_t stamp = U64(p + 24);
    // Units of 10 us (flag 1) or ns; beyond 2^63 ns is no time.
    const std::uint64_t unit = timeFlags == 1 ? 10000 : 1;
    const std::int64_t ns = stamp > static_cast<std::uint64_t>(INT64_MAX) / unit ? -1 : static_cast<std::int64_t>(stamp * unit);
    const unsigned char* body = p + headerSize;
    const std::size_t bodySize = size - headerSize;

    unsigned channel = 0;
    std::uint8_t dlc = 0;
    std::uint32_t id = 0;
    bool remote = false;
    const unsigned char* data = nullptr;
    std::size_t dataSize = 0;
    switch (type) {
    case kCanMessage:
    case kCanMessage2:
        if (bodySize < 16) {
            counts_.CountMalformed(at, "a CAN message object in this log container too short for a frame", report_);
            return true;
        }
        channel = U16(body);
        remote = (body[2] & kRemoteFlag) != 0;
        dlc = body[3];
        id = U32(body + 4);
        data = body + 8;
        dataSize = 8;
        break;
    case kCanFdMessage:
        if (bodySize < 84) {
            counts_.CountMalformed(at, "a CAN FD message object in this log container too short", report_);
            return true;
        }
        if (body[13] & 0x01) {
            counts_.CountCanFd(at);
            return true;
        }
        channel = U16(body);
        remote = (body[2] & kRemoteFlag) != 0;
        dlc = body[3];
        id = U32(body + 4);
        data = body + 20;
        dataSize = std::min<std::size_t>(body[14], 8);
        break;
    case kCanFdMessage64:
        if (bodySize < 40 || bodySize < 40u + std::min<std::size_t>(body[2], 8)) {
            counts_.CountMalformed(at, "a CAN FD message object in this log container too short", report_);
            return true;
        }
        if (U32(body + 12) & 0x1000) {
            counts_.CountCanFd(at);
            return true;
        }
        channel = body[0];
        dlc = body[1];
        id = U32(body + 4);
        remote = (U32(body + 12) & 0x0010) != 0;
        data = body + 40;
        dataSize = std::min<std::size_t>(body[2], 8);
        break;
    case kCanError:
    case kCanErrorExt:
    case kCanFdError64:
        counts_.CountErrorFrame(at);
        return true;
    default:
        counts_.CountEvent(at);
        return true;
    }
    const bool extended = (id & kExtendedFlag) != 0;
    id &= ~kExtendedFlag;
    if (dlc > 15 || id > (extended ? kMaxExtendedId : kMaxStandardId)) {
        counts_.CountMalformed(at,
                               dlc > 15 ? "a CAN message object in this log container with a DLC beyond 15"
                                        : "a CAN message object in this log container whose identifier is beyond its "
                                          "format's",
                               report_);
        return true;
    }
    const int port = PortOfChannel(channel);
    if (port < 0) {
        counts_.CountOtherInterface(std::to_string(channel), at);
        return true;
    }
    if (ns < 0 || !TraceTimeAt(origin_, ns, frame.time)) {
        counts_.CountMalformed(at, "a CAN message object in this log container whose time is beyond 2262", report_);
        return true;
    }
    frame.port = port;
    frame.id = id;
    frame.extended = extended;
    frame.remote = remote;
    frame.dlc = dlc;
    frame.data = {};
    if (!remote)
        std::memcpy(frame.data.data(), data, std::min<std::size_t>({dataSize, dlc, 8}));
    frame.line = at;
    ready = true;
    return true;
}

bool BlfFrameSource::Next(TraceFrame& frame)
{
    if (ended_)
        return false;
    if (!headerRead_ && !ReadFileHeader()) {
        ended_ = true;
        return false;
    }
    for (;;) {
        bool ready = false;
        while (TakeInnerObject(frame, ready))
            if (ready)
                return true;
        if (!ReadTopObject()) {
            if (innerSkip_ == 0 && innerAt_ < inner_.size() &&
                std::any_of(inner_.begin() + static_cast<std::ptrdiff_t>(innerAt_), inner_.end(),
                            [](unsigned char c) { return c != 0; }))
                counts_.CountMalformed(InnerOffset(), "the last log container ends inside an object", report_);
            ended_ = true;
            return false;
        }
    }
}

namespace {

class BlfWriter final : public TraceWriter {
public:
    explicit BlfWriter(TextSink& sink) : sink_(sink) {}

    void Add(const TraceFrame& frame) override
    {
        if (!started_) {
            started_ = true;
            origin_ = frame.time - (frame.time % kMillisecond + kMillisecond) % kMillisecond;
        }
        last_ = std::max(last_, frame.time);
        Put32(objects_, 0x4A424F4C); // "LOBJ"
        Put16(objects_, 32);         // header size
        Put16(objects_, 1);          // header version
        Put32(objects_, 48);         // object size
        Put32(objects_, kCanMessage);
        Put32(objects_, 2); // time in ns
        Put16(objects_, 0); // client index
        Put16(objects_, 0); // object version
        Put64(objects_, static_cast<std::uint64_t>(std::max<std::int64_t>(0, frame.time - origin_)));
        Put16(objects_, frame.port == 1 ? 2 : 1);
        objects_ += static_cast<char>(frame.remote ? kRemoteFlag : 0);
        objects_ += static_cast<char>(frame.dlc);
        Put32(objects_, frame.id | (frame.extended ? kExtendedFlag : 0));
        objects_.append(reinterpret_cast<const char*>(frame.data.data()), 8);
        ++objectCount_;
        if (objects_.size() >= kContainerSize)
            WriteContainer();
    }

    void Finish() override
    {
        WriteContainer();
        if (!headerWritten_)
            WriteHeader();
        // The header again, with the sizes and the count, where the sink can.
        std::string header;
        Header(header, true);
        sink_.Rewrite(0, header);
    }

private:
    static constexpr std::size_t kContainerSize = 128 * 1024;

    static void PutSystemTime(std::string& out, std::int64_t ns)
    {
        if (ns <= 0) {
            out.append(16, '\0');
            return;
        }
        std::int64_t within = 0;
        const std::tm t = LocalTimeOf(ns, within);
        for (int v : {t.tm_year + 1900, t.tm_mon + 1, t.tm_wday, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                      static_cast<int>(within / kMillisecond)})
            Put16(out, static_cast<std::uint32_t>(v));
    }

    // `final`: with the sizes, the count and the end time; else with 0
    // for them (they are not known yet).
    void Header(std::string& out, bool final) const
    {
        out += "LOGG";
        Put32(out, kFileHeaderSize);
        for (int v : {0, 0, 0, 0, 2, 6, 8, 1}) // application and its version, BLF version
            out += static_cast<char>(v);
        Put64(out, final ? fileSize_ : 0);
        Put64(out, final ? uncompressedSize_ : 0);
        Put32(out, final ? objectCount_ : 0);
        Put32(out, 0);
        PutSystemTime(out, started_ ? origin_ : 0);
        PutSystemTime(out, started_ && final ? last_ : 0);
        out.resize(kFileHeaderSize, '\0');
    }

    void WriteHeader()
    {
        std::string header;
        Header(header, false);
        sink_.Write(header);
        headerWritten_ = true;
    }

    void WriteContainer()
    {
        if (objects_.empty())
            return;
        if (!headerWritten_)
            WriteHeader();
        uLongf length = compressBound(static_cast<uLong>(objects_.size()));
        compressed_.resize(length);
        if (compress2(reinterpret_cast<Bytef*>(compressed_.data()), &length,
                      reinterpret_cast<const Bytef*>(objects_.data()), static_cast<uLong>(objects_.size()),
                      Z_DEFAULT_COMPRESSION) != Z_OK)
            throw Error("zlib could not compress a log container of the BLF trace");
        const auto size = static_cast<std::uint32_t>(kObjectHeaderBase + kContainerHeader + length);
        std::string head;
        Put32(head, 0x4A424F4C);
        Put16(head, kObjectHeaderBase);
        Put16(head, 1);
        Put32(head, size);
        Put32(head, kLogContainer);
        Put16(head, 2); // zlib
        head.append(6, '\0');
        Put32(head, static_cast<std::uint32_t>(objects_.size()));
        head.append(4, '\0');
        sink_.Write(head);
        sink_.Write(std::string_view(compressed_.data(), length));
        sink_.Write(std::string_view("\0\0\0", size % 4));
        fileSize_ += size + size % 4;
        uncompressedSize_ += kObjectHeaderBase + kContainerHeader + objects_.size();
        objects_.clear();
    }

    TextSink& sink_;
    std::string objects_;
    std::string compressed_;
    bool started_ = false, headerWritten_ = false;
    std::int64_t origin_ = 0, last_ = 0;
    std::uint32_t objectCount_ = 0;
    std::uint64_t fileSize_ = kFileHeaderSize, uncompressedSize_ = kFileHeaderSize;
};

} // namespace

std::unique_ptr<TraceWriter> MakeBlfWriter(TextSink& sink)
{
    return std::make_unique<BlfWriter>(sink);
}

} // namespace c2c
