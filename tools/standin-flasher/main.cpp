// A stand-in for the flashing program Tessimor.exe, for trying the tool
// without a device. It is NOT a flasher: it takes the same two arguments
// (the composed firmware's path and the zero-based serial port index),
// checks the S-record file and says what it would send to which port, in a
// small window when a display is available, otherwise on standard output.

#include "FirmwareCheck.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: Tessimor.exe FIRMWARE_FILE PORT_INDEX\n"
    "       Tessimor.exe --help | --version\n"
    "\n"
    "A stand-in for the flashing program, for trying the Drevanta C2C\n"
    "configuration tool without a device. It is NOT a flasher and sends nothing:\n"
    "it checks the composed S-record file FIRMWARE_FILE (every checksum, the\n"
    "windows of banks 1 and 2), decodes bank 1's settings and says what it would\n"
    "send to serial port PORT_INDEX (0 is COM1), in a small window when there is\n"
    "a display, and always on standard output.\n"
    "\n"
    "Exit status: 0 the file is fit to send, 1 it is not, 2 a wrong command line.\n";

bool HaveDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string(platform) == "offscreen")
        return false;
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || platform;
}

} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--version") {
            std::cout << "Tessimor.exe (stand-in) " << C2C_VERSION << "\n";
            return 0;
        }
        // No option is ever taken for the firmware's name.
        if (argument.size() > 1 && argument[0] == '-' && i == 1) {
            std::cerr << "Tessimor.exe (stand-in): unknown option '" << argument << "'\n";
            return 2;
        }
    }
    if (argc != 3) {
        std::cerr << "usage: Tessimor.exe FIRMWARE_FILE PORT_INDEX\n";
        return 2;
    }
    const std::string path = argv[1];
    char* end = nullptr;
    long port = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || port < 0 || port > 255) {
        std::cerr << "Tessimor.exe (stand-in): '" << argv[2] << "' is not a port index\n";
        return 2;
    }
    const standin::FirmwareCheck check = standin::CheckFirmware(path);
    const std::string text = standin::DescribeUpdate(path, static_cast<int>(port), check);
    std::cout << text << std::flush;

    if (HaveDisplay()) {
        QApplication application(argc, argv);
        QMessageBox box(check.ok() ? QMessageBox::Information : QMessageBox::Warning,
                        QStringLiteral("Tessimor (stand-in)"), QString::fromStdString(text), QMessageBox::Ok);
        box.exec();
    }
    return check.ok() ? 0 : 1;
}
