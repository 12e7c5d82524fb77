#include "operations/OutcomeText.h"

#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

#include <cctype>
#include <vector>

namespace c2c {

namespace {

// "bank 2", "banks 1 and 2", "banks 1, 2 and 5"
std::string BanksText(const std::vector<int>& banks)
{
    std::string text = banks.size() == 1 ? "bank " : "banks ";
    for (std::size_t i = 0; i < banks.size(); ++i) {
        if (i > 0)
            text += i + 1 == banks.size() ? " and " : ", ";
        text += std::to_string(banks[i]);
    }
    return text;
}

std::vector<int> BanksWith(const ChainOutcome& outcome, StageResult result)
{
    std::vector<int> banks;
    for (std::size_t i = 0; i < outcome.stages.size(); ++i)
        if (outcome.stages[i] == result)
            banks.push_back(static_cast<int>(i) + 1);
    return banks;
}

std::string RowsText(std::size_t rows, int bank)
{
    return std::to_string(rows) + (rows == 1 ? " row" : " rows") + " in bank " + std::to_string(bank);
}

// The folder without its trailing separator, as paths are shown.
std::string FolderText(const std::string& folder)
{
    std::string text = folder;
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

} // namespace

std::string BuildText(const DeviceBuild& build)
{
    return BankFileName(1) + " .. " + BankFileName(kBankCount) + " and bankg.c written to " + build.binDir + ": " +
           RowsText(build.rows[0], 1) + ", " + RowsText(build.rows[1], 2);
}

std::string FirmwareText(const ComposerSettings& settings, const ChainOutcome& outcome, const std::string& reason)
{
    if (!outcome.Completed()) {
        for (std::size_t i = 0; i < outcome.stages.size(); ++i) {
            if (outcome.stages[i] == StageResult::NoEndRecord)
                return "no new firmware: the master has no S9 record";
            if (outcome.stages[i] == StageResult::Stopped)
                return "no new firmware: " +
                       (reason.empty() ? "the composition stopped at bank " + std::to_string(i + 1) : reason);
        }
        return reason.empty() ? "no new firmware" : "no new firmware: " + reason; // nothing ran
    }
    std::string text = settings.NewFileName + " written to " + FolderText(settings.ProjectFolder());
    const std::vector<int> inserted = BanksWith(outcome, StageResult::Inserted);
    const std::vector<int> leftOut = BanksWith(outcome, StageResult::WindowNotFound);
    text += inserted.empty() ? ", no bank inserted" : ", " + BanksText(inserted) + " inserted";
    if (!leftOut.empty())
        text += ", " + BanksText(leftOut) + " left out: " + (leftOut.size() == 1 ? "its window is" : "their windows are") +
                " not in the master";
    return text;
}

std::string SerialPortName(int port)
{
    return "COM" + std::to_string(port + 1);
}

std::string FlasherText(const ProjectLayout& project, const std::string& firmware, int port, FlasherStart start)
{
    switch (start) {
    case FlasherStart::Started:
        return "flasher started on " + SerialPortName(port);
    case FlasherStart::FirmwareNotFound:
        return "flasher not started: " + firmware + " not found";
    case FlasherStart::FlasherNotFound:
        return std::string("flasher not started: no ") + kFlasherFileName + " in " + project.ExeDir();
    case FlasherStart::NotStarted:
        return "flasher not started: " + project.FlasherFile() + " did not start";
    case FlasherStart::WineMissing:
        return std::string("flasher not started: ") + kFlasherFileName +
               " is a Windows program and Wine is not installed";
    }
    return "flasher not started";
}

std::string FlasherNotTriedText(const ChainOutcome& outcome)
{
    const std::vector<int> leftOut = BanksWith(outcome, StageResult::WindowNotFound);
    if (outcome.Completed() && !leftOut.empty())
        return "flasher not started: " + BanksText(leftOut) + (leftOut.size() == 1 ? " is" : " are") +
               " not in the new firmware";
    return "flasher not started";
}

std::string ComposerMessageFile(const ComposerSettings& settings, const std::string& message)
{
    if (message == kMsgSxNotFound)
        // A stage's input: the master, or a working file of the chain.
        return FileExists(settings.MasterPath()) ? FolderText(settings.ProjectFolder()) : settings.MasterPath();
    if (message == kMsgNewSxNameMissing)
        return FolderText(settings.ProjectFolder());
    if (message == kMsgBinDirNotFound)
        return FolderText(settings.DirBin);
    if (message == kMsgNewSxNotCreated)
        return settings.NewFirmwarePath();
    if (message == kMsgNoEndRecord || message == kMsgInsertAnyway)
        return settings.MasterPath();
    if (message == kMsgFlasherNotFound || message == kMsgFlasherNotStarted || message == kMsgWineMissing)
        return settings.Project.FlasherFile();
    for (int bank = 1; bank <= kBankCount; ++bank) {
        if (message == BankFileMissingText(bank) || message == BankFileShortText(bank))
            return BankFileIn(settings.DirBin, bank);
        if (message == BankNotInsertedText(bank))
            return settings.MasterPath();
    }
    return "";
}

std::string ComposerMessageText(const ComposerSettings& settings, const std::string& message)
{
    const std::string file = ComposerMessageFile(settings, message);
    return file.empty() ? message : message + ": \"" + file + "\"";
}

std::string Sentence(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

} // namespace c2c
