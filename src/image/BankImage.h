#pragma once
// The configuration image of the device and its builder.
//
// The image is five banks of 16,384 bytes. Banks 1 and 2 carry the CobID
// translation tables of the two directions (CAN0 to CAN1 in bank 1, CAN1 to
// CAN0 in bank 2), bank 1 also the settings block; banks 3 and 4 are all
// 0xFF and bank 5 all 0x00.
//
// The tables take one of two layouts, chosen for both directions together:
// - standard, when both ports run CAN 2.0A: a direct table of 2048 entries
//   of 4 bytes (original and modified identifier, 16 bits each) at
//   4 x identifier, and a 256-byte filter bitmap at offset 9000;
// - extended, as soon as one port runs CAN 2.0B: a list of at most 2000
//   entries of 8 bytes (32 bits each), sorted by original identifier, with
//   the two list sizes at bank 1 offsets 16200 and 16202.
// Multi-byte numbers are little-endian.

#include "documents/CanFrame.h"
#include "project/ProjectLayout.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace c2c {

struct CommSettings;
struct CobIdTables;

// Byte map of banks 1 and 2.
inline constexpr std::size_t kStandardEntries = kStandardIdCount; // one per 11-bit identifier, 4 bytes each
inline constexpr std::size_t kFilterOffset = 9000;        // filter bitmap, standard layout
inline constexpr std::size_t kFilterSize = 256;           // one bit per 11-bit identifier
inline constexpr std::size_t kMaxListEntries = 2000;      // extended list, 8 bytes each
inline constexpr std::size_t kSettingsOffset = 16100;     // bank 1: six settings bytes
inline constexpr std::size_t kListSizesOffset = 16200;    // bank 1: two 16-bit list sizes, extended layout

class BankImage {
public:
    using BankBytes = std::array<std::uint8_t, kBankSize>;

    // Banks 1 to 4 start as after a reset (0xFF), bank 5 is 0x00 and stays so.
    BankImage();

    // Bank `number`, 1 to 5. std::out_of_range for any other number.
    const BankBytes& Bank(int number) const;
    // Banks 1 to 4 only: bank 5 never changes, so asking for it is a
    // std::out_of_range like any other bad number.
    BankBytes& MutableBank(int number);

    // Every byte of banks 1 to 4 := 0xFF.
    void ResetBanks();

private:
    std::array<BankBytes, kBankCount> banks_;
};

// The whole build from the settings and tables as the build reads them
// (every row of the document, numbered by its position): resets banks 1 to
// 4, writes the tables in the layout the frame formats call for, and the
// settings block (and the list sizes in the extended layout). Throws Error
// for a frame-format number whose byte would be 0 while the number is not
// (256: the device would run CAN 2.0A, the window sized the tables for
// CAN 2.0B), naming `Type` or `TypeC1` and the value; for an identifier that
// is no integer and, in the standard layout, for one outside 0x000-0x7FF,
// naming the table, the row and the text; the image is then half built.
void BuildBankImage(const CommSettings& settings, const CobIdTables& tables, BankImage& image);

} // namespace c2c
