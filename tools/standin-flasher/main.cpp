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
