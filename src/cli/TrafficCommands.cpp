// route and replay: what the device will do with frames, before it is
// flashed. Both answer from the image of a firmware, of bank files or of a
// project built in memory, through the one forwarding model.

#include "cli/CommandLine.h"

#include "documents/IntegerText.h"
#include "image/Forwarding.h"
#include "operations/ForwardingSource.h"
#include "operations/TraceFormats.h"
#include "operations/TraceReplay.h"
#include "operations/UserOutput.h"
#include "project/ProjectLayout.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

const std::vector<std::string> kPortNames = {PortInterfaceName(CanPort::Can0), PortInterfaceName(CanPort::Can1)};

// A name the options' checks let through: "can0" or "can1".
CanPort PortNamed(const std::string& name)
{
    return PortOfInterfaceName(name).value_or(CanPort::Can0);
}

// {"from":"can0","id":385,"outcome":"passed","new_id":449,"reason":"...",...}
std::string RouteJson(const ForwardingModel& model, CanPort port, const CanFrameId& frame, const Route& route,
                      const std::string& extra = "")
{
    std::string text = std::string("{\"from\":\"") + PortInterfaceName(port) + "\",\"id\":" + std::to_string(frame.id) +
                       ",\"outcome\":\"" + OutcomeName(route.outcome) + "\"";
    if (route.Passed())
        text += ",\"new_id\":" + std::to_string(route.leaves.id);
    text += ",\"reason\":" + JsonString(model.ReasonText(port, frame, route)) +
            ",\"extended\":" + (frame.extended ? "true" : "false");
    if (route.Passed())
        text += std::string(",\"leaves_extended\":") + (route.leaves.extended ? "true" : "false");
    return text + extra + "}";
}


// A CAN identifier in the program's integer syntax: 0 to 0x1FFFFFFF.
const CLI::Validator& CanIdentifier()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            return CanIdentifierProblem(value).value_or(std::string());
        },
        "");
    return validator;
}

// ---------------------------------------------------------------- route

struct RouteOptions {
    std::string source;
    std::string from;
    std::vector<std::string> ids;
    bool extended = false;
    bool json = false;
};

int RunRoute(const RouteOptions& options)
{
    const DecodedImage image = LoadForwardingImage(options.source);
    PrintImageWarnings(image);
    const auto model = std::make_unique<ForwardingModel>(image);
    const CanPort port = PortNamed(options.from);
    std::string json = "[";
    for (const std::string& text : options.ids) {
        const CanFrameId frame = AskedFrame(*ParseCanIdentifier(text), options.extended);
        const Route route = model->RouteFrame(port, frame);
        if (options.json)
            json += (json.size() > 1 ? ",\n " : "") + RouteJson(*model, port, frame, route);
        else
            std::cout << model->RouteText(port, frame, route) << "\n";
    }
    if (options.json)
        std::cout << json << "]\n";
    return kExitSuccess;
}

// ---------------------------------------------------------------- replay

struct ReplayOptions {
    std::string source;
    std::string log;
    std::string out; // empty or "-": standard output
    std::vector<std::string> map;
    std::string format; // empty: the log's
    bool stats = false;
    bool json = false;
    bool force = false;
    bool quiet = false;
};

std::string Plural(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string LineList(const std::vector<std::uint64_t>& lines, std::uint64_t count)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : i + 1 == lines.size() && count == lines.size() ? " and " : ", ") +
                std::to_string(lines[i]);
    return text + (count > lines.size() ? ", ..." : "");
}

