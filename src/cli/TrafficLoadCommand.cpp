// traffic: what each line will carry with the repeater in place, from traces
// recorded on the lines without it: each line's load at its bit rate, the
// device's backlog and delay, frames lost to a full queue, and identifier
// conflicts.

#include "cli/CommandLine.h"

#include "documents/CommSettings.h"
#include "image/Forwarding.h"
#include "operations/ForwardingSource.h"
#include "operations/LineTraffic.h"
#include "operations/TraceFormats.h"
#include "operations/TrafficText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

struct TrafficOptions {
    std::string source;
    std::vector<std::string> logs;
    std::string log0, log1; // every frame on that port
    std::vector<std::string> map;
    std::array<std::string, 2> bitRate;
    std::int64_t latencyUs = 0;
    int windowMs = 100;
    std::uint64_t queue = 0; // 0: not given
    std::array<std::string, 2> out;
    std::string format; // of --out0 and --out1; empty: the first trace's
    std::string plot;
    bool json = false;
    bool force = false;
};

// An SVG picture: the "<svg" element near the start of the file.
const OutputFormat kSvgPicture{"an SVG picture",
                               [](std::string_view head) { return head.substr(0, 1024).find("<svg") != head.npos; }};

// "1234.5" microseconds of a span of nanoseconds: a JSON number.
std::string MicrosecondsJson(std::int64_t ns)
{
    std::string text = std::to_string(ns / 1000);
    if (const std::int64_t rest = ns % 1000) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        while (fraction.back() == '0')
            fraction.pop_back();
        text += "." + fraction;
    }
    return text;
}

std::string Fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string Bool(bool value)
{
    return value ? "true" : "false";
}

std::string FrameJson(const CanFrameId& id)
{
    return "\"id\": " + std::to_string(id.id) + ", \"extended\": " + Bool(id.extended);
}

void PrintJson(const TrafficReport& report, const std::array<std::string, 2>& rateFrom, std::ostream& out)
{
    out << "{\"window_ms\": " << report.windowMs << ", \"start\": " << TraceTimeText(report.start)
        << ", \"frames\": " << report.frames << ", \"fits\": " << Bool(report.Fits()) << ",\n \"lines\": [";
    for (int line : {0, 1}) {
        const LineFigures& f = report.lines[static_cast<std::size_t>(line)];
        out << (line ? ",\n  " : "") << "{\"port\": \"" << PortInterfaceName(PortAt(line)) << "\", \"bitrate_kbps\": "
            << f.bitRateKbps << ", \"bitrate_from\": \"" << rateFrom[static_cast<std::size_t>(line)]
            << "\", \"frames_native\": " << f.framesNative << ", \"frames_forwarded\": " << f.framesForwarded
            << ", \"bits\": " << f.bits << ", \"load_mean\": " << Fixed(f.loadMean)
            << ", \"load_peak\": " << Fixed(f.loadPeak) << ", \"peak_window_start\": " << TraceTimeText(f.peakWindowStart)
            << ", \"windows_over_70\": " << f.windowsOver70 << ", \"windows_over_100\": " << f.windowsOver100
            << ", \"max_backlog\": " << f.maxBacklog
            << ", \"max_delay_forwarded_us\": " << MicrosecondsJson(f.maxDelayForwarded)
            << ", \"max_delay_native_us\": " << MicrosecondsJson(f.maxDelayNative) << ", \"lost\": " << f.lost
            << ", \"lost_frames\": [";
        for (std::size_t i = 0; i < f.lostFrames.size(); ++i)
            out << (i ? ", " : "") << "{\"ready\": " << TraceTimeText(f.lostFrames[i].ready) << ", "
                << FrameJson(f.lostFrames[i].id) << "}";
        out << "]}";
    }
    out << "],\n \"conflicts\": [";
    for (std::size_t i = 0; i < report.conflicts.size(); ++i) {
        const TrafficConflict& c = report.conflicts[i];
        out << (i ? ",\n  " : "") << "{\"kind\": \"" << ConflictKindKey(c.kind) << "\", \"line\": \""
            << PortInterfaceName(PortAt(c.line)) << "\", " << FrameJson(c.id) << ", \"native\": " << c.native
            << ", \"forwarded\": " << c.forwarded << ", \"from\": \"" << PortInterfaceName(PortAt(1 - c.line))
            << "\", \"first_seen\": " << TraceTimeText(c.firstSeen) << ", \"sources\": [";
        for (std::size_t s = 0; s < c.sources.size(); ++s)
            out << (s ? ", " : "") << "{" << FrameJson(c.sources[s].original) << ", \"frames\": " << c.sources[s].frames
                << "}";
        out << "]";
        if (c.counterpart)
            out << ", \"counterpart\": {" << FrameJson(*c.counterpart) << ", \"route\": " << JsonString(c.counterpartRoute)
                << "}";
        out << ", \"text\": " << JsonString(c.text) << "}";
    }
    out << "],\n \"unexamined_frames\": " << report.unexamined << ",\n \"traces\": [";
    for (std::size_t i = 0; i < report.traces.size(); ++i)
        out << (i ? ", " : "") << "{\"trace\": " << JsonString(report.traces[i].trace)
            << ", \"frames\": " << report.traces[i].frames << ", \"out_of_order\": " << report.traces[i].outOfOrder << "}";
    out << "]}\n";
}

