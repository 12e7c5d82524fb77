#pragma once
// The Traffic page of Check routing: what each line will carry with the
// device, for the tables as they are in the grid. The user loads a trace of
// each line (or one trace of both, by interface name), the bit rates come
// from the project (the dip switch's must be chosen), and Compute runs the
// traffic analysis that `traffic` runs, on the model of the routing view:
// both lines' load over time, the peak, the device's backlog, and the
// conflicts, each with the rows of the grid it concerns.
//
// Compute is the long part: the window runs it in a thread of its own, with
// its progress and a way to stop it; it reads only its arguments and the
// routing view's model.

#include "dialogs/RoutingLogic.h"
#include "operations/LineTraffic.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

inline constexpr const char* kTrafficPageCaption = "Traffic";

// Which line the frames of a trace are on.
enum class TraceLine : std::uint8_t { Can0, Can1, ByInterface };
inline constexpr std::array<const char*, 3> kTraceLineCaptions = {"All on CAN0", "All on CAN1",
                                                                  "By interface (can0, can1)"};

struct TrafficTrace {
    std::string path; // empty: none
    TraceLine line = TraceLine::Can0;
};

// What the user chose on the page, kept from one showing of the window to
// the next.
struct TrafficInputs {
    std::array<TrafficTrace, 2> traces = {TrafficTrace{"", TraceLine::Can0}, TrafficTrace{"", TraceLine::Can1}};
    std::array<std::optional<int>, 2> bitRates; // kbit/s; nothing: not known (set by the dip switch)
    int windowMs = 100;
    int latencyUs = 0;
    int queue = 0;        // frames the device holds per port; 0: no limit
    bool computed = false; // shown at the last showing: computed again at the next
};

struct TrafficOutcome {
    std::optional<TrafficReport> report; // nothing when it failed or was stopped
    std::string error;                   // why it failed
    bool cancelled = false;
    // Malformed lines (the first of each trace), lines skipped by kind,
    // frames out of time order.
    std::vector<std::string> notes;
};

// A row of the grid: the table and the row's N°.
struct GridRow {
    int direction = kCan0ToCan1;
    std::size_t row = 0;
    bool operator==(const GridRow&) const = default;
};

// A conflict as the list shows it, and the rows whose identifiers make it.
struct ConflictItem {
    std::string text;
    std::vector<GridRow> rows;
};

// A corner of the chart: seconds from the first frame, and a value.
struct ChartPoint {
    double seconds = 0;
    double value = 0;
    bool operator==(const ChartPoint&) const = default;
};

class TrafficLogic {
public:
    // The page of `routing` (which must outlive it), with the inputs kept
    // between showings.
    TrafficLogic(const RoutingLogic& routing, TrafficInputs& inputs);

    TrafficInputs& inputs;

    // Why Compute cannot run with the inputs as they are, or empty.
    std::string Problem() const;

    // The line a trace is on, as its first lines suggest: frames of both
    // can0 and can1, both lines by interface; otherwise nothing to say.
    static std::optional<TraceLine> SuggestLine(const std::string& path);

    // The analysis of `inputs` (a copy: the page may change meanwhile).
    // `permille` follows the bytes read; `cancel` stops it.
    TrafficOutcome Compute(const TrafficInputs& inputs, const std::atomic<bool>& cancel,
                           std::atomic<int>& permille) const;

    // The figures of both lines, the notes and the verdict, line by line.
    static std::vector<std::string> SummaryLines(const TrafficOutcome& outcome);
    // The conflicts, each with its first time and its rows.
    std::vector<ConflictItem> Conflicts(const TrafficReport& report) const;

    // A line's load per window in %, as steps (two corners per point), and
    // the device's backlog there in frames.
    static std::vector<ChartPoint> LoadSteps(const TrafficReport& report, int line);
    static std::vector<ChartPoint> BacklogSteps(const TrafficReport& report, int line);
    // The start of a line's peak window, in seconds from the first frame.
    static double PeakSeconds(const TrafficReport& report, int line);

private:
    const RoutingLogic& routing_;
};

} // namespace c2c
