// cobid export and cobid import: the CobID tables to and from a spreadsheet;
// cobid add: rows added by rule (an identifier, a range, a CANopen node, the
// network services).

#include "cli/CommandLine.h"

#include "operations/CobIdAdd.h"
#include "operations/CobIdSpreadsheet.h"
#include "operations/UserOutput.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

struct ExportOptions {
    std::string projectDir;
    std::string out; // empty or "-": standard output
    bool force = false;
};

const OutputFormat kCobIdCsv{"CobID tables as CSV (its first line the header)", IsCobIdCsvText};

struct ImportOptions {
    std::string projectDir;
    std::string file;
    bool quiet = false;
};

std::size_t FilledRows(const CobIdTable& table)
{
    return static_cast<std::size_t>(std::count_if(table.begin(), table.end(), IsCobIdRowInUse));
}

int RunExport(const ExportOptions& options)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    const OutputChoice target = ChooseOutput(
        {options.out.empty() ? "-" : options.out, kCobIdCsv, options.force, {}}, ExecutableDirectory());
    if (target.Refused()) {
        std::cerr << "--out: " << target.refusal << "\n";
        return kExitUsage;
    }
    const std::string text = ExportCobIdCsv(project);
    std::cout << std::flush;
    UserOutput out(target);
    out.Sink().Write(text);
    out.Finish();
    return kExitSuccess;
}

int RunImport(const ImportOptions& options)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    const CobIdCsvReading reading = ImportCobIdCsv(project, ReadCobIdCsvFile(options.file));
    if (!reading.problems.empty()) {
        for (const CobIdCsvProblem& problem : reading.problems)
            std::cerr << CobIdCsvProblemText(options.file, problem) << "\n";
        std::cerr << "Nothing was imported: " << reading.problems.size()
                  << (reading.problems.size() == 1 ? " line is" : " lines are") << " not right.\n";
        return kExitFailed;
    }
    // As Set CobID Access carries over stored rows: said as it says it.
    if (reading.carryOver.Any())
        std::cerr << CobIdCarryOverText(reading.carryOver, CarryOverTime::Now, options.file) << "\n";
    auto rows = [](std::size_t count) { return std::to_string(count) + (count == 1 ? " row" : " rows"); };
    if (!options.quiet)
        std::cout << "Imported " << rows(FilledRows(reading.tables.can0ToCan1)) << " of " << kCobIdTableNames[0]
                  << " and " << rows(FilledRows(reading.tables.can1ToCan0)) << " of " << kCobIdTableNames[1] << ".\n";
    return kExitSuccess;
}

// ---------------------------------------------------------------- cobid add

const std::vector<std::string> kPorts = {PortInterfaceName(CanPort::Can0), PortInterfaceName(CanPort::Can1)};
const std::vector<std::string> kDirections(kCobIdCsvDirections.begin(), kCobIdCsvDirections.end());

struct AddOptions {
    std::string projectDir;
    bool dryRun = false;
    bool quiet = false;
    std::string node, on, as, services, dcf; // node
    std::string range, id, direction, to;    // range, id
    std::string network, from;               // network
};

std::optional<NetworkRule> NetworkServices(const std::string& list)
{
    NetworkRule rule{false, false, false, CanPort::Can0};
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string word = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        bool* chosen = word == FactOf(NetworkService::Nmt).word    ? &rule.nmt
                       : word == FactOf(NetworkService::Sync).word ? &rule.sync
                       : word == FactOf(NetworkService::Time).word ? &rule.time
                                                                   : nullptr;
        if (!chosen)
            return std::nullopt;
        *chosen = true;
        if (comma == std::string::npos)
            return rule;
        start = comma + 1;
    }
}

CLI::Validator Checked(std::function<bool(const std::string&)> good, std::string what)
{
    return CLI::Validator(
        [good, what](std::string& value) {
            return good(value) ? std::string() : "takes " + what + ", not " + QuotedValue(value);
        },
        "");
}

