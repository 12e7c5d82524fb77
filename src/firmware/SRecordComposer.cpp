#include "firmware/SRecordComposer.h"

#include "firmware/SRecordLine.h"
#include "firmware/SpliceStage.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/StagedFile.h"
#include "platform/SystemReason.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

namespace c2c {

namespace {

// Writes Bin.sx: the bank file as 512 records in ascending address order.
// Failures here end the whole action (they are the caller's to report).
void WriteBankRecordFile(const std::string& bankPath, std::uint32_t windowStart, const std::string& recordPath)
{
    StagedFile out(recordPath, StagedFile::Durability::Scratch);
    FileHandle bank = OpenRegularFile(bankPath);
    unsigned char block[kRecordDataSize];
    for (int k = 0; k < kRecordsPerBank; ++k) {
        if (std::fread(block, 1, sizeof block, bank.get()) != sizeof block)
            throw CannotReadFile(bankPath, std::ferror(bank.get()) ? SystemReason(errno)
                                                                   : std::string("It is shorter than a bank"));
        out.Write(S2Record(windowStart + static_cast<std::uint32_t>(kRecordDataSize * k), block, sizeof block));
        out.Write("\r\n");
    }
    out.Install();
}

// The lines of an open file, read in blocks of `blockSize` bytes; a long
// line comes in pieces of at least 64 bytes, enough to tell a record by its
// type and address.
LineReader FirmwareLines(std::FILE* file, const std::string& path, std::size_t blockSize)
{
    return LineReader(FileSource(file, blockSize, path),
                      LineRules{std::max<std::size_t>(blockSize, 64), false, true, blockSize});
}

// Whether `path` names a folder itself (a link to one is no folder here:
// it is replaced like a file).
bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::symlink_status(path, ec));
}

// Whether anything, a dangling link included, has this name.
bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

std::uintmax_t FileSize(const std::string& path)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

} // namespace

std::string BankFileMissingText(int bank)
{
    return "File bank" + std::to_string(bank) + ".bin Not Found,Abort Procedure";
}

std::string BankFileShortText(int bank)
{
    return "File bank" + std::to_string(bank) + ".bin Not Valid,Abort Procedure";
}

std::string BankNotInsertedText(int bank)
{
    return "Bank " + std::to_string(bank) + " Not Found,Bank Not Inserted";
}

std::string ComposerSettings::MasterPath() const
{
    return JoinPath(MasterFolder, FileSx);
}

std::string ComposerSettings::ProjectFolder() const
{
    return WithTrailingSeparator(Project.ProjectDir());
}

bool ChainOutcome::Completed() const
{
    return std::all_of(stages.begin(), stages.end(), [](StageResult result) {
        return result == StageResult::Skipped || result == StageResult::Inserted ||
               result == StageResult::WindowNotFound;
    });
}

bool ChainOutcome::AllInserted() const
{
    return Completed() && std::none_of(stages.begin(), stages.end(),
                                       [](StageResult result) { return result == StageResult::WindowNotFound; });
}

bool ChainOutcome::EndedWithoutEndRecord() const
{
    return std::any_of(stages.begin(), stages.end(),
                       [](StageResult result) { return result == StageResult::NoEndRecord; });
}

SRecordComposer::SRecordComposer(const ComposerSettings& settings, MessageService& messages, ProgressSink& progress,
                                 std::size_t blockSize)
    : settings_(settings), messages_(messages), progress_(progress), blockSize_(blockSize)
{
}

StageResult SRecordComposer::Stop(const std::string& text)
{
    messages_.showMessage(text);
    return StageResult::Stopped;
}