void PrintText(const TrafficReport& report, const LineOutputs& outputs, std::ostream& out)
{
    for (int line : {0, 1})
        for (const std::string& text : LineSummaryLines(report, line, outputs.interfaces[static_cast<std::size_t>(line)]))
            out << text << "\n";
    out << "Conflicts: " << report.conflicts.size() << "\n";
    for (const TrafficConflict& c : report.conflicts)
        out << "  " << c.text << "; first at " << TraceTimeText(c.firstSeen) << "\n";
    if (report.unexamined > 0)
        out << "  (" << report.unexamined << " frames of further 29-bit identifiers were not looked at)\n";
    out << VerdictText(report) << "\n";
}

// Each port's bit rate: the option, else the image's; nothing (and why, on
// standard error) when neither gives one.
bool ChooseBitRates(const TrafficOptions& options, const DecodedImage& image, TrafficSettings& settings,
                    std::array<std::string, 2>& from)
{
    for (int port : {0, 1}) {
        const auto p = static_cast<std::size_t>(port);
        const std::string option = "--bitrate" + std::to_string(port);
        if (!options.bitRate[p].empty()) {
            settings.bitRateKbps[p] = std::stoi(options.bitRate[p]);
            from[p] = "option";
            continue;
        }
        const DecodedPort& decoded = image.Port(port);
        if (decoded.bitRateFromDipSwitch) {
            std::cerr << "CAN" << port << "'s bit rate is set by the dip switch: give it with " << option << "\n";
            return false;
        }
        const auto kbps = decoded.BitRateKbps();
        if (!kbps) {
            std::cerr << "CAN" << port << " has no bit rate in the image (code " << int{decoded.bitRateCode}
                      << "): give it with " << option << "\n";
            return false;
        }
        settings.bitRateKbps[p] = *kbps;
        from[p] = "image";
    }
    return true;
}

