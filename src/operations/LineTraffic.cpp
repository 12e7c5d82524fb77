#include "operations/LineTraffic.h"

#include "documents/CandumpLog.h"
#include "documents/CommSettings.h"
#include "operations/FrameBits.h"
#include "platform/Error.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <limits>
#include <queue>
#include <tuple>

namespace c2c {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::size_t kOutputBlock = 1 << 20;
// How many frames go by between two questions to the progress callback.
constexpr std::uint64_t kProgressEvery = 1 << 14;

// The order in which frames win arbitration, as the bits on the wire decide
// it: the 11-bit base identifier; then RTR of a standard frame against SRR
// (recessive) of an extended one, so a standard data frame wins; then IDE,
// so a standard remote frame wins over extended frames; then the 18-bit
// extension and the extended frame's RTR. Lower wins.
std::uint32_t ArbitrationKey(std::uint32_t id, bool extended, bool remote)
{
    if (!extended)
        return (id & 0x7FF) << 21 | (remote ? 1u : 0u) << 19;
    return (id >> 18 & 0x7FF) << 21 | 2u << 19 | (id & 0x3FFFF) << 1 | (remote ? 1u : 0u);
}

// A frame waiting for its line.
struct Pending {
    std::int64_t ready = 0;
    std::uint64_t order = 0; // the recorded frame's place in the merged traces
    std::uint32_t key = 0;   // ArbitrationKey
    std::uint32_t id = 0;
    std::uint16_t bits = 0;
    std::uint8_t dlc = 0;
    bool extended = false, remote = false, forwarded = false;
    std::array<std::uint8_t, 8> data{};
};

// True when `a` loses arbitration to `b`: the waiting frames' heap puts the
// winner on top.
struct LosesTo {
    bool operator()(const Pending& a, const Pending& b) const
    {
        return std::tie(a.key, a.ready, a.forwarded, a.order) > std::tie(b.key, b.ready, b.forwarded, b.order);
    }
};

// "(1700000000.000100)": the time in candump's form.
void AppendTimestamp(std::string& out, std::int64_t ns)
{
    char text[kTraceTimeChars + 2];
    text[0] = '(';
    const std::size_t length = FormatTraceTime(ns, text + 1);
    text[length + 1] = ')';
    out.append(text, length + 2);
}

// One line: its bus, the frames waiting for it, its figures and its trace.
class LineBus {
public:
    LineBus(const TrafficSettings& settings, int port, TextSink* sink, std::string interface,
            TraceFormat format = TraceFormat::Candump)
        : bitNs_(1000000 / settings.bitRateKbps[static_cast<std::size_t>(port)]),
          windowNs_(std::int64_t{settings.windowMs} * 1000000),
          capacity_(static_cast<std::uint64_t>(settings.bitRateKbps[static_cast<std::size_t>(port)]) *
                    static_cast<std::uint64_t>(settings.windowMs)),
          queue_(settings.queue),
          sink_(sink),
          interface_(std::move(interface)),
          port_(port)
    {
        figures_.bitRateKbps = settings.bitRateKbps[static_cast<std::size_t>(port)];
        if (sink_ && format != TraceFormat::Candump)
            writer_ = MakeTraceWriter(format, *sink_, {interface_, interface_});
        else if (sink_)
            block_.reserve(kOutputBlock + 2 * kMaxCandumpLine);
    }

    void SetStart(std::int64_t start) { start_ = start; }
    void AddNative(const Pending& frame) { natives_.push_back(frame); }
    void AddForwarded(const Pending& frame) { forwarded_.push_back(frame); }

    // Starts every frame that can start before `before`: all frames ready
    // before then are known.
    void Advance(std::int64_t before)
    {
        for (;;) {
            std::int64_t start = free_;
            if (waiting_.empty()) {
                const std::int64_t ready = NextReady();
                if (ready == kNever)
                    return;
                start = std::max(free_, ready);
            }
            if (start >= before)
                return;
            if (waiting_.empty() && SendAlone(start))
                continue;
            const std::uint64_t arrivedNow = Admit(start);
            if (waiting_.empty())
                continue; // every frame ready then was lost
            const Pending frame = waiting_.top();
            waiting_.pop();
            // Waiting: until `start`, those ready before it; from `start`
            // on, all but the one that starts.
            const std::uint64_t before = waitingForwarded_ - arrivedNow;
            if (frame.forwarded)
                --waitingForwarded_;
            const std::uint64_t backlog = std::max(before, waitingForwarded_);
            if (backlog > figures_.maxBacklog) {
                figures_.maxBacklog = backlog;
                figures_.maxBacklogAt = start;
            }
            Send(frame, start, backlog);
        }
    }

