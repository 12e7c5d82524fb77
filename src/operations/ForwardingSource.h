#pragma once
// The configuration that route, replay, diff and report answer for: the
// image of a firmware, of bank files, or of a project built in memory.

#include "image/BankDecoder.h"
#include "operations/Operations.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace c2c {

enum class SourceKind : std::uint8_t {
    Project,   // a project folder, its image built in memory
    Firmware,  // a composed firmware (S-record file)
    BankFiles, // a bin folder, or a bank1.bin with bank2.bin beside it
};

// A source read and decoded.
struct ConfigurationSource {
    std::string path; // as named
    SourceKind kind = SourceKind::Firmware;
    // Banks 1 and 2: as the firmware or the bank files hold them, or as the
    // build writes them for a project.
    std::array<BankImage::BankBytes, 2> banks{};
    DecodedImage image;
    // A project source: its documents as the build reads them.
    std::optional<ProjectImage> project;
};

// Reads `source`: a project folder (a folder with pargen.xml), whose image
// is built in memory as verify builds it, nothing written; otherwise
// whatever inspect reads (a firmware, a bin folder, a bank1.bin with
// bank2.bin beside it). Throws Error when the project does not build, the
// files cannot be read, or banks 1 and 2 hold only 0xFF.
ConfigurationSource LoadConfigurationSource(const std::string& source);

// The decoded image of LoadConfigurationSource.
DecodedImage LoadForwardingImage(const std::string& source);

// The project folder a source belongs to: the project itself, the folder
// of a firmware when it is a project folder (compose writes the new
// firmware there), the project of a bin folder or of its bank1.bin. Empty
// when there is none.
std::string ProjectFolderOf(const ConfigurationSource& source);

// Whether `source` is taken as a project folder.
bool IsProjectSource(const std::string& source);

} // namespace c2c
