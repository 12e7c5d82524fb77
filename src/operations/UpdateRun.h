#pragma once
// "Update Device" followed by "Execute update firmware" in one run: the bank
// files built, the new firmware composed and, when asked, the flasher
// started, all under one hold of the project's lock, so no other run can
// change the bank files between the build and the composition.

#include "operations/Operations.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

struct FirmwareUpdate {
    std::string masterPath;
    std::string newFileName;
    std::array<bool, kBankCount> banks{true, true, false, false, false}; // index 0 is bank 1
    std::optional<int> flasherPort;                                       // 0 is COM1; none: no flasher
};

struct FirmwareUpdateOutcome {
    DeviceBuild build; // what the build wrote
    ChainOutcome chain;
    std::optional<FlasherStart> flasher; // when it was tried

    // The new firmware is in place with every bank asked for, and the
    // flasher started when asked.
    bool Succeeded(const FirmwareUpdate& update) const
    {
        return chain.AllInserted() && (!update.flasherPort || flasher == FlasherStart::Started);
    }
};

// Builds (throws Error as UpdateDevice does, before anything is composed),
// composes, and starts the flasher on the new firmware only when every bank
// asked for is in it, in the master's folder as the window does.
FirmwareUpdateOutcome UpdateFirmware(const ProjectLayout& project, const FirmwareUpdate& update,
                                     MessageService& messages, ProgressSink& progress, ShellService& shell);

} // namespace c2c
