// new, comm and check: making a project, its communication settings, and
// checking its documents before a build.

#include "cli/CommandLine.h"

#include "documents/CommSettings.h"
#include "operations/CommChange.h"
#include "operations/NewProject.h"
#include "operations/ProjectCheck.h"
#include "platform/Error.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

const std::vector<std::string> kRateWords = {"10", "20", "50", "100", "125", "250", "500", "800", "1000", "dip"};
constexpr const char* kFormatA = "2.0A";
constexpr const char* kFormatB = "2.0B";

int RunNew(const std::string& argument, bool quiet)
{
    const ProjectLayout project = ProjectArgument(argument);
    switch (CreateNewProject(project)) {
    case ProjectFolderResult::Created:
        if (!quiet)
            std::cout << "New project written to " << project.ProjectDir()
                      << ": pargen.xml, the five companion documents and an empty bin folder\n";
        return kExitSuccess;
    case ProjectFolderResult::Exists:
        throw Error("\"" + project.ProjectDir() + "\" exists already; nothing was changed");
    case ProjectFolderResult::NotCreated:
        throw Error("Cannot create directory \"" + project.ProjectDir() + "\" (its parent folder must exist)");
    }
    return kExitFailed;
}

// One port's line: "CAN 0: 250 kbit/s, CAN 2.0A".
std::string PortText(int port, std::int32_t rate, std::int32_t dipSwitch, std::int32_t format)
{
    std::string text = std::string(PortCaption(PortAt(port))) + ": ";
    const std::string kbps = rate >= 0 && rate < static_cast<std::int32_t>(kBitRates.size())
                                 ? std::string(kBitRates[static_cast<std::size_t>(rate)]) + " kbit/s"
                                 : std::string("no bit rate chosen");
    text += dipSwitch ? "bit rate from the dip switch (" + kbps + " kept)" : kbps;
    return text + ", CAN " + (format ? kFormatB : kFormatA);
}

struct CommOptions {
    std::string projectDir;
    std::array<std::string, 2> rate;   // empty when not given
    std::array<std::string, 2> format; // empty when not given
    std::string positive;              // empty when not given
    bool quiet = false;
};

int RunComm(const CommOptions& options)
{
    CommChanges changes;
    for (std::size_t port = 0; port < 2; ++port) {
        const std::string& rate = options.rate[port];
        if (rate == "dip")
            changes.ports[port].dipSwitch = true;
        else if (!rate.empty())
            changes.ports[port].bitRate =
                static_cast<int>(std::find(kRateWords.begin(), kRateWords.end(), rate) - kRateWords.begin());
        if (!options.format[port].empty())
            changes.ports[port].formatB = options.format[port] == kFormatB;
    }
    if (!options.positive.empty())
        changes.positive = options.positive == "on";

    const CommChangeOutcome outcome = ChangeCommSettings(ExistingProject(options.projectDir), changes);
    if (outcome.result == CommChangeResult::PositiveForced)
        throw Error(kMsgPositiveForced);
    const CommSettings shown = AsTheWindowShows(outcome.settings);
    if (!options.quiet)
        std::cout << PortText(0, shown.bitRate0, shown.dipSwitch0, shown.format0) << "\n"
                  << PortText(1, shown.bitRate1, shown.dipSwitch1, shown.format1) << "\n"
                  << "Positive Implementation: " << (shown.positive ? "on" : "off") << "\n";
    // Saved all the same; the rows are moved when Set CobID Access is shown.
    if (outcome.carryOver.Any())
        std::cerr << CobIdCarryOverText(outcome.carryOver, CarryOverTime::AtNextShowing) << "\n";
    return kExitSuccess;
}

struct CheckOptions {
    std::string projectDir;
    bool strict = false;
    bool quiet = false;
};

std::string Counted(std::size_t count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// Problems (what stops the build, or what Set CobID Access refuses at OK)
// fail the check; warnings are said as build says them, and fail it only
// with --strict.
int RunCheck(const CheckOptions& options)
{
    const ProjectCheck check = CheckProjectDocuments(ExistingProject(options.projectDir));
    const std::vector<std::string>& problems = check.problems;
    const std::vector<std::string>& warnings = check.advice;
    for (const std::string& problem : problems)
        std::cout << problem << "\n";
    for (const std::string& line : warnings)
        std::cout << kWarningPrefix << line << "\n";
    const std::string counted = warnings.empty() ? "" : "; " + Counted(warnings.size(), "warning");
    if (!problems.empty()) {
        std::cerr << Counted(problems.size(), "problem") << " found" << counted << ".\n";
        return kExitFailed;
    }
    if (options.strict && !warnings.empty()) {
        std::cerr << "No problem found, but " << Counted(warnings.size(), "warning")
                  << ", which --strict counts as failures.\n";
        return kExitFailed;
    }
    if (!options.quiet)
        std::cout << "No problem found" << counted << ".\n";
    return kExitSuccess;
}

} // namespace

