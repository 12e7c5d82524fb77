#include "gui/Application.h"

#include "dialogs/qt/AboutWindow.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CommSettingsWindow.h"
#include "dialogs/qt/GenerateFirmwareWindow.h"
#include "dialogs/qt/MainWindow.h"
#include "dialogs/qt/NewProjectWindow.h"
#include "dialogs/qt/VestigialWindows.h"

namespace c2c {

Application::Application(const std::string& exeDir, UiServices services)
    : services_(services),
      main_(state_, services_, *this),
      commSettings_(state_, services_),
      newProject_(state_, commSettings_, services_),
      cobIdAccess_(state_, services_),
      generateFirmware_(state_, services_)
{
    // The main window first; its start-up runs before any other window exists.
    mainWindow_ = std::make_unique<MainWindow>(main_);
    main_.Start(exeDir);
    mainWindow_->Refresh();

    QWidget* owner = mainWindow_.get();
    newProjectWindow_ = std::make_unique<NewProjectWindow>(newProject_, owner);
    help_ = std::make_unique<HelpWindow>(owner);
    about_ = std::make_unique<AboutWindow>(services_, owner);
    selectString_ = std::make_unique<SelectStringWindow>(owner);
    generateFirmwareWindow_ = std::make_unique<GenerateFirmwareWindow>(generateFirmware_, owner);
    commSettingsWindow_ = std::make_unique<CommSettingsWindow>(commSettings_, owner);
    sdo_ = std::make_unique<SdoWindow>(owner);
    pdo_ = std::make_unique<PdoWindow>(owner);
    emcy_ = std::make_unique<EmcyWindow>(owner);
    emcyWord_ = std::make_unique<EmcyWordWindow>(owner);
    xml_ = std::make_unique<XmlWindow>(owner);
    storePdo_ = std::make_unique<StorePdoWindow>(owner);
    cobIdAccessWindow_ = std::make_unique<CobIdAccessWindow>(cobIdAccess_, owner);
}

Application::~Application() = default;

bool Application::ShowNewProject(const std::string& destinationDir)
{
    newProject_.destinationDir = destinationDir;
    return newProjectWindow_->exec() == QDialog::Accepted;
}

void Application::ShowCommSettings()
{
    commSettingsWindow_->exec();
}

void Application::ShowCobIdAccess()
{
    cobIdAccessWindow_->exec();
}

void Application::ShowGenerateFirmware(const DeviceBuild& build)
{
    mainWindow_->Refresh(); // its status is "--" now, behind the dialog
    generateFirmware_.TellBuild(build);
    generateFirmwareWindow_->exec();
}

void Application::ShowAbout()
{
    about_->exec();
}

void Application::CloseMainWindow()
{
    mainWindow_->close();
}

void Application::RepaintMainWindow()
{
    mainWindow_->RepaintNow();
}

} // namespace c2c
