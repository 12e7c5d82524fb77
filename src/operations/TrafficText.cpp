#include "operations/TrafficText.h"

#include "documents/CanFrame.h"
#include "platform/CountText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace c2c {

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A step of 1, 2 or 5 times a power of ten, about span / count.
double NiceStep(double span, int count)
{
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power)
            return factor * power;
    return 10 * power;
}

constexpr const char* kLineColours[2] = {"#1f5fbf", "#2e8b3e"};

} // namespace

std::string PercentText(double load)
{
    return Format("%.1f %%", load * 100);
}

std::string MillisecondsText(std::int64_t nanoseconds)
{
    return Format("%.3f ms", static_cast<double>(nanoseconds) / 1e6);
}

std::vector<std::string> LineSummaryLines(const TrafficReport& report, int line, const std::string& interface)
{
    const LineFigures& f = report.lines[line == 1 ? 1 : 0];
    const std::string name = PortName(PortAt(line));
    std::vector<std::string> lines;
    lines.push_back(name + " (" + interface + "), " + std::to_string(f.bitRateKbps) + " kbit/s: " +
                    Plural(f.framesNative, "native frame", "native frames") + ", " + std::to_string(f.framesForwarded) +
                    " forwarded from " + PortName(PortAt(1 - line)) + "; " + Plural(f.bits, "bit", "bits"));
    lines.push_back("  load: mean " + PercentText(f.loadMean) + ", peak " + PercentText(f.loadPeak) +
                    (f.bits > 0 ? " in the " + std::to_string(report.windowMs) + " ms window from " +
                                      TraceTimeText(f.peakWindowStart)
                                : std::string()) +
                    "; windows over 70 %: " + std::to_string(f.windowsOver70) +
                    ", over 100 %: " + std::to_string(f.windowsOver100));
    lines.push_back("  device backlog: at most " + Plural(f.maxBacklog, "frame", "frames") +
                    "; largest added delay: " + MillisecondsText(f.maxDelayForwarded) + " to a forwarded frame, " +
                    MillisecondsText(f.maxDelayNative) + " to a native one");
    if (f.lost > 0) {
        std::string lost = "  lost: " + Plural(f.lost, "frame", "frames") + " (the device's queue was full): ";
        for (std::size_t i = 0; i < f.lostFrames.size(); ++i)
            lost += (i ? ", " : "") + FrameIdText(f.lostFrames[i].id) + " at " + TraceTimeText(f.lostFrames[i].ready);
        lines.push_back(lost + (f.lost > f.lostFrames.size() ? ", ..." : ""));
    }
    return lines;
}

std::vector<std::string> TraceOrderLines(const TrafficReport& report)
{
    std::vector<std::string> lines;
    for (const TraceOrder& t : report.traces)
        if (t.outOfOrder > 0)
            lines.push_back(t.trace + ": " + Plural(t.outOfOrder, "frame", "frames") +
                            " out of time order (the first at line " + std::to_string(t.firstLine) + ": " +
                            TraceTimeText(t.firstTime) + " after " + TraceTimeText(t.timeBefore) +
                            "), each taken as ready at the time of the frame before it; sort the trace for "
                            "exact figures");
    return lines;
}

std::string VerdictText(const TrafficReport& report)
{
    std::string parts;
    auto part = [&](const std::string& text) { parts += (parts.empty() ? "" : "; ") + text; };
    for (int line : {0, 1}) {
        const LineFigures& f = report.lines[static_cast<std::size_t>(line)];
        if (f.windowsOver100 > 0)
            part(std::string(PortName(PortAt(line))) + " passes 100 % in " + Plural(f.windowsOver100, "window", "windows"));
        if (f.lost > 0)
            part(Plural(f.lost, "frame", "frames") + " lost on " + PortName(PortAt(line)));
    }
    if (!report.conflicts.empty())
        part(Plural(report.conflicts.size(), "conflict", "conflicts"));
    if (report.frames == 0)
        part("the traces hold no frame of either line");
    return "Result: " + (parts.empty() ? std::string("no line passes 100 %, no frame is lost, no conflict") : parts);
}

std::string LoadPlotSvg(const TrafficReport& report)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + LoadPlotSvgElement(report);
}

