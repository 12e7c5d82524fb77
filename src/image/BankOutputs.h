#pragma once
// The configuration image written to the project's bin folder: the raw
// banks bank1.bin .. bank5.bin, and bankg.c, which renders banks 1 to 4 as
// C byte arrays placed in constant segments (banks 1-3 in SEGMENT0, bank 4
// in SEGMENT1).
//
// Every file goes through a temporary file renamed over the old one, so a
// failed write leaves the file of the previous run whole. A file that
// cannot be written is an Error that ends the command: the composer must
// never pick up a stale bank file without the user knowing.

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

// Writes the project's bank1.bin .. bank5.bin, in this order, each the
// 16,384 bytes of its bank. Throws Error("Project not valid") when no
// project is open (the files would land in /bin), and Error("Cannot create
// file \"PATH\". REASON") for the first file that cannot be written in full;
// the bin folder is not created.
void WriteBankBinaries(const ProjectLayout& project, const BankImage& image);

// Writes the project's bankg.c. Same errors as WriteBankBinaries.
void WriteBankSource(const ProjectLayout& project, const BankImage& image);

} // namespace c2c
