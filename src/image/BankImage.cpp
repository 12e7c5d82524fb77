#include "image/BankImage.h"

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "platform/Error.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace c2c {

namespace {

// The two translation tables: the caption of its tab in the Set CobID
// Access window (how errors name it to the user), and the bank that
// receives it.
struct Direction {
    int direction;
    const char* caption;
    int bank;
};

constexpr Direction kDirections[] = {
    {kCan0ToCan1, kCobIdTableNames[kCan0ToCan1], 1},
    {kCan1ToCan0, kCobIdTableNames[kCan1ToCan0], 2},
};

void PutLittleEndian16(BankImage::BankBytes& bank, std::size_t offset, std::uint32_t value)
{
    bank[offset] = static_cast<std::uint8_t>(value);
    bank[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLittleEndian32(BankImage::BankBytes& bank, std::size_t offset, std::uint32_t value)
{
    PutLittleEndian16(bank, offset, value);
    PutLittleEndian16(bank, offset + 2, value >> 16);
}

// The device keeps each setting in one byte: the low 8 bits of the number.
std::uint8_t Low8(std::int32_t value)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value));
}

// An identifier of the standard layout: a number in 0x000-0x7FF. The
// direct table and the bitmap have room for these alone, so anything else
// stops the build, naming the table, the row and the text as typed.
std::uint32_t StandardCobId(const std::string& text, std::size_t row, const Direction& direction)
{
    std::int32_t value = ParseInteger(text);
    if (!FitsFrameFormat(value, FrameFormat::Standard))
        throw Error("The CobID " + QuotedValue(text) + " in row " + std::to_string(row) + " of \"" +
                    direction.caption + "\" lies outside 0x000-0x7FF");
    return static_cast<std::uint32_t>(value);
}

using CobIdPair = std::pair<std::uint32_t, std::uint32_t>; // original, modified

// Standard layout: the direct tables of banks 1 and 2 and their filter
// bitmaps at offset 9000. A row without an original identifier is left out.
void WriteStandardTables(const CobIdTables& tables, bool positive, BankImage& image)
{
    for (const Direction& direction : kDirections) {
        // Positive: only the listed identifiers pass. Otherwise: all but them.
        std::array<std::uint8_t, kFilterSize> filter;
        filter.fill(positive ? 0x00 : 0xFF);
        auto& bank = image.MutableBank(direction.bank);
        const CobIdTable& table = tables.Table(direction.direction);
        for (std::size_t row = 0; row < table.size(); ++row) {
            const CobIdRow& entry = table[row];
            if (entry.Orig_CobID.empty())
                continue;
            const std::uint32_t id = StandardCobId(entry.Orig_CobID, row, direction);
            const std::uint32_t modified = entry.Mod_CobID.empty() ? id : StandardCobId(entry.Mod_CobID, row, direction);
            const auto bit = static_cast<std::uint8_t>(1u << (id % 8));
            if (positive)
                filter[id / 8] |= bit;
            else
                filter[id / 8] &= static_cast<std::uint8_t>(~bit);
            // A later row of the same identifier overwrites the entry.
            PutLittleEndian16(bank, 4 * id, id);
            PutLittleEndian16(bank, 4 * id + 2, modified);
        }
        std::copy(filter.begin(), filter.end(), bank.begin() + kFilterOffset);
    }
}

