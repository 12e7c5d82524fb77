#include "app/Workspace.h"
#include "app/qt/TFDrevantaFirmWare.h"
#include "documents/CommSettings.h"
#include "documents/qt/TFpargen.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(c2c::kApplicationTitle));
    application.setApplicationDisplayName(QString::fromLatin1(c2c::kApplicationTitle));

    c2c::Workspace workspace;
    c2c::CommSession session;
    c2c::CommSettingsDialog pargenLogic;
    c2c::QtMessageService messages;
    c2c::QtFolderPicker folderPicker;

    c2c::TFDrevantaFirmWare mainWindow(workspace, session, messages, folderPicker);
    mainWindow.FormCreate(c2c::ExecutableDirectory());
    c2c::TFpargen pargen(pargenLogic, workspace, session, messages, &mainWindow);
    mainWindow.SetPargenDialog(&pargen);

    mainWindow.show();
    return application.exec();
}