const CLI::Validator& IdentifierText()
{
    static const CLI::Validator validator =
        Checked([](const std::string& v) { return ParseCanIdentifier(v).has_value(); },
                "an identifier from 0 to " + c2c::IdentifierText(kMaxExtendedId) +
                    " (decimal, or hexadecimal after 0x, $ or x)");
    return validator;
}

const CLI::Validator& NodeText()
{
    static const CLI::Validator validator =
        Checked([](const std::string& v) { return ParseNodeId(v).has_value(); }, "a node ID from " + NodeIdRangeText());
    return validator;
}

int DirectionOf(const std::string& word)
{
    return word == kDirections[1] ? kCan1ToCan0 : kCan0ToCan1;
}

// A port name the options' checks let through.
CanPort PortOf(const std::string& word)
{
    return PortOfInterfaceName(word).value_or(CanPort::Can0);
}

// The rule of `cobid add node`; with --dcf, the file is read here.
CobIdRule NodeRuleOf(const AddOptions& options)
{
    const std::optional<int> node = options.node.empty() ? std::nullopt : ParseNodeId(options.node);
    const std::optional<int> as = options.as.empty() ? std::nullopt : ParseNodeId(options.as);
    if (!options.dcf.empty())
        return DescribedNodeRule{ReadDeviceDescription(options.dcf, node), options.dcf, PortOf(options.on), as};
    NodeRule rule{*node, PortOf(options.on), as, kAllNodeServices};
    if (!options.services.empty())
        rule.services = *ParseNodeServices(options.services);
    return rule;
}

std::string Rows(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " row" : " rows");
}

int RunAdd(const AddOptions& options, const CobIdRule& rule)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    const CobIdAddition addition = AddCobIdRows(project, rule, !options.dryRun);
    if (!addition.Accepted()) {
        std::cerr << *addition.refusal << ". Nothing was added.\n";
        return kExitFailed;
    }
    if (addition.carriedOver.Any())
        std::cerr << CobIdCarryOverText(addition.carriedOver, CarryOverTime::Now) << "\n";
    if (options.quiet)
        return kExitSuccess;
    for (const std::string& line : CobIdAdditionLines(addition))
        std::cout << line << "\n";
    if (options.dryRun)
        std::cout << "Dry run: " << Rows(addition.rows.size()) << " would be added; nothing was written.\n";
    else
        std::cout << "Added " << Rows(addition.rows.size()) << " to " << project.CobIdFile() << ".\n";
    return kExitSuccess;
}

