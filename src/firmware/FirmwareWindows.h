#pragma once
// The configuration windows of a firmware file read back: the bytes that the
// data records (S1, S2, S3) of an S-record file put into the address windows
// of banks 1 and 2. A later record over the same address wins, as when the
// file is flashed record by record.
//
// A record that is not well formed (not hexadecimal, a byte count that does
// not match, a wrong checksum) is left out and noted; the rest of the file is
// still read. Lines are read through a fixed buffer, so a file of any length
// and with lines of any length costs the same memory.

#include "image/BankImage.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

struct FirmwareWindows {
    // Banks 1 and 2 (index 0 and 1); 0xFF where no record covers a byte.
    std::array<BankImage::BankBytes, 2> banks;
    // How many bytes of each window no record covers.
    std::array<std::size_t, 2> uncovered{};
    std::size_t records = 0; // well-formed records of any type
    // Lines that are not well-formed records: the first few described
    // ("line 7: wrong checksum"), all of them counted.
    std::vector<std::string> problems;
    std::size_t badLines = 0;

    bool WindowComplete(int bank) const { return uncovered[static_cast<std::size_t>(bank - 1)] == 0; }
};

// Reads `path`. Throws Error when it is not a regular file, cannot be read,
// or holds no well-formed S-record at all.
FirmwareWindows ReadFirmwareWindows(const std::string& path);

} // namespace c2c
