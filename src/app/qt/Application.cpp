#include "app/qt/Application.h"

#include "app/qt/TFAbout.h"
#include "app/qt/TFDrevantaFirmWare.h"
#include "app/qt/TFsaveproj.h"
#include "app/qt/VestigialWindows.h"
#include "documents/qt/TFCanCobID.h"
#include "documents/qt/TFpargen.h"
#include "firmware/qt/TFModifyFileSx.h"
#include "image/BankOutputs.h"

#include <QCoreApplication>

namespace c2c {

Application::Application(const std::string& exeDir, ApplicationServices services)
    : services_(services),
      mainLogic_(MainWindowServices{workspace_, session_, services.messages, services.folderPicker, services.shell,
                                    *this, [this] { BuildAndWriteBanks(); }})
{
    // The main window first; its FormCreate runs before any other window exists.
    mainWindow_ = std::make_unique<TFDrevantaFirmWare>(mainLogic_, services_.messages);
    mainLogic_.FormCreate(exeDir);
    mainWindow_->Refresh();

    QWidget* owner = mainWindow_.get();
    saveproj_ = std::make_unique<TFsaveproj>(newProject_, workspace_, commSettings_, session_, companions_,
                                             services_.messages, owner);
    help_ = std::make_unique<TFHelp>(owner);
    about_ = std::make_unique<TFAbout>(services_.shell, owner);
    selectString_ = std::make_unique<TFSELstringhe>(owner);
    modifyFileSx_ = std::make_unique<TFModifyFileSx>(workspace_, services_.messages, services_.filePicker,
                                                     services_.folderPicker, services_.shell, owner);
    pargen_ = std::make_unique<TFpargen>(commSettings_, workspace_, session_, services_.messages, owner);
    sdo_ = std::make_unique<TFsdo>(owner);
    pdo_ = std::make_unique<TFpdo>(owner);
    emcy_ = std::make_unique<TFemcy>(owner);
    emcyWord_ = std::make_unique<TFWemcy>(owner);
    xml_ = std::make_unique<TFXML>(owner);
    storePdo_ = std::make_unique<TFInfopdo>(owner);
    canCobId_ = std::make_unique<TFCanCobID>(cobIds_, workspace_, session_, services_.messages, owner);
}

Application::~Application() = default;

void Application::BuildAndWriteBanks()
{
    BuildBankImage(workspace_, image_);
    WriteBankBinaries(workspace_, image_);
    WriteBankSource(workspace_, image_);
}

bool Application::ShowNewProject(const std::string& destinationDir)
{
    saveproj_->logic().DestinationDir = destinationDir;
    return saveproj_->exec() == QDialog::Accepted;
}

void Application::ShowCommSettings()
{
    pargen_->exec();
}

void Application::ShowCobIdAccess()
{
    canCobId_->exec();
}

void Application::ShowGenerateFirmware()
{
    modifyFileSx_->exec();
}

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
