#include "operations/TraceFormats.h"

#include "documents/CandumpLog.h"
#include "operations/AscTrace.h"
#include "operations/BlfTrace.h"
#include "operations/TrcTrace.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace c2c {

namespace {

constexpr std::int64_t kSecond = 1000000000;

struct FormatInfo {
    TraceFormat format;
    const char* key;
    const char* name;
};

constexpr FormatInfo kFormats[] = {
    {TraceFormat::Candump, "candump", "a candump trace"},
    {TraceFormat::Asc, "asc", "an ASC trace"},
    {TraceFormat::Trc, "trc", "a TRC trace"},
    {TraceFormat::Blf, "blf", "a BLF trace"},
};

const FormatInfo& InfoOf(TraceFormat format)
{
    for (const FormatInfo& info : kFormats)
        if (info.format == format)
            return info;
    return kFormats[0];
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A candump trace written frame by frame: the time to the microsecond, the
// port's interface name.
class CandumpWriter final : public TraceWriter {
public:
    CandumpWriter(TextSink& sink, const std::array<std::string, 2>& interfaces)
        : sink_(sink), interfaces_(interfaces)
    {
        block_.reserve(kBlock + 2 * kMaxCandumpLine);
    }

    void Add(const TraceFrame& frame) override
    {
        char time[kTraceTimeChars + 2];
        time[0] = '(';
        const std::size_t length = FormatTraceTime(frame.time < 0 ? 0 : frame.time, time + 1);
        time[length + 1] = ')';
        CandumpFrame out;
        out.id = frame.id;
        out.extended = frame.extended;
        out.remote = frame.remote;
        out.length = std::min<std::uint8_t>(frame.dlc, 8);
        out.rawDlc = frame.dlc > 8 ? frame.dlc : 0;
        out.data = frame.data;
        AppendCandumpLine(block_, std::string_view(time, length + 2), interfaces_[frame.port == 1 ? 1 : 0], out, "");
        if (block_.size() >= kBlock) {
            sink_.Write(block_);
            block_.clear();
        }
    }

    void Finish() override
    {
        sink_.Write(block_);
        block_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    TextSink& sink_;
    std::array<std::string, 2> interfaces_;
    std::string block_;
};

} // namespace

const char* TraceFormatKey(TraceFormat format)
{
    return InfoOf(format).key;
}

const char* TraceFormatName(TraceFormat format)
{
    return InfoOf(format).name;
}

std::optional<TraceFormat> TraceFormatOfKey(std::string_view key)
{
    for (const FormatInfo& info : kFormats)
        if (SameText(key, info.key))
            return info.format;
    return std::nullopt;
}

std::optional<TraceFormat> TraceFormatOfExtension(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == path.npos || path.find_first_of("/\\", dot) != path.npos)
        return std::nullopt;
    const std::string_view extension = path.substr(dot + 1);
    for (const FormatInfo& info : kFormats)
        if (info.format != TraceFormat::Candump && SameText(extension, info.key))
            return info.format;
    return std::nullopt;
}

std::optional<TraceFormat> SniffTraceFormat(std::string_view head) noexcept
{
    if (IsBlfTraceHead(head))
        return TraceFormat::Blf;
    if (IsTrcTraceText(head))
        return TraceFormat::Trc;
    if (IsAscTraceText(head))
        return TraceFormat::Asc;
    if (IsCandumpTraceText(head))
        return TraceFormat::Candump;
    return std::nullopt;
}

bool IsTraceHead(std::string_view head) noexcept
{
    return SniffTraceFormat(head).has_value();
}

OutputFormat TraceOutputFormat(TraceFormat format)
{
    return {TraceFormatName(format), [](std::string_view head) { return IsTraceHead(head); }};
}

TraceFormat TraceFormatOfFile(const std::string& path)
{
    FileHandle file = OpenRegularFile(path);
    std::string head(kFormatSniffSize, '\0');
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (got < head.size() && std::ferror(file.get()))
        throw Error("Cannot read file \"" + path + "\". " + SystemReason(errno));
    head.resize(got);
    if (const auto format = SniffTraceFormat(head))
        return *format;
    return TraceFormatOfExtension(path).value_or(TraceFormat::Candump);
}

std::unique_ptr<FrameSource> OpenTraceFrames(const std::string& path, const InterfacePorts& ports, int onPort,
                                             MalformedLineReport report)
{
    const TraceFormat format = TraceFormatOfFile(path);
    if (format == TraceFormat::Candump)
        return CandumpFrameSource::Open(path, ports, onPort, std::move(report));
    auto file = std::make_shared<FileHandle>(OpenRegularFile(path));
    LineReader::Source source = [file, read = FileSource(file->get(), std::size_t{1} << 20, path)](
                                    char* buffer, std::size_t size) { return read(buffer, size); };
    switch (format) {
    case TraceFormat::Asc:
        return std::make_unique<AscFrameSource>(path, std::move(source), ports, onPort, std::move(report));
    case TraceFormat::Trc:
        return std::make_unique<TrcFrameSource>(path, std::move(source), ports, onPort, std::move(report));
    case TraceFormat::Blf:
        return std::make_unique<BlfFrameSource>(path, std::move(source), ports, onPort, std::move(report));
    case TraceFormat::Candump:
        break;
    }
    return CandumpFrameSource::Open(path, ports, onPort, std::move(report));
}

std::unique_ptr<TraceWriter> MakeTraceWriter(TraceFormat format, TextSink& sink,
                                             const std::array<std::string, 2>& interfaces)
{
    switch (format) {
    case TraceFormat::Asc:
        return MakeAscWriter(sink);
    case TraceFormat::Trc:
        return MakeTrcWriter(sink, interfaces);
    case TraceFormat::Blf:
        return MakeBlfWriter(sink);
    case TraceFormat::Candump:
        break;
    }
    return std::make_unique<CandumpWriter>(sink, interfaces);
}

std::optional<std::int64_t> LocalTimeNs(int year, int month, int day, int hour, int minute, int second,
                                        std::int64_t nanoseconds)
{
    if (year < 1970 || year > 2262 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60 || nanoseconds < 0 || nanoseconds >= kSecond)
        return std::nullopt;
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&t);
    std::int64_t ns = 0;
    if (seconds == static_cast<std::time_t>(-1) || seconds < 0 ||
        __builtin_mul_overflow(static_cast<std::int64_t>(seconds), kSecond, &ns) ||
        __builtin_add_overflow(ns, nanoseconds, &ns))
        return std::nullopt;
    return ns;
}

std::tm LocalTimeOf(std::int64_t ns, std::int64_t& nanoseconds)
{
    std::int64_t seconds = ns / kSecond;
    nanoseconds = ns % kSecond;
    if (nanoseconds < 0) {
        nanoseconds += kSecond;
        --seconds;
    }
    const auto t = static_cast<std::time_t>(seconds);
    std::tm out{};
#ifdef _WIN32
    if (localtime_s(&out, &t) != 0)
        out = std::tm{};
#else
    if (!localtime_r(&t, &out))
        out = std::tm{};
#endif
    return out;
}

bool PlaceTextFrame(int port, std::string_view channel, std::int64_t origin, std::int64_t offset,
                    std::uint64_t number, TraceLineCounts& counts, const MalformedLineReport& report,
                    TraceFrame& frame)
{
    if (port < 0) {
        counts.CountOtherInterface(channel, number);
        return false;
    }
    if (!TraceTimeAt(origin, offset, frame.time)) {
        counts.CountMalformed(number, "a time before 1970 or beyond 2262", report);
        return false;
    }
    frame.port = port;
    frame.line = number;
    return true;
}

} // namespace c2c
