// diff and report: what a change of configuration changes, before it is
// flashed, and a printable record of a configuration to sign off.

#include "cli/CommandLine.h"

#include "documents/CobIdTables.h"
#include "operations/ConfigurationDiff.h"
#include "operations/ConfigurationReport.h"
#include "documents/CommSettings.h"
#include "operations/ForwardingSource.h"
#include "platform/Error.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

// Like diff(1): 0 the same, 1 different, 2 trouble.
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

constexpr std::array<const char*, 2> kDirectionKeys = {"can0_to_can1", "can1_to_can0"};

// The images' oddities go to standard error, naming the source: the answers rest on them.
void PrintImageWarnings(const char* name, const ConfigurationSource& source)
{
    for (const std::string& warning : source.image.warnings)
        std::cerr << "Warning: " << name << " (" << source.path << "): " << warning << "\n";
}

// {"outcome": "passed", "new_id": 449, "leaves_extended": false, "reason": "..."}
std::string SideJson(const Route& route, const std::string& reason)
{
    std::string text = std::string("{\"outcome\": \"") + OutcomeName(route.outcome) + "\", \"new_id\": ";
    text += route.Passed() ? std::to_string(route.leaves.id) : "null";
    if (route.Passed())
        text += std::string(", \"leaves_extended\": ") + (route.leaves.extended ? "true" : "false");
    return text + ", \"reason\": " + JsonString(reason) + "}";
}

std::string ChangeJson(int direction, const RouteChange& change, bool withId)
{
    std::string text = std::string("{\"direction\": \"") + kDirectionKeys[static_cast<std::size_t>(direction)] + "\"";
    if (withId)
        text += ", \"id\": " + std::to_string(change.frame.id) +
                ", \"extended\": " + (change.frame.extended ? "true" : "false");
    return text + ",\n   \"a\": " + SideJson(change.a, change.reasonA) + ",\n   \"b\": " +
           SideJson(change.b, change.reasonB) + "}";
}

void PrintDiffJson(const ConfigurationDiff& diff, std::ostream& out)
{
    out << "{\"same\": " << (diff.Same() ? "true" : "false") << ",\n \"settings\": [";
    for (std::size_t i = 0; i < diff.settings.size(); ++i)
        out << (i ? ",\n  " : "") << "{\"setting\": " << JsonString(diff.settings[i].setting)
            << ", \"a\": " << JsonString(diff.settings[i].a) << ", \"b\": " << JsonString(diff.settings[i].b) << "}";
    out << "],\n \"changes\": [";
    bool first = true;
    for (const DirectionDiff& direction : diff.directions)
        for (const RouteChange& change : direction.changes) {
            out << (first ? "" : ",\n  ") << ChangeJson(direction.direction, change, true);
            first = false;
        }
    out << "],\n \"other_extended\": [";
    first = true;
    for (const DirectionDiff& direction : diff.directions)
        if (direction.otherExtended) {
            out << (first ? "" : ",\n  ") << ChangeJson(direction.direction, *direction.otherExtended, false);
            first = false;
        }
    out << "],\n \"counts\": {";
    for (const DirectionDiff& direction : diff.directions)
        out << (direction.direction == kCan0ToCan1 ? "" : ", ") << "\""
            << kDirectionKeys[static_cast<std::size_t>(direction.direction)] << "\": " << direction.changes.size();
    out << "},\n \"differing_bytes\": " << diff.differingBytes
        << ",\n \"note\": " << (diff.Same() ? JsonString(SameBehaviourText(diff)) : "null") << "}\n";
}

// ---------------------------------------------------------------- diff

struct DiffOptions {
    std::string a;
    std::string b;
    bool json = false;
};

int RunDiff(const DiffOptions& options)
{
    const ConfigurationSource a = LoadConfigurationSource(options.a);
    const ConfigurationSource b = LoadConfigurationSource(options.b);
    PrintImageWarnings("A", a);
    PrintImageWarnings("B", b);
    const ConfigurationDiff diff = DiffConfigurations(a, b);
    if (options.json) {
        PrintDiffJson(diff, std::cout);
    } else {
        for (const std::string& line : DiffTextLines(diff))
            std::cout << line << "\n";
    }
    std::cout.flush();
    if (!std::cout)
        throw Error("Cannot write to standard output");
    return diff.Same() ? kExitSuccess : kExitDifferent;
}

