// build, compose and update: the bank files, the new firmware, and both in
// one run with the flasher started at the end, as "Update Device" and
// "Execute update firmware" do in the windows. Each says on one line of
// standard output what it wrote, unless --quiet.

#include "cli/CommandLine.h"

#include "operations/Operations.h"
#include "operations/OutcomeText.h"
#include "operations/UpdateRun.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

// The flasher's ports; index 0 is COM1.
const std::vector<std::string> kFlasherPorts = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};

struct FirmwareOptions {
    std::string projectDir;
    std::string master;
    std::string out; // empty: "New_" + the master's name
    std::string banks = "1,2";
    std::string flash; // update only; empty: no flasher
    bool quiet = false;
};

void AddFirmwareOptions(CLI::App& command, FirmwareOptions& options)
{
    command.add_option("PROJECT_DIR", options.projectDir, "The project's folder")->required()->check(NonEmpty());
    command.add_option("--master", options.master, "The master firmware (S-record file)")
        ->option_text("FILE REQUIRED")
        ->required()
        ->check(NonEmpty());
    command.add_option("--out", options.out, "The new firmware's file name in PROJECT_DIR (default: New_ + the master's name)")
        ->option_text("NAME")
        ->check(NonEmpty())
        ->check(FirmwareFileName());
    command.add_option("--banks", options.banks, "The banks to insert, separated by commas (default: 1,2)")
        ->option_text("LIST")
        ->check(NonEmpty())
        ->check(BankList());
    AddQuietFlag(command, options.quiet);
}

// The composer's messages on standard error, each followed by the file it
// is about, which the message itself does not name.
class ComposerMessages final : public MessageService {
public:
    explicit ComposerMessages(const ComposerSettings& settings) : settings_(settings) {}
    void showMessage(const std::string& text) override { Write(text); }
    void showError(const std::string& text) override { Write(text); }
    bool confirm(const std::string& text) override
    {
        Write(text);
        return false; // nothing is asked on a command line
    }
    bool askAlert(const std::string& text) override
    {
        Write(text);
        return false;
    }
    void Write(const std::string& text) const { std::cerr << ComposerMessageText(settings_, text) << "\n"; }

private:
    const ComposerSettings& settings_;
};

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The composer's settings for the options, or the reason they cannot be
// used: a master that the chain would overwrite or delete.
ComposerSettings SettingsFor(const ProjectLayout& project, const FirmwareOptions& options, std::string& refusal)
{
    const std::string newFileName = options.out.empty() ? NewFirmwareName(FileNameOf(options.master)) : options.out;
    const ComposerSettings settings = ComposerSettingsFor(project, options.master, newFileName);
    if (SameFile(settings.MasterPath(), settings.NewFirmwarePath()))
        refusal = "the new firmware would replace the master " + settings.MasterPath();
    if (SameFile(settings.MasterPath(), BankRecordFileIn(settings.DirBin)))
        refusal = "the master cannot be " + BankRecordFileIn(settings.DirBin) + ", a working file of the composition";
    for (int stage = 1; stage <= kBankCount; ++stage) {
        const std::string stageFile = StageFileIn(settings.ProjectFolder(), stage);
        if (SameFile(settings.MasterPath(), stageFile))
            refusal = "the master cannot be " + stageFile + ", a working file of the composition";
    }
    return settings;
}

// Whether the chain put every bank asked for into a new firmware; what it
// did not say itself is said here.
bool Inserted(const ChainOutcome& outcome, const ComposerSettings& settings)
{
    if (outcome.AllInserted())
        return true;
    if (outcome.EndedWithoutEndRecord())
        std::cerr << "The firmware has no S9 record; composition stopped: \"" << settings.MasterPath() << "\"\n";
    return false;
}

// The warnings of a build, as check prints them: the bank files are written all the same.
void PrintBuildWarnings(const std::vector<std::string>& warnings)
{
    for (const std::string& warning : warnings)
        std::cerr << kWarningPrefix << warning << "\n";
}

int RunBuild(const std::string& argument, bool quiet)
{
    const DeviceBuild build = UpdateDevice(ExistingProject(argument));
    PrintBuildWarnings(build.warnings);
    if (!quiet)
        std::cout << BuildText(build) << "\n";
    return kExitSuccess;
}

int RunCompose(const FirmwareOptions& options)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    std::string refusal;
    const ComposerSettings settings = SettingsFor(project, options, refusal);
    if (!refusal.empty()) {
        std::cerr << "compose: " << refusal << "\n";
        return kExitUsage;
    }
    ComposerMessages messages(settings);
    NoProgress progress;
    const ChainOutcome outcome = ComposeFirmware(settings, ParseBankList(options.banks), messages, progress);
    if (!Inserted(outcome, settings))
        return kExitFailed;
    if (!options.quiet)
        std::cout << FirmwareText(settings, outcome, "") << "\n";
    return kExitSuccess;
}

