#include "operations/ConfigurationReport.h"

#include "documents/CanOpen.h"
#include "documents/CobIdTables.h"
#include "documents/IntegerText.h"
#include "image/Forwarding.h"
#include "operations/ConfigurationDiff.h"
#include "operations/FilterMap.h"
#include "operations/ForwardingSource.h"
#include "operations/HtmlText.h"
#include "operations/LineTraffic.h"
#include "operations/TraceFormats.h"
#include "operations/ProjectCheck.h"
#include "operations/TraceFrames.h"
#include "operations/TrafficText.h"
#include "platform/Digests.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace c2c {

namespace {

std::string E(std::string_view text)
{
    return HtmlEscaped(text);
}

// A CSS string literal: the running header's text lives in the style sheet.
std::string CssString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : HtmlEscaped(text)) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n' || c == '\r')
            out += ' ';
        else
            out += c;
    }
    return out + "\"";
}

// The screen and print style of the page. Printed, each section starts a
// page of A4 under a running header; the colours of the maps are printed
// as they are, never dropped to save ink.
constexpr const char* kStyle = R"(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", Verdana, Arial, sans-serif; font-size: 10.5pt; color: #1A1A1A;
  background: #FFFFFF; max-width: 60em; margin: 1.5em auto; padding: 0 1em; line-height: 1.35; }