void PrintSummaryText(const ForwardingModel& model, const ReplaySummary& s, bool stats, std::ostream& out)
{
    out << "Frames read: " << s.frames << "\n"
        << "Passed unchanged: " << s.passed << "\n"
        << "Translated: " << s.translated << "\n"
        << "Blocked: " << s.blocked << "\n"
        << "Not received: " << s.notReceived << "\n"
        << "Skipped lines: " << s.Skipped();
    std::string parts;
    auto part = [&](std::uint64_t count, const std::string& text) {
        if (count > 0)
            parts += (parts.empty() ? "" : "; ") + text;
    };
    part(s.malformed, Plural(s.malformed, "malformed", "malformed") + " at " + s.Position() +
                          (s.malformed == 1 ? " " : "s ") + LineList(s.malformedLines, s.malformed));
    part(s.canFd, Plural(s.canFd, "CAN FD frame", "CAN FD frames"));
    part(s.canXl, Plural(s.canXl, "CAN XL frame", "CAN XL frames"));
    part(s.errorFrames, Plural(s.errorFrames, "error frame", "error frames"));
    part(s.otherInterfaces, Plural(s.otherInterfaces, "frame of other interfaces", "frames of other interfaces"));
    part(s.events, Plural(s.events, "event or status entry", "event and status entries"));
    part(s.dropNotes, Plural(s.dropNotes, "DROPCOUNT note", "DROPCOUNT notes"));
    part(s.empty, Plural(s.empty, "empty line", "empty lines"));
    out << (parts.empty() ? "" : " (" + parts + ")") << "\n";
    if (!stats)
        return;
    out << "Per identifier:\n";
    for (const IdentifierCount& c : s.identifiers)
        out << "  " << PortInterfaceName(PortAt(c.port)) << " " << model.RouteText(PortAt(c.port), c.frame, c.route) << ": "
            << Plural(c.frames, "frame", "frames") << "\n";
    if (s.uncountedFrames > 0)
        out << "  and " << Plural(s.uncountedFrames, "frame", "frames") << " of further identifiers, not counted one by one\n";
}

void PrintSummaryJson(const ForwardingModel& model, const ReplaySummary& s, bool stats, std::ostream& out)
{
    out << "{\"frames\": " << s.frames << ", \"passed\": " << s.passed << ", \"translated\": " << s.translated
        << ", \"blocked\": " << s.blocked << ", \"not_received\": " << s.notReceived << ", \"skipped\": " << s.Skipped()
        << ",\n \"skipped_lines\": {\"malformed\": " << s.malformed << ", \"can_fd\": " << s.canFd
        << ", \"can_xl\": " << s.canXl << ", \"error_frames\": " << s.errorFrames
        << ", \"other_interfaces\": " << s.otherInterfaces << ", \"drop_notes\": " << s.dropNotes
        << ", \"events\": " << s.events << ", \"empty\": " << s.empty << "},\n \"malformed_lines\": [";
    for (std::size_t i = 0; i < s.malformedLines.size(); ++i)
        out << (i ? ", " : "") << s.malformedLines[i];
    out << "]";
    if (stats) {
        out << ",\n \"identifiers\": [";
        for (std::size_t i = 0; i < s.identifiers.size(); ++i) {
            const IdentifierCount& c = s.identifiers[i];
            out << (i ? ",\n  " : "") << RouteJson(model, PortAt(c.port), c.frame, c.route, ",\"frames\":" + std::to_string(c.frames));
        }
        out << "],\n \"uncounted_frames\": " << s.uncountedFrames;
    }
    out << "}\n";
}

int RunReplay(const ReplayOptions& options)
{
    // Refused before anything is read or written.
    const auto named = ParseInterfaceMap(options.map);
    if (!named)
        return kExitUsage;
    const bool toStandardOutput = options.out.empty() || options.out == "-";
    if (options.json && toStandardOutput) {
        std::cerr << "--json needs --out FILE: standard output carries the trace\n";
        return kExitUsage;
    }
    const TraceFormat format = ChooseTraceFormat(options.format, {options.log}, {options.out});
    const auto target =
        ChooseOutputOrSay("--out", {toStandardOutput ? "-" : options.out, TraceOutputFormat(format), options.force,
                                    {{options.log, "the trace it reads"}, {options.source, "the SOURCE it reads"}}});
    if (!target)
        return kExitUsage;

    const DecodedImage image = LoadForwardingImage(options.source);
    PrintImageWarnings(image);
    const auto model = std::make_unique<ForwardingModel>(image);
    const InterfacePorts ports(*named);
    std::size_t shown = 0;
    auto malformed = [&](std::uint64_t line, const char* problem) {
        if (shown++ < kListedMalformedLines)
            std::cerr << options.log << ":" << line << ": " << problem << "\n";
    };

    UserOutput out(*target);
    const ReplaySummary summary = ReplayTrace(*model, options.log, ports, options.stats, out.Sink(), malformed, format);
    out.Finish();
    PrintSkippedKinds(options.log, summary, ": only classic CAN frames are replayed");
    if (options.json)
        PrintSummaryJson(*model, summary, options.stats, std::cout);
    else if (!options.quiet)
        PrintSummaryText(*model, summary, options.stats, toStandardOutput ? std::cerr : std::cout);
    return kExitSuccess;
}

} // namespace

