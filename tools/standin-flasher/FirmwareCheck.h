#pragma once
// What the stand-in flasher checks and reads in a composed firmware file:
// every record's form and checksum, that the windows of banks 1 and 2 are
// complete, and the settings block at the end of bank 1.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

inline constexpr std::uint32_t kBank1Start = 0x388000;
inline constexpr std::uint32_t kBank2Start = 0x398000;
inline constexpr std::uint32_t kBankSize = 0x4000;

struct FirmwareCheck {
    std::vector<std::string> problems; // empty when the file is fit to send
    std::size_t records = 0;
    std::size_t dataBytes = 0;
    // The two configuration windows, as the records fill them (0xFF where
    // no record covers a byte), and whether every byte was covered.
    std::array<std::vector<std::uint8_t>, 2> banks;
    std::array<bool, 2> bankComplete{};

    bool ok() const { return problems.empty(); }
};

// Reads and checks an S-record file. Problems are described, not thrown.
FirmwareCheck CheckFirmware(const std::string& path);

// What the flasher would send, in words: the port and the decoded settings.
std::string DescribeUpdate(const std::string& path, int portIndex, const FirmwareCheck& check);

} // namespace standin
