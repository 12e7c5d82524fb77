#pragma once
// The firmware composer: puts the configuration banks into a copy of the
// master S-record firmware.
//
// Each bank has a fixed address window as long as a bank. One stage
// (InsertBankSx) turns a bank file into 512 S2 records of 32 bytes, kept in
// the scratch file Bin.sx, and copies its input line by line into its
// output, with the 512 records in place of the first data record (S1, S2
// or S3) that starts inside the window and without the later ones (see
// SpliceStage.h; SRecordLine.h has the record format). Five stages chained
// through B1.sx..B4.sx make the new firmware (RunStages).
//
// The composer tells the user what stops a stage through the message
// service as it runs; what a stage reached is its result.

#include "project/ProjectLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace c2c {

class MessageService;
class ProgressSink;

inline constexpr int kRecordDataSize = 32;
inline constexpr int kRecordsPerBank = static_cast<int>(kBankSize) / kRecordDataSize; // 512

// The first address of each bank's window; index 0 is bank 1. A window ends
// at its start + 0x3FFF.
inline constexpr std::array<std::uint32_t, kBankCount> kWindowStarts = {0x388000, 0x398000, 0x3A8000, 0x3B8000,
                                                                        0x3C8000};

// What one stage reached.
enum class StageResult {
    NotRun,         // the chain ended before this stage
    Skipped,        // the bank was not taken: the previous file was handed on
    Inserted,       // "S9" met, the bank is in its window
    WindowNotFound, // "S9" met, the window is not in the input: the bank is left out
    Stopped,        // a check or a write failed; the user was told why
    NoEndRecord,    // the input has no "S9" line: its output is no firmware
};

// The composer's messages.
inline constexpr const char* kMsgSxNotFound = "File *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNameMissing = "File New *.Sx Not Found,Abort Procedure";
inline constexpr const char* kMsgBinDirNotFound = "Directory Bin Not Found,Abort Procedure";
inline constexpr const char* kMsgNewSxNotCreated = "File New Sx Not Create,Abort Procedure";
inline constexpr const char* kMsgInsertAnyway = "Bank Not Found.To insert Equally?";
inline constexpr const char* kMsgNoEndRecord = "Record S9 Not Found,Abort Procedure";
// "File bankN.bin Not Found,Abort Procedure"
std::string BankFileMissingText(int bank);
// "File bankN.bin Not Valid,Abort Procedure": a bank file shorter than a bank.
std::string BankFileShortText(int bank);
// "Bank N Not Found,Bank Not Inserted": the bank's window is not in the firmware.
std::string BankNotInsertedText(int bank);

// Where the composer finds and puts its files.
struct ComposerSettings {
    std::string FileSx;       // the master's file name, without a folder
    std::string MasterFolder; // the folder it is read from, no trailing separator
    std::string DirBin;       // the bank files and Bin.sx, with a trailing separator
    std::string NewFileName;  // the new firmware's file name
    ProjectLayout Project;    // its folder receives B1.sx..B4.sx and the new firmware

    // MasterFolder + separator + FileSx (FileSx alone without a folder).
    std::string MasterPath() const;
    // The project folder with a trailing separator.
    std::string ProjectFolder() const;
    std::string NewFirmwarePath() const { return ProjectFolder() + NewFileName; }
};

// What a run of the five stages reached.
struct ChainOutcome {
    std::array<StageResult, kBankCount> stages{}; // index 0 is bank 1

    // Every stage ran and none stopped: the new firmware was written.
    bool Completed() const;
    // Completed, with every taken bank inserted.
    bool AllInserted() const;
    // A stage ended because its input has no "S9" line, which the composer
    // itself does not report.
    bool EndedWithoutEndRecord() const;
};

class SRecordComposer {
public:
    // `blockSize` sets the reading and writing blocks (tests use small ones,
    // so that lines cross refills).
    SRecordComposer(const ComposerSettings& settings, MessageService& messages, ProgressSink& progress,
                    std::size_t blockSize = 256 * 1024);

    // One stage: copies `inputPath` to the project folder's `outputName`
    // with bank `bank` (1-5) in its window. With `askWhenMissing`, an "S9"
    // line met while the window is still missing asks whether to insert the
    // bank there. Returns Inserted, WindowNotFound, NoEndRecord, or Stopped
    // after telling the user why. Failures to prepare the stage (Bin.sx,
    // opening the input or the output) throw Error.
    StageResult InsertBankSx(int bank, bool askWhenMissing, const std::string& outputName,
                             const std::string& inputPath);

    // The five stages for the banks taken (index 0 is bank 1), then removal
    // of B1.sx..B5.sx, also when an error ends the chain. A bank not taken
    // hands the previous stage's file on unchanged. A stage that stops ends
    // the chain; a bank whose window is missing is reported and left out,
    // and the chain goes on. The new firmware reaches the disk before its
    // name does. Without a project folder nothing runs and "Project not
    // valid" is shown; a master that is a working file, or a new firmware
    // that would replace the master, a working file or a project file, is an
    // Error before anything is written.
    ChainOutcome RunStages(const std::array<bool, kBankCount>& taken);

private:
    StageResult Stop(const std::string& text);
    void CheckFiles() const;
    // The skipped stage `stage`: the previous file, or a copy of the master
    // for stage 1, becomes this stage's output.
    void HandOn(int stage, const std::string& output);
    void RemoveWorkingFiles(bool quietly);

    const ComposerSettings& settings_;
    MessageService& messages_;
    ProgressSink& progress_;
    std::size_t blockSize_;
};

} // namespace c2c
