#pragma once
// What each line will carry with the repeater in place, from traces recorded
// on the lines without it: every frame stays on its own line and, where the
// device passes it, is also sent on the other line; each line is one bus
// that sends one frame at a time at its port's bit rate.
//
// - A frame recorded on a line is ready there at its recorded time; a frame
//   the device forwards is ready on the other line at its recorded time plus
//   the device's latency.
// - When the bus is idle, of the frames ready the one that wins arbitration
//   starts: the lowest 11-bit base identifier; at the same base a standard
//   data frame, then a standard remote frame, then extended frames by their
//   29-bit identifier, data before remote; then the earlier ready, then a
//   frame of the line before a forwarded one, then the order of the traces.
// - A frame takes FrameBitsOnWire() bit times; its bits count wholly in the
//   window of its start. Windows of `windowMs` follow one another from the
//   earliest ready time of both lines.
// - The device's backlog on a line is the forwarded frames ready there and
//   not yet started (a frame that starts the moment it is ready never
//   waits). With a queue of N frames, a forwarded frame that finds N frames
//   waiting is lost.
// Bus errors, retransmissions, error frames and bus-off are not modelled:
// every frame is sent once, whole. docs/traffic.md says more.
//
// The traces are read frame by frame and merged by time: memory stays the
// same whatever their length, as long as each line keeps up with what it
// must send (frames waiting for the bus are held until they start). A
// trace's frame earlier than the one before it is taken as ready at that
// one's time, and counted.

#include "image/Forwarding.h"
#include "operations/TraceFormats.h"
#include "operations/TraceFrames.h"
#include "operations/TraceReplay.h"
#include "platform/TextSink.h"
#include "operations/TrafficConflicts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

struct TrafficSettings {
    std::array<int, 2> bitRateKbps{}; // each line's bit rate: one of the device's rates
    std::int64_t latencyNs = 0;       // from a frame's receipt to its copy being ready on the other line
    int windowMs = 100;               // the windows the load is measured in
    std::optional<std::uint64_t> queue; // frames the device holds per port; nothing: no limit
};

// Whether the device runs a line at `kbps` (10, 20, 50, 100, 125, 250, 500,
// 800 or 1000 kbit/s).
bool IsDeviceBitRate(int kbps);

// The load of consecutive windows in at most `capacity` points: when full,
// neighbours are merged (each point then covers twice the windows, with the
// larger load and backlog of the two), so a trace of any length fits.
class LoadSeries {
public:
    struct Point {
        double load = 0;          // bits sent / the window's capacity; 1.0 = 100 %
        std::uint64_t backlog = 0; // the device's largest backlog when a frame started
        bool operator==(const Point&) const = default;
    };
    explicit LoadSeries(std::size_t capacity = 2048);

    void Add(double load, std::uint64_t backlog);
    void AddEmpty(std::uint64_t windows);
    const std::vector<Point>& Points() const { return points_; }
    std::uint64_t WindowsPerPoint() const { return step_; }

private:
    void Halve();

    std::size_t capacity_;
    std::vector<Point> points_;
    std::uint64_t step_ = 1;
    std::uint64_t inLast_ = 0; // windows in the last point
};

// A forwarded frame lost for want of room in the device's queue.
struct LostFrame {
    std::int64_t ready = 0;
    CanFrameId id;
    bool operator==(const LostFrame&) const = default;
};
inline constexpr std::size_t kListedLostFrames = 10;

struct LineFigures {
    int bitRateKbps = 0;
    std::uint64_t framesNative = 0, framesForwarded = 0, bits = 0;
    // The earliest ready time and the latest end of the frames sent.
    std::int64_t firstReady = 0, lastEnd = 0;
    double loadMean = 0; // bits / (bit rate x (lastEnd - firstReady))
    double loadPeak = 0;
    std::int64_t peakWindowStart = 0;
    std::uint64_t windowsOver70 = 0, windowsOver100 = 0;
    std::uint64_t maxBacklog = 0;
    std::int64_t maxBacklogAt = 0;
    std::int64_t maxDelayForwarded = 0, maxDelayNative = 0; // nanoseconds
    std::uint64_t lost = 0;
    std::vector<LostFrame> lostFrames; // the first kListedLostFrames
    LoadSeries series;
};

// How a trace was read: its frames and those out of time order.
struct TraceOrder {
    std::string trace;
    std::uint64_t frames = 0, outOfOrder = 0;
    std::uint64_t firstLine = 0;                // of the first frame out of order
    std::int64_t firstTime = 0, timeBefore = 0; // its time, and that of the frame before it
};

struct TrafficReport {
    int windowMs = 100;
    std::int64_t start = 0; // the earliest ready time: the first window starts here
    std::uint64_t frames = 0;
    std::array<LineFigures, 2> lines;
    std::vector<TrafficConflict> conflicts;
    std::uint64_t unexamined = 0; // frames not looked at for conflicts (ConflictFinder::Unexamined)
    std::vector<TraceOrder> traces;
    bool cancelled = false;

    bool Overloaded(int line) const { return lines[line == 1 ? 1 : 0].windowsOver100 > 0; }
    bool Lost(int line) const { return lines[line == 1 ? 1 : 0].lost > 0; }
    // Frames read, and no window over 100 %, no frame lost, no conflict.
    // Without a frame nothing was shown (every line skipped, or the wrong
    // interface names), which is no answer.
    bool Fits() const
    {
        return frames > 0 && !Overloaded(0) && !Overloaded(1) && !Lost(0) && !Lost(1) && conflicts.empty();
    }
};

// Where each line's merged trace goes (none: not written), its format, and
// the interface name a candump trace names it with (the other formats
// write channel 1 for CAN0, 2 for CAN1).
struct LineOutputs {
    std::array<TextSink*, 2> sinks{};
    std::array<std::string, 2> interfaces = {"can0", "can1"};
    std::array<TraceFormat, 2> formats{};
};

// Asked now and then with the bytes read of all traces so far; false stops
// the analysis (the report is then marked cancelled).
using TrafficProgress = std::function<bool(std::uint64_t bytesRead)>;

// Reads `traces` to their ends, merged by time, through `model`. Throws
// Error for settings out of range, a trace that cannot be read or an output
// that cannot be written.
TrafficReport AnalyseTraffic(const ForwardingModel& model, const TrafficSettings& settings,
                             const std::vector<FrameSource*>& traces, const LineOutputs& outputs = {},
                             const TrafficProgress& progress = {});

} // namespace c2c