void AddAddCommand(CLI::App& cobid, Commands& commands)
{
    auto options = std::make_shared<AddOptions>();
    CLI::App* add =
        cobid.add_subcommand("add", "Add rows by rule: a CANopen node, the network services, a range, an identifier");
    add->add_option("PROJECT_DIR", options->projectDir, "The project's folder")->required()->check(NonEmpty());
    add->require_subcommand(1);
    AddQuietFlag(*add, options->quiet, "Print nothing on success: no list of the rows");
    add->footer("Rows go after the last row in use of their table, ascending by original identifier, and are\n"
                "listed first. Adding is all or nothing: refused (exit status 1, the reason on standard error,\n"
                "nothing written) when an original identifier has a row in its table already, when one does\n"
                "not fit the frame format of its port, when a new identifier is asked while Positive\n"
                "Implementation is clear (listed identifiers are then blocked; adding rows that block them\n"
                "is allowed), or when the table has no room. Rows stored beyond the tables' last row (N\u00B0\n"
                "1999 while a port runs CAN 2.0B) are first moved into the first empty rows, as Set CobID\n"
                "Access moves them, and named on standard error; when they do not fit, nothing is added.\n"
                "Saved as the OK of Set CobID Access saves.");
    auto kindFlags = [&options](CLI::App* kind) {
        kind->add_flag("--dry-run", options->dryRun, "List the rows that would be added; write nothing");
        AddQuietFlag(*kind, options->quiet, "Print nothing on success: no list of the rows");
    };
    auto run = [options](std::function<CobIdRule()> rule) {
        return [options, rule] { return Reporting([&] { return RunAdd(*options, rule()); }); };
    };

    CLI::App* node =
        add->add_subcommand("node", "A CANopen node's rows (the predefined connection set, or its EDS/DCF)");
    node->add_option("N", options->node, "The node's ID, " + NodeIdRangeText() + " (from the DCF when not given)")
        ->check(NodeText());
    node->add_option("--on", options->on, "The port the node is on")
        ->option_text("can0|can1")
        ->required()
        ->check(CLI::IsMember(kPorts));
    node->add_option("--as", options->as, "The node's ID on the other port (by default N)")
        ->option_text("M")
        ->check(NodeText());
    CLI::Option* services =
        node->add_option("--services", options->services, std::string("Only these services: ") + kNodeServiceWords)
            ->option_text("LIST")
            ->check(Checked([](const std::string& v) { return ParseNodeServices(v).has_value(); },
                            std::string("a comma-separated list of ") + kNodeServiceWords));
    node->add_option("--dcf", options->dcf, "The node's EDS or DCF: its own identifiers")
        ->option_text("FILE")
        ->check(NonEmpty())
        ->excludes(services);
    kindFlags(node);
    node->footer("Sent by the node, from its port to the other, N -> M:\n" + NodeServiceListText(true, "N") +
                 ".\nAddressed to it, from the other port to its own, M -> N:\n" + NodeServiceListText(false, "M") +
                 ".\n"
                 "With --dcf the PDO, EMCY and SDO identifiers are the file's (ParameterValue, else\n"
                 "DefaultValue; $NODEID formulas; PDOs with bit 31 set or on a CAN-ID that CiA 301 restricts\n"
                 "are left out), identifiers ending in N become the same function code + M, others stay as they\n"
                 "are. A DCF's NodeID of 0 or 0xFF (not configured) names no node: give N.");
    commands.push_back({node, [options, run] {
                            if (options->node.empty() && options->dcf.empty()) {
                                std::cerr << "cobid add node: N is required unless --dcf names the node's file\n"
                                             "Run with --help for more information.\n";
                                return kExitUsage;
                            }
                            return run([options] { return NodeRuleOf(*options); })();
                        }});

    CLI::App* range = add->add_subcommand("range", "One row per identifier of a range");
    range->add_option("FIRST-LAST", options->range, "The range, both ends included")
        ->required()
        ->check(Checked([](const std::string& v) { return ParseIdentifierRange(v).has_value(); },
                        "FIRST-LAST, two identifiers from 0 to " + c2c::IdentifierText(kMaxExtendedId) +
                            ", FIRST not above LAST"));
    range->add_option("--direction", options->direction, "The table")
        ->option_text("can0-to-can1|can1-to-can0")
        ->required()
        ->check(CLI::IsMember(kDirections));
    range->add_option("--to", options->to, "The new identifier of FIRST; the others follow (by default unchanged)")
        ->option_text("NEW_FIRST")
        ->check(IdentifierText());
    kindFlags(range);
    commands.push_back({range, run([options] {
                            const auto bounds = *ParseIdentifierRange(options->range);
                            RangeRule rule{DirectionOf(options->direction), bounds.first, bounds.second, std::nullopt};
                            if (!options->to.empty())
                                rule.newFirst = ParseCanIdentifier(options->to);
                            return CobIdRule(rule);
                        })});

    CLI::App* id = add->add_subcommand("id", "One row for one identifier");
    id->add_option("ORIG", options->id, "The original identifier")->required()->check(IdentifierText());
    id->add_option("--direction", options->direction, "The table")
        ->option_text("can0-to-can1|can1-to-can0")
        ->required()
        ->check(CLI::IsMember(kDirections));
    id->add_option("--to", options->to, "The new identifier (by default unchanged)")
        ->option_text("MOD")
        ->check(IdentifierText());
    kindFlags(id);
    commands.push_back(
        {id, run([options] {
             IdentifierRule rule{DirectionOf(options->direction), *ParseCanIdentifier(options->id), std::nullopt};
             if (!options->to.empty())
                 rule.modified = ParseCanIdentifier(options->to);
             return CobIdRule(rule);
         })});

    CLI::App* network = add->add_subcommand("network", "NMT, SYNC and TIME, unchanged, from one port to the other");
    network->add_option("SERVICES", options->network, "Any of nmt, sync, time, separated by commas")
        ->required()
        ->check(Checked([](const std::string& v) { return NetworkServices(v).has_value(); },
                        "a comma-separated list of nmt, sync, time"));
    network->add_option("--from", options->from, "The port of the NMT master / SYNC and TIME producer")
        ->option_text("can0|can1")
        ->required()
        ->check(CLI::IsMember(kPorts));
    kindFlags(network);
    commands.push_back({network, run([options] {
                            NetworkRule rule = *NetworkServices(options->network);
                            rule.fromPort = PortOf(options->from);
                            return CobIdRule(rule);
                        })});
}

} // namespace

