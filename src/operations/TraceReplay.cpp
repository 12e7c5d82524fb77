#include "operations/TraceReplay.h"

#include "documents/CandumpLog.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/SystemReason.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace c2c {

namespace {

// The frames that leave are gathered into blocks of about this size.
constexpr std::size_t kOutputBlock = 1 << 20;
// The trace is read in blocks of this size.
constexpr std::size_t kReadBlock = 1 << 20;

// Per port, per frame format and identifier: how many frames came. 11-bit
// values in a flat array (no look-up on the way), larger ones in a map.
class IdentifierCounter {
public:
    void Count(int port, const CanFrameId& frame)
    {
        if (frame.id < kStandardEntries) {
            if (small_[Index(port, frame.extended, frame.id)]++ == 0)
                ++smallUsed_;
            return;
        }
        const std::uint64_t key = static_cast<std::uint64_t>(port) << 32 | frame.id;
        auto it = large_.find(key);
        if (it != large_.end())
            ++it->second;
        else if (smallUsed_ + large_.size() < kCountedIdentifiers)
            large_.emplace(key, 1);
        else
            ++uncounted_;
    }

    void Report(const ForwardingModel& model, ReplaySummary& summary) const
    {
        for (int port : {0, 1})
            for (bool extended : {false, true}) {
                for (std::uint32_t id = 0; id < kStandardEntries; ++id)
                    if (const std::uint64_t frames = small_[Index(port, extended, id)])
                        Add(model, port, {id, extended}, frames, summary);
                if (extended)
                    AddLarge(model, port, summary);
            }
        summary.uncountedFrames = uncounted_;
    }

private:
    static std::size_t Index(int port, bool extended, std::uint32_t id)
    {
        return (static_cast<std::size_t>(port) * 2 + (extended ? 1 : 0)) * kStandardEntries + id;
    }
    static void Add(const ForwardingModel& model, int port, CanFrameId frame, std::uint64_t frames,
                    ReplaySummary& summary)
    {
        summary.identifiers.push_back({port, frame, frames, model.RouteFrame(port, frame)});
    }
    void AddLarge(const ForwardingModel& model, int port, ReplaySummary& summary) const
    {
        std::vector<std::pair<std::uint32_t, std::uint64_t>> ids;
        for (const auto& [key, frames] : large_)
            if (static_cast<int>(key >> 32) == port)
                ids.emplace_back(static_cast<std::uint32_t>(key), frames);
        std::sort(ids.begin(), ids.end());
        for (const auto& [id, frames] : ids)
            Add(model, port, {id, true}, frames, summary);
    }

    std::vector<std::uint64_t> small_ = std::vector<std::uint64_t>(4 * kStandardEntries);
    std::size_t smallUsed_ = 0;
    std::unordered_map<std::uint64_t, std::uint64_t> large_;
    std::uint64_t uncounted_ = 0;
};

const std::string kOverlongProblem = "longer than " + std::to_string(kMaxCandumpLine) + " characters";

void NoteFirst(std::uint64_t& first, std::uint64_t line)
{
    if (first == 0)
        first = line;
}

} // namespace

InterfacePorts::InterfacePorts(std::vector<std::pair<std::string, int>> named) : names_(std::move(named))
{
    for (int port : {0, 1}) {
        const char* name = PortInterfaceName(port);
        const bool given = std::any_of(names_.begin(), names_.end(), [&](const auto& n) { return n.first == name; });
        if (!given)
            names_.emplace_back(name, port);
    }
    for (int port : {0, 1}) {
        auto it = std::find_if(names_.begin(), names_.end(), [&](const auto& n) { return n.second == port; });
        output_[static_cast<std::size_t>(port)] = it != names_.end() ? it->first : PortInterfaceName(port);
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

ReplaySummary ReplayTrace(const ForwardingModel& model, const std::string& logPath, const InterfacePorts& ports,
                          bool countIdentifiers, TextSink& out, const MalformedLineReport& malformed)
{
    FileHandle log = OpenRegularFile(logPath);
    LineReader reader(FileSource(log.get(), kReadBlock,
                                 [&](int error) {
                                     throw Error("Cannot read file \"" + logPath + "\". " + SystemReason(error));
                                 }),
                      kCandumpLineRules);
    ReplaySummary summary;
    IdentifierCounter counter;
    std::string block;
    block.reserve(kOutputBlock + 2 * kMaxCandumpLine);

    auto reportMalformed = [&](const char* problem) {
        ++summary.malformed;
        if (summary.malformedLines.size() < kListedMalformedLines)
            summary.malformedLines.push_back(reader.LineNumber());
        malformed(reader.LineNumber(), problem);
    };

    std::string_view text;
    while (reader.Next(text)) {
        if (reader.Overlong()) {
            reportMalformed(kOverlongProblem.c_str());
            continue;
        }
        const CandumpLine line = ParseCandumpLine(text);
        const std::uint64_t number = reader.LineNumber();
        switch (line.kind) {
        case CandumpLineKind::Malformed:
            reportMalformed(line.problem);
            continue;
        case CandumpLineKind::Empty:
            ++summary.empty;
            continue;
        case CandumpLineKind::CanFd:
            ++summary.canFd;
            NoteFirst(summary.firstCanFd, number);
            continue;
        case CandumpLineKind::CanXl:
            ++summary.canXl;
            NoteFirst(summary.firstCanXl, number);
            continue;
        case CandumpLineKind::ErrorFrame:
            ++summary.errorFrames;
            NoteFirst(summary.firstErrorFrame, number);
            continue;
        case CandumpLineKind::DropNote:
            ++summary.dropNotes;
            NoteFirst(summary.firstDropNote, number);
            continue;
        case CandumpLineKind::Frame:
            break;
        }

        const int port = ports.PortOf(line.interface);
        if (port < 0) {
            ++summary.otherInterfaces;
            NoteFirst(summary.firstOtherInterface, number);
            auto& names = summary.otherInterfaceNames;
            if (names.size() < kListedInterfaceNames &&
                std::find(names.begin(), names.end(), line.interface) == names.end())
                names.emplace_back(line.interface);
            continue;
        }
        ++summary.frames;
        const CanFrameId frame{line.frame.id, line.frame.extended};
        if (countIdentifiers)
            counter.Count(port, frame);
        const Route route = model.RouteFrame(port, frame);
        switch (route.outcome) {
        case RouteOutcome::NotReceived:
            ++summary.notReceived;
            continue;
        case RouteOutcome::Blocked:
            ++summary.blocked;
            continue;
        case RouteOutcome::Passed:
            break;
        }
        ++(route.Changes(frame) ? summary.translated : summary.passed);
        CandumpFrame leaving = line.frame;
        leaving.id = route.leaves.id;
        leaving.extended = route.leaves.extended;
        AppendCandumpLine(block, line.timestamp, ports.NameOf(1 - port), leaving, line.direction);
        if (block.size() >= kOutputBlock) {
            out.Write(block);
            block.clear();
        }
    }
    out.Write(block);
    if (countIdentifiers)
        counter.Report(model, summary);
    return summary;
}

} // namespace c2c