// ---------------------------------------------------------------- report

struct ReportOptions {
    std::string source;
    std::string out;
    std::string against;
    std::string title;
    bool quiet = false;
    bool force = false;
    // The traffic section.
    std::vector<std::string> traces;
    std::vector<std::string> map;
    std::array<std::string, 2> bitRate;
    std::int64_t latencyUs = 0;
    int windowMs = 100;
    std::uint64_t queue = 0; // 0: not given
};

// An HTML page: its doctype or <html> element near the start of the file.
const OutputFormat kHtmlPage{"an HTML page", [](std::string_view head) {
                                 std::string start(head.substr(0, 1024));
                                 for (char& c : start)
                                     if (c >= 'A' && c <= 'Z')
                                         c = static_cast<char>(c - 'A' + 'a');
                                 return start.find("<!doctype html") != std::string::npos ||
                                        start.find("<html") != std::string::npos;
                             }};

// A path as the printed record shows it: absolute, so the reader knows
// which folder was meant.
std::string Absolute(const std::string& path)
{
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

int RunReport(const ReportOptions& options)
{
    ReportRequest request;
    request.source = Absolute(options.source);
    request.against = options.against.empty() ? "" : Absolute(options.against);
    request.title = options.title;
    if (!options.traces.empty()) {
        const auto named = ParseInterfaceMap(options.map);
        if (!named)
            return kExitUsage;
        ReportTraffic traffic;
        for (const std::string& trace : options.traces)
            traffic.traces.push_back(Absolute(trace));
        traffic.interfaces = *named;
        for (std::size_t port = 0; port < 2; ++port)
            traffic.bitRateKbps[port] = options.bitRate[port].empty() ? 0 : std::stoi(options.bitRate[port]);
        traffic.latencyNs = options.latencyUs * 1000;
        traffic.windowMs = options.windowMs;
        if (options.queue > 0)
            traffic.queue = options.queue;
        request.traffic = std::move(traffic);
    }
    // Refused before anything is read or written: the files of a project
    // by name, then the rules of every output the user names.
    const std::string refusal = ReportOutputRefusal(options.out, request);
    if (!refusal.empty()) {
        std::cerr << "--out: " << refusal << "\n";
        return kExitUsage;
    }
    std::vector<OutputInput> inputs = {{request.source, "the SOURCE it reads"}};
    if (!request.against.empty())
        inputs.push_back({request.against, "the configuration it compares with"});
    if (request.traffic)
        for (const std::string& trace : request.traffic->traces)
            inputs.push_back({trace, "a trace it reads"});
    const auto target = ChooseOutputOrSay("--out", {options.out, kHtmlPage, options.force, inputs});
    if (!target)
        return kExitUsage;
    const std::string html = ConfigurationReportHtml(request);
    UserOutput out(*target);
    out.Sink().Write(html);
    out.Finish();
    if (!options.quiet && !target->standardOutput)
        std::cout << "Report written to " << options.out << "\n";
    return kExitSuccess;
}

} // namespace

