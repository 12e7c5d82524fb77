#include "operations/TraceReplay.h"

#include "documents/CandumpLog.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"

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
        summary.identifiers.push_back({port, frame, frames, model.RouteFrame(PortAt(port), frame)});
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

// A trace of another format, or written in another: frame by frame
// through a FrameSource and a TraceWriter.
ReplaySummary ReplayFrames(const ForwardingModel& model, const std::string& logPath, const InterfacePorts& ports,
                           bool countIdentifiers, TextSink& out, const MalformedLineReport& malformed,
                           TraceFormat outFormat)
{
    const std::unique_ptr<FrameSource> source = OpenTraceFrames(logPath, ports, -1, malformed);
    const std::unique_ptr<TraceWriter> writer = MakeTraceWriter(outFormat, out, {ports.NameOf(0), ports.NameOf(1)});
    ReplaySummary summary;
    IdentifierCounter counter;
    TraceFrame frame;
    while (source->Next(frame)) {
        ++summary.frames;
        const CanFrameId id{frame.id, frame.extended};
        if (countIdentifiers)
            counter.Count(frame.port, id);
        const Route route = model.RouteFrame(PortAt(frame.port), id);
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
        ++(route.Changes(id) ? summary.translated : summary.passed);
        frame.id = route.leaves.id;
        frame.extended = route.leaves.extended;
        frame.port = 1 - frame.port;
        writer->Add(frame);
    }
    writer->Finish();
    static_cast<TraceLineCounts&>(summary) = source->Counts();
    if (countIdentifiers)
        counter.Report(model, summary);
    return summary;
}

} // namespace

ReplaySummary ReplayTrace(const ForwardingModel& model, const std::string& logPath, const InterfacePorts& ports,
                          bool countIdentifiers, TextSink& out, const MalformedLineReport& malformed,
                          std::optional<TraceFormat> outFormat)
{
    const TraceFormat inFormat = TraceFormatOfFile(logPath);
    if (inFormat != TraceFormat::Candump || outFormat.value_or(inFormat) != TraceFormat::Candump)
        return ReplayFrames(model, logPath, ports, countIdentifiers, out, malformed, outFormat.value_or(inFormat));
    FileHandle log = OpenRegularFile(logPath);
    LineReader reader(FileSource(log.get(), kReadBlock, logPath), kCandumpLineRules);
    ReplaySummary summary;
    IdentifierCounter counter;
    std::string block;
    block.reserve(kOutputBlock + 2 * kMaxCandumpLine);

    std::string_view text;
    while (reader.Next(text)) {
        const std::uint64_t number = reader.LineNumber();
        if (reader.Overlong()) {
            summary.CountMalformed(number, CandumpLineTooLongText(), malformed);
            continue;
        }
        const CandumpLine line = ParseCandumpLine(text);
        if (line.kind != CandumpLineKind::Frame) {
            summary.CountOtherKind(line, number, malformed);
            continue;
        }
        const int port = ports.PortOf(line.interface);
        if (port < 0) {
            summary.CountOtherInterface(line.interface, number);
            continue;
        }
        ++summary.frames;
        const CanFrameId frame{line.frame.id, line.frame.extended};
        if (countIdentifiers)
            counter.Count(port, frame);
        const Route route = model.RouteFrame(PortAt(port), frame);
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