std::string LoadPlotSvgElement(const TrafficReport& report)
{
    constexpr double kWidth = 900, kHeight = 440, kLeft = 70, kRight = 20, kTop = 64, kBottom = 60;
    const double plotWidth = kWidth - kLeft - kRight, plotHeight = kHeight - kTop - kBottom;
    const double windowSeconds = report.windowMs / 1000.0;

    double span = 0, peak = 0;
    for (const LineFigures& f : report.lines) {
        span = std::max(span, static_cast<double>(f.series.Points().size() * f.series.WindowsPerPoint()) * windowSeconds);
        peak = std::max(peak, f.loadPeak);
    }
    if (span <= 0)
        span = windowSeconds;
    const double top = std::max(1.2, std::ceil(peak * 1.1 / 0.2) * 0.2); // the y axis, as a load
    auto x = [&](double seconds) { return kLeft + seconds / span * plotWidth; };
    auto y = [&](double load) { return kTop + plotHeight - load / top * plotHeight; };
    auto num = [](double value) { return Format("%.1f", value); };

    // Whole pixels and the font in a style: what HTML validators take in a page too.
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Format("%.0f", kWidth) + "\" height=\"" +
                      Format("%.0f", kHeight) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(kHeight) +
                      "\" style=\"font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 12px\">\n"
                      "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + num(kLeft) + "\" y=\"22\" font-size=\"15\">Load of each line per " +
           std::to_string(report.windowMs) + " ms window, from " + TraceTimeText(report.start) + "</text>\n";

    // The grid and the axes.
    const double loadStep = NiceStep(top, 6);
    for (double load = 0; load <= top + 1e-9; load += loadStep)
        svg += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(y(load)) + "\" x2=\"" + num(kLeft + plotWidth) + "\" y2=\"" +
               num(y(load)) + "\" stroke=\"#e4e4e4\"/>\n<text x=\"" + num(kLeft - 8) + "\" y=\"" + num(y(load) + 4) +
               "\" text-anchor=\"end\">" + Format("%.0f %%", load * 100) + "</text>\n";
    const double timeStep = NiceStep(span, 8);
    for (double t = 0; t <= span + 1e-9; t += timeStep)
        svg += "<line x1=\"" + num(x(t)) + "\" y1=\"" + num(kTop + plotHeight) + "\" x2=\"" + num(x(t)) + "\" y2=\"" +
               num(kTop + plotHeight + 5) + "\" stroke=\"black\"/>\n<text x=\"" + num(x(t)) + "\" y=\"" +
               num(kTop + plotHeight + 20) + "\" text-anchor=\"middle\">" + Format("%g", t) + "</text>\n";
    svg += "<text x=\"" + num(kLeft + plotWidth / 2) + "\" y=\"" + num(kHeight - 12) +
           "\" text-anchor=\"middle\">seconds from the first frame</text>\n";
    svg += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(plotWidth) + "\" height=\"" +
           num(plotHeight) + "\" fill=\"none\" stroke=\"black\"/>\n";

    // The marks.
    for (const auto& [load, colour, label] : {std::tuple{0.7, "#e08a00", "70 %"}, std::tuple{1.0, "#c0202a", "100 %"}})
        svg += std::string("<line x1=\"") + num(kLeft) + "\" y1=\"" + num(y(load)) + "\" x2=\"" + num(kLeft + plotWidth) +
               "\" y2=\"" + num(y(load)) + "\" stroke=\"" + colour + "\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\n" +
               "<text x=\"" + num(kLeft + plotWidth - 4) + "\" y=\"" + num(y(load) - 4) + "\" text-anchor=\"end\" fill=\"" +
               colour + "\">" + label + "</text>\n";

    // Each line's load as steps, one per point, and its peak.
    for (int line : {0, 1}) {
        const LineFigures& f = report.lines[static_cast<std::size_t>(line)];
        const double pointSeconds = static_cast<double>(f.series.WindowsPerPoint()) * windowSeconds;
        std::string points;
        for (std::size_t i = 0; i < f.series.Points().size(); ++i) {
            const double load = f.series.Points()[i].load;
            points += num(x(static_cast<double>(i) * pointSeconds)) + "," + num(y(load)) + " " +
                      num(x(static_cast<double>(i + 1) * pointSeconds)) + "," + num(y(load)) + " ";
        }
        if (!points.empty())
            svg += std::string("<polyline fill=\"none\" stroke=\"") + kLineColours[line] +
                   "\" stroke-width=\"1.5\" points=\"" + points + "\"/>\n";
        if (f.bits > 0) {
            const double px = x(static_cast<double>(f.peakWindowStart - report.start) / 1e9 + windowSeconds / 2);
            // CAN0's label above its point, CAN1's below, so that they do not meet.
            const double labelY = y(f.loadPeak) + (line == 0 ? -6 : 16);
            svg += std::string("<circle cx=\"") + num(px) + "\" cy=\"" + num(y(f.loadPeak)) + "\" r=\"4\" fill=\"" +
                   kLineColours[line] + "\"/>\n<text x=\"" + num(px + 6) + "\" y=\"" + num(labelY) +
                   "\" fill=\"" + kLineColours[line] + "\">peak " + PercentText(f.loadPeak) + "</text>\n";
        }
        const double legendX = kLeft + line * 280.0;
        svg += std::string("<line x1=\"") + num(legendX) + "\" y1=\"40\" x2=\"" + num(legendX + 24) +
               "\" y2=\"40\" stroke=\"" + kLineColours[line] + "\" stroke-width=\"3\"/>\n<text x=\"" +
               num(legendX + 30) + "\" y=\"44\">" + PortName(PortAt(line)) + ", " + std::to_string(f.bitRateKbps) +
               " kbit/s, mean " + PercentText(f.loadMean) + "</text>\n";
    }
    return svg + "</svg>\n";
}

} // namespace c2c
