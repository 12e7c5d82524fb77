#pragma once
// The configuration that route and replay answer for: the image of a
// firmware, of bank files, or of a project built in memory.

#include "image/BankDecoder.h"

#include <string>

namespace c2c {

// The decoded image that `source` holds: a project folder (a folder with
// pargen.xml), whose image is built in memory as verify builds it, nothing
// written; otherwise whatever inspect reads (a firmware, a bin folder, a
// bank1.bin with bank2.bin beside it). Throws Error when the project does
// not build, the files cannot be read, or banks 1 and 2 hold only 0xFF.
DecodedImage LoadForwardingImage(const std::string& source);

// Whether `source` is taken as a project folder.
bool IsProjectSource(const std::string& source);

} // namespace c2c
