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
    std::cout << PortText(0, shown.bitRate0, shown.dipSwitch0, shown.format0) << "\n"
              << PortText(1, shown.bitRate1, shown.dipSwitch1, shown.format1) << "\n"
              << "Positive Implementation: " << (shown.positive ? "on" : "off") << "\n";
    // Saved all the same; the rows are moved when Set CobID Access is shown.
    if (outcome.carryOver.Any())
        std::cerr << CobIdCarryOverText(outcome.carryOver, CarryOverTime::AtNextShowing) << "\n";
    return kExitSuccess;
}

int RunCheck(const std::string& argument)
{
    const ProjectCheck check = CheckProjectDocuments(ExistingProject(argument));
    const std::vector<std::string>& problems = check.problems;
    const std::vector<std::string>& advice = check.advice;
    for (const std::string& problem : problems)
        std::cout << problem << "\n";
    // Advice about the CANopen network is printed, but does not fail the check.
    for (const std::string& line : advice)
        std::cout << "Warning: " << line << "\n";
    if (problems.empty()) {
        std::cout << "No problem found";
        if (!advice.empty())
            std::cout << "; " << advice.size() << (advice.size() == 1 ? " warning" : " warnings");
        std::cout << ".\n";
        return kExitSuccess;
    }
    std::cerr << problems.size() << (problems.size() == 1 ? " problem" : " problems") << " found.\n";
    return kExitFailed;
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
    create->add_flag("-q,--quiet", *quietNew, "Print nothing on success");
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
    settings->footer("Changes only what is given, with the rules of SET COMMUNICATION: Positive Implementation\n"
                     "stays on while the ports run different frame formats (--positive off is then refused\n"
                     "and nothing is written). Prints the resulting settings; without an option it only\n"
                     "prints them. When a port goes to CAN 2.0B the tables shrink to 2000 rows: filled rows\n"
                     "of CanCanCobID.xml beyond N\u00B0 1999, which Set CobID Access will move into empty rows\n"
                     "(or cannot keep), are named on standard error.");
    commands.push_back({settings, [comm] { return Reporting([&] { return RunComm(*comm); }); }});

    auto checked = std::make_shared<std::string>();
    CLI::App* check = app.add_subcommand("check", "List every problem a build of the project would meet");
    check->add_option("PROJECT_DIR", *checked, "The project's folder")->required()->check(NonEmpty());
    check->footer("Reads pargen.xml and CanCanCobID.xml as the build does and lists every problem, naming the\n"
                  "table, the row's N\u00B0 and the value. Exit status 1 when there is any. With Positive\n"
                  "Implementation set it also warns of CANopen rows that look forgotten (a node's TPDOs pass\n"
                  "but its heartbeat or SDO response does not; no NMT or SYNC row): \"Warning: \" lines that\n"
                  "leave the exit status as it is.");
    commands.push_back({check, [checked] { return Reporting([&] { return RunCheck(*checked); }); }});
}

} // namespace c2c::cli