int RunUpdate(const FirmwareOptions& options)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    std::string refusal;
    const ComposerSettings settings = SettingsFor(project, options, refusal);
    if (!refusal.empty()) {
        std::cerr << "update: " << refusal << "\n";
        return kExitUsage;
    }
    FirmwareUpdate update;
    update.masterPath = options.master;
    update.newFileName = settings.NewFileName;
    update.banks = ParseBankList(options.banks);
    if (!options.flash.empty())
        update.flasherPort =
            static_cast<int>(std::find(kFlasherPorts.begin(), kFlasherPorts.end(), options.flash) - kFlasherPorts.begin());
    ComposerMessages messages(settings);
    NoProgress progress;
    ProcessShell shell;
    const FirmwareUpdateOutcome outcome = UpdateFirmware(project, update, messages, progress, shell);
    PrintBuildWarnings(outcome.build.warnings);
    if (!Inserted(outcome.chain, settings))
        return kExitFailed;
    if (outcome.flasher && *outcome.flasher != FlasherStart::Started) {
        messages.Write(FlasherStartMessage(*outcome.flasher));
        return kExitFailed;
    }
    if (!outcome.Succeeded(update))
        return kExitFailed;
    if (!options.quiet) {
        std::cout << BuildText(outcome.build) << "; " << FirmwareText(settings, outcome.chain, "");
        if (outcome.flasher)
            std::cout << "; " << FlasherText(project, settings.NewFirmwarePath(), *update.flasherPort, *outcome.flasher);
        std::cout << "\n";
    }
    return kExitSuccess;
}

} // namespace

void AddFirmwareCommands(CLI::App& app, Commands& commands)
{
    auto built = std::make_shared<std::string>();
    auto quietBuild = std::make_shared<bool>(false);
    CLI::App* build = app.add_subcommand("build", "Write a project's bank files and bankg.c");
    build->add_option("PROJECT_DIR", *built, "The project's folder")->required()->check(NonEmpty());
    AddQuietFlag(*build, *quietBuild);
    build->footer("Builds the configuration image from pargen.xml and CanCanCobID.xml exactly as \"Update\n"
                  "Device\" does and writes PROJECT_DIR/bin/bank1.bin .. bank5.bin and bankg.c, replacing\n"
                  "older files. The bin folder must exist. Prints where they went and how many rows went into\n"
                  "banks 1 and 2, on one line (nothing with --quiet). Rows the build takes otherwise than they\n"
                  "seem to say (an identifier listed twice, a Modify CobID without an Original CobID, rows\n"
                  "beyond the device's 2000 list entries) are named on standard error; they do not stop it.");
    commands.push_back({build, [built, quietBuild] { return Reporting([&] { return RunBuild(*built, *quietBuild); }); }});

    auto composed = std::make_shared<FirmwareOptions>();
    CLI::App* compose = app.add_subcommand("compose", "Compose a project's new firmware from its bank files");
    AddFirmwareOptions(*compose, *composed);
    compose->footer("Inserts PROJECT_DIR/bin/bank*.bin into a copy of the master and writes it into\n"
                    "PROJECT_DIR, as \"Execute update firmware\" does, without starting the flasher. The\n"
                    "composer's messages go to standard error, each followed by the file it is about. Exit\n"
                    "status 1 unless the new firmware is in place with every bank asked for; then one line\n"
                    "says what was written where (nothing with --quiet).");
    commands.push_back({compose, [composed] { return Reporting([&] { return RunCompose(*composed); }); }});

    auto updated = std::make_shared<FirmwareOptions>();
    CLI::App* update = app.add_subcommand("update", "Build, compose and optionally start the flasher, in one run");
    AddFirmwareOptions(*update, *updated);
    update->add_option("--flash", updated->flash, "Start the flasher beside this program on the new firmware and this port")
        ->option_text("PORT")
        ->check(CLI::IsMember(kFlasherPorts));
    update->footer("\"Update Device\" followed by \"Execute update firmware\": build, then compose, while no\n"
                   "other run may touch the project. Exit status 0 only when the new firmware is in place\n"
                   "with every bank asked for (and the flasher started, when asked); then one line says what\n"
                   "was written where (nothing with --quiet).");
    commands.push_back({update, [updated] { return Reporting([&] { return RunUpdate(*updated); }); }});
}

} // namespace c2c::cli
