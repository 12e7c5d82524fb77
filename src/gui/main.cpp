// drevanta-c2c: the configuration program's windows.

#include "gui/Application.h"
#include "dialogs/qt/MainWindow.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(c2c::kApplicationTitle));

    c2c::QtMessageService messages;
    c2c::QtFolderPicker folderPicker;
    c2c::QtFilePicker filePicker;
    c2c::QtShellService shell;
    c2c::Application program(c2c::ExecutableDirectory(), {messages, folderPicker, filePicker, shell});
    program.mainWindow().show();
    return application.exec();
}