void AddProjectCommands(CLI::App& app, Commands& commands)
{
    auto dir = std::make_shared<std::string>();
    auto quietNew = std::make_shared<bool>(false);
    CLI::App* create = app.add_subcommand("new", "Make a new project, as the window's New project does");
    create->add_option("PROJECT_DIR", *dir, "The new project's folder; its parent must exist")
        ->required()
        ->check(NonEmpty());
    AddQuietFlag(*create, *quietNew);
    create->footer("Writes pargen.xml (both ports 250 kbit/s, CAN 2.0B, Positive Implementation off), the five\n"
                   "companion documents and an empty bin folder. No CanCanCobID.xml, as in the window.\n"
                   "An existing folder is refused. Prints what was written where, on one line (nothing with\n"
                   "--quiet).");
    commands.push_back({create, [dir, quietNew] { return Reporting([&] { return RunNew(*dir, *quietNew); }); }});

    auto comm = std::make_shared<CommOptions>();
    CLI::App* settings = app.add_subcommand("comm", "Show or change a project's communication settings");
    settings->add_option("PROJECT_DIR", comm->projectDir, "The project's folder")->required()->check(NonEmpty());
    for (int port : {0, 1}) {
        const std::string n = std::to_string(port);
        settings->add_option("--can" + n, comm->rate[static_cast<std::size_t>(port)],
                             "Bit rate of CAN " + n + ": 10, 20, 50, 100, 125, 250, 500, 800 or 1000 (kbit/s), or dip (from "
                             "the dip switch; the stored rate is kept)")
            ->option_text("RATE")
            ->check(CLI::IsMember(kRateWords));
        settings->add_option("--format" + n, comm->format[static_cast<std::size_t>(port)], "Frame format of CAN " + n)
            ->option_text("2.0A|2.0B")
            ->check(CLI::IsMember({kFormatA, kFormatB}));
    }
    settings->add_option("--positive", comm->positive, "Positive Implementation")
        ->option_text("on|off")
        ->check(CLI::IsMember({"on", "off"}));
    AddQuietFlag(*settings, comm->quiet, "Print no settings");
    settings->footer("Changes only what is given, with the rules of SET COMMUNICATION: Positive Implementation\n"
                     "stays on while the ports run different frame formats (--positive off is then refused\n"
                     "and nothing is written). Prints the resulting settings (nothing with --quiet); without an\n"
                     "option it only prints them. When a port goes to CAN 2.0B the tables shrink to 2000 rows:\n"
                     "filled rows of CanCanCobID.xml beyond N\u00B0 1999, which Set CobID Access (and cobid add) will\n"
                     "move into empty rows, or cannot keep, are named on standard error.");
    commands.push_back({settings, [comm] { return Reporting([&] { return RunComm(*comm); }); }});

    auto checked = std::make_shared<CheckOptions>();
    CLI::App* check = app.add_subcommand("check", "List every problem and warning a build of the project would meet");
    check->add_option("PROJECT_DIR", checked->projectDir, "The project's folder")->required()->check(NonEmpty());
    check->add_flag("--strict", checked->strict, "Fail on warnings too");
    AddQuietFlag(*check, checked->quiet, "Print only the findings: no closing line on success");
    check->footer("Reads pargen.xml and CanCanCobID.xml as the build does. Lists every problem, naming the\n"
                  "table, the row's N\u00B0 and the value: what stops the build, or what Set CobID Access refuses\n"
                  "at OK. Exit status 1 when there is any. Then the warnings, as \"Warning: \" lines that build\n"
                  "and update print too: what the build takes otherwise than the tables seem to say (an\n"
                  "identifier in several rows, a Modify CobID without an Original CobID, Modify CobIDs while\n"
                  "Positive Implementation is clear, rows beyond the device's 2000 list entries or beyond the\n"
                  "tables' last row), and CANopen rows that look forgotten. Warnings leave the exit status at 0,\n"
                  "unless --strict.");
    commands.push_back({check, [checked] { return Reporting([&] { return RunCheck(*checked); }); }});
}

} // namespace c2c::cli
