#pragma once
// The firmware composer: puts the configuration banks into a copy of the
// master S-record firmware.
//
// Each bank has a fixed 16 KiB address window. One stage (InsertBankSx)
// turns a bank file into 512 S2 records of 32 bytes, kept in the scratch
// file Bin.sx, and copies its input line by line into its output, with the
// 512 records in place of the first record that starts inside the window
// and without the later ones. Five stages chained through B1.sx..B4.sx make
// the new firmware (RunStages).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

class MessageService;
class ProgressSink;

// Five banks, each with an address window as long as a bank.
inline constexpr int kWindowCount = 5;
inline constexpr std::uint32_t kWindowSize = 16384;
inline constexpr int kRecordDataSize = 32;
inline constexpr int kRecordsPerBank = kWindowSize / kRecordDataSize; // 512

// One row of the bank table; index 0 is bank 1.
struct BankRow {
    const char* fileName;     // in the bin folder
    std::uint32_t windowStart; // the window ends at windowStart + 0x3FFF
    const char* stageOutput;   // for stages 1-4; stage 5 writes NewFileName
};
inline constexpr std::array<BankRow, kWindowCount> kBankTable = {{
    {"bank1.bin", 0x388000, "B1.sx"},
    {"bank2.bin", 0x398000, "B2.sx"},
    {"bank3.bin", 0x3A8000, "B3.sx"},
    {"bank4.bin", 0x3B8000, "B4.sx"},
    {"bank5.bin", 0x3C8000, "B5.sx"},
}};
inline constexpr const char* kBankRecordFile = "Bin.sx";

// Stage results.
inline constexpr int kStageStopped = -1;  // stopped early, or no "S9" line met
inline constexpr int kBankNotFound = 0;   // "S9" met, window not in the input
inline constexpr int kBankInserted = 1;   // "S9" met, bank inserted

// The composer's messages.
inline constexpr const char* kMsgSxNotFound = "File *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNameMissing = "File New *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgBinDirNotFound = "Directory Bin Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNotCreated = "File New Sx Not Create,Abort Procedure";
inline constexpr const char* kMsgInsertAnyway = "Bank Not Found.To insert Equally?";
// "File bankN.bin Not Found,Abort Procedure"
std::string BankFileMissingText(int bank);
// "File bankN.bin Not Valid,Abort Procedure": a bank file shorter than a bank.
std::string BankFileShortText(int bank);
// "Bank N Not Found,Bank Not Inserted": the bank's window is not in the firmware.
std::string BankNotInsertedText(int bank);

// Completes a record whose last two characters are placeholders: the sum of
// the bytes written as hex pairs from the third character up to the
// placeholders, low 8 bits, complemented. Returns the two upper-case
// checksum digits when `checksumOnly` is set, otherwise the whole line with
// them in place. Throws Error when a pair is not hexadecimal.
std::string CheckSumSx(std::string_view line, bool checksumOnly);

// Where the composer finds and puts its files. The folders end with a
// separator, so a file name is simply appended.
struct ComposerSettings {
    std::string FileSx;       // the master's file name, without a folder
    std::string MasterFolder; // the folder it is read from, no trailing separator
    std::string DirBin;       // the bank files and Bin.sx
    std::string NewFileName;  // the new firmware's file name
    std::string DirProject;   // B1.sx..B4.sx and the new firmware

    // MasterFolder + separator + FileSx (FileSx alone without a folder).
    std::string MasterPath() const;
};

// What a run of the five stages reached.
struct ChainOutcome {
    // The result of each stage that ran; nothing for skipped stages and for
    // the stages after a stop.
    std::array<std::optional<int>, kWindowCount> results;
    // Every stage ran and none stopped: the new firmware was written.
    bool completed = false;
    // A stage stopped without telling the user why (its input has no "S9"
    // line).
    bool stoppedSilently = false;

    // Completed, with every taken bank inserted.
    bool AllInserted() const;
};

class SRecordComposer {
public:
    SRecordComposer(const ComposerSettings& settings, MessageService& messages, ProgressSink& progress);

    // One stage: copies `inputPath` to DirProject + `outputName` with the
    // bank `bank` (0-4) in its window. With `askWhenMissing`, an "S9" line
    // met while the window is still missing asks whether to insert the bank
    // there. Returns kStageStopped, kBankNotFound or kBankInserted. Failures
    // to prepare the stage (Bin.sx, opening the input or the output) throw
    // Error.
    int InsertBankSx(int bank, bool askWhenMissing, const std::string& outputName, const std::string& inputPath);

    // The five stages for the banks taken, then removal of B1.sx..B5.sx.
    // A bank not taken hands the previous stage's file on unchanged. A stage
    // that stops ends the chain; a bank whose window is missing is reported
    // and left out, and the chain goes on.
    ChainOutcome RunStages(const std::array<bool, kWindowCount>& taken);

private:
    void Tell(const std::string& text);

    const ComposerSettings& settings_;
    MessageService& messages_;
    ProgressSink& progress_;
    bool told_ = false; // a message was shown during the current stage
};

} // namespace c2c
