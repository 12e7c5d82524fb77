#pragma once
// The whole program: the state that lives for the run, every window's
// logic, and the fourteen windows, created once at start-up in a fixed
// order with the main window's start-up run before any other window exists.
//
// The Application owns every window's logic and every window; a window
// holds a reference to its logic, and every logic receives the same
// ProgramState and UiServices.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/CommSettingsLogic.h"
#include "dialogs/GenerateFirmwareLogic.h"
#include "dialogs/MainLogic.h"
#include "dialogs/NewProjectLogic.h"
#include "dialogs/ProgramState.h"

#include <memory>
#include <string>

namespace c2c {

class MainWindow;
class AboutWindow;
class CommSettingsWindow;
class NewProjectWindow;
class GenerateFirmwareWindow;
class CobIdAccessWindow;
class VestigialWindow;

class Application final : public MainViews {
public:
    Application(const std::string& exeDir, UiServices services);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    MainWindow& mainWindow() { return *mainWindow_; }
    ProgramState& state() { return state_; }

    // MainViews
    bool ShowNewProject(const std::string& destinationDir) override;
    void ShowCommSettings() override;
    void ShowCobIdAccess() override;
    void ShowGenerateFirmware(const DeviceBuild& build) override;
    void ShowAbout() override;
    void CloseMainWindow() override;
    void RepaintMainWindow() override;

private:
    UiServices services_;
    ProgramState state_;
    MainLogic main_;
    CommSettingsLogic commSettings_;
    NewProjectLogic newProject_;
    CobIdAccessLogic cobIdAccess_;
    GenerateFirmwareLogic generateFirmware_;

    // Windows, in the order of creation.
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<NewProjectWindow> newProjectWindow_;
    std::unique_ptr<VestigialWindow> help_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<VestigialWindow> selectString_;
    std::unique_ptr<GenerateFirmwareWindow> generateFirmwareWindow_;
    std::unique_ptr<CommSettingsWindow> commSettingsWindow_;
    std::unique_ptr<VestigialWindow> sdo_;
    std::unique_ptr<VestigialWindow> pdo_;
    std::unique_ptr<VestigialWindow> emcy_;
    std::unique_ptr<VestigialWindow> emcyWord_;
    std::unique_ptr<VestigialWindow> xml_;
    std::unique_ptr<VestigialWindow> storePdo_;
    std::unique_ptr<CobIdAccessWindow> cobIdAccessWindow_;
};

} // namespace c2c
