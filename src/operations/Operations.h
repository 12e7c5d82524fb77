#pragma once
// The user's operations, one function each. The windows' logic and the
// command line both call these, so an operation works the same whichever
// front end starts it. Errors that end an operation are Errors carrying the
// text the user sees; expected outcomes are returned as values.
//
// Saving a document, building, composing and starting the flasher each hold
// the project's lock (see ProjectLock): while another run holds it they
// throw Error(ProjectBusyText(...)) and change nothing.

#include "documents/CobIdTables.h"
#include "firmware/SRecordComposer.h"
#include "image/BankImage.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

class ProjectLayout;
class MessageService;
class ProgressSink;
class ShellService;
struct CommSettings;
struct CommSession;
struct CobIdTables;
struct CobIdCellError;
struct CompanionTables;

// ---------------------------------------------------------------- new project

enum class ProjectFolderResult {
    Created,
    Exists,     // a folder of that name is there already
    NotCreated, // the file system refused (parent missing, no rights, ...)
};

// Creates the project's folder (one level: its parent must exist) and its
// bin folder, which "Update Device" fills later (and reports when missing).
// The file system judges whether the name is taken, so where it ignores
// letter case "line3" is taken beside "Line3".
ProjectFolderResult CreateProjectFolder(const ProjectLayout& project);

// The documents of a new project: pargen.xml from `settings`, then the five
// companion documents. The first Error ends the writing; the documents
// written before it stay.
void WriteNewProjectDocuments(const ProjectLayout& project, const CommSettings& settings,
                              CompanionTables& companions);

// ---------------------------------------------------------------- documents

// Writes the project's pargen.xml. Throws Error; the old file is kept then.
void SaveCommSettings(const ProjectLayout& project, const CommSettings& settings);

// Checks every identifier against the frame formats of `session` and, when
// all fit, writes the project's CanCanCobID.xml. Returns the first bad cell,
// with nothing written. Throws Error when the file cannot be written.
std::optional<CobIdCellError> SaveCobIdTables(const ProjectLayout& project, const CobIdTables& tables,
                                              const CommSession& session);

// ---------------------------------------------------------------- update device

// What a build wrote: the bin folder, and how many rows of each table went
// into its bank: index 0 is bank 1 (CAN0 to CAN1), 1 bank 2 (CAN1 to CAN0).
// A row counts once it has an entry of the bank: in the standard layout one
// per identifier (a later row of the same identifier replaces the earlier),
// in the extended layout the list's entries (at most 2000).
struct DeviceBuild {
    std::string binDir;
    std::array<std::size_t, 2> rows{};
    // What was built otherwise than the documents seem to say: the cells
    // OK refuses that the build stores as they are, then `check`'s warnings
    // (ProjectWarnings).
    std::vector<std::string> warnings;
};

// "File "PATH" not found: open Set CobID Access and press OK, or
// drevanta-c2c-cli cobid import": a build without the tables says how to
// make them.
std::string CobIdDocumentMissingText(const std::string& path);

// A project as the build takes it: both documents read strictly and the
// image built from them in memory (80 KiB, so it lives on the heap).
struct ProjectImage {
    CommSettings settings;
    CobIdTables tables;
    std::unique_ptr<BankImage> image;
    // The cells OK refuses that the build stores as they are (the extended
    // layout keeps any number), in `check`'s words.
    std::vector<std::string> refusedCells;

    // The layout the build takes.
    TableLayout Layout() const;
};

// Reads the documents as the build reads them and builds the image, writing
// nothing. A project without CanCanCobID.xml (tables never saved) gets
// CobIdDocumentMissingText; a cell the build cannot take stops it in
// `check`'s words, naming table, N° and value (CobIdCellProblemText).
// Throws Error.
ProjectImage BuildProjectImage(const ProjectLayout& project);

// "Update Device" without the window: reads both documents as the build
// reads them, builds the configuration image and writes bank1.bin ..
// bank5.bin and bankg.c into the project's bin folder. Throws Error.
// Returns what was written and its warnings: what was built otherwise than
// the documents seem to say.
DeviceBuild UpdateDevice(const ProjectLayout& project);

// ---------------------------------------------------------------- firmware

// The composer's settings for a project: the master at `masterPath`, the
// bank files from the project's bin folder, the new firmware as
// `newFileName` in the project folder.
ComposerSettings ComposerSettingsFor(const ProjectLayout& project, const std::string& masterPath,
                                     const std::string& newFileName);

// Composes the new firmware from the banks taken (index 0 is bank 1).
// Without a project folder nothing runs and "Project not valid" is shown.
ChainOutcome ComposeFirmware(const ComposerSettings& settings, const std::array<bool, kBankCount>& taken,
                             MessageService& messages, ProgressSink& progress);

// WineMissing: the flasher is a Windows program, and on this system only
// Wine could start it.
enum class FlasherStart { Started, FirmwareNotFound, FlasherNotFound, NotStarted, WineMissing };
inline constexpr const char* kMsgFlasherNotFound = "Tessimor.exe Not Found, Procedure Aborted";
inline constexpr const char* kMsgFlasherNotStarted = "Tessimor.exe Not Started, Procedure Aborted";
inline constexpr const char* kMsgWineMissing = "Tessimor.exe is a Windows program; install Wine to start it";
// The message of an outcome; empty for Started.
std::string FlasherStartMessage(FlasherStart outcome);

// Starts the flasher beside the program on `project`'s firmware `firmware`
// and the port with index `port` (0 is COM1), in `workingDir`, without
// waiting for it; a Windows flasher on Linux through Wine.
FlasherStart StartFlasher(const ProjectLayout& project, const std::string& firmware, int port,
                          const std::string& workingDir, ShellService& shell);

} // namespace c2c