void AddReviewCommands(CLI::App& app, Commands& commands)
{
    auto diffed = std::make_shared<DiffOptions>();
    CLI::App* diff = app.add_subcommand("diff", "Show what the device does differently with configuration B than with A");
    for (auto [name, value] : {std::pair{"A", &diffed->a}, std::pair{"B", &diffed->b}})
        diff->add_option(name, *value, "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
            ->required()
            ->check(NonEmpty());
    diff->add_flag("--json", diffed->json, "Print JSON instead of text")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    diff->footer("Prints the settings that differ, then in each direction every frame whose route differs:\n"
                 "every 11-bit identifier, every 29-bit identifier that A or B lists, and all other 29-bit\n"
                 "identifiers together. CANopen identifiers are named by node and service, runs of\n"
                 "consecutive identifiers with the same change are one line, and a count per direction ends\n"
                 "the text. Exit status: 0 when A and B behave the same (also when their bytes differ only\n"
                 "where nothing reads them: the text says so), 1 when they differ, 2 for an error.\n"
                 "JSON: same, settings [{setting, a, b}], changes [{direction, id, extended, a, b}] with a\n"
                 "and b each {outcome, new_id, leaves_extended (when passed), reason}, other_extended,\n"
                 "counts, differing_bytes, note.");
    commands.push_back({diff, [diffed] { return Reporting([&] { return RunDiff(*diffed); }, kExitTrouble); }});

    auto reported = std::make_shared<ReportOptions>();
    CLI::App* report = app.add_subcommand("report", "Write a printable report of a configuration, for review and sign-off");
    report->add_option("SOURCE", reported->source,
                       "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
        ->required()
        ->check(NonEmpty());
    report->add_option("--out", reported->out, "The report to write (HTML)")
        ->option_text("FILE.html REQUIRED")
        ->required()
        ->check(NonEmpty())
        ->check(NoProjectFileName());
    report->add_option("--against", reported->against, "Also show what the device does differently than with A")
        ->option_text("A")
        ->check(NonEmpty());
    report->add_flag("--force", reported->force, "Replace an existing file that is no HTML page")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    report->add_option("--title", reported->title, "The report's title")->option_text("TEXT")->check(NonEmpty());
    report->add_flag("-q,--quiet", reported->quiet, "Print nothing on success")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    // The traffic section, with the options of traffic.
    CLI::Option* traces =
        report->add_option("--trace", reported->traces,
                           "A trace of the lines recorded without the device (candump -l, Vector ASC or BLF, PEAK "
                           "TRC); each frame is on the port of its interface or channel. Gives the traffic section")
            ->option_text("LOG ...")
            ->allow_extra_args(false)
            ->check(NonEmpty());
    report->add_option("--map", reported->map,
                       "Which port an interface name or channel of the traces is (default: can0 and 1 CAN0, can1 "
                       "and 2 CAN1)")
        ->option_text("IFACE=can0|can1 ...")
        ->allow_extra_args(false)
        ->check(InterfaceMapping())
        ->needs(traces);
    const std::vector<std::string> rates(kBitRates.begin(), kBitRates.end());
    for (std::size_t port = 0; port < 2; ++port)
        report
            ->add_option("--bitrate" + std::to_string(port), reported->bitRate[port],
                         "With --trace: the bit rate of CAN" + std::to_string(port) +
                             " in kbit/s (by default the image's; needed when the dip switch sets it)")
            ->option_text("K")
            ->check(CLI::IsMember(rates))
            ->needs(traces);
    report->add_option("--latency", reported->latencyUs, "With --trace: microseconds from a frame's receipt to its "
                                                          "copy being ready on the other line (default 0)")
        ->option_text("US")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{10000000}))
        ->needs(traces);
    report->add_option("--window", reported->windowMs, "With --trace: the windows the load is measured in, in ms "
                                                        "(default 100)")
        ->option_text("MS")
        ->check(CLI::Range(1, 3600000))
        ->needs(traces);
    report->add_option("--queue", reported->queue, "With --trace: frames the device can hold per port (default: no "
                                                    "limit)")
        ->option_text("N")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1000000000}))
        ->needs(traces);
    for (CLI::Option* option : report->get_options())
        if (option->get_name() != "--trace" && option->get_name() != "--map" && option->get_name() != "--help")
            option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    report->footer("Writes one self-contained HTML page (nothing fetched) to read on screen and to print on A4:\n"
                   "the project, the source, the program's version and the date; for a firmware its SHA-256 and\n"
                   "the CRC-32 of banks 1 and 2 as composed; the settings; a filter map per direction with the\n"
                   "counts passed, translated and blocked; the rows of both tables, CANopen identifiers by node\n"
                   "and service; everything check finds; with --against, what diff A SOURCE shows; with\n"
                   "--trace, what traffic shows of both lines (the load picture, each line's figures, the\n"
                   "conflicts); and a sign-off block (prepared, checked, approved). A firmware in a project\n"
                   "folder is compared with what the project builds now.");
    commands.push_back({report, [reported] { return Reporting([&] { return RunReport(*reported); }); }});
}

} // namespace c2c::cli