StageResult SRecordComposer::InsertBankSx(int bank, bool askWhenMissing, const std::string& outputName,
                                          const std::string& inputPath)
{
    const std::uint32_t windowStart = kWindowStarts.at(static_cast<std::size_t>(bank - 1));
    const std::uint32_t windowEnd = windowStart + static_cast<std::uint32_t>(kBankSize) - 1;
    const std::string bankPath = BankFileIn(settings_.DirBin, bank);
    const std::string recordPath = BankRecordFileIn(settings_.DirBin);

    progress_.setPosition(0);
    if (!FileExists(inputPath))
        return Stop(kMsgSxNotFound);
    if (settings_.NewFileName.empty())
        return Stop(kMsgNewSxNameMissing);
    if (!DirectoryExists(settings_.DirBin))
        return Stop(kMsgBinDirNotFound);
    if (!FileExists(bankPath))
        return Stop(BankFileMissingText(bank));
    // A short bank file would leave the end of the window undefined.
    if (FileSize(bankPath) < kBankSize)
        return Stop(BankFileShortText(bank));

    // Bin.sx goes with the stage, however the stage ends.
    struct RecordFileRemover {
        const std::string& path;
        ~RecordFileRemover() { RemoveFile(path); }
    } remover{recordPath};
    WriteBankRecordFile(bankPath, windowStart, recordPath);

    FileHandle records = OpenRegularFile(recordPath);
    FileHandle input = OpenRegularFile(inputPath);
    const bool last = outputName == settings_.NewFileName;
    StagedFile output(settings_.ProjectFolder() + outputName,
                      last ? StagedFile::Durability::Flushed : StagedFile::Durability::Scratch);

    long long total = kRecordsPerBank;
    StageResult result = StageResult::NoEndRecord;
    bool failed = false;
    try {
        long long lines = 0;
        {
            LineReader counting = FirmwareLines(input.get(), inputPath, blockSize_);
            std::string_view line;
            bool complete = true;
            while (counting.NextPiece(line, complete))
                lines += complete ? 1 : 0;
        }
        total += lines;
        progress_.setMaximum(static_cast<int>(std::min<long long>(total, INT_MAX)));
        std::rewind(input.get());

        LineReader reader = FirmwareLines(input.get(), inputPath, blockSize_);
        SpliceHooks hooks;
        hooks.insertBank = [&] {
            LineReader bankLines = FirmwareLines(records.get(), recordPath, blockSize_);
            std::string_view record;
            bool whole = true;
            while (bankLines.NextPiece(record, whole)) {
                output.Write(record);
                if (!whole)
                    continue;
                output.Write("\r\n");
                progress_.advance();
            }
        };
        hooks.insertAtEnd = [&] { return askWhenMissing && messages_.askAlert(kMsgInsertAnyway); };
        hooks.lineCopied = [&] { progress_.advance(); };
        result = SpliceBank(reader, output, {windowStart, windowEnd}, hooks);
        output.Install();
    } catch (const Error&) {
        // The output is incomplete: it is not kept, and the stage counts as
        // stopped even after an "S9" line, so no later step takes it for a
        // finished firmware.
        failed = true;
    }
    progress_.setPosition(static_cast<int>(std::min<long long>(total, INT_MAX)));
    records.reset();
    input.reset();
    if (!RemoveFile(recordPath) && Exists(recordPath))
        throw Error("Cannot delete file \"" + recordPath + "\"");
    if (failed) {
        messages_.showMessage(kMsgNewSxNotCreated);
        return StageResult::Stopped;
    }
    return result;
}