int RunTraffic(const TrafficOptions& options)
{
    // Refused before anything is read or written.
    std::vector<std::pair<std::string, int>> traces; // path and port (-1: by interface)
    for (const std::string& log : options.logs)
        traces.emplace_back(log, -1);
    if (!options.log0.empty())
        traces.emplace_back(options.log0, 0);
    if (!options.log1.empty())
        traces.emplace_back(options.log1, 1);
    if (traces.empty()) {
        std::cerr << "traffic: give at least one trace (LOG, --log0 or --log1)\n";
        return kExitUsage;
    }
    const auto named = ParseInterfaceMap(options.map);
    if (!named)
        return kExitUsage;
    const std::array<std::pair<const char*, std::string>, 3> written = {
        std::pair{"--out0", options.out[0]}, std::pair{"--out1", options.out[1]}, std::pair{"--plot", options.plot}};
    std::vector<OutputInput> inputs = {{options.source, "the SOURCE it reads"}};
    for (const auto& trace : traces)
        inputs.push_back({trace.first, "a trace it reads"});
    std::array<std::optional<OutputChoice>, 3> targets;
    std::vector<std::string> outs;
    for (const std::string& out : options.out)
        if (!out.empty())
            outs.push_back(out);
    const TraceFormat format = outs.empty() ? TraceFormat::Candump
                                            : ChooseTraceFormat(options.format, {traces.front().first}, outs);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto& [option, path] = written[i];
        if (path.empty())
            continue;
        // Standard output carries the figures.
        const char* refusal = path == "-" ? "takes a file: standard output carries the figures" : nullptr;
        for (std::size_t j = 0; j < i; ++j)
            if (written[j].second == path)
                refusal = "names the same file as another output";
        if (refusal) {
            std::cerr << option << ": " << refusal << "\n";
            return kExitUsage;
        }
        targets[i] = ChooseOutputOrSay(option, {path, i < 2 ? TraceOutputFormat(format) : kSvgPicture, options.force, inputs});
        if (!targets[i])
            return kExitUsage;
    }

    const DecodedImage image = LoadForwardingImage(options.source);
    TrafficSettings settings;
    std::array<std::string, 2> rateFrom;
    if (!ChooseBitRates(options, image, settings, rateFrom))
        return kExitUsage;
    settings.latencyNs = options.latencyUs * 1000;
    settings.windowMs = options.windowMs;
    if (options.queue > 0)
        settings.queue = options.queue;
    PrintImageWarnings(image);
    const auto model = std::make_unique<ForwardingModel>(image);

    const InterfacePorts ports(*named);
    std::vector<std::unique_ptr<FrameSource>> sources;
    std::vector<FrameSource*> frames;
    std::vector<std::size_t> shown(traces.size());
    for (std::size_t i = 0; i < traces.size(); ++i) {
        const std::string path = traces[i].first;
        auto report = [&shown, i, path](std::uint64_t line, const char* problem) {
            if (shown[i]++ < kListedMalformedLines)
                std::cerr << path << ":" << line << ": " << problem << "\n";
        };
        sources.push_back(OpenTraceFrames(path, ports, traces[i].second, report));
        frames.push_back(sources.back().get());
    }

    LineOutputs outputs;
    std::array<std::unique_ptr<UserOutput>, 2> files;
    for (int line : {0, 1}) {
        const auto l = static_cast<std::size_t>(line);
        outputs.interfaces[l] = ports.NameOf(line);
        outputs.formats[l] = format;
        if (targets[l]) {
            files[l] = std::make_unique<UserOutput>(*targets[l]);
            outputs.sinks[l] = &files[l]->Sink();
        }
    }
    const TrafficReport report = AnalyseTraffic(*model, settings, frames, outputs);
    // The picture first: a failure leaves the traces where they were too.
    if (targets[2]) {
        UserOutput plot(*targets[2]);
        plot.Sink().Write(LoadPlotSvg(report));
        plot.Finish();
    }
    for (auto& file : files)
        if (file)
            file->Finish();

    for (const auto& source : sources)
        PrintSkippedKinds(source->Name(), source->Counts(), ": only classic CAN frames are sent on these lines");
    for (const std::string& line : TraceOrderLines(report))
        std::cerr << "Warning: " << line << "\n";
    if (options.json)
        PrintJson(report, rateFrom, std::cout);
    else
        PrintText(report, outputs, std::cout);
    return report.Fits() ? kExitSuccess : kExitFailed;
}

} // namespace

