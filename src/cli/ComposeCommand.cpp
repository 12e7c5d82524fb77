// compose: the firmware composition of "Execute update firmware", without the
// window and without starting the flasher.

#include "cli/Commands.h"

#include "operations/Operations.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "project/ProjectLayout.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace c2c::cli {

const char* const kComposeSummary = "compose PROJECT_DIR --master FILE: compose a project's new firmware";
const char* const kComposeHelp =
    "usage: drevanta-c2c-cli compose PROJECT_DIR --master FILE [--out NAME] [--banks LIST]\n"
    "\n"
    "Inserts PROJECT_DIR/bin/bank*.bin into a copy of the master S-record\n"
    "firmware FILE and writes it to PROJECT_DIR as NAME (by default \"New_\"\n"
    "followed by the master's file name). LIST names the banks to insert,\n"
    "separated by commas (by default 1,2). The composer's messages go to\n"
    "standard error. Exit status: 0 when the new firmware was written, 1 when\n"
    "the composition stopped, 2 for wrong arguments.\n";

namespace {

// The composer's boxes as lines on the error stream. Nothing is asked here,
// so a question is answered No.
class StreamMessages final : public MessageService {
public:
    explicit StreamMessages(std::ostream& err) : err_(err) {}
    void showMessage(const std::string& text) override { err_ << text << "\n"; }
    void showError(const std::string& text) override { err_ << text << "\n"; }
    bool confirm(const std::string& text) override
    {
        err_ << text << "\n";
        return false;
    }
    bool askAlert(const std::string& text) override
    {
        err_ << text << "\n";
        return false;
    }

private:
    std::ostream& err_;
};

struct ComposeOptions {
    std::string projectDir;
    std::string master;
    std::string out;
    std::array<bool, kBankCount> banks{true, true, false, false, false};
};

// "1,2,5" -> banks 1, 2 and 5.
std::optional<std::array<bool, kBankCount>> ParseBankList(const std::string& list)
{
    std::array<bool, kBankCount> banks{};
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.size() != 1 || item[0] < '1' || item[0] > '0' + kBankCount)
            return std::nullopt;
        banks[static_cast<std::size_t>(item[0] - '1')] = true;
        if (comma == std::string::npos)
            return banks;
        start = comma + 1;
    }
}

// Reads the arguments; an error text when they are wrong.
std::optional<std::string> ParseArguments(const std::vector<std::string>& arguments, ComposeOptions& options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](std::string& target) -> bool {
            if (i + 1 >= arguments.size())
                return false;
            target = arguments[++i];
            return true;
        };
        if (argument == "--master") {
            if (!value(options.master))
                return "--master needs a file";
        } else if (argument == "--out") {
            if (!value(options.out))
                return "--out needs a file name";
        } else if (argument == "--banks") {
            std::string list;
            if (!value(list))
                return "--banks needs a list";
            auto banks = ParseBankList(list);
            if (!banks)
                return "--banks takes bank numbers 1 to 5 separated by commas, not '" + list + "'";
            options.banks = *banks;
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return "unknown option '" + argument + "'";
        } else if (options.projectDir.empty()) {
            options.projectDir = argument;
        } else {
            return "unexpected argument '" + argument + "'";
        }
    }
    if (options.projectDir.empty())
        return "PROJECT_DIR is missing";
    if (options.master.empty())
        return "--master is missing";
    // The new firmware goes into the project folder and nowhere else.
    if (!options.out.empty() &&
        (options.out.find_first_of("/\\") != std::string::npos || options.out == "." || options.out == ".."))
        return "--out takes a file name without a folder";
    return std::nullopt;
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

int RunComposeCommand(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    ComposeOptions options;
    if (auto problem = ParseArguments(arguments, options)) {
        err << "compose: " << *problem << "\n" << kComposeHelp;
        return 2;
    }

    const ProjectLayout project = ProjectArgument(options.projectDir);
    if (!project.IsProjectValid() || !DirectoryExists(project.ProjectDir())) {
        err << "compose: project folder not found: " << options.projectDir << "\n";
        return 1;
    }

    const std::string newFileName = options.out.empty() ? NewFirmwareName(FileNameOf(options.master)) : options.out;
    const ComposerSettings settings = ComposerSettingsFor(project, options.master, newFileName);
    if (SameFile(settings.MasterPath(), settings.NewFirmwarePath())) {
        err << "compose: the new firmware would replace the master " << settings.MasterPath() << "\n";
        return 2;
    }
    // The chain replaces and finally deletes B1.sx .. B5.sx in the project
    // folder: a new firmware of such a name would be gone at the end, and a
    // master of such a name would be lost.
    for (int stage = 1; stage <= kBankCount; ++stage) {
        const std::string stageFile = StageFileIn(settings.ProjectFolder(), stage);
        if (settings.NewFileName == StageFileName(stage)) {
            err << "compose: --out cannot be " << StageFileName(stage) << ", a working file of the composition\n";
            return 2;
        }
        if (SameFile(settings.MasterPath(), stageFile)) {
            err << "compose: the master cannot be " << stageFile << ", a working file of the composition\n";
            return 2;
        }
    }

    StreamMessages messages(err);
    NoProgress progress;
    try {
        const ChainOutcome outcome = ComposeFirmware(settings, options.banks, messages, progress);
        // A firmware without one of the banks asked for is no success either:
        // a script must not flash it.
        if (!outcome.AllInserted()) {
            if (outcome.EndedWithoutEndRecord())
                err << "compose: the firmware has no S9 record; composition stopped\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& error) {
        err << GeneralErrorText(error.what()) << "\n";
        return 1;
    }
}

} // namespace c2c::cli