h1 { font-size: 17pt; margin: 0 0 0.2em; }
h2 { font-size: 13pt; border-bottom: 2px solid #346EC4; padding-bottom: 0.15em; margin: 1.4em 0 0.6em; }
h3 { font-size: 11pt; margin: 1.1em 0 0.4em; }
p.lead { color: #555555; margin: 0 0 1em; }
table { border-collapse: collapse; width: 100%; margin: 0.3em 0 0.8em; }
th, td { border: 1px solid #B4B4B4; padding: 0.2em 0.45em; text-align: left; vertical-align: top; }
th { background: #EEF2F8; font-weight: 600; }
table.facts th { width: 13em; }
tbody.group th { background: #F4F4F4; font-weight: 600; }
td.id, td.route, code { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 9.5pt; }
code.digest { word-break: break-all; }
td.empty { color: #808080; }
ul.summary { padding-left: 1.2em; margin: 0.3em 0 0.8em; }
ul.lines { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 9.5pt; padding-left: 1.2em; }
ul.findings li.problem { color: #9A1B1B; }
p.verdict-ok { color: #1F6B2A; }
p.verdict-bad { color: #9A1B1B; font-weight: 600; }
div.load svg { width: 100%; max-width: 176mm; height: auto; display: block; }
svg.map { width: 100%; max-width: 176mm; height: auto; display: block; margin: 0.3em 0; }
svg.map text { font: 8px "DejaVu Sans", Verdana, sans-serif; fill: #333333; }
.legend { display: flex; flex-wrap: wrap; gap: 0.4em 1.6em; margin: 0.2em 0 0.6em; }
.legend span { display: inline-flex; align-items: center; gap: 0.4em; }
table.rows { table-layout: fixed; }
table.rows col.n { width: 4em; }
table.rows col.id { width: 8.5em; }
table.rows col.service { width: 8em; }
table.rows col.route { width: 13em; }
table.rows td { overflow-wrap: anywhere; }
table.signoff td { height: 3.2em; }
table.signoff th:first-child { width: 8em; }
section { margin-bottom: 1.5em; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9.5pt; }
  section { break-before: page; margin: 0; }
  section.first { break-before: auto; }
  h2, h3 { break-after: avoid; }
  tr, .legend, svg.map, div.load { break-inside: avoid; }
  thead { display: table-header-group; }
  * { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
)";

std::string PrintStyle(const std::string& header, const std::string& footer)
{
    return "@page { size: A4; margin: 20mm 15mm 18mm 15mm;\n"
           "  @top-left { content: " +
           CssString(header) +
           "; font: 8pt sans-serif; color: #555555; }\n"
           "  @top-right { content: \"Page \" counter(page) \" of \" counter(pages); font: 8pt sans-serif; color: "
           "#555555; }\n"
           "  @bottom-left { content: " +
           CssString(footer) + "; font: 7.5pt sans-serif; color: #777777; } }\n";
}

// ---------------------------------------------------------------- what is reported

struct Report {
    ConfigurationSource source;
    std::unique_ptr<ForwardingModel> model;
    std::string projectFolder; // empty: the source belongs to no project
    std::string projectName;
    // A source that is not the project itself, compared with what the
    // project builds now (nothing when the project does not build).
    std::optional<ConfigurationDiff> fromProject;
    std::string projectProblem; // why the project does not build
    std::optional<CobIdTables> projectTables;
    std::string sha256; // a firmware's
    std::optional<ProjectCheck> check;     // when the source belongs to a project
    std::array<FilterMap, 2> maps{};       // per direction
    std::optional<ConfigurationSource> against;
    std::string againstSha256;
    std::optional<ConfigurationDiff> fromAgainst;
    std::optional<TrafficReport> traffic;
    std::array<std::string, 2> trafficInterfaces;
    std::vector<std::string> trafficNotes; // malformed lines of the traces

    bool HoldsProjectBuild() const { return fromProject && fromProject->differingBytes == 0; }
};

std::string BaseName(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return FileNameOf(path);
}

// The malformed lines of the traces the report lists, the first of each trace.
constexpr std::size_t kListedTraceNotes = 5;

void AnalyseReportTraffic(const ReportTraffic& asked, Report& report)
{
    TrafficSettings settings;
    for (CanPort port : kCanPorts) {
        const std::size_t p = PortIndex(port);
        const DecodedPort& decoded = report.source.image.Port(static_cast<int>(p));
        if (asked.bitRateKbps[p] != 0)
            settings.bitRateKbps[p] = asked.bitRateKbps[p];
        else if (decoded.bitRateFromDipSwitch || !decoded.BitRateKbps())
            throw Error(std::string(PortName(port)) + "'s bit rate is " +
                        (decoded.bitRateFromDipSwitch ? "set by the dip switch" : "not in the image") +
                        ": the traffic needs it given");
        else
            settings.bitRateKbps[p] = *decoded.BitRateKbps();
    }
    settings.latencyNs = asked.latencyNs;
    settings.windowMs = asked.windowMs;
    settings.queue = asked.queue;
    const InterfacePorts ports(asked.interfaces);
    std::vector<std::unique_ptr<FrameSource>> sources;
    std::vector<FrameSource*> frames;
    for (const std::string& trace : asked.traces) {
        auto shown = std::make_shared<std::size_t>(0);
        sources.push_back(OpenTraceFrames(
            trace, ports, -1, [&report, trace, shown](std::uint64_t line, const char* problem) {
                if ((*shown)++ < kListedTraceNotes)
                    report.trafficNotes.push_back(trace + ":" + std::to_string(line) + ": " + problem);
            }));
        frames.push_back(sources.back().get());
    }
    report.traffic = AnalyseTraffic(*report.model, settings, frames);
    for (int line : {0, 1})
        report.trafficInterfaces[static_cast<std::size_t>(line)] = ports.NameOf(line);
}

Report Gather(const ReportRequest& request)
{
    Report report;
    // The digest and the banks must come from the same bytes: a firmware
    // that changes while it is read is refused.
    const bool file = FileExists(request.source) && FileNameOf(request.source) != BankFileName(1);
    const std::string before = file ? Sha256OfFile(request.source) : "";
    report.source = LoadConfigurationSource(request.source);
    if (report.source.kind == SourceKind::Firmware) {
        report.sha256 = Sha256OfFile(request.source);
        if (report.sha256 != before)
            throw Error("\"" + request.source + "\" changed while it was read");
    }
    report.model = std::make_unique<ForwardingModel>(report.source.image);
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        report.maps[static_cast<std::size_t>(direction)] = FilterMapOf(*report.model, direction);
    if (request.traffic)
        AnalyseReportTraffic(*request.traffic, report);
    if (!request.against.empty()) {
        report.against = LoadConfigurationSource(request.against);
        if (report.against->kind == SourceKind::Firmware)
            report.againstSha256 = Sha256OfFile(request.against);
        report.fromAgainst = DiffConfigurations(*report.against, report.source);
    }
    report.projectFolder = ProjectFolderOf(report.source);
    if (report.projectFolder.empty())
        return report;
    report.projectName = BaseName(report.projectFolder);
    ProjectLayout project;
    project.SetProjectDir(report.projectFolder);
    report.check = CheckProjectDocuments(project);
    if (report.source.project) {
        report.projectTables = report.source.project->tables;
        return report;
    }
    try {
        ConfigurationSource built = LoadConfigurationSource(report.projectFolder);
        report.fromProject = DiffConfigurations(built, report.source);
        report.projectTables = built.project->tables;
    } catch (const Error& error) {
        report.projectProblem = error.what();
    }
    return report;
}

std::string SourceKindText(const Report& report)
{
    switch (report.source.kind) {
    case SourceKind::Project:
        return "the project's documents, built in memory as Update Device builds them (nothing written)";
    case SourceKind::Firmware:
        return "a composed firmware (S-record file)";
    case SourceKind::BankFiles:
        return "bank files (bank1.bin and bank2.bin)";
    }
    return "";
}

std::string BanksWord(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Project:
        return "as the build writes it";
    case SourceKind::Firmware:
        return "as composed in the firmware";
    case SourceKind::BankFiles:
        return "as the bank file holds it";
    }
    return "";
}

// ---------------------------------------------------------------- pieces of the page

std::string FactRow(const std::string& name, const std::string& valueHtml)
{
    return "<tr><th scope=\"row\">" + E(name) + "</th><td>" + valueHtml + "</td></tr>\n";
}

std::string LinesList(const std::vector<std::string>& lines, const std::string& cssClass = "lines")
{
    std::string html = "<ul class=\"" + cssClass + "\">\n";
    for (const std::string& line : lines)
        html += "<li>" + E(line) + "</li>\n";
    return html + "</ul>\n";
}

std::string CountText(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Identity(const Report& report, const ReportRequest& request, const std::string& sha256)
{
    std::string html = "<table class=\"facts\">\n";
    html += FactRow("Project", report.projectName.empty() ? "<span class=\"empty\">none: the source is in no project "
                                                            "folder</span>"
                                                          : E(report.projectName));
    if (!report.projectFolder.empty())
        html += FactRow("Project folder", "<code>" + E(report.projectFolder) + "</code>");
    html += FactRow("Source", "<code>" + E(report.source.path) + "</code><br>" + E(SourceKindText(report)));
    if (!sha256.empty())
        html += FactRow("Firmware SHA-256", "<code class=\"digest\">" + sha256 + "</code>");
    for (int bank : {1, 2}) {
        const auto& bytes = report.source.banks[static_cast<std::size_t>(bank - 1)];
        html += FactRow("Bank " + std::to_string(bank) + " CRC-32",
                        "<code>" + Crc32Text(Crc32(bytes.data(), bytes.size())) + "</code> (its 16384 bytes " +
                            BanksWord(report.source.kind) + ")");
    }
    if (!report.projectFolder.empty() && !report.source.project) {
        std::string verdict;
        if (!report.projectProblem.empty())
            verdict = "<span class=\"problem\">cannot be told: the project does not build: " +
                      E(report.projectProblem) + "</span>";
        else if (report.HoldsProjectBuild())
            verdict = "yes, byte for byte";
        else if (report.fromProject->Same())
            verdict = "it behaves as the project builds now; " + E(SameBehaviourText(*report.fromProject)) +
                      " (A: the project, B: the source)";
        else
            verdict = "<strong>no</strong>: see \u201CAgainst the project\u201D";
        html += FactRow("Holds what the project builds now", verdict);
    }
    html += FactRow("Program", E(std::string("Drevanta C2C ") + C2C_VERSION));
    html += FactRow("Date", E(request.date));
    return html + "</table>\n";
}

std::string PositiveMeaning(const DecodedImage& image)
{
    return image.IsPositive() ? "set: only the listed identifiers pass, each as its Modify CobID"
                              : "clear: the listed identifiers are blocked, all others pass unchanged";
}

std::string Settings(const Report& report)
{
    const DecodedImage& image = report.source.image;
    std::string html = "<table class=\"facts\">\n";
    html += FactRow("Layout", E(LayoutText(image.extended)) +
                                  (image.extended ? " (a port runs CAN 2.0B: sorted lists of at most 2000 entries)"
                                                  : " (both ports run CAN 2.0A: one entry per 11-bit identifier)"));
    for (CanPort port : kCanPorts) {
        const DecodedPort& decoded = image.Port(static_cast<int>(PortIndex(port)));
        html += FactRow(std::string(PortName(port)) + " bit rate", E(BitRateText(decoded)));
        html += FactRow(std::string(PortName(port)) + " frame format", E(FrameFormatByteText(decoded.format)));
    }
    html += FactRow("Positive Implementation", E(PositiveMeaning(image)));
    return html + "</table>\n";
}

std::string Legend(const FilterMap& map, const std::string& id)
{
    std::string html = "<div class=\"legend\">";
    for (MapKind kind : {MapKind::Passed, MapKind::Translated, MapKind::Blocked})
        html += "<span>" + MapSwatchSvg(kind, 14, id + "-" + std::to_string(static_cast<int>(kind))) + E(kMapKindNames[static_cast<std::size_t>(kind)]) +
                " (" + std::to_string(CountOf(map, kind)) + ")</span>";
    return html + "</div>\n";
}

std::string FilterMaps(const Report& report)
{
    std::string html;
    const ForwardingModel& model = *report.model;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CanPort from = ArrivingPort(direction);
        const FilterMap& map = report.maps[static_cast<std::size_t>(direction)];
        const std::size_t passed = CountOf(map, MapKind::Passed);
        const std::size_t translated = CountOf(map, MapKind::Translated);
        const std::size_t blocked = CountOf(map, MapKind::Blocked);
        const std::string table = kCobIdTableNames[static_cast<std::size_t>(direction)];
        const std::string id = "map-" + std::string(PortInterfaceName(from));
        html += "<h3>" + E(table) + ": frames arriving on " + PortName(from) + "</h3>\n";
        html += "<p>Of the 2048 standard identifiers " + std::to_string(passed + translated) + " pass (" +
                std::to_string(passed) + " unchanged, " + std::to_string(translated) + " translated), " +
                std::to_string(blocked) + (blocked == 1 ? " is" : " are") + " blocked.";
        // The 29-bit identifiers that no entry lists share one route.
        std::uint32_t other = kMaxExtendedId;
        const auto& listed = report.source.image.translations[static_cast<std::size_t>(direction)];
        while (std::any_of(listed.begin(), listed.end(), [&](const Translation& t) { return t.original == other; }))
            --other;
        const CanFrameId otherFrame{other, true};
        std::size_t listedExtended = 0;
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (!FitsFrameFormat(listed[i].original, FrameFormat::Standard) &&
                (i == 0 || listed[i].original != listed[i - 1].original))
                ++listedExtended;
        if (report.source.image.extended)
            html += " " + CountText(listedExtended, "29-bit identifier is", "29-bit identifiers are") +
                    " listed (see the rows); every other 29-bit identifier: " +
                    E(RoutePhrase(otherFrame, model.RouteFrame(from, otherFrame))) + ".";
        else
            html += " 29-bit frames: not received (both ports run CAN 2.0A).";
        html += "</p>\n";
        html += FilterMapSvg(map, id, "Filter map of " + table + ": " + std::to_string(passed) +
                                           " passed unchanged, " + std::to_string(translated) + " translated, " +
                                           std::to_string(blocked) + " blocked");
        html += Legend(map, id + "-legend");
    }
    return html;
}

// ---------------------------------------------------------------- rows

struct RowLine {
    std::string number; // N° or the entry's place
    std::string original;
    std::string modified;
    std::string description;
    std::optional<CanFrameId> frame;
};

std::vector<RowLine> ProjectRows(const CobIdTable& table)
{
    std::vector<RowLine> rows;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const CobIdRow& row = table[r];
        if (!IsCobIdRowInUse(row))
            continue;
        RowLine line{std::to_string(r), row.Orig_CobID, row.Mod_CobID, row.Desc, std::nullopt};
        const auto value = TryParseInteger(row.Orig_CobID);
        if (value && FitsFrameFormat(*value, FrameFormat::Extended))
            line.frame = AskedFrame(static_cast<std::uint32_t>(*value), false);
        rows.push_back(std::move(line));
    }
    return rows;
}

std::vector<RowLine> ImageRows(const DecodedImage& image, int direction)
{
    std::vector<RowLine> rows;
    const auto& list = image.translations[static_cast<std::size_t>(direction)];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Translation& t = list[i];
        RowLine line{image.extended ? std::to_string(i) : "", IdentifierText(t.original), IdentifierText(t.modified),
                     "", std::nullopt};
        if (FitsFrameFormat(t.original, FrameFormat::Extended))
            line.frame = AskedFrame(t.original, false);
        rows.push_back(std::move(line));
    }
    return rows;
}

std::string RowHtml(const RowLine& row, const std::string& service, const ForwardingModel& model, int direction)
{
    std::string route = "<span class=\"empty\">no identifier</span>";
    if (row.frame)
        route = E(RoutePhrase(*row.frame, model.RouteFrame(ArrivingPort(direction), *row.frame)));
    auto cell = [](const std::string& text, const char* cssClass) {
        return text.empty() ? std::string("<td class=\"empty\"></td>")
                            : "<td class=\"" + std::string(cssClass) + "\">" + E(text) + "</td>";
    };
    return "<tr>" + cell(row.number, "n") + cell(row.original, "id") + cell(row.modified, "id") +
           cell(service, "service") + cell(row.description, "desc") + "<td class=\"route\">" + route + "</td></tr>\n";
}

std::string RowsTable(const std::vector<RowLine>& rows, const ForwardingModel& model, int direction,
                      const char* numberHeading)
{
    // CANopen identifiers by node and service, the network's services,
    // then the rest in order.
    std::vector<std::pair<std::string, const RowLine*>> network;
    std::map<int, std::vector<std::pair<std::size_t, const RowLine*>>> nodes;
    std::vector<const RowLine*> others;
    for (const RowLine& row : rows) {
        const auto identity =
            row.frame && !row.frame->extended ? ClassifyCanOpenId(row.frame->id) : std::optional<CanOpenIdentity>();
        if (identity && identity->networkService)
            network.emplace_back(FactOf(*identity->networkService).name, &row);
        else if (identity)
            nodes[identity->node].emplace_back(*identity->nodeService, &row);
        else
            others.push_back(&row);
    }
    std::string html = "<table class=\"rows\">\n<colgroup><col class=\"n\"><col class=\"id\"><col class=\"id\">"
                       "<col class=\"service\"><col><col class=\"route\"></colgroup>\n<thead><tr><th>" + std::string(numberHeading) +
                       "</th><th>Original CobID</th><th>Modify CobID</th><th>Service</th><th>Description</th>"
                       "<th>What the device does</th></tr></thead>\n";
    auto group = [&](const std::string& title) {
        html += "<tbody class=\"group\"><tr><th colspan=\"6\">" + E(title) + "</th></tr></tbody>\n<tbody>\n";
    };
    if (!network.empty()) {
        group("Network services");
        for (const auto& [name, row] : network)
            html += RowHtml(*row, name, model, direction);
        html += "</tbody>\n";
    }
    for (auto& [node, services] : nodes) {
        std::stable_sort(services.begin(), services.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        group("Node " + std::to_string(node));
        for (const auto& [service, row] : services)
            html += RowHtml(*row, FactOf(static_cast<NodeService>(service)).name, model, direction);
        html += "</tbody>\n";
    }
    if (!others.empty()) {
        group(network.empty() && nodes.empty() ? "Rows" : "Other identifiers");
        for (const RowLine* row : others)
            html += RowHtml(*row, "", model, direction);
        html += "</tbody>\n";
    }
    return html + "</table>\n";
}

std::string Rows(const Report& report)
{
    // The engineer's rows, with their N°s and descriptions, are what the
    // device holds when the source is the project or holds what it builds.
    const bool fromProject = report.projectTables && (report.source.project || report.HoldsProjectBuild());
    std::string html;
    if (fromProject)
        html += "<p>The rows of the project's tables in use, with what the device does with a frame of each "
                "original identifier.</p>\n";
    else
        html += std::string("<p>The entries of the image, as decoded") +
                (report.projectFolder.empty() ? "" : " (the source does not hold what its project builds now, so the "
                                                     "project's rows are not shown)") +
                ", with what the device does with a frame of each original identifier.</p>\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const std::vector<RowLine> rows = fromProject ? ProjectRows(report.projectTables->Table(direction))
                                                      : ImageRows(report.source.image, direction);
        html += "<h3>" + E(kCobIdTableNames[static_cast<std::size_t>(direction)]) + ": " +
                CountText(rows.size(), fromProject ? "row" : "entry", fromProject ? "rows" : "entries") + "</h3>\n";
        if (!rows.empty())
            html += RowsTable(rows, *report.model, direction, fromProject ? "N\u00B0" : "Entry");
    }
    return html;
}

// ---------------------------------------------------------------- findings, diff, sign-off

std::string Findings(const Report& report)
{
    std::string html;
    bool any = false;
    if (report.check) {
        const ProjectCheck& check = *report.check;
        html += "<h3>The project's documents</h3>\n";
        if (check.problems.empty() && check.advice.empty()) {
            html += "<p>check finds nothing to report.</p>\n";
        } else {
            html += "<ul class=\"findings\">\n";
            for (const std::string& problem : check.problems)
                html += "<li class=\"problem\">Problem: " + E(problem) + "</li>\n";
            for (const std::string& advice : check.advice)
                html += "<li class=\"warning\">Warning: " + E(advice) + "</li>\n";
            html += "</ul>\n";
            any = true;
        }
    }
    html += "<h3>The image</h3>\n";
    if (report.source.image.warnings.empty()) {
        html += "<p>The bytes of banks 1 and 2 are as a build writes them.</p>\n";
    } else {
        html += "<ul class=\"findings\">\n";
        for (const std::string& warning : report.source.image.warnings)
            html += "<li class=\"warning\">Warning: " + E(warning) + "</li>\n";
        html += "</ul>\n";
        any = true;
    }
    return (any ? "" : "<p>Nothing to report.</p>\n") + html;
}

std::string DiffHtml(const ConfigurationDiff& diff)
{
    if (diff.Same())
        return "<p class=\"verdict-ok\">" + E(SameBehaviourText(diff)) + ".</p>\n";
    std::string html;
    if (!diff.settings.empty()) {
        html += "<h3>Settings</h3>\n<table>\n<thead><tr><th>Setting</th><th>A</th><th>B</th></tr></thead>\n<tbody>\n";
        for (const SettingChange& change : diff.settings)
            html += "<tr><td>" + E(change.setting) + "</td><td>" + E(change.a) + "</td><td>" + E(change.b) +
                    "</td></tr>\n";
        html += "</tbody>\n</table>\n";
    }
    for (const DirectionDiff& direction : diff.directions) {
        html += "<h3>" + E(DirectionCountText(direction)) + "</h3>\n";
        if (!direction.lines.empty())
            html += LinesList(direction.lines);
    }
    return html;
}

std::string Against(const Report& report)
{
    const ConfigurationSource& a = *report.against;
    std::string html = "<p>What the device does differently with this configuration (B) than with A.</p>\n"
                       "<table class=\"facts\">\n";
    html += FactRow("A", "<code>" + E(a.path) + "</code>");
    if (!report.againstSha256.empty())
        html += FactRow("A: firmware SHA-256", "<code class=\"digest\">" + report.againstSha256 + "</code>");
    html += FactRow("B", "<code>" + E(report.source.path) + "</code>");
    html += "</table>\n";
    if (!a.image.warnings.empty()) {
        html += "<p>Warnings about A:</p>\n";
        html += LinesList(a.image.warnings, "findings");
    }
    return html + DiffHtml(*report.fromAgainst);
}

std::string WithoutResult(std::string verdict)
{
    return verdict.rfind("Result: ", 0) == 0 ? verdict.substr(8) : verdict;
}

std::string Traffic(const Report& report)
{
    const TrafficReport& traffic = *report.traffic;
    std::string html = "<p>What each line will carry with the device in place, from traces recorded on the lines "
                       "without it: every frame stays on its line and, where the device passes it, is also sent on "
                       "the other line at that line's bit rate.</p>\n<table class=\"facts\">\n";
    std::string traces;
    for (const TraceOrder& trace : traffic.traces)
        traces += (traces.empty() ? "" : "<br>") + std::string("<code>") + E(trace.trace) + "</code>: " +
                  CountText(trace.frames, "frame", "frames");
    html += FactRow("Traces", traces);
    html += FactRow("Bit rates", E(std::string(PortName(CanPort::Can0)) + " " +
                                   std::to_string(traffic.lines[0].bitRateKbps) + " kbit/s, " +
                                   PortName(CanPort::Can1) + " " + std::to_string(traffic.lines[1].bitRateKbps) +
                                   " kbit/s"));
    html += FactRow("Window", std::to_string(traffic.windowMs) + " ms");
    html += "</table>\n";
    html += std::string("<p class=\"") + (traffic.Fits() ? "verdict-ok" : "verdict-bad") + "\">" +
            E(VerdictText(traffic)) + "</p>\n";
    html += "<div class=\"load\">" + LoadPlotSvgElement(traffic) + "</div>\n";
    for (int line : {0, 1}) {
        html += "<h3>" + E(PortName(PortAt(line))) + "</h3>\n";
        html += LinesList(LineSummaryLines(traffic, line, report.trafficInterfaces[static_cast<std::size_t>(line)]),
                          "summary");
    }
    html += "<h3>Conflicts: " + std::to_string(traffic.conflicts.size()) + "</h3>\n";
    if (!traffic.conflicts.empty()) {
        std::vector<std::string> conflicts;
        for (const TrafficConflict& conflict : traffic.conflicts)
            conflicts.push_back(conflict.text + "; first at " + TraceTimeText(conflict.firstSeen));
        html += LinesList(conflicts, "findings");
    }
    std::vector<std::string> notes = TraceOrderLines(traffic);
    notes.insert(notes.end(), report.trafficNotes.begin(), report.trafficNotes.end());
    if (!notes.empty()) {
        html += "<h3>The traces</h3>\n";
        html += LinesList(notes, "findings");
    }
    return html;
}

// The first page's summary: what passes, what check finds, what changes.
std::string Summary(const Report& report, const ReportRequest& request)
{
    std::vector<std::string> lines;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const FilterMap& map = report.maps[static_cast<std::size_t>(direction)];
        const std::size_t translated = CountOf(map, MapKind::Translated);
        const std::size_t passing = CountOf(map, MapKind::Passed) + translated;
        lines.push_back(std::string(kCobIdTableNames[static_cast<std::size_t>(direction)]) + ": " +
                        std::to_string(passing) + " of the 2048 standard identifiers pass (" +
                        std::to_string(translated) + " translated)");
    }
    if (report.check)
        lines.push_back("check: " + CountText(report.check->problems.size(), "problem", "problems") + ", " +
                        CountText(report.check->advice.size(), "warning", "warnings"));
    if (!report.source.image.warnings.empty())
        lines.push_back("The image: " + CountText(report.source.image.warnings.size(), "warning", "warnings"));
    if (report.fromAgainst) {
        const ConfigurationDiff& diff = *report.fromAgainst;
        std::string text = "Against " + BaseName(request.against) + ": ";
        if (diff.Same()) {
            text += "the device behaves the same";
        } else {
            if (!diff.settings.empty())
                text += CountText(diff.settings.size(), "setting differs", "settings differ") + "; ";
            text += DirectionCountText(diff.directions[0]) + "; " + DirectionCountText(diff.directions[1]);
        }
        lines.push_back(text);
    }
    if (report.traffic)
        lines.push_back("Traffic: " + WithoutResult(VerdictText(*report.traffic)));
    return LinesList(lines, "summary");
}

std::string SignOff()
{
    std::string html = "<p>By signing, each confirms the configuration above as identified on the first page.</p>\n"
                       "<table class=\"signoff\">\n<thead><tr><th></th><th>Name</th><th>Date</th><th>Signature</th>"
                       "</tr></thead>\n<tbody>\n";
    for (const char* role : {"Prepared", "Checked", "Approved"})
        html += std::string("<tr><th scope=\"row\">") + role + "</th><td></td><td></td><td></td></tr>\n";
    return html + "</tbody>\n</table>\n";
}

// Now, in local time with its offset from UTC: "2025-06-02 14:05 +0200".
// The offset is worked out from the local and the UTC time rather than by
// strftime's %z, which some C libraries of Windows fill with a zone's name.
std::string Now()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* localNow = std::localtime(&now);
    if (!localNow)
        return "";
    const std::tm local = *localNow;
    const std::tm* utcNow = std::gmtime(&now);
    char text[40] = "";
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    if (!utcNow)
        return text;
    int days = local.tm_yday - utcNow->tm_yday;
    if (days > 1)
        days = -1; // the year turned between the two
    else if (days < -1)
        days = 1;
    const int minutes = days * 1440 + (local.tm_hour - utcNow->tm_hour) * 60 + (local.tm_min - utcNow->tm_min);
    const int size = std::abs(minutes);
    char offset[8];
    std::snprintf(offset, sizeof offset, "%c%02d%02d", minutes < 0 ? '-' : '+', size / 60 % 100, size % 60);
    return std::string(text) + " " + offset;
}

std::string Section(const std::string& title, const std::string& body, bool first = false)
{
    return std::string("<section") + (first ? " class=\"first\"" : "") + ">\n<h2>" + E(title) + "</h2>\n" + body +
           "</section>\n";
}

} // namespace

std::string ConfigurationReportHtml(const ReportRequest& asked)
{
    ReportRequest request = asked;
    if (request.date.empty())
        request.date = Now();
    const Report report = Gather(request);
    const std::string& sha256 = report.sha256;
    const std::string subject = report.projectName.empty() ? BaseName(report.source.path) : report.projectName;
    const std::string title = request.title.empty() ? "Configuration of " + subject : request.title;

    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<meta name=\"generator\" content=\"Drevanta C2C " C2C_VERSION "\">\n<title>" +
                       E(title) + "</title>\n<style>" + kStyle +
                       PrintStyle(subject + " \u2014 " + request.date,
                                  sha256.empty() ? title : title + " \u2014 firmware SHA-256 " + sha256) + "</style>\n</head>\n<body>\n";
    html += "<header>\n<h1>" + E(title) + "</h1>\n<p class=\"lead\">A record of the configuration of a "
            "two-port CAN repeater, for review and sign-off.</p>\n</header>\n<main>\n";
    html += Section("Identification", Identity(report, request, sha256) + "<h3>Summary</h3>\n" +
                                          Summary(report, request) + "<h3>Settings</h3>\n" + Settings(report),
                    true);
    html += Section("Filter maps", FilterMaps(report));
    html += Section("Rows of the tables", Rows(report));
    html += Section("What check finds", Findings(report));
    if (report.fromProject && !report.fromProject->Same())
        html += Section("Against the project",
                        "<p>What the device does differently with the source (B) than with what the project "
                        "builds now (A).</p>\n" +
                            DiffHtml(*report.fromProject));
    if (!request.against.empty())
        html += Section("Against " + BaseName(request.against), Against(report));
    if (report.traffic)
        html += Section("Traffic", Traffic(report));
    html += Section("Sign-off", SignOff());
    return html + "</main>\n</body>\n</html>\n";
}

std::string ReportOutputRefusal(const std::string& out, const ReportRequest& request)
{
    const std::string name = FileNameOf(out);
    const ProjectFileRole role = ProjectFileRoleOf(name);
    if (role == ProjectFileRole::BankSource)
        return "cannot be bankg.c, " + std::string(ProjectFileRoleText(role));
    if (role != ProjectFileRole::None)
        return "cannot be " + name + ", " + ProjectFileRoleText(role);
    std::vector<std::string> inputs = {request.source, request.against};
    if (request.traffic)
        inputs.insert(inputs.end(), request.traffic->traces.begin(), request.traffic->traces.end());
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (!input.empty() && std::filesystem::equivalent(out, input, ec) && !ec)
            return "cannot be " + QuotedValue(input) + ", which the report reads";
    }
    return "";
}

void WriteConfigurationReport(const ReportRequest& request, const std::string& out)
{
    WriteFileAtomically(out, ConfigurationReportHtml(request));
}

} // namespace c2c
