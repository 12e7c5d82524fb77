#include "firmware/SRecordComposer.h"

#include "app/Workspace.h"
#include "firmware/SRecordFiles.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"
#include "platform/UiServices.h"

#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>

namespace c2c {

namespace {

// The address field of an S1 or S2 line; throws LineFileFailure when a
// character is not a hexadecimal digit.
std::uint32_t ReadAddress(std::string_view digits)
{
    std::uint32_t address = 0;
    for (char c : digits) {
        int value = HexDigitValue(c);
        if (value < 0)
            throw LineFileFailure("address is not hexadecimal");
        address = address << 4 | static_cast<std::uint32_t>(value);
    }
    return address;
}

// The S2 record of 32 bank bytes at `address`, checksum included.
std::string BankRecord(std::uint32_t address, const unsigned char* data)
{
    std::string record(4 + 6 + 2 * kRecordDataSize + 2, '0');
    record[0] = 'S';
    record[1] = '2';
    PutHexByte(&record[2], 3 + kRecordDataSize + 1);
    PutHexByte(&record[4], (address >> 16) & 0xFF);
    PutHexByte(&record[6], (address >> 8) & 0xFF);
    PutHexByte(&record[8], address & 0xFF);
    for (int i = 0; i < kRecordDataSize; ++i)
        PutHexByte(&record[10 + 2 * static_cast<std::size_t>(i)], data[i]);
    record.replace(record.size() - 2, 2, CheckSumSx(record, true));
    return record;
}

std::string Reason(int error)
{
    return std::system_category().message(error);
}

// Writes Bin.sx: the bank file as 512 records in ascending address order.
// Failures here end the whole action (they are the caller's to report).
void WriteBankRecordFile(const std::string& bankPath, std::uint32_t windowStart, const std::string& recordPath)
{
    FileHandle out(std::fopen(recordPath.c_str(), "wb"));
    if (!out)
        throw Error("Cannot create file \"" + recordPath + "\". " + Reason(errno));
    FileHandle bank = OpenForReading(bankPath);
    LineWriter writer(out.get());
    unsigned char block[kRecordDataSize];
    try {
        for (int k = 0; k < kRecordsPerBank; ++k) {
            if (std::fread(block, 1, sizeof block, bank.get()) != sizeof block)
                throw Error("Cannot read file \"" + bankPath + "\". " + Reason(errno));
            writer.WriteLine(BankRecord(windowStart + static_cast<std::uint32_t>(kRecordDataSize * k), block));
        }
        writer.Flush();
    } catch (const LineFileFailure&) {
        throw Error("Cannot write file \"" + recordPath + "\". " + Reason(errno));
    }
    if (std::fclose(out.release()) != 0)
        throw Error("Cannot write file \"" + recordPath + "\". " + Reason(errno));
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

std::string CheckSumSx(std::string_view line, bool checksumOnly)
{
    unsigned sum = 0;
    // Pairs start at the odd positions 3, 5, ... (counted from 1) as long as
    // the start is at most length - 2: count, address and data, not the
    // placeholders. Here `start` counts from 0.
    for (std::size_t start = 2; start + 3 <= line.size(); start += 2) {
        int high = HexDigitValue(line[start]);
        int low = HexDigitValue(line[start + 1]);
        if (high < 0 || low < 0)
            throw Error("'" + std::string(line.substr(start, 2)) + "' is not a valid integer value");
        sum += static_cast<unsigned>(high << 4 | low);
    }
    std::string digits(2, '0');
    PutHexByte(digits.data(), (sum & 0xFF) ^ 0xFF);
    if (checksumOnly)
        return digits;
    std::string completed(line);
    if (completed.size() < 2)
        return digits;
    completed.replace(completed.size() - 2, 2, digits);
    return completed;
}

std::string ComposerSettings::MasterPath() const
{
    return MasterFolder.empty() ? FileSx : MasterFolder + kSep + FileSx;
}

bool ChainOutcome::AllInserted() const
{
    if (!completed)
        return false;
    for (const auto& result : results)
        if (result && *result != kBankInserted)
            return false;
    return true;
}

SRecordComposer::SRecordComposer(const ComposerSettings& settings, MessageService& messages, ProgressSink& progress)
    : settings_(settings), messages_(messages), progress_(progress)
{
}

void SRecordComposer::Tell(const std::string& text)
{
    told_ = true;
    messages_.showMessage(text);
}

int SRecordComposer::InsertBankSx(int bank, bool askWhenMissing, const std::string& outputName,
                                  const std::string& inputPath)
{
    const BankRow& row = kBankTable.at(static_cast<std::size_t>(bank));
    const std::uint32_t windowStart = row.windowStart;
    const std::uint32_t windowEnd = row.windowStart + kWindowSize - 1;
    const std::string bankPath = settings_.DirBin + row.fileName;
    const std::string recordPath = settings_.DirBin + kBankRecordFile;
    told_ = false;

    progress_.setPosition(0);
    if (!FileExists(inputPath)) {
        Tell(kMsgSxNotFound);
        return kStageStopped;
    }
    if (settings_.NewFileName.empty()) {
        Tell(kMsgNewSxNameMissing);
        return kStageStopped;
    }
    if (!DirectoryExists(settings_.DirBin)) {
        Tell(kMsgBinDirNotFound);
        return kStageStopped;
    }
    if (!FileExists(bankPath)) {
        Tell(BankFileMissingText(bank + 1));
        return kStageStopped;
    }
    // A short bank file would leave the end of the window undefined.
    if (FileSize(bankPath) < kWindowSize) {
        Tell(BankFileShortText(bank + 1));
        return kStageStopped;
    }

    WriteBankRecordFile(bankPath, windowStart, recordPath);

    FileHandle records = OpenForReading(recordPath);
    FileHandle input = OpenForReading(inputPath);
    ReplacingOutputFile output(settings_.DirProject + outputName);

    long long total = kRecordsPerBank;
    bool pending = true;
    int result = kStageStopped;
    bool failed = false;
    try {
        LineReader reader(input.get());
        std::string_view line;
        long long lines = 0;
        while (reader.Next(line))
            ++lines;
        total += lines;
        progress_.setMaximum(static_cast<int>(std::min<long long>(total, INT_MAX)));
        reader.Rewind();

        LineWriter& out = output.writer();
        auto insertBank = [&] {
            LineReader bankLines(records.get());
            std::string_view record;
            while (bankLines.Next(record)) {
                out.WriteLine(record);
                progress_.advance();
            }
            pending = false;
        };

        while (reader.Next(line)) {
            progress_.advance();
            const bool s1 = line.starts_with("S1");
            if (s1 || line.starts_with("S2")) {
                const std::size_t digits = s1 ? 4 : 6;
                // A line too short to hold its address is no record of ours.
                if (line.size() < 4 + digits) {
                    out.WriteLine(line);
                    continue;
                }
                const std::uint32_t address = ReadAddress(line.substr(4, digits));
                if (address < windowStart || address > windowEnd)
                    out.WriteLine(line);
                else if (pending)
                    insertBank();
                // else: a later record of the window, replaced by the bank
            } else if (line.starts_with("S9")) {
                if (pending && askWhenMissing && messages_.askAlert(kMsgInsertAnyway))
                    insertBank();
                result = pending ? kBankNotFound : kBankInserted;
                out.WriteLine(line);
            } else {
                out.WriteLine(line);
            }
        }
        output.Commit();
    } catch (const LineFileFailure&) {
        // The output is incomplete: it is not kept, and the stage counts as
        // stopped even after an "S9" line, so no later step takes it for a
        // finished firmware.
        failed = true;
    }
    if (failed) {
        Tell(kMsgNewSxNotCreated);
        result = kStageStopped;
    }
    progress_.setPosition(static_cast<int>(std::min<long long>(total, INT_MAX)));
    records.reset();
    input.reset();
    RemoveFile(recordPath);
    return result;
}

ChainOutcome SRecordComposer::RunStages(const std::array<bool, kWindowCount>& taken)
{
    ChainOutcome outcome;
    // Without a project folder the stage files would land in the process's
    // current folder.
    if (settings_.DirProject.empty()) {
        messages_.showMessage(kMsgProjectNotValid);
        return outcome;
    }
    const std::string& dir = settings_.DirProject;
    auto outputOf = [&](int stage) -> std::string {
        return stage == kWindowCount - 1 ? settings_.NewFileName : kBankTable[static_cast<std::size_t>(stage)].stageOutput;
    };

    bool stopped = false;
    for (int stage = 0; stage < kWindowCount && !stopped; ++stage) {
        const std::string output = outputOf(stage);
        if (taken[static_cast<std::size_t>(stage)]) {
            const std::string input = stage == 0 ? settings_.MasterPath() : dir + outputOf(stage - 1);
            int result = InsertBankSx(stage, false, output, input);
            outcome.results[static_cast<std::size_t>(stage)] = result;
            if (result == kStageStopped) {
                outcome.stoppedSilently = !told_;
                stopped = true;
            } else if (result == kBankNotFound) {
                messages_.showMessage(BankNotInsertedText(stage + 1));
            }
        } else if (stage == 0) {
            // The master stays where it is and as it is: stage 2 gets a copy.
            // Without a master there is nothing to hand on, as with a skipped
            // later stage whose input is missing: the next taken stage then
            // says that its input is not found.
            RemoveFile(dir + output);
            if (!FileExists(settings_.MasterPath()))
                continue;
            std::error_code ec;
            std::filesystem::copy_file(settings_.MasterPath(), dir + output,
                                       std::filesystem::copy_options::overwrite_existing, ec);
            if (ec)
                throw Error("Cannot create file \"" + dir + output + "\". " + ec.message());
        } else {
            RemoveFile(dir + output);
            RenameFile(dir + outputOf(stage - 1), dir + output);
        }
    }
    outcome.completed = !stopped;

    for (const BankRow& row : kBankTable)
        RemoveFile(dir + row.stageOutput);
    return outcome;
}

} // namespace c2c
