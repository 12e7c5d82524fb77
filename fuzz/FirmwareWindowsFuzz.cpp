// Reading the bank windows out of any S-record text (what inspect and
// verify read): no fault, and every byte of a window is covered or counted
// as uncovered.

#include "FuzzCheck.h"
#include "firmware/FirmwareWindows.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    static const std::string path = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        return (base / ("c2c-fuzz-firmware-" + std::to_string(::getpid()) + ".sx")).string();
    }();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        const FirmwareWindows windows = ReadFirmwareWindows(path);
        for (std::size_t uncovered : windows.uncovered)
            fuzz::Check(uncovered <= kBankSize, "no more bytes uncovered than a window holds");
        fuzz::Check(windows.problems.size() <= windows.badLines, "problems described are counted");
    } catch (const Error& error) {
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
