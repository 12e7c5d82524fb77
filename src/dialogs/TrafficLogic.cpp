#include "dialogs/TrafficLogic.h"

#include "documents/CandumpLog.h"
#include "documents/CobIdRules.h" // CanPortName, DirectionFrom
#include "operations/TrafficText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

namespace c2c {

namespace {

// Lines of a trace read to suggest its line.
constexpr std::uint64_t kSuggestionLines = 1000;

int PortOf(TraceLine line)
{
    return line == TraceLine::Can0 ? 0 : line == TraceLine::Can1 ? 1 : -1;
}

std::uint64_t FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// Two corners per point of a line's series: a step per point.
template <typename Value>
std::vector<ChartPoint> Steps(const TrafficReport& report, int line, Value value)
{
    const LoadSeries& series = report.lines[line == 1 ? 1 : 0].series;
    const double step = static_cast<double>(series.WindowsPerPoint()) * report.windowMs / 1000.0;
    std::vector<ChartPoint> points;
    for (std::size_t i = 0; i < series.Points().size(); ++i) {
        const double v = value(series.Points()[i]);
        points.push_back({static_cast<double>(i) * step, v});
        points.push_back({static_cast<double>(i + 1) * step, v});
    }
    return points;
}

} // namespace

TrafficLogic::TrafficLogic(const RoutingLogic& routing, TrafficInputs& in) : inputs(in), routing_(routing) {}

std::string TrafficLogic::Problem() const
{
    if (!routing_.Problem().empty())
        return routing_.Problem();
    if (std::all_of(inputs.traces.begin(), inputs.traces.end(), [](const TrafficTrace& t) { return t.path.empty(); }))
        return "Load a trace recorded on a line without the device.";
    for (int port : {0, 1})
        if (!inputs.bitRates[static_cast<std::size_t>(port)])
            return std::string("Choose the bit rate of ") + PortName(PortAt(port)) + ": the dip switch sets it.";
    return "";
}

std::optional<TraceLine> TrafficLogic::SuggestLine(const std::string& path)
{
    try {
        FileHandle file = OpenRegularFile(path);
        LineReader reader([&](char* buffer, std::size_t size) { return std::fread(buffer, 1, size, file.get()); },
                          LineRules{kMaxCandumpLine, true, false, 1 << 16});
        std::set<std::string, std::less<>> names;
        std::string_view text;
        while (reader.LineNumber() < kSuggestionLines && reader.Next(text)) {
            const CandumpLine line = ParseCandumpLine(text);
            if (line.kind == CandumpLineKind::Frame && names.find(line.interface) == names.end())
                names.emplace(line.interface);
        }
        if (names.count("can0") && names.count("can1"))
            return TraceLine::ByInterface;
    } catch (const Error&) {
        // Compute names a trace it cannot read.
    }
    return std::nullopt;
}

TrafficOutcome TrafficLogic::Compute(const TrafficInputs& in, const std::atomic<bool>& cancel,
                                     std::atomic<int>& permille) const
{
    TrafficOutcome outcome;
    try {
        if (!routing_.Model())
            throw Error(routing_.Problem());
        TrafficSettings settings;
        for (int port : {0, 1})
            settings.bitRateKbps[static_cast<std::size_t>(port)] = in.bitRates[static_cast<std::size_t>(port)].value_or(0);
        settings.windowMs = in.windowMs;
        settings.latencyNs = std::int64_t{in.latencyUs} * 1000;
        if (in.queue > 0)
            settings.queue = static_cast<std::uint64_t>(in.queue);

        std::vector<std::unique_ptr<FrameSource>> sources;
        std::vector<FrameSource*> traces;
        std::uint64_t total = 0;
        for (const TrafficTrace& trace : in.traces) {
            if (trace.path.empty())
                continue;
            auto shown = std::make_shared<std::size_t>(0);
            auto malformed = [&outcome, shown, path = trace.path](std::uint64_t line, const char* problem) {
                if ((*shown)++ < kListedMalformedLines)
                    outcome.notes.push_back(path + ":" + std::to_string(line) + ": " + problem);
            };
            sources.push_back(OpenTraceFrames(trace.path, InterfacePorts(), PortOf(trace.line), malformed));
            traces.push_back(sources.back().get());
            total += FileSize(trace.path);
        }
        const TrafficReport report =
            AnalyseTraffic(*routing_.Model(), settings, traces, {}, [&](std::uint64_t bytes) {
                permille = total > 0 ? static_cast<int>(std::min<std::uint64_t>(1000, bytes * 1000 / total)) : 0;
                return !cancel;
            });
        if (report.cancelled) {
            outcome.cancelled = true;
            return outcome;
        }
        for (const auto& source : sources)
            for (std::string& note : SkippedLineNotes(source->Name(), source->Counts(),
                                                      ": only classic CAN frames are sent on these lines",
                                                      ": choose the line of this trace"))
                outcome.notes.push_back(std::move(note));
        for (std::string& note : TraceOrderLines(report))
            outcome.notes.push_back(std::move(note));
        outcome.report = report;
    } catch (const Error& error) {
        outcome.error = error.what();
    }
    return outcome;
}

std::vector<std::string> TrafficLogic::SummaryLines(const TrafficOutcome& outcome)
{
    if (!outcome.report)
        return {outcome.cancelled ? "Stopped." : outcome.error};
    std::vector<std::string> lines;
    for (int line : {0, 1})
        for (std::string& text : LineSummaryLines(*outcome.report, line, PortInterfaceName(PortAt(line))))
            lines.push_back(std::move(text));
    lines.insert(lines.end(), outcome.notes.begin(), outcome.notes.end());
    lines.push_back(VerdictText(*outcome.report));
    return lines;
}

std::vector<ConflictItem> TrafficLogic::Conflicts(const TrafficReport& report) const
{
    std::vector<ConflictItem> items;
    for (const TrafficConflict& c : report.conflicts) {
        ConflictItem item{c.text + "; first at " + TraceTimeText(c.firstSeen), {}};
        auto add = [&](int direction, const CanFrameId& id) {
            if (const auto row = routing_.RowIn(direction, id.id)) {
                const GridRow found{direction, *row};
                if (std::find(item.rows.begin(), item.rows.end(), found) == item.rows.end())
                    item.rows.push_back(found);
            }
        };
        // The frames came from the other line through its table.
        for (const ConflictSource& source : c.sources)
            add(DirectionFrom(PortAt(1 - c.line)), source.original);
        if (c.counterpart)
            add(DirectionFrom(PortAt(c.line)), *c.counterpart);
        std::string rows;
        for (const GridRow& r : item.rows)
            rows += (rows.empty() ? "" : ", ") + std::string("N\u00B0 ") + std::to_string(r.row) + " of " +
                    kCobIdTableNames[static_cast<std::size_t>(r.direction)];
        item.text += rows.empty() ? " (no row lists it)" : " (row " + rows + ")";
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ChartPoint> TrafficLogic::LoadSteps(const TrafficReport& report, int line)
{
    return Steps(report, line, [](const LoadSeries::Point& p) { return p.load * 100; });
}

std::vector<ChartPoint> TrafficLogic::BacklogSteps(const TrafficReport& report, int line)
{
    return Steps(report, line, [](const LoadSeries::Point& p) { return static_cast<double>(p.backlog); });
}

double TrafficLogic::PeakSeconds(const TrafficReport& report, int line)
{
    return static_cast<double>(report.lines[line == 1 ? 1 : 0].peakWindowStart - report.start) / 1e9;
}

} // namespace c2c
