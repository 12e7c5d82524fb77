#pragma once
// The configuration image written to the project's bin folder: the raw
// banks bank1.bin .. bank5.bin, and bankg.c, which renders banks 1 to 4 as
// C byte arrays placed in constant segments (banks 1-3 in SEGMENT0, bank 4
// in SEGMENT1).
//
// The six files are replaced as a set: every new file is written and
// flushed under a temporary name first, then the old set goes, then the new
// files take their names. A failed build leaves the old set whole, or no set
// a composition would accept: never bank1.bin of one build beside bank2.bin
// of another, not even when the process is killed on the way. A file that
// cannot be written is an Error that ends the command.

#include <cstddef>
#include <string>

namespace c2c {

class BankImage;
class ProjectLayout;

// bankg.c: 4103 lines, each ending in CR LF, always this many bytes.
inline constexpr std::size_t kBankSourceLines = 4103;
inline constexpr std::size_t kBankSourceSize = 471159;

// The whole text of bankg.c for `image`.
std::string BankSourceText(const BankImage& image);

// Writes the project's bank1.bin .. bank5.bin, each the 16,384 bytes of its
// bank, and bankg.c, as one set. Throws Error("Project not valid") when no
// project is open (the files would land in /bin), Error("Cannot create file
// \"PATH\". REASON") for a file that cannot be written in full or is a
// folder, and Error("Cannot replace file ...") for an old file that cannot
// be removed; the bin folder is not created.
void WriteBankFiles(const ProjectLayout& project, const BankImage& image);

} // namespace c2c
