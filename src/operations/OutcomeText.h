#pragma once
// What a build, a composition and a flasher start did, in words: the
// Generate Firmware window's status line and the command line's success
// lines say the same things the same way. Each text is a clause without a
// full stop, for the front end to join ("; ") and finish.

#include "operations/Operations.h"

#include <optional>
#include <string>

namespace c2c {

// "bank1.bin .. bank5.bin and bankg.c written to DIR: 12 rows in bank 1,
// 1 row in bank 2"
std::string BuildText(const DeviceBuild& build);

// A completed chain: "New_SX40517.sx written to DIR, banks 1 and 2
// inserted", naming a bank whose window is missing as left out ("bank 1
// inserted, bank 2 left out: its window is not in the master"). A chain
// that did not complete: "no new firmware: " + why, `reason` being the
// last message the run showed (the one that stopped it).
std::string FirmwareText(const ComposerSettings& settings, const ChainOutcome& outcome, const std::string& reason);

// "flasher started on COM3", or why not.
std::string FlasherText(const ProjectLayout& project, const std::string& firmware, int port, FlasherStart start);
// Why the flasher was not started after a run that did not put every bank
// into a new firmware.
std::string FlasherNotTriedText(const ChainOutcome& outcome);

// "COM1" for port 0 .. "COM8" for port 7.
std::string SerialPortName(int port);

// The file a message of the composer or of the flasher start is about:
// the master, a bank file, the bin folder, the new firmware or the
// flasher. Empty for a message about no particular file.
std::string ComposerMessageFile(const ComposerSettings& settings, const std::string& message);

// A message of the composer or of the flasher start followed by the file it
// is about, which the message itself does not name:
// "File *.Sx Not Found,Abort Procedure: "/w/MASTER/SX40517.sx"".
std::string ComposerMessageText(const ComposerSettings& settings, const std::string& message);

// `text` with its first letter in upper case: a clause made a sentence.
std::string Sentence(std::string text);

} // namespace c2c