// The image's oddities go to standard error: the answers rest on them.
void PrintImageWarnings(const DecodedImage& image)
{
    for (const std::string& warning : image.warnings)
        std::cerr << kWarningPrefix << warning << "\n";
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// IFACE=can0 or IFACE=can1, IFACE a name a trace can hold: no blank, no
// "=" or "," (a list of mappings in one --map would be taken for one odd
// name), no control character.
const CLI::Validator& InterfaceMapping()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            const std::size_t equals = value.find('=');
            const std::string name = value.substr(0, equals);
            const bool nameFits = !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
                return c == ',' || c == ' ' || c == '\t' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
            });
            if (equals == std::string::npos || !nameFits || !PortOfInterfaceName(value.substr(equals + 1)))
                return "takes IFACE=can0 or IFACE=can1, one interface per --map, not " + QuotedValue(value);
            return std::string();
        },
        "");
    return validator;
}

// Bank files of a bin folder: a trace never takes their place.
const CLI::Validator& NoBankFileName()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            const std::string name = FileNameOf(value);
            for (int bank = 1; bank <= kBankCount; ++bank)
                if (name == BankFileName(bank))
                    return "cannot be " + name + ", a bank file";
            return name == "bankg.c" ? std::string("cannot be bankg.c, the bank source file") : std::string();
        },
        "");
    return validator;
}

// The --map values, IFACE=can0|can1 each; nothing (and the reason on
// standard error) when a name is mapped twice.
std::optional<std::vector<std::pair<std::string, int>>> ParseInterfaceMap(const std::vector<std::string>& map)
{
    std::vector<std::pair<std::string, int>> named;
    for (const std::string& mapping : map) {
        const std::size_t equals = mapping.find('=');
        const std::string name = mapping.substr(0, equals);
        for (const auto& [known, port] : named)
            if (known == name) {
                std::cerr << "--map: " << QuotedValue(name) << " is mapped twice\n";
                return std::nullopt;
            }
        named.emplace_back(name, static_cast<int>(PortIndex(PortNamed(mapping.substr(equals + 1)))));
    }
    return named;
}

const OutputFormat& CandumpTraceOutput()
{
    static const OutputFormat format{"a candump trace", [](std::string_view head) { return IsCandumpTraceText(head); }};
    return format;
}

const CLI::Validator& TraceFormatKeyCheck()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            return TraceFormatOfKey(value) ? std::string()
                                           : "takes candump, asc, trc or blf, not " + QuotedValue(value);
        },
        "");
    return validator;
}

TraceFormat ChooseTraceFormat(const std::string& asked, const std::vector<std::string>& inputs,
                              const std::vector<std::string>& outputs)
{
    if (const auto format = TraceFormatOfKey(asked))
        return *format;
    const TraceFormat format = inputs.empty() ? TraceFormat::Candump : TraceFormatOfFile(inputs.front());
    for (const std::string& out : outputs)
        if (const auto hinted = TraceFormatOfExtension(out); hinted && *hinted != format)
            std::cerr << "Note: " << out << " is written as " << TraceFormatName(format)
                      << ", the format of the trace read; --format " << TraceFormatKey(*hinted) << " writes "
                      << TraceFormatName(*hinted) << "\n";
    return format;
}

std::optional<OutputChoice> ChooseOutputOrSay(const char* option, const OutputRequest& request)
{
    OutputChoice choice = ChooseOutput(request, ExecutableDirectory());
    if (!choice.Refused())
        return choice;
    std::cerr << option << ": " << choice.refusal << "\n";
    return std::nullopt;
}

void PrintSkippedKinds(const std::string& log, const TraceLineCounts& counts, const char* classicOnly)
{
    for (const std::string& note : SkippedLineNotes(log, counts, classicOnly, ": --map IFACE=can0|can1 says which port an interface is"))
        std::cerr << note << "\n";
}

