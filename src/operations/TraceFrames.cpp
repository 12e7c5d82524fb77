#include "operations/TraceFrames.h"

#include "image/Forwarding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace c2c {

namespace {

void NoteFirst(std::uint64_t& first, std::uint64_t line)
{
    if (first == 0)
        first = line;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

InterfacePorts::InterfacePorts(std::vector<std::pair<std::string, int>> named) : names_(std::move(named))
{
    for (int port : {0, 1}) {
        const char* name = PortInterfaceName(PortAt(port));
        const bool given = std::any_of(names_.begin(), names_.end(), [&](const auto& n) { return n.first == name; });
        if (!given)
            names_.emplace_back(name, port);
    }
    for (int port : {0, 1}) {
        const std::string channel = std::to_string(port + 1);
        const bool given = std::any_of(names_.begin(), names_.end(), [&](const auto& n) { return n.first == channel; });
        if (!given)
            names_.emplace_back(channel, port);
    }
    auto isChannel = [](const std::string& name) { return std::all_of(name.begin(), name.end(), IsDigit); };
    for (int port : {0, 1}) {
        auto it = std::find_if(names_.begin(), names_.end(),
                               [&](const auto& n) { return n.second == port && !isChannel(n.first); });
        output_[static_cast<std::size_t>(port)] = it != names_.end() ? it->first : PortInterfaceName(PortAt(port));
    }
}

int InterfacePorts::PortOf(std::string_view name) const noexcept
{
    // Asked once per line of a trace: names are short, compared character
    // by character (a call of memcmp costs more than the comparison).
    for (const auto& [known, port] : names_) {
        if (known.size() != name.size())
            continue;
        std::size_t i = 0;
        while (i < name.size() && known[i] == name[i])
            ++i;
        if (i == name.size())
            return port;
    }
    return -1;
}

void TraceLineCounts::CountMalformed(std::uint64_t line, const char* problem, const MalformedLineReport& report)
{
    ++malformed;
    if (malformedLines.size() < kListedMalformedLines)
        malformedLines.push_back(line);
    report(line, problem);
}

void TraceLineCounts::CountOtherKind(const CandumpLine& parsed, std::uint64_t line, const MalformedLineReport& report)
{
    switch (parsed.kind) {
    case CandumpLineKind::Malformed:
        CountMalformed(line, parsed.problem, report);
        return;
    case CandumpLineKind::Empty:
        ++empty;
        return;
    case CandumpLineKind::CanFd:
        ++canFd;
        NoteFirst(firstCanFd, line);
        return;
    case CandumpLineKind::CanXl:
        ++canXl;
        NoteFirst(firstCanXl, line);
        return;
    case CandumpLineKind::ErrorFrame:
        ++errorFrames;
        NoteFirst(firstErrorFrame, line);
        return;
    case CandumpLineKind::DropNote:
        ++dropNotes;
        NoteFirst(firstDropNote, line);
        return;
    case CandumpLineKind::Frame:
        return;
    }
}

void TraceLineCounts::CountCanFd(std::uint64_t line)
{
    ++canFd;
    NoteFirst(firstCanFd, line);
}

void TraceLineCounts::CountErrorFrame(std::uint64_t line)
{
    ++errorFrames;
    NoteFirst(firstErrorFrame, line);
}

void TraceLineCounts::CountEvent(std::uint64_t line)
{
    ++events;
    NoteFirst(firstEvent, line);
}

void TraceLineCounts::CountOtherInterface(std::string_view name, std::uint64_t line)
{
    ++otherInterfaces;
    NoteFirst(firstOtherInterface, line);
    if (otherInterfaceNames.size() < kListedInterfaceNames &&
        std::find(otherInterfaceNames.begin(), otherInterfaceNames.end(), name) == otherInterfaceNames.end())
        otherInterfaceNames.emplace_back(name);
}

std::vector<std::string> SkippedLineNotes(const std::string& log, const TraceLineCounts& counts,
                                          const char* classicOnly, const char* otherInterfaces)
{
    std::vector<std::string> notes;
    auto plural = [](std::uint64_t count, const char* one, const char* many) {
        return std::to_string(count) + " " + (count == 1 ? one : many);
    };
    const bool objects = counts.atOffsets;
    if (counts.malformed > kListedMalformedLines)
        notes.push_back(log + ": " +
                        plural(counts.malformed - kListedMalformedLines,
                               objects ? "more malformed object" : "more malformed line",
                               objects ? "more malformed objects" : "more malformed lines") +
                        " skipped");
    auto kind = [&](std::uint64_t count, std::uint64_t first, const char* one, const char* many,
                    const std::string& detail, const char* why) {
        if (count > 0)
            notes.push_back(log + ": " + plural(count, one, many) + " skipped (" + detail + "the first at " +
                            counts.Position() + " " +
                            std::to_string(first) + ")" + why);
    };
    kind(counts.canFd, counts.firstCanFd, "CAN FD frame", "CAN FD frames", "", classicOnly);
    kind(counts.canXl, counts.firstCanXl, "CAN XL frame", "CAN XL frames", "", classicOnly);
    kind(counts.errorFrames, counts.firstErrorFrame, "error frame", "error frames", "", "");
    kind(counts.events, counts.firstEvent, "event or status entry", "event and status entries", "", "");
    kind(counts.dropNotes, counts.firstDropNote, "note of frames candump dropped", "notes of frames candump dropped", "",
         ": the trace misses frames");
    std::string names;
    for (const std::string& name : counts.otherInterfaceNames)
        names += PrintableText(name) + ", ";
    kind(counts.otherInterfaces, counts.firstOtherInterface, "frame of an interface on neither port",
         "frames of interfaces on neither port", names, otherInterfaces);
    return notes;
}

bool ParseTraceTimestamp(std::string_view text, std::int64_t& nanoseconds) noexcept
{
    // Nanoseconds of a 64-bit count reach the year 2262.
    constexpr std::int64_t kMaxSeconds = 9000000000;
    constexpr std::int64_t kScale[10] = {1000000000, 100000000, 10000000, 1000000, 100000, 10000, 1000, 100, 10, 1};
    if (text.size() < 3 || text.front() != '(' || text.back() != ')')
        return false;
    const char* at = text.data() + 1;
    const char* const end = text.data() + text.size() - 1;
    // Once per frame of a trace: digits accumulated, one multiplication for
    // the fraction.
    std::int64_t seconds = 0;
    const char* const first = at;
    for (; at < end && IsDigit(*at); ++at) {
        seconds = seconds * 10 + (*at - '0');
        if (seconds > kMaxSeconds)
            return false;
    }
    if (at == first)
        return false;
    std::int64_t fraction = 0;
    int digits = 0;
    if (at < end) {
        if (*at != '.')
            return false;
        for (++at; at < end; ++at) {
            if (!IsDigit(*at))
                return false;
            if (digits < 9) {
                fraction = fraction * 10 + (*at - '0');
                ++digits;
            }
        }
    }
    nanoseconds = seconds * 1000000000 + fraction * kScale[digits];
    return true;
}

std::size_t FormatTraceTime(std::int64_t nanoseconds, char* out) noexcept
{
    char text[kTraceTimeChars];
    char* at = text + sizeof text;
    std::int64_t micro = nanoseconds / 1000 % 1000000;
    for (int i = 0; i < 6; ++i, micro /= 10)
        *--at = static_cast<char>('0' + micro % 10);
    *--at = '.';
    std::int64_t seconds = nanoseconds / 1000000000;
    do {
        *--at = static_cast<char>('0' + seconds % 10);
        seconds /= 10;
    } while (seconds > 0);
    const auto length = static_cast<std::size_t>(text + sizeof text - at);
    std::memcpy(out, at, length);
    return length;
}

std::string TraceTimeText(std::int64_t nanoseconds)
{
    char text[kTraceTimeChars];
    return std::string(text, FormatTraceTime(nanoseconds, text));
}

CandumpFrameSource::CandumpFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports,
                                       int onPort, MalformedLineReport report, std::size_t bufferSize)
    : name_(std::move(name)),
      reader_(
          [this, source = std::move(source)](char* buffer, std::size_t size) {
              const std::size_t got = source(buffer, size);
              bytes_ += got;
              return got;
          },
          LineRules{kCandumpLineRules.longestLine, kCandumpLineRules.crEndsLine, kCandumpLineRules.endOfFileMark,
                    bufferSize}),
      ports_(ports),
      onPort_(onPort),
      report_(std::move(report))
{
}

std::unique_ptr<CandumpFrameSource> CandumpFrameSource::Open(const std::string& path, const InterfacePorts& ports,
                                                             int onPort, MalformedLineReport report)
{
    auto file = std::make_shared<FileHandle>(OpenRegularFile(path));
    return std::make_unique<CandumpFrameSource>(
        path,
        [file, source = FileSource(file->get(), std::size_t{1} << 20, path)](char* buffer, std::size_t size) {
            return source(buffer, size);
        },
        ports, onPort, std::move(report));
}

bool CandumpFrameSource::Next(TraceFrame& frame)
{
    std::string_view text;
    while (reader_.Next(text)) {
        const std::uint64_t number = reader_.LineNumber();
        if (reader_.Overlong()) {
            counts_.CountMalformed(number, CandumpLineTooLongText(), report_);
            continue;
        }
        const CandumpLine line = ParseCandumpLine(text);
        if (line.kind != CandumpLineKind::Frame) {
            counts_.CountOtherKind(line, number, report_);
            continue;
        }
        const int port = onPort_ == 0 || onPort_ == 1 ? onPort_ : ports_.PortOf(line.interface);
        if (port < 0) {
            counts_.CountOtherInterface(line.interface, number);
            continue;
        }
        if (!ParseTraceTimestamp(line.timestamp, frame.time)) {
            counts_.CountMalformed(number, "a timestamp beyond 9000000000 seconds", report_);
            continue;
        }
        const CandumpFrame& f = line.frame;
        frame.port = port;
        frame.id = f.id;
        frame.extended = f.extended;
        frame.remote = f.remote;
        frame.dlc = f.rawDlc > 8 ? f.rawDlc : f.length;
        frame.data = f.data;
        frame.line = number;
        return true;
    }
    return false;
}

} // namespace c2c