void AddTrafficLoadCommand(CLI::App& app, Commands& commands)
{
    auto options = std::make_shared<TrafficOptions>();
    CLI::App* traffic = app.add_subcommand(
        "traffic", "What each line will carry with the device: load, backlog, delay and identifier conflicts");
    traffic->add_option("SOURCE", options->source,
                        "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
        ->required()
        ->check(NonEmpty());
    traffic->add_option("LOG", options->logs,
                        "Traces (candump -l, Vector ASC or BLF, PEAK TRC) recorded without the device; each frame is "
                        "on the port of its interface or channel")
        ->check(NonEmpty());
    auto fixedLog = [&](const char* name, std::string& value, const char* port) {
        traffic->add_option(name, value, std::string("A trace recorded on the line of ") + port +
                                             ": all its frames are on that line, whatever their interface")
            ->option_text("FILE")
            ->check(NonEmpty());
    };
    fixedLog("--log0", options->log0, "CAN0");
    fixedLog("--log1", options->log1, "CAN1");
    traffic->add_option("--map", options->map,
                        "Which port an interface name or channel of the traces is (default: can0 and 1 CAN0, can1 and "
                        "2 CAN1)")
        ->option_text("IFACE=can0|can1 ...")
        ->allow_extra_args(false)
        ->check(InterfaceMapping());
    const std::vector<std::string> rates(kBitRates.begin(), kBitRates.end());
    for (int port : {0, 1})
        traffic
            ->add_option("--bitrate" + std::to_string(port), options->bitRate[static_cast<std::size_t>(port)],
                         "The bit rate of CAN" + std::to_string(port) +
                             " in kbit/s (by default the image's; needed when the dip switch sets it)")
            ->option_text("K")
            ->check(CLI::IsMember(rates));
    traffic->add_option("--latency", options->latencyUs,
                        "Microseconds from a frame's receipt to its copy being ready on the other line (default 0)")
        ->option_text("US")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{10000000}));
    traffic->add_option("--window", options->windowMs, "The windows the load is measured in, in ms (default 100)")
        ->option_text("MS")
        ->check(CLI::Range(1, 3600000));
    traffic->add_option("--queue", options->queue,
                        "Frames the device can hold per port; a forwarded frame that finds it full is lost "
                        "(default: no limit)")
        ->option_text("N")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1000000000}));
    for (int port : {0, 1})
        traffic
            ->add_option("--out" + std::to_string(port), options->out[static_cast<std::size_t>(port)],
                         "Write what the line of CAN" + std::to_string(port) +
                             " carries, as a logger on it would record it (by start time)")
            ->option_text("FILE")
            ->check(NonEmpty())
            ->check(NoProjectFileName())
            ->check(NoBankFileName());
    traffic->add_option("--format", options->format,
                        "The format of --out0 and --out1 (default: the first trace's)")
        ->option_text("candump|asc|trc|blf")
        ->check(TraceFormatKeyCheck());
    traffic->add_option("--plot", options->plot, "Write both lines' load over time as an SVG picture")
        ->option_text("FILE")
        ->check(NonEmpty())
        ->check(NoProjectFileName())
        ->check(NoBankFileName());
    traffic->add_flag("--force", options->force,
                      "Replace an --out0/--out1 file that is no trace, a --plot file that is no SVG picture");
    traffic->add_flag("--json", options->json, "Print the figures as JSON")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    for (CLI::Option* option : traffic->get_options())
        if (option->get_name() != "LOG" && option->get_name() != "--map" && option->get_name() != "--help")
            option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    traffic->footer(
        "Each line is one bus at its port's bit rate: its own frames are ready at their recorded time, the\n"
        "frames the device passes to it at their recorded time plus --latency; the frame that wins\n"
        "arbitration is sent first. Prints per line the frames, bits, mean and peak load (per --window),\n"
        "the windows over 70 % and 100 %, the device's largest backlog, the largest added delay and the\n"
        "frames lost to a full --queue; then the identifier conflicts (two producers of one identifier,\n"
        "identifiers made one, SYNC/TIME/NMT/heartbeat from both sides, LSS crossing, SDO requests whose\n"
        "response cannot come back). Exit status 1 when a window passes 100 %, a frame is lost, a conflict\n"
        "is found or no frame was read. JSON: window_ms, lines [{port, bitrate_kbps, frames_native,\n"
        "frames_forwarded, bits, load_mean, load_peak, peak_window_start, windows_over_70,\n"
        "windows_over_100, max_backlog, max_delay_forwarded_us, max_delay_native_us, lost, ...}],\n"
        "conflicts [{kind, line, id, extended, native, forwarded, first_seen, sources, text, ...}].\n"
        "docs/traffic.md describes the model. --out0, --out1 and --plot are written as replay's --out\n"
        "is: whole or not at all, a link followed only to a regular file, nothing into /dev, /proc or\n"
        "the master folder, an existing file of another kind replaced only with --force.");
    commands.push_back({traffic, [options] { return Reporting([&] { return RunTraffic(*options); }); }});
}

} // namespace c2c::cli
