#include "dialogs/MainLogic.h"

#include "dialogs/ProgramState.h"
#include "dialogs/WarningList.h"
#include "operations/Operations.h"
#include "platform/Error.h"

namespace c2c {

MainLogic::MainLogic(ProgramState& state, UiServices services, MainViews& views)
    : state_(state), services_(services), views_(views)
{
}

std::string MainLogic::Title() const
{
    return std::string(kTitlePrefix) + state_.workspace.ProjectName;
}

bool MainLogic::ProjectIsOpen()
{
    return state_.workspace.layout.CheckProject(services_.messages);
}

void MainLogic::Start(const std::string& exeDir)
{
    caption = kInitialCaption;
    if (state_.workspace.Initialise(exeDir))
        caption = Title();
    LoadCommSession(state_.workspace.layout.PargenFile(), state_.session);
}

void MainLogic::Close()
{
    try {
        state_.workspace.SaveLastProject();
    } catch (const Error& error) {
        // The program still ends; the user learns that the last project
        // will not be restored next time.
        services_.messages.showError(GeneralErrorText(error.what()));
    }
}

void MainLogic::NewProject()
{
    if (views_.ShowNewProject(state_.workspace.layout.ProjectsDir()))
        caption = Title();
    else
        caption = kTitlePrefix; // the open project stays as it was
}

void MainLogic::OpenProject()
{
    state_.workspace.OpenProject(services_.folders);
    caption = Title();
    LoadCommSession(state_.workspace.layout.PargenFile(), state_.session);
}

void MainLogic::SetCommunication()
{
    if (ProjectIsOpen())
        views_.ShowCommSettings();
}

void MainLogic::SetCobIdAccess()
{
    if (ProjectIsOpen())
        views_.ShowCobIdAccess();
}

void MainLogic::UpdateDevice()
{
    if (!ProjectIsOpen())
        return;
    statusText = kStatusBuilding;
    views_.RepaintMainWindow();
    const DeviceBuild build = c2c::UpdateDevice(state_.workspace.layout);
    statusText = kStatusBuilt;
    // Written all the same: what was built otherwise than it seems is told first.
    const std::string warnings = WarningListText(kMsgBuiltWithWarnings, build.warnings);
    if (!warnings.empty())
        services_.messages.showMessage(warnings);
    views_.ShowGenerateFirmware(build);
}

void MainLogic::About()
{
    views_.ShowAbout();
}

void MainLogic::Exit()
{
    views_.CloseMainWindow();
}

void MainLogic::OpenMakerPage()
{
    // A failure to open the page is not reported.
    services_.shell.openUrl(kMakerUrl);
}

} // namespace c2c