    LineFigures Finish()
    {
        Advance(kNever);
        if (windowOpen_)
            CloseWindow();
        Flush();
        if (figures_.bits > 0)
            figures_.loadMean = static_cast<double>(figures_.bits) * 1e6 /
                                (static_cast<double>(figures_.bitRateKbps) *
                                 static_cast<double>(figures_.lastEnd - figures_.firstReady));
        return std::move(figures_);
    }

private:
    std::int64_t NextReady() const
    {
        const std::int64_t native = natives_.empty() ? kNever : natives_.front().ready;
        const std::int64_t forwarded = forwarded_.empty() ? kNever : forwarded_.front().ready;
        return std::min(native, forwarded);
    }

    // With no frame waiting and one frame alone ready at `now`, it starts
    // without arbitration (most frames, on a line that keeps up).
    bool SendAlone(std::int64_t now)
    {
        auto readyAt = [now](const std::deque<Pending>& frames, std::size_t i) {
            return frames.size() > i && frames[i].ready <= now;
        };
        const bool native = readyAt(natives_, 0), forwarded = readyAt(forwarded_, 0);
        if (native == forwarded || readyAt(natives_, 1) || readyAt(forwarded_, 1))
            return false;
        std::deque<Pending>& from = native ? natives_ : forwarded_;
        const Pending frame = from.front();
        from.pop_front();
        // A forwarded frame ready before `now` waited alone; the queue, empty,
        // holds it.
        const std::uint64_t backlog = frame.forwarded && frame.ready < now ? 1 : 0;
        if (backlog > figures_.maxBacklog) {
            figures_.maxBacklog = backlog;
            figures_.maxBacklogAt = now;
        }
        Send(frame, now, backlog);
        return true;
    }

    // Every frame ready by `now` joins the arbitration; a forwarded one
    // that finds the device's queue full is lost. Returns how many forwarded
    // frames joined that became ready at `now` itself.
    std::uint64_t Admit(std::int64_t now)
    {
        std::uint64_t arrivedNow = 0;
        while (!natives_.empty() && natives_.front().ready <= now) {
            waiting_.push(natives_.front());
            natives_.pop_front();
        }
        while (!forwarded_.empty() && forwarded_.front().ready <= now) {
            const Pending& frame = forwarded_.front();
            if (queue_ && waitingForwarded_ >= *queue_) {
                if (figures_.lostFrames.size() < kListedLostFrames)
                    figures_.lostFrames.push_back({frame.ready, {frame.id, frame.extended}});
                ++figures_.lost;
            } else {
                waiting_.push(frame);
                ++waitingForwarded_;
                arrivedNow += frame.ready == now ? 1 : 0;
            }
            forwarded_.pop_front();
        }
        return arrivedNow;
    }

    void Send(const Pending& frame, std::int64_t start, std::uint64_t backlog)
    {
        const std::int64_t end = start + std::int64_t{frame.bits} * bitNs_;
        free_ = end;
        const std::int64_t delay = start - frame.ready;
        if (frame.forwarded) {
            ++figures_.framesForwarded;
            figures_.maxDelayForwarded = std::max(figures_.maxDelayForwarded, delay);
        } else {
            ++figures_.framesNative;
            figures_.maxDelayNative = std::max(figures_.maxDelayNative, delay);
        }
        figures_.firstReady = figures_.bits == 0 ? frame.ready : std::min(figures_.firstReady, frame.ready);
        figures_.lastEnd = end;
        figures_.bits += frame.bits;

        const auto window = static_cast<std::uint64_t>((start - start_) / windowNs_);
        if (!windowOpen_ || window != window_) {
            if (windowOpen_)
                CloseWindow();
            figures_.series.AddEmpty(window - (windowOpen_ ? window_ + 1 : 0));
            windowOpen_ = true;
            window_ = window;
            windowBits_ = 0;
            windowBacklog_ = 0;
        }
        windowBits_ += frame.bits;
        windowBacklog_ = std::max(windowBacklog_, backlog);

        if (sink_)
            Write(frame, start);
    }

