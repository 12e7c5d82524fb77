#pragma once
// The main window's logic: the four steps of the user's work, the title
// rules, "Update Device", and start-up and exit of the workspace.

#include "operations/Operations.h"
#include "platform/UiServices.h"

#include <string>

namespace c2c {

struct ProgramState;

// Caption of the main window before any project is shown in it.
inline constexpr const char* kInitialCaption = "Tarvex Drevanta SW40517 CAN2CAN CobID :";
// The window title is this prefix followed directly by the project's name.
inline constexpr const char* kTitlePrefix = "Tarvex Drevanta SW40517 CAN - Repeater (With Filter) :";

// The maker's product page, opened by the link label and the About box.
inline constexpr const char* kMakerHost = "www.tarvex.example";
inline constexpr const char* kMakerUrl = "https://www.tarvex.example/HOME/default.asp?frompg=SW40517";

// The status label's texts: in the form, while "Update Device" builds, and
// after the build.
inline constexpr const char* kStatusInForm = "---";
inline constexpr const char* kStatusBuilding = "Wait..";
inline constexpr const char* kStatusBuilt = "--";

// The heading of the build's warnings, shown before Generate Firmware.
inline constexpr const char* kMsgBuiltWithWarnings = "The bank files were written, with these warnings:";

// The windows the main window opens, all modal.
class MainViews {
public:
    virtual ~MainViews() = default;
    // New project, making the project folder in `destinationDir`; true when
    // it closed with OK.
    virtual bool ShowNewProject(const std::string& destinationDir) = 0;
    virtual void ShowCommSettings() = 0;
    virtual void ShowCobIdAccess() = 0;
    // Generate Firmware, after the build `build`.
    virtual void ShowGenerateFirmware(const DeviceBuild& build) = 0;
    virtual void ShowAbout() = 0;
    // Closes the main window, which ends the program.
    virtual void CloseMainWindow() = 0;
    // Repaints the main window now, showing its logic's state, and handles
    // no other event.
    virtual void RepaintMainWindow() = 0;
};

class MainLogic {
public:
    MainLogic(ProgramState& state, UiServices services, MainViews& views);

    std::string caption; // the window title
    // The status label's text; the label itself is never visible.
    std::string statusText = kStatusInForm;

    // Start-up: the workspace beside `exeDir`, then the open project's
    // communication settings.
    void Start(const std::string& exeDir);
    // Exit: writes the settings file; a failure is reported, exit goes on.
    void Close();
    void NewProject();
    void OpenProject();
    void SetCommunication();
    void SetCobIdAccess();
    // "Update Device": the status "Wait..", one repaint of the window, the
    // bank files and bankg.c (nothing repaints meanwhile), the status "--",
    // the build's warnings in one message (as build prints them), then
    // Generate Firmware. An Error from the build ends it with the status
    // left at "Wait.." (the window shows the error report).
    void UpdateDevice();
    void About();
    // The "X" button.
    void Exit();
    // The link label.
    void OpenMakerPage();

    const UiServices& Services() const { return services_; }

private:
    // The title for the open project's name.
    std::string Title() const;
    // False, after saying so, when no project is open.
    bool ProjectIsOpen();

    ProgramState& state_;
    UiServices services_;
    MainViews& views_;
};

} // namespace c2c
