#pragma once
// The main window's logic: the four steps of the user's work, the title
// rules, "Update Device", and start-up and exit of the workspace.

#include <functional>
#include <string>

namespace c2c {

struct Workspace;
struct CommSession;
class MessageService;
class FolderPicker;
class ShellService;

// The maker's product page, opened by the link label and the About box.
inline constexpr const char* kMakerHost = "www.tarvex.example";
inline constexpr const char* kMakerUrl = "https://www.tarvex.example/HOME/default.asp?frompg=SW40517";

// The windows the main window opens, all modal.
class MainWindowViews {
public:
    virtual ~MainWindowViews() = default;
    // New project with its destination folder; true when it closed with OK.
    virtual bool ShowNewProject(const std::string& destinationDir) = 0;
    virtual void ShowCommSettings() = 0;
    virtual void ShowCobIdAccess() = 0;
    virtual void ShowGenerateFirmware() = 0;
    virtual void ShowAbout() = 0;
    // Lets the window process its pending events once (a repaint).
    virtual void ProcessPendingEvents() = 0;
    // Closes the main window, which ends the program.
    virtual void CloseMainWindow() = 0;
};

enum class StepButton { SetCommunication, SetCobIdAccess };

struct MainWindowServices {
    Workspace& workspace;
    CommSession& session;
    MessageService& messages;
    FolderPicker& folderPicker;
    ShellService& shell;
    MainWindowViews& views;
    // Builds the configuration image and writes the bank files and bankg.c;
    // throws Error to end "Update Device".
    std::function<void()> buildBanks;
};

// The state of the main window's controls and its handlers.
class DrevantaMainWindow {
public:
    explicit DrevantaMainWindow(MainWindowServices services) : s_(std::move(services)) {}

    std::string Caption;                 // the window title
    std::string Labelstate = "---";      // status label (never visible)

    // Start-up: workspace, then the communication settings of the project.
    void FormCreate(const std::string& exeDir);
    // Exit: writes the settings file; a failure is reported, exit goes on.
    void FormClose();
    void NewaClick();
    void OpenaClick();
    void btn_str_lng1aClick(StepButton button);
    // "Update Device": build, bank files, bankg.c, then Generate Firmware.
    // An Error from the build ends it (the caller shows the error report).
    void CreateBinaClick();
    void AboutClick();
    void LbButton1Click();
    // The link label and the About box's picture and link.
    void Label1Click();

private:
    MainWindowServices s_;
};

} // namespace c2c
