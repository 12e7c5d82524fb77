// drevanta-c2c: the configuration program's windows.

#include "gui/Application.h"
#include "dialogs/qt/MainWindow.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtServices.h"

#include <QApplication>

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "usage: drevanta-c2c [--help] [--version]\n"
    "\n"
    "The configuration program of the Drevanta C2C two-port CAN repeater: its\n"
    "projects, the bit rate and frame format of each port, the two COB-ID\n"
    "translation tables, the bank files and the new firmware, which it hands to\n"
    "the flashing program Tessimor.exe beside it.\n"
    "\n"
    "The program takes no files on its command line. It keeps MASTER (the master\n"
    "firmware), PROJECTS and its settings file beside itself when it may write\n"
    "there, otherwise in the user's data folder (~/.local/share/drevanta-c2c).\n"
    "Qt's own options, such as -platform NAME, are accepted.\n"
    "\n"
    "  -h, --help     show this text and end\n"
    "      --version  show the version and end\n";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before anything needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "drevanta-c2c " << C2C_VERSION << "\n";
            return 0;
        }
    }

    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(c2c::kApplicationTitle));
    // QApplication took the options it knows; anything left is not ours.
    if (argc > 1) {
        std::cerr << "drevanta-c2c: unknown argument '" << argv[1] << "'\n"
                  << "Try 'drevanta-c2c --help'.\n";
        return 2;
    }

    // A save beyond a file-size limit then fails with a message, and the
    // old file stays.
    c2c::ReportFileSizeLimitAsError();
    c2c::QtMessageService messages;
    c2c::QtFolderPicker folderPicker;
    c2c::QtFilePicker filePicker;
    c2c::QtShellService shell;
    c2c::Application program(c2c::ExecutableDirectory(), {messages, folderPicker, filePicker, shell});
    program.mainWindow().show();
    return application.exec();
}