void AddCobIdCommands(CLI::App& app, Commands& commands)
{
    CLI::App* cobid =
        app.add_subcommand("cobid", "The CobID tables to and from a spreadsheet file (CSV), and rows added by rule");
    cobid->require_subcommand(1);
    cobid->footer(std::string("The file's header is ") + kCobIdCsvHeader +
                  "; direction is can0-to-can1 or\n"
                  "can1-to-can0, row the N\u00B0 that Set CobID Access shows. Fields are quoted as RFC 4180 says;\n"
                  "import also accepts \";\" as the separator.");

    auto exported = std::make_shared<ExportOptions>();
    CLI::App* out = cobid->add_subcommand("export", "Write both tables as CSV");
    out->add_option("PROJECT_DIR", exported->projectDir, "The project's folder")->required()->check(NonEmpty());
    out->add_option("--out", exported->out, "The CSV file to write (by default, or with -, standard output)")
        ->option_text("FILE")
        ->check(NonEmpty())
        ->check(NoProjectFileName());
    out->add_flag("--force", exported->force, "Replace an --out file that does not hold CobID tables as CSV")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    out->footer("Writes the rows that hold anything, in table order, every cell as it is written. --out FILE is\n"
                "written whole or not at all; a link is followed to the regular file it leads to; nothing is\n"
                "written into /dev or /proc or the master folder, and an existing file that does not start\n"
                "with the header is replaced only with --force.");
    commands.push_back({out, [exported] { return Reporting([&] { return RunExport(*exported); }); }});

    auto imported = std::make_shared<ImportOptions>();
    CLI::App* in = cobid->add_subcommand("import", "Replace both tables with those of a CSV file");
    in->add_option("PROJECT_DIR", imported->projectDir, "The project's folder")->required()->check(NonEmpty());
    in->add_option("FILE", imported->file, "The CSV file to read")->required()->check(NonEmpty());
    AddQuietFlag(*in, imported->quiet);
    in->footer("Rows not in the file become empty. Every line is checked as Set CobID Access checks the\n"
               "cells, for the project's current frame formats; every bad line is reported as\n"
               "FILE:LINE: reason, and then nothing is written. Rows beyond the tables' last row (N\u00B0 2000\n"
               "to 2047 while a port runs CAN 2.0B) are moved into the first empty rows, as Set CobID Access\n"
               "moves stored rows, and named on standard error; one that finds no empty row is a bad line.\n"
               "Saved as the window's OK saves. Says how many rows were imported (nothing with --quiet).");
    commands.push_back({in, [imported] { return Reporting([&] { return RunImport(*imported); }); }});

    AddAddCommand(*cobid, commands);
}

} // namespace c2c::cli