    void CloseWindow()
    {
        const double load = static_cast<double>(windowBits_) / static_cast<double>(capacity_);
        if (windowBits_ * 10 > capacity_ * 7)
            ++figures_.windowsOver70;
        if (windowBits_ > capacity_)
            ++figures_.windowsOver100;
        if (load > figures_.loadPeak) {
            figures_.loadPeak = load;
            figures_.peakWindowStart = start_ + static_cast<std::int64_t>(window_) * windowNs_;
        }
        figures_.series.Add(load, windowBacklog_);
    }

    void Write(const Pending& frame, std::int64_t start)
    {
        if (writer_) {
            TraceFrame out;
            out.time = start;
            out.port = port_;
            out.id = frame.id;
            out.extended = frame.extended;
            out.remote = frame.remote;
            out.dlc = frame.dlc;
            out.data = frame.data;
            writer_->Add(out);
            return;
        }
        CandumpFrame out;
        out.id = frame.id;
        out.extended = frame.extended;
        out.remote = frame.remote;
        out.length = std::min<std::uint8_t>(frame.dlc, 8);
        out.rawDlc = frame.dlc > 8 ? frame.dlc : 0;
        out.data = frame.data;
        AppendTimestamp(block_, start);
        AppendCandumpLine(block_, "", interface_, out, "");
        if (block_.size() >= kOutputBlock)
            Flush();
    }

    void Flush()
    {
        if (writer_) {
            writer_->Finish();
            return;
        }
        if (sink_ && !block_.empty())
            sink_->Write(block_);
        block_.clear();
    }

    const std::int64_t bitNs_;
    const std::int64_t windowNs_;
    const std::uint64_t capacity_; // bits a window holds
    const std::optional<std::uint64_t> queue_;
    TextSink* const sink_;
    const std::string interface_;
    const int port_;
    std::unique_ptr<TraceWriter> writer_; // a format other than candump's

    std::int64_t start_ = 0; // of the first window
    std::int64_t free_ = std::numeric_limits<std::int64_t>::min(); // when the bus is next idle
    std::deque<Pending> natives_, forwarded_; // known, not yet ready: each in ready order
    std::priority_queue<Pending, std::vector<Pending>, LosesTo> waiting_;
    std::uint64_t waitingForwarded_ = 0;

    bool windowOpen_ = false;
    std::uint64_t window_ = 0, windowBits_ = 0, windowBacklog_ = 0;
    LineFigures figures_;
    std::string block_;
};

void CheckSettings(const TrafficSettings& settings)
{
    for (int port : {0, 1}) {
        const int kbps = settings.bitRateKbps[static_cast<std::size_t>(port)];
        if (!IsDeviceBitRate(kbps))
            throw Error("The bit rate of CAN" + std::to_string(port) + " is " + std::to_string(kbps) +
                        " kbit/s; the device runs 10, 20, 50, 100, 125, 250, 500, 800 or 1000 kbit/s");
    }
    if (settings.windowMs < 1)
        throw Error("The window must be at least 1 ms");
    if (settings.latencyNs < 0)
        throw Error("The latency cannot be negative");
    if (settings.queue && *settings.queue < 1)
        throw Error("The device's queue must hold at least 1 frame");
}

} // namespace

bool IsDeviceBitRate(int kbps)
{
    return std::any_of(kBitRates.begin(), kBitRates.end(), [kbps](const char* rate) { return std::atoi(rate) == kbps; });
}

LoadSeries::LoadSeries(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity & ~std::size_t{1}, 2)) {}

void LoadSeries::Halve()
{
    for (std::size_t i = 0; i < points_.size() / 2; ++i)
        points_[i] = {std::max(points_[2 * i].load, points_[2 * i + 1].load),
                      std::max(points_[2 * i].backlog, points_[2 * i + 1].backlog)};
    points_.resize(points_.size() / 2);
    step_ *= 2;
    inLast_ = step_;
}

void LoadSeries::Add(double load, std::uint64_t backlog)
{
    if (!points_.empty() && inLast_ < step_) {
        Point& last = points_.back();
        last = {std::max(last.load, load), std::max(last.backlog, backlog)};
        ++inLast_;
        return;
    }
    if (points_.size() == capacity_)
        Halve();
    points_.push_back({load, backlog});
    inLast_ = 1;
}

