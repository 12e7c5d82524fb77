#include "app/MainWindow.h"

#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "platform/Error.h"
#include "platform/Product.h"
#include "platform/UiServices.h"

namespace c2c {

void DrevantaMainWindow::FormCreate(const std::string& exeDir)
{
    Caption = kInitialCaption;
    if (s_.workspace.Initialise(exeDir))
        Caption = s_.workspace.Title();
    LoadCommSession(s_.workspace.PargenFile, s_.session);
}

void DrevantaMainWindow::FormClose()
{
    try {
        s_.workspace.SaveLastProject();
    } catch (const Error& error) {
        // The program still ends; the user learns that the last project
        // will not be restored next time.
        s_.messages.showError(GeneralErrorText(error.what()));
    }
}

void DrevantaMainWindow::NewaClick()
{
    if (s_.views.ShowNewProject(s_.workspace.ProjectsDir))
        Caption = s_.workspace.Title();
    else
        Caption = kTitlePrefix; // the current project stays as it was
}

void DrevantaMainWindow::OpenaClick()
{
    s_.workspace.OpenProject(s_.folderPicker);
    Caption = s_.workspace.Title();
    LoadCommSession(s_.workspace.PargenFile, s_.session);
}

void DrevantaMainWindow::btn_str_lng1aClick(StepButton button)
{
    if (!s_.workspace.IsProjectValid()) {
        s_.messages.showMessage(kMsgProjectNotValid);
        return;
    }
    if (button == StepButton::SetCobIdAccess)
        s_.views.ShowCobIdAccess();
    else
        s_.views.ShowCommSettings();
}

void DrevantaMainWindow::CreateBinaClick()
{
    // With no project the bank files would land in a "bin" folder at the
    // root of the file system.
    if (!s_.workspace.IsProjectValid()) {
        s_.messages.showMessage(kMsgProjectNotValid);
        return;
    }
    if (ProductVariant == 2) {
        Labelstate = "Wait..";
        s_.views.ProcessPendingEvents();
        if (s_.buildBanks)
            s_.buildBanks();
        Labelstate = "--";
    }
    s_.views.ShowGenerateFirmware();
}

void DrevantaMainWindow::AboutClick()
{
    s_.views.ShowAbout();
}

void DrevantaMainWindow::LbButton1Click()
{
    s_.views.CloseMainWindow();
}

void DrevantaMainWindow::Label1Click()
{
    // A failure to open the page is not reported.
    s_.shell.openUrl(kMakerUrl);
}

} // namespace c2c
