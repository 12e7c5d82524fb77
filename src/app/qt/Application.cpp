#include "app/qt/Application.h"

#include "app/qt/TFAbout.h"
#include "app/qt/TFDrevantaFirmWare.h"
#include "app/qt/VestigialWindows.h"
#include "documents/qt/TFpargen.h"

#include <QCoreApplication>

namespace c2c {

Application::Application(const std::string& exeDir, ApplicationServices services)
    : services_(services),
      mainLogic_(MainWindowServices{workspace_, session_, services.messages, services.folderPicker, services.shell,
                                    *this, nullptr})
{
    // The main window first; its FormCreate runs before any other window exists.
    mainWindow_ = std::make_unique<TFDrevantaFirmWare>(mainLogic_, services_.messages);
    mainLogic_.FormCreate(exeDir);
    mainWindow_->Refresh();

    QWidget* owner = mainWindow_.get();
    help_ = std::make_unique<TFHelp>(owner);
    about_ = std::make_unique<TFAbout>(services_.shell, owner);
    selectString_ = std::make_unique<TFSELstringhe>(owner);
    pargen_ = std::make_unique<TFpargen>(commSettings_, workspace_, session_, services_.messages, owner);
    sdo_ = std::make_unique<TFsdo>(owner);
    pdo_ = std::make_unique<TFpdo>(owner);
    emcy_ = std::make_unique<TFemcy>(owner);
    emcyWord_ = std::make_unique<TFWemcy>(owner);
    xml_ = std::make_unique<TFXML>(owner);
    storePdo_ = std::make_unique<TFInfopdo>(owner);
}

Application::~Application() = default;

bool Application::ShowNewProject(const std::string&)
{
    return false;
}

void Application::ShowCommSettings()
{
    pargen_->exec();
}

void Application::ShowCobIdAccess() {}

void Application::ShowGenerateFirmware() {}

void Application::ShowAbout()
{
    about_->exec();
}

void Application::ProcessPendingEvents()
{
    mainWindow_->Refresh();
    QCoreApplication::processEvents();
}

void Application::CloseMainWindow()
{
    mainWindow_->close();
}

} // namespace c2c