void AddTrafficCommands(CLI::App& app, Commands& commands)
{
    auto routed = std::make_shared<RouteOptions>();
    CLI::App* route = app.add_subcommand("route", "Show what the device does with frames of given identifiers");
    route->add_option("SOURCE", routed->source,
                      "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
        ->required()
        ->check(NonEmpty());
    route->add_option("--from", routed->from, "The port the frames arrive on")
        ->option_text("can0|can1 REQUIRED")
        ->required()
        ->check(CLI::IsMember(kPortNames));
    route->add_option("ID", routed->ids, "Identifiers, decimal or hexadecimal (0x181, $181)")
        ->required()
        ->check(CanIdentifier());
    route->add_flag("--extended", routed->extended, "Ask every identifier as a 29-bit (extended) frame")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    route->add_flag("--json", routed->json, "Print JSON instead of text")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    route->footer("Prints one line per identifier: \"0x181 -> 0x1C1 (...)\", \"0x701 blocked (...)\" or \"not\n"
                  "received\", with the reason. An identifier up to 0x7FF is asked as a standard frame, a larger\n"
                  "one as an extended frame. A project folder's image is built in memory, nothing written.\n"
                  "JSON: [{\"from\",\"id\",\"outcome\" (passed, blocked, not_received),\"new_id\" (when passed),\n"
                  "\"reason\",\"extended\",\"leaves_extended\"}]. docs/forwarding.md gives the rules.");
    commands.push_back({route, [routed] { return Reporting([&] { return RunRoute(*routed); }); }});

    auto replayed = std::make_shared<ReplayOptions>();
    CLI::App* replay = app.add_subcommand("replay", "Replay a trace through the device");
    replay->add_option("SOURCE", replayed->source,
                       "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
        ->required()
        ->check(NonEmpty());
    replay->add_option("LOG", replayed->log,
                       "The trace: candump -l, Vector ASC or BLF, PEAK TRC (told apart by their content)")
        ->required()
        ->check(NonEmpty());
    CLI::Option* out =
        replay->add_option("--out", replayed->out, "The trace to write (by default, or with -, standard output)")
            ->option_text("FILE")
            ->check(NonEmpty())
            ->check(NoProjectFileName())
            ->check(NoBankFileName());
    replay->add_option("--format", replayed->format, "The format of the trace written (default: the log's)")
        ->option_text("candump|asc|trc|blf")
        ->check(TraceFormatKeyCheck());
    replay->add_flag("--force", replayed->force, "Replace an --out file that does not hold a trace")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    replay->add_option("--map", replayed->map,
                       "Which port an interface name or channel of the log is (default: can0 and 1 CAN0, can1 and 2 CAN1)")
        ->option_text("IFACE=can0|can1 ...")
        ->allow_extra_args(false) // one value per --map: LOG after it stays LOG
        ->check(InterfaceMapping());
    replay->add_flag("--stats", replayed->stats, "Count the frames of each identifier")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    CLI::Option* json =
        replay->add_flag("--json", replayed->json, "Print the summary as JSON on standard output (needs --out FILE)")
            ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
            ->needs(out);
    AddQuietFlag(*replay, replayed->quiet, "Print no summary")->excludes(json);
    replay->footer("Writes the frames that leave the device as the other port's trace would show them: the same\n"
                   "timestamps and data, the other port's interface, the identifiers they leave with; blocked\n"
                   "frames are left out. The summary (frames read, passed unchanged, translated, blocked, not\n"
                   "received, skipped lines) goes to standard error when the trace goes to standard output.\n"
                   "Malformed lines are named as LOG:LINE: reason (LOG:OFFSET for BLF) and skipped; CAN FD and\n"
                   "error frames, events are counted and skipped. The trace is written in the log's format\n"
                   "unless --format says another; ASC, TRC and BLF write CAN0 as channel 1, CAN1 as channel 2.\n"
                   "JSON keys: frames, passed, translated, blocked, not_received,\n"
                   "skipped, skipped_lines, malformed_lines (and identifiers with --stats).\n"
                   "--out FILE is written whole or not at all. A link is followed to the regular file it leads\n"
                   "to; nothing is written into /dev or /proc or the master folder, and an existing file that\n"
                   "is no trace is replaced only with --force.");
    commands.push_back({replay, [replayed] { return Reporting([&] { return RunReplay(*replayed); }); }});
}

} // namespace c2c::cli
