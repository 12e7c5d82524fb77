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

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace c2c {

struct Workspace;

inline constexpr std::size_t kBankSize = 16384;
inline constexpr int kBankCount = 5;

// Byte map of banks 1 and 2.
inline constexpr std::size_t kStandardEntries = 2048;     // one per 11-bit identifier, 4 bytes each
inline constexpr std::size_t kFilterOffset = 9000;        // filter bitmap, standard layout
inline constexpr std::size_t kFilterSize = 256;           // one bit per 11-bit identifier
inline constexpr std::size_t kMaxListEntries = 2000;      // extended list, 8 bytes each
inline constexpr std::size_t kSettingsOffset = 16100;     // bank 1: six settings bytes
inline constexpr std::size_t kListSizesOffset = 16200;    // bank 1: two 16-bit list sizes, extended layout
inline constexpr std::uint32_t kMaxStandardCobId = 0x7FF; // largest CAN 2.0A identifier

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

// The builder's working record of one build: the settings read from
// pargen.xml, each the low 8 bits of the number read, and the two filter
// bitmaps of the standard layout.
struct BankSettings {
    std::uint8_t BitRate0 = 0; // index in the bit-rate list; the image stores it + 1
    std::uint8_t BitRate1 = 0;
    std::uint8_t CanType0 = 0; // 0 = CAN 2.0A; any other value counts as 2.0B
    std::uint8_t CanType1 = 0;
    std::uint8_t Positive = 0;
    std::uint8_t DipFlags = 0; // bit 0: CAN0 bit rate from the dip switch, bit 1: CAN1
    std::array<std::uint8_t, kFilterSize> Filter0{}; // CAN0 to CAN1
    std::array<std::uint8_t, kFilterSize> Filter1{}; // CAN1 to CAN0

    bool UsesExtendedLayout() const { return CanType0 != 0 || CanType1 != 0; }
};

// Capped list sizes of the extended layout.
struct ListSizes {
    std::uint16_t Can0ToCan1 = 0;
    std::uint16_t Can1ToCan0 = 0;
};

// Every function below throws c2c::Error with the text for the general error
// report: a missing or broken document, a missing settings value, a missing
// section or attribute, a number that ParseInteger rejects, and in the
// standard layout an identifier outside 0x000-0x7FF.

// Reads the settings from pargen.xml: positions 0 to 5 of the first
// top-level node are required, position 6 (CAN1's frame format) falls back
// to CAN0's. Leaves both bitmaps zero.
BankSettings ReadCommSettings(const std::string& pargenFile);

// Standard layout: fills both bitmaps of `settings` (polarity by its
// positive flag) and the direct tables of banks 1 and 2, then copies the
// bitmaps to offset 9000 of banks 1 and 2.
void LoadStandardTables(const std::string& canCobIdFile, BankSettings& settings, BankImage& image);

// Extended layout: writes the sorted lists of banks 1 and 2 and returns
// their sizes, capped at 2000 (the rows with the largest identifiers go).
ListSizes LoadExtendedTables(const std::string& canCobIdFile, BankImage& image);

// The whole build from the workspace's PargenFile and CanCobIdFile (an
// empty ProjectDir is refused with "Project not valid"): resets
// banks 1 to 4, reads the settings, loads the tables in the layout the
// frame formats call for, and writes the settings block (and the list sizes
// in the extended layout). An error leaves the image half built.
void BuildBankImage(const Workspace& workspace, BankImage& image);

} // namespace c2c
