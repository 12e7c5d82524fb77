#pragma once
// The whole program: the core state that lives for the run, the services
// that reach the desktop, and the fourteen windows, created once at start-up
// in a fixed order with the main window's FormCreate run before any other
// window exists.

#include "app/CompanionDocuments.h"
#include "app/MainWindow.h"
#include "app/NewProject.h"
#include "app/Workspace.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"

#include <memory>
#include <string>

namespace c2c {

class MessageService;
class FolderPicker;
class FilePicker;
class ShellService;
class TFDrevantaFirmWare;
class TFAbout;
class TFpargen;
class TFsaveproj;
class TFModifyFileSx;
class TFCanCobID;
class VestigialWindow;

struct ApplicationServices {
    MessageService& messages;
    FolderPicker& folderPicker;
    FilePicker& filePicker;
    ShellService& shell;
};

class Application final : public MainWindowViews {
public:
    Application(const std::string& exeDir, ApplicationServices services);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    TFDrevantaFirmWare& mainWindow() { return *mainWindow_; }
    Workspace& workspace() { return workspace_; }
    CommSession& session() { return session_; }

    // MainWindowViews
    bool ShowNewProject(const std::string& destinationDir) override;
    void ShowCommSettings() override;
    void ShowCobIdAccess() override;
    void ShowGenerateFirmware() override;
    void ShowAbout() override;
    void ProcessPendingEvents() override;
    void CloseMainWindow() override;

private:
    // "Update Device" steps before Generate Firmware: the image from the
    // project's documents, then the bank files and bankg.c.
    void BuildAndWriteBanks();

    ApplicationServices services_;

    // Core state for the whole run.
    Workspace workspace_;
    CommSession session_;
    CommSettingsDialog commSettings_;
    NewProjectDialog newProject_;
    CompanionTables companions_;
    CobIdDialog cobIds_;
    BankImage image_;
    DrevantaMainWindow mainLogic_;

    // Windows, in the order of creation.
    std::unique_ptr<TFDrevantaFirmWare> mainWindow_;
    std::unique_ptr<TFsaveproj> saveproj_;
    std::unique_ptr<VestigialWindow> help_;
    std::unique_ptr<TFAbout> about_;
    std::unique_ptr<VestigialWindow> selectString_;
    std::unique_ptr<TFModifyFileSx> modifyFileSx_;
    std::unique_ptr<TFpargen> pargen_;
    std::unique_ptr<VestigialWindow> sdo_;
    std::unique_ptr<VestigialWindow> pdo_;
    std::unique_ptr<VestigialWindow> emcy_;
    std::unique_ptr<VestigialWindow> emcyWord_;
    std::unique_ptr<VestigialWindow> xml_;
    std::unique_ptr<VestigialWindow> storePdo_;
    std::unique_ptr<TFCanCobID> canCobId_;
};

} // namespace c2c