// Extended layout: the sorted lists of banks 1 and 2; returns their sizes,
// capped at 2000 (the rows with the largest identifiers go).
std::array<std::uint16_t, 2> WriteExtendedTables(const CobIdTables& tables, BankImage& image)
{
    std::vector<CobIdPair> lists[2];
    for (const Direction& direction : kDirections) {
        auto& list = lists[direction.bank - 1];
        for (const CobIdRow& entry : tables.Table(direction.direction)) {
            if (entry.Orig_CobID.empty())
                continue;
            // The 32-bit pattern of the number is stored as it is.
            const auto id = static_cast<std::uint32_t>(ParseInteger(entry.Orig_CobID));
            const auto modified =
                entry.Mod_CobID.empty() ? id : static_cast<std::uint32_t>(ParseInteger(entry.Mod_CobID));
            list.emplace_back(id, modified);
        }
    }

    std::array<std::uint16_t, 2> sizes{};
    for (const Direction& direction : kDirections) {
        auto& list = lists[direction.bank - 1];
        // Stable: entries of the same identifier keep their document order.
        std::stable_sort(list.begin(), list.end(),
                         [](const CobIdPair& a, const CobIdPair& b) { return a.first < b.first; });
        // Beyond the cap, the largest identifiers are dropped without a word.
        const std::size_t size = std::min(list.size(), kMaxListEntries);
        auto& bank = image.MutableBank(direction.bank);
        for (std::size_t i = 0; i < size; ++i) {
            PutLittleEndian32(bank, 8 * i, list[i].first);
            PutLittleEndian32(bank, 8 * i + 4, list[i].second);
        }
        sizes[static_cast<std::size_t>(direction.bank - 1)] = static_cast<std::uint16_t>(size);
    }
    return sizes;
}

} // namespace

BankImage::BankImage()
{
    ResetBanks();
    banks_[kBankCount - 1].fill(0x00);
}

const BankImage::BankBytes& BankImage::Bank(int number) const
{
    if (number < 1 || number > kBankCount)
        throw std::out_of_range("no bank " + std::to_string(number));
    return banks_[static_cast<std::size_t>(number - 1)];
}

BankImage::BankBytes& BankImage::MutableBank(int number)
{
    if (number < 1 || number > kBankCount - 1)
        throw std::out_of_range("bank " + std::to_string(number) + " cannot be changed");
    return banks_[static_cast<std::size_t>(number - 1)];
}

void BankImage::ResetBanks()
{
    for (int number = 1; number < kBankCount; ++number)
        banks_[static_cast<std::size_t>(number - 1)].fill(0xFF);
}

void BuildBankImage(const CommSettings& settings, const CobIdTables& tables, BankImage& image)
{
    // Every setting is taken as its low byte, the frame formats too: 0 is
    // CAN 2.0A and any other byte CAN 2.0B. A number whose byte is 0 while
    // it is not would tell the device CAN 2.0A where the window and the
    // layout take CAN 2.0B: refused before anything is written.
    for (const auto& [element, type] : {std::pair{kPargenElements[kType], settings.format0},
                                        std::pair{kPargenElements[kTypeC1], settings.format1}})
        if (IsLostFrameFormat(type))
            throw Error(*FrameFormatNumberText(element, type));
    image.ResetBanks();
    const std::uint8_t format0 = FrameFormatByte(settings.format0);
    const std::uint8_t format1 = FrameFormatByte(settings.format1);
    const std::uint8_t positive = Low8(settings.positive);
    const bool extended = LayoutOf(settings.format0, settings.format1) == TableLayout::Extended;
    std::array<std::uint16_t, 2> sizes{};
    if (extended)
        sizes = WriteExtendedTables(tables, image);
    else
        WriteStandardTables(tables, positive != 0, image);

    auto& bank1 = image.MutableBank(1);
    // The device counts bit rates from 1; an index of -1 (no entry) wraps to 0.
    bank1[kSettingsOffset + 0] = static_cast<std::uint8_t>(Low8(settings.bitRate0) + 1);
    bank1[kSettingsOffset + 1] = static_cast<std::uint8_t>(Low8(settings.bitRate1) + 1);
    bank1[kSettingsOffset + 2] = format0;
    bank1[kSettingsOffset + 3] = positive;
    // Bit 0: CAN0's bit rate from the dip switch, bit 1: CAN1's.
    bank1[kSettingsOffset + 4] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(settings.dipSwitch0) +
                                                           2 * static_cast<std::uint32_t>(settings.dipSwitch1));
    bank1[kSettingsOffset + 5] = format1;
    if (extended) {
        PutLittleEndian16(bank1, kListSizesOffset, sizes[0]);
        PutLittleEndian16(bank1, kListSizesOffset + 2, sizes[1]);
    }
}

} // namespace c2c
