#pragma once
// A traffic report in words, the same for the command line and the window,
// and as a picture: both lines' load over time as an SVG file a browser
// opens.

#include "operations/LineTraffic.h"

#include <string>
#include <vector>

namespace c2c {

// "12.3 %" of a load (1.0 = 100 %).
std::string PercentText(double load);
// "1.234 ms" of a span of nanoseconds.
std::string MillisecondsText(std::int64_t nanoseconds);

// A line's figures, three or four lines of text:
//   CAN1 (can1), 500 kbit/s: 14 native frames, 120 forwarded from CAN0; 13254 bits
//   load: mean 2.1 %, peak 7.8 % in the 100 ms window from 1700000000.100000; windows over 70 %: 0, over 100 %: 0
//   device backlog: at most 3 frames; largest added delay: 0.264 ms to a forwarded frame, 0.000 ms to a native one
//   lost: 2 frames: 0x1A5 at 1700000000.100200, 0x1A5 at 1700000000.100300
std::vector<std::string> LineSummaryLines(const TrafficReport& report, int line, const std::string& interface);

// Traces with frames out of time order, one line each.
std::vector<std::string> TraceOrderLines(const TrafficReport& report);

// "Result: CAN1 passes 100 % in 3 windows; 1 conflict", "Result: the traces
// hold no frame of either line" or "Result: no line passes 100 %, no frame
// is lost, no conflict".
std::string VerdictText(const TrafficReport& report);

// Both lines' load per window over time, the 70 % and 100 % marks and each
// line's peak: a whole SVG document.
std::string LoadPlotSvg(const TrafficReport& report);
// The same picture as an <svg> element alone, for an HTML page.
std::string LoadPlotSvgElement(const TrafficReport& report);

} // namespace c2c