void SRecordComposer::HandOn(int stage, const std::string& output)
{
    const std::string folder = settings_.ProjectFolder();
    const std::string target = folder + output;
    const bool last = stage == kBankCount;
    auto fail = [&](const std::string& reason) { throw CannotCreateFile(target, reason); };
    if (IsFolder(target))
        fail(SystemReason(EISDIR));
    // With nothing to hand on, a file of an earlier run must not pass for
    // this stage's output: the next taken stage then says that its input is
    // not found. Otherwise the output is replaced in one step, never removed
    // first, so that the earlier file stays until the new one is whole.
    const std::string input = stage == 1 ? settings_.MasterPath() : StageFileIn(folder, stage - 1);
    if (stage == 1 ? !FileExists(input) : !Exists(input)) {
        if (!RemoveFile(target) && Exists(target))
            fail("It cannot be replaced");
        return;
    }
    if (stage == 1) {
        // The master stays where it is and as it is: stage 2 gets a copy.
        FileHandle master = OpenRegularFile(input);
        StagedFile copy(target, last ? StagedFile::Durability::Flushed : StagedFile::Durability::Scratch);
        std::vector<char> block(std::max<std::size_t>(blockSize_, 1));
        std::size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), master.get())) > 0)
            copy.Write(std::string_view(block.data(), got));
        if (std::ferror(master.get()))
            fail(SystemReason(errno));
        copy.Install();
        return;
    }
    // The new firmware must reach the disk whole before its name does.
    if (last && !SyncFileNamed(input))
        fail(SystemReason(errno));
    std::error_code ec;
    std::filesystem::rename(input, target, ec);
    if (ec)
        fail(ec.message());
    if (last && !SyncFolderOf(target))
        fail(SystemReason(errno));
}

void SRecordComposer::CheckFiles() const
{
    const std::string master = settings_.MasterPath();
    const std::string output = settings_.NewFirmwarePath();
    auto refuse = [](const std::string& text) { throw Error(text + "; nothing was changed"); };
    // The chain writes, renames and finally deletes its working files, and
    // replaces the new firmware: none of them may be the master, and the new
    // firmware may be no project document and no working file.
    std::vector<std::string> workingFiles = {BankRecordFileIn(settings_.DirBin)};
    for (int stage = 1; stage <= kBankCount; ++stage)
        workingFiles.push_back(StageFileIn(settings_.ProjectFolder(), stage));
    for (const std::string& file : workingFiles)
        if (SameFile(master, file))
            refuse("The master \"" + master + "\" is a working file of the composition (\"" + file + "\")");
    if (SameFile(master, output))
        refuse("The new firmware \"" + output + "\" would replace the master");
    if (IsWorkingFileName(settings_.NewFileName))
        refuse("The new firmware cannot be named " + settings_.NewFileName + ", a working file of the composition");
    for (const std::string& file : settings_.Project.ProjectFiles())
        if (output == file || SameFile(output, file))
            refuse("The new firmware cannot replace the project file \"" + file + "\"");
}

void SRecordComposer::RemoveWorkingFiles(bool quietly)
{
    const std::string folder = settings_.ProjectFolder();
    for (int stage = 1; stage <= kBankCount; ++stage) {
        const std::string path = StageFileIn(folder, stage);
        // A folder of that name is no file of ours and stays.
        if (IsFolder(path) || RemoveFile(path) || !Exists(path) || quietly)
            continue;
        throw Error("Cannot delete file \"" + path + "\"");
    }
}

ChainOutcome SRecordComposer::RunStages(const std::array<bool, kBankCount>& taken)
{
    ChainOutcome outcome;
    // Without a project folder the stage files would land in the process's
    // current folder.
    if (!settings_.Project.CheckProject(messages_))
        return outcome;
    CheckFiles();
    const std::string folder = settings_.ProjectFolder();
    auto outputOf = [&](int stage) { return stage == kBankCount ? settings_.NewFileName : StageFileName(stage); };

    try {
        for (int stage = 1; stage <= kBankCount; ++stage) {
            StageResult& result = outcome.stages[static_cast<std::size_t>(stage - 1)];
            const std::string output = outputOf(stage);
            if (!taken[static_cast<std::size_t>(stage - 1)]) {
                HandOn(stage, output);
                result = StageResult::Skipped;
                continue;
            }
            const std::string input = stage == 1 ? settings_.MasterPath() : folder + outputOf(stage - 1);
            result = InsertBankSx(stage, false, output, input);
            if (result == StageResult::WindowNotFound)
                messages_.showMessage(BankNotInsertedText(stage));
            else if (result != StageResult::Inserted)
                break;
        }
    } catch (...) {
        RemoveWorkingFiles(true);
        throw;
    }
    RemoveWorkingFiles(false);
    return outcome;
}

} // namespace c2c
