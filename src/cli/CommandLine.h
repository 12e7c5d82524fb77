#pragma once
// What the commands of drevanta-c2c-cli share: how a command is registered,
// the exit statuses, the project folder argument, the checks of option
// values, and the message service that writes to standard error.

#include "image/Forwarding.h"
#include "operations/UserOutput.h"
#include "platform/UiServices.h"
#include "project/ProjectLayout.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace c2c {
struct DecodedImage;
struct TraceLineCounts;
enum class TraceFormat : std::uint8_t;
} // namespace c2c

namespace c2c::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1; // the work failed; the reason is on standard error
inline constexpr int kExitUsage = 2;  // a wrong command line

// How a warning's line starts, in check's findings and on standard error.
inline constexpr const char* kWarningPrefix = "Warning: ";

// A command: its subcommand of the parser and what runs when it was chosen.
struct Command {
    CLI::App* app;
    std::function<int()> run;
};
using Commands = std::vector<Command>;

void AddProjectCommands(CLI::App& app, Commands& commands); // new, comm, check
void AddCobIdCommands(CLI::App& app, Commands& commands);   // cobid export, cobid import
void AddFirmwareCommands(CLI::App& app, Commands& commands); // build, compose, update
void AddImageCommands(CLI::App& app, Commands& commands);   // inspect, verify
void AddTrafficCommands(CLI::App& app, Commands& commands); // route, replay
void AddTwinCommand(CLI::App& app, Commands& commands);     // twin
void AddTrafficLoadCommand(CLI::App& app, Commands& commands); // traffic
void AddReviewCommands(CLI::App& app, Commands& commands);  // diff, report

// The project folder as the command line names it: without trailing
// separators and made absolute, so the flasher, started in another folder,
// finds the firmware too. A bare "/" becomes empty, which is no project.
ProjectLayout ProjectArgument(const std::string& argument);

// The project folder of a command that works on a project. Throws Error
// ("Project not valid" for "/") when the folder is missing or holds no
// pargen.xml: such a folder is no project, and nothing is written into it.
ProjectLayout ExistingProject(const std::string& argument);

// Runs a command's work; an exception that escapes it is written to
// standard error as the program's error report would show it, and the
// status is `failed` (kExitFailed, or 2 for a command whose 1 means
// something else, as diff's does).
int Reporting(const std::function<int()>& work, int failed = kExitFailed);

// -q, --quiet on a command that says on standard output what it did:
// nothing then on success. What goes wrong, and warnings, are still said.
inline constexpr const char* kQuietHelp = "Print nothing on success";
CLI::Option* AddQuietFlag(CLI::App& command, bool& quiet, const std::string& help = kQuietHelp);

// Option checks; a value they refuse is a wrong command line.
// No empty value ("--out ''" names nothing).
const CLI::Validator& NonEmpty();
// A file name that is neither a project document nor a working file of the
// composition, whose chain would replace or delete it.
const CLI::Validator& NoProjectFileName();
// The new firmware's name: a file name without a folder (it goes into the
// project folder), and no project document or working file.
const CLI::Validator& FirmwareFileName();
// A list of banks such as "1,2,5".
const CLI::Validator& BankList();

// IFACE=can0 or IFACE=can1 (--map of the trace commands).
const CLI::Validator& InterfaceMapping();
// No bank file name (bank1.bin .. bank5.bin, bankg.c): a trace never takes their place.
const CLI::Validator& NoBankFileName();

// The --map values, IFACE=can0|can1 each, as interface name and port;
// nothing (and the reason on standard error) when a name is mapped twice.
std::optional<std::vector<std::pair<std::string, int>>> ParseInterfaceMap(const std::vector<std::string>& map);
// Whether two paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);
// The oddities of an image that answers rest on, as warnings on standard error.
void PrintImageWarnings(const DecodedImage& image);
// The format of the trace outputs, for the output rules (UserOutput).
const OutputFormat& CandumpTraceOutput();
// --format's values: candump, asc, trc, blf.
const CLI::Validator& TraceFormatKeyCheck();
// The format of the traces written: `asked` (--format) when given, else
// the first input's; a note on standard error for each output whose
// extension names another format.
TraceFormat ChooseTraceFormat(const std::string& asked, const std::vector<std::string>& inputs,
                              const std::vector<std::string>& outputs);
// The output rules applied to `request`: the choice, or nothing after the
// refusal, "OPTION: reason", on standard error (a wrong command line).
std::optional<OutputChoice> ChooseOutputOrSay(const char* option, const OutputRequest& request);
// One warning per kind of line of trace `log` that was skipped, on standard
// error; `classicOnly` ends the warnings of CAN FD and CAN XL frames.
void PrintSkippedKinds(const std::string& log, const TraceLineCounts& counts, const char* classicOnly);

// "1,2,5" -> banks 1, 2 and 5 (index 0 is bank 1); the list must be valid.
std::array<bool, kBankCount> ParseBankList(const std::string& list);

// A route's outcome in JSON: "passed", "blocked", "not_received".
const char* OutcomeName(RouteOutcome outcome);

// A JSON string: the text in quotes, with quotes, backslashes and control
// characters escaped.
std::string JsonString(const std::string& text);

// The composer's message boxes as lines on standard error. Nothing is asked
// on a command line, so a question is answered No.
class StreamMessages final : public MessageService {
public:
    explicit StreamMessages(std::ostream& err) : err_(err) {}
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    bool confirm(const std::string& text) override;
    bool askAlert(const std::string& text) override;

private:
    std::ostream& err_;
};

// Starts the flasher as a process of its own, not waited for; web pages are
// not opened from the command line.
class ProcessShell final : public ShellService {
public:
    bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) override;
    bool openUrl(const std::string& url) override;
};

} // namespace c2c::cli
