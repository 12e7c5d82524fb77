#pragma once
// What is in a firmware or a set of bank files, and whether a firmware holds
// what a project builds now.

#include "image/BankDecoder.h"

#include <array>
#include <string>
#include <vector>

namespace c2c {

// What inspect says of banks 1 and 2 that hold only 0xFF.
inline constexpr const char* kNoConfigurationText =
    "the firmware holds no configuration in banks 1 and 2 (all bytes 0xFF)";

class ProjectLayout;

// Banks 1 and 2 as `path` holds them, before they are decoded.
struct ConfigurationBanks {
    std::array<BankImage::BankBytes, 2> banks; // index 0 is bank 1
    // What the reading found: records left out, incomplete windows, bank
    // files that are not 16384 bytes long.
    std::vector<std::string> warnings;
    bool erased = false;    // both banks hold only 0xFF
    bool bankFiles = false; // read from bank files, not from a firmware
};

// Reads banks 1 and 2 of a firmware, a bin folder or a bank1.bin (with
// bank2.bin beside it), as InspectConfiguration below. Throws Error when
// the files cannot be read.
ConfigurationBanks ReadConfigurationBanks(const std::string& path);

// The configuration in `path`: a firmware (S-record file; banks 1 and 2 are
// read from the data records in their windows), a bin folder, or a
// bank1.bin with bank2.bin beside it. Warnings also tell of records left
// out, windows that are not complete and bank files that are not 16384
// bytes long. When banks 1 and 2 hold only 0xFF (erased, or no records
// in their windows) nothing is decoded: the result is `erased`, with the
// warnings of the reading alone. Throws Error when the files cannot be read.
DecodedImage InspectConfiguration(const std::string& path);

struct FirmwareVerdict {
    bool matches = false;
    std::string difference; // the first difference, in words, when it does not match
};

// Builds the project's image in memory as the build does (nothing is
// written) and compares banks 1 and 2 with the windows of the firmware at
// `firmwarePath`. The first difference is named by what it means: a
// setting, a table and its row or identifier, or else the byte. Throws
// Error when the project does not build or the firmware cannot be read.
FirmwareVerdict VerifyFirmware(const ProjectLayout& project, const std::string& firmwarePath);

} // namespace c2c
