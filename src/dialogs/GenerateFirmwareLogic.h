#pragma once
// The Generate Firmware window's logic: the last step of "Update Device". It
// finds the master firmware, lets the user pick the serial port, composes
// the new firmware and starts the flasher.
//
// The composer's settings (the master, the bin folder, the new firmware's
// name and project) keep their values from one showing to the next.
//
// A status line in the window's upper area says what happened, beside the
// message boxes: what the build of "Update Device" wrote (and how many
// warnings it had), a master that is missing and where it was looked for,
// and after a run the new firmware, its banks and whether the flasher
// started.

#include "firmware/SRecordComposer.h"
#include "operations/Operations.h"
#include "platform/UiServices.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

struct ProgramState;

inline constexpr const char* kGenerateFirmwareCaption = "Generate Firmware";
inline constexpr std::array<const char*, 8> kPorts = {"COM1", "COM2", "COM3", "COM4",
                                                      "COM5", "COM6", "COM7", "COM8"};
// Client area of the window, in pixels.
inline constexpr int kGenerateFirmwareWidth = 430;
inline constexpr int kGenerateFirmwareHeight = 224;
// Colours as 0x00BBGGRR: the form's background (RGB 248, 247, 237) and the
// red of a bank whose window was not found.
inline constexpr std::uint32_t kFormColor = 15595512;
inline constexpr std::uint32_t kBankMissingColor = 255;

inline constexpr const char* kOptionsCaptionInForm = "Options>>";
inline constexpr const char* kOptionsClosedCaption = "Options >>";
inline constexpr const char* kOptionsOpenCaption = "<< Options";
inline constexpr const char* kOpenDialogSxTitle = "Open";
inline constexpr const char* kOpenDialogSxFilter = "File Sx (*.Sx)";
inline constexpr const char* kOpenDialogSxPattern = "*.Sx";
inline constexpr const char* kSelectDirBinTitle = "Select Directory Bin";

// The review of a run, beside the status line.
inline constexpr const char* kCompareWithFirmwareCaption = "Compare with firmware...";
inline constexpr const char* kReportCaption = "Report...";
inline constexpr const char* kCompareTitle = "Compare with firmware";
inline constexpr const char* kReportTitle = "Report";
inline constexpr const char* kReportFilter = "HTML page";
inline constexpr const char* kReportPattern = "*.html";

// What "Compare with firmware..." found, shown as a list.
struct FirmwareComparison {
    std::string a; // the firmware chosen
    std::string b; // the new firmware, or the project as it builds now
    // The diff as text (DiffTextLines), then the warnings about either image.
    std::vector<std::string> lines;
    bool same = false;
};

// "Error file NAME not found"
std::string MasterMissingText(const std::string& masterName);
// The status line's "No master firmware: NAME was looked for in FOLDER"
std::string MasterMissingStatus(const std::string& masterName, const std::string& folder);

// Top-left corner of the window: centred across the screen, its lower edge
// on the screen's middle line.
struct Placement {
    int left;
    int top;
};
Placement FormPlacement(int screenWidth, int screenHeight, int dialogWidth, int dialogHeight);

struct BankCheckBox {
    bool visible = true;
    bool checked = true;
    std::uint32_t color = kFormColor;
};

class GenerateFirmwareLogic {
public:
    GenerateFirmwareLogic(ProgramState& state, UiServices services);

    ComposerSettings composer;

    // Visible controls.
    int port = 0; // index into kPorts
    bool executeEnabled = false;

    // Controls present but hidden: no visible control shows them.
    std::string newFirmwareName; // the edit box holding the composer's NewFileName
    std::string optionsCaption = kOptionsCaptionInForm;
    bool banksVisible = false;
    bool binFolderButtonVisible = false;
    std::array<BankCheckBox, kBankCount> banks; // index 0 is bank 1
    bool composeEnabled = true;

    // The status line: one line for each of the build, the master and the
    // last run that has something to say, and the last report written, "\n"
    // between them.
    std::string status;

    // After a run: "Compare with firmware..." and "Report..." beside the
    // status line.
    bool reviewVisible = false;
    // The last comparison, for the window to show.
    std::optional<FirmwareComparison> comparison;

    // "Update Device" built the bank files: the next showing says so.
    void TellBuild(const DeviceBuild& build);

    // Each showing: hides the options, offers banks 1 and 2, selects COM1,
    // zeroes the progress bar, points the bin folder at the open project's
    // and looks for the master in MASTER. "Execute update firmware" is
    // enabled only when the master is there.
    void Show(ProgressSink& progress);

    // "Execute update firmware": composes, and starts the flasher only when
    // every stage completed with every taken bank inserted. A click that
    // arrives while a run is under way (the window repaints its progress
    // bar during the run) is dropped: the flasher starts at most once.
    void ExecuteUpdateFirmware(ProgressSink& progress);

    // The hidden "Execute Modify File Sx": the five stages for the ticked
    // banks; a bank whose window is missing turns red. Dropped, with nothing
    // run, while another run is under way.
    ChainOutcome ComposeFirmware(ProgressSink& progress);

    // The hidden "Execute update firmware": starts the flasher on the new
    // firmware and the chosen port, without waiting for it, whatever file
    // is there. True when it was started; dropped while a run is under way.
    bool StartFlasher();

    // "Compare with firmware...": a firmware chosen with the file picker
    // (the one in the device) compared with what this run made: the new
    // firmware when the run composed one, else the project as it builds
    // now. Sets `comparison` and returns true, or false when the user
    // cancels. Throws Error when either cannot be read.
    bool CompareWithFirmware();

    // "Report...": the report of the new firmware when the run composed one
    // (with the project's rows and check), else of the project, written
    // where the user chooses and opened in the browser. A file the report
    // may not replace (a document, a bank file, what it reads) is refused
    // with a message. Throws Error when it cannot be written.
    void WriteReport();

    void ToggleOptions();
    // "Open Firmware": another master file, chosen with the file picker.
    void OpenFirmware();
    // "Directory File Bin": another bin folder inside the project.
    void ChooseBinFolder();
    // The new firmware's name was edited.
    void SetNewFirmwareName(const std::string& text);

    const UiServices& Services() const { return services_; }

private:
    void UseMaster(const std::string& folder, const std::string& fileName);
    // False, after saying so, when no project is open.
    bool ProjectIsOpen();
    // Puts the status line together from its parts.
    void ShowStatus();
    // The flasher start of StartFlasher, adding to the run's status.
    bool StartFlasherNow();
    // What the review buttons look at: the new firmware or the project.
    std::string ReviewedSource() const;

    ProgramState& state_;
    UiServices services_;
    bool running_ = false; // a composition or a flasher start is under way
    std::optional<DeviceBuild> pendingBuild_;
    // The parts of the status line.
    std::string buildLine_;
    std::string masterLine_;
    std::vector<std::string> runClauses_; // joined with "; " into one sentence
    std::string reportLine_;
    std::string composed_; // the new firmware of this showing's last completed run
};

} // namespace c2c