void LoadSeries::AddEmpty(std::uint64_t windows)
{
    while (windows > 0) {
        if (!points_.empty() && inLast_ < step_) {
            const std::uint64_t n = std::min(windows, step_ - inLast_);
            inLast_ += n;
            windows -= n;
            continue;
        }
        if (points_.size() == capacity_) {
            Halve();
            continue;
        }
        const std::uint64_t n = std::min(windows, step_);
        points_.push_back({});
        inLast_ = n;
        windows -= n;
    }
}

TrafficReport AnalyseTraffic(const ForwardingModel& model, const TrafficSettings& settings,
                             const std::vector<FrameSource*>& traces, const LineOutputs& outputs,
                             const TrafficProgress& progress)
{
    CheckSettings(settings);
    TrafficReport report;
    report.windowMs = settings.windowMs;
    std::array<LineBus, 2> buses = {
        LineBus(settings, 0, outputs.sinks[0], outputs.interfaces[0], outputs.formats[0]),
        LineBus(settings, 1, outputs.sinks[1], outputs.interfaces[1], outputs.formats[1])};
    ConflictFinder conflicts(model);

    // The next frame of each trace, in time order within the trace.
    struct Head {
        FrameSource* source;
        TraceFrame frame;
        bool live = false;
    };
    std::vector<Head> heads;
    for (FrameSource* trace : traces) {
        heads.push_back({trace, {}, false});
        report.traces.push_back({trace->Name()});
    }
    auto pull = [&](std::size_t i) {
        Head& head = heads[i];
        TraceOrder& order = report.traces[i];
        const std::int64_t before = head.frame.time;
        head.live = head.source->Next(head.frame);
        if (!head.live)
            return;
        if (order.frames++ > 0 && head.frame.time < before) {
            if (order.outOfOrder++ == 0) {
                order.firstLine = head.frame.line;
                order.firstTime = head.frame.time;
                order.timeBefore = before;
            }
            head.frame.time = before;
        }
    };
    auto bytesRead = [&] {
        std::uint64_t bytes = 0;
        for (const Head& head : heads)
            bytes += head.source->BytesRead();
        return bytes;
    };
    for (std::size_t i = 0; i < heads.size(); ++i)
        pull(i);

    for (;;) {
        std::size_t next = heads.size();
        for (std::size_t i = 0; i < heads.size(); ++i)
            if (heads[i].live && (next == heads.size() || heads[i].frame.time < heads[next].frame.time))
                next = i;
        if (next == heads.size())
            break;
        const TraceFrame& f = heads[next].frame;
        if (report.frames == 0) {
            report.start = f.time;
            for (LineBus& bus : buses)
                bus.SetStart(f.time);
        }
        for (LineBus& bus : buses)
            bus.Advance(f.time);

        Pending native;
        native.ready = f.time;
        native.order = report.frames;
        native.key = ArbitrationKey(f.id, f.extended, f.remote);
        native.id = f.id;
        native.dlc = f.dlc;
        native.extended = f.extended;
        native.remote = f.remote;
        native.data = f.data;
        native.bits = static_cast<std::uint16_t>(FrameBitsOnWire(f.id, f.extended, f.remote, f.dlc, f.data.data()));
        buses[static_cast<std::size_t>(f.port)].AddNative(native);

        const CanFrameId id{f.id, f.extended};
        const Route route = model.RouteFrame(PortAt(f.port), id);
        const std::int64_t forwardedAt = f.time + settings.latencyNs;
        if (route.Passed()) {
            Pending copy = native;
            copy.forwarded = true;
            copy.ready = forwardedAt;
            if (route.leaves != id) {
                copy.id = route.leaves.id;
                copy.extended = route.leaves.extended;
                copy.key = ArbitrationKey(copy.id, copy.extended, copy.remote);
                copy.bits = static_cast<std::uint16_t>(
                    FrameBitsOnWire(copy.id, copy.extended, copy.remote, copy.dlc, copy.data.data()));
            }
            buses[static_cast<std::size_t>(1 - f.port)].AddForwarded(copy);
        }
        conflicts.Note(f.port, id, f.remote, f.time, route, forwardedAt);

        if (++report.frames % kProgressEvery == 0 && progress && !progress(bytesRead())) {
            report.cancelled = true;
            return report;
        }
        pull(next);
    }

    for (int line : {0, 1})
        report.lines[static_cast<std::size_t>(line)] = buses[static_cast<std::size_t>(line)].Finish();
    report.conflicts = conflicts.Conflicts();
    report.unexamined = conflicts.Unexamined();
    if (progress)
        progress(bytesRead());
    return report;
}

} // namespace c2c
