#pragma once
// The Generate Firmware dialog's control state and handlers: the last step of
// "Update Device". It finds the master firmware, lets the user pick the
// serial port, composes the new firmware and starts the flasher.
//
// The composer's settings (FileSx, DirBin, NewFileName, DirProject and the
// master's folder) are fields of the dialog and keep their values from one
// showing to the next.

#include "firmware/SRecordComposer.h"

#include <array>
#include <cstdint>
#include <string>

namespace c2c {

struct Workspace;
class MessageService;
class ProgressSink;
class FilePicker;
class FolderPicker;
class ShellService;

inline constexpr const char* kGenerateFirmwareCaption = "Generate Firmware";
inline constexpr const char* kMasterFileName = "SX40517.sx";
inline constexpr const char* kNewFilePrefix = "New_";
inline constexpr const char* kFlasherFileName = "Tessimor.exe";
inline constexpr std::array<const char*, 8> kPorts = {"COM1", "COM2", "COM3", "COM4",
                                                      "COM5", "COM6", "COM7", "COM8"};
// Client area of the dialog, in pixels.
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

inline constexpr const char* kMsgFlasherNotFound = "Tessimor.exe Not Found, Procedure Aborted";
inline constexpr const char* kMsgFlasherNotStarted = "Tessimor.exe Not Started, Procedure Aborted";
inline constexpr const char* kMsgNoEndRecord = "Record S9 Not Found,Abort Procedure";
// "Error file NAME not found"
std::string MasterMissingText(const std::string& masterName);

// Top-left corner of the dialog: centred across the screen, its lower edge
// on the screen's middle line.
struct Placement {
    int left;
    int top;
};
Placement FormPlacement(int screenWidth, int screenHeight, int dialogWidth, int dialogHeight);

struct BankCheckBox {
    bool Visible = true;
    bool Checked = true;
    std::uint32_t Color = kFormColor;
};

struct GenerateFirmwareDialog : ComposerSettings {
    // Visible controls.
    int cbport = 0; // index into kPorts
    bool LbButton2Enabled = false;

    // Controls present but hidden: no visible control shows them.
    std::string NewFileSx; // the edit box holding NewFileName
    std::string OptionsCaption = kOptionsCaptionInForm;
    bool GbBankVisible = false;
    bool DirFileBinVisible = false;
    BankCheckBox Cbbank1, Cbbank2, Cbbank3, Cbbank4, Cbbank5;
    bool ExeModFileSxEnabled = true;

    // Cbbank1..Cbbank5 by bank index 0-4.
    BankCheckBox& Cbbank(int index);
    const BankCheckBox& Cbbank(int index) const;

    // Each showing: hides the options, offers the banks of the product
    // variant, selects COM1, zeroes the progress bar, points DirBin at the
    // project's bin folder and looks for the master in MasterDir. The
    // execute button is enabled only when the master is there.
    void FormShow(const Workspace& workspace, MessageService& messages, ProgressSink& progress);

    // "Execute update firmware": composes, and starts the flasher only when
    // every stage completed with every taken bank inserted.
    void LbButton2Click(const Workspace& workspace, MessageService& messages, ProgressSink& progress,
                        ShellService& shell);

    // "Execute Modify File Sx": the five stages for the ticked banks; a bank
    // whose window is missing turns red.
    ChainOutcome ExeModFileSxClick(MessageService& messages, ProgressSink& progress);

    // Starts the flasher on the new firmware and the chosen port, without
    // waiting for it. Returns true when it was started.
    bool ExeUpdateFirClick(const Workspace& workspace, MessageService& messages, ShellService& shell);

    void OptionsClick();
    // "Open Firmware": another master file, chosen with OpenDialogSx.
    void OpenFileClick(const Workspace& workspace, MessageService& messages, FilePicker& files);
    // "Directory File Bin": another bin folder inside the project.
    void DirFileBinClick(const Workspace& workspace, MessageService& messages, FolderPicker& folders);
    // The edit box's text changed.
    void NewFileSxChange(const std::string& text);

private:
    void UseMaster(const std::string& folder, const std::string& fileName, const Workspace& workspace);
};

} // namespace c2c
