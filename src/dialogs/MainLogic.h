#pragma once
// The main window's logic: the four steps of the user's work, the title
// rules, "Update Device", and start-up and exit of the workspace.

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

// The windows the main window opens, all modal.
class MainViews {
public:
    virtual ~MainViews() = default;
    // New project, making the project folder in `destinationDir`; true when
    // it closed with OK.
    virtual bool ShowNewProject(const std::string& destinationDir) = 0;
    virtual void ShowCommSettings() = 0;
    virtual void ShowCobIdAccess() = 0;
    virtual void ShowGenerateFirmware() = 0;
    virtual void ShowAbout() = 0;
    // Closes the main window, which ends the program.
    virtual void CloseMainWindow() = 0;
};

class MainLogic {
public:
    MainLogic(ProgramState& state, UiServices services, MainViews& views);

    std::string caption; // the window title

    // Start-up: the workspace beside `exeDir`, then the open project's
    // communication settings.
    void Start(const std::string& exeDir);
    // Exit: writes the settings file; a failure is reported, exit goes on.
    void Close();
    void NewProject();
    void OpenProject();
    void SetCommunication();
    void SetCobIdAccess();
    // "Update Device": bank files and bankg.c, then Generate Firmware. An
    // Error from the build ends it (the window shows the error report).
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
