#include "image/BankDecoder.h"

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"

#include <algorithm>
#include <cstdlib>

namespace c2c {

namespace {

using BankBytes = BankImage::BankBytes;

constexpr std::size_t kStandardTableBytes = 4 * kStandardEntries; // 8192
constexpr std::size_t kListBytes = 8 * kMaxListEntries;           // 16000
constexpr std::size_t kSettingsBytes = 6;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
// A warning lists this many identifiers and counts the rest.
constexpr std::size_t kListedIdentifiers = 8;

constexpr const char* kSettingsNames[kSettingsBytes] = {
    "the CAN 0 bit-rate code",          "the CAN 1 bit-rate code", "the CAN 0 frame format",
    "the Positive Implementation flag", "the dip-switch flags",    "the CAN 1 frame format",
};

std::uint32_t LittleEndian(const BankBytes& bank, std::size_t offset, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | bank[offset + static_cast<std::size_t>(i)];
    return value;
}

std::string Range(std::size_t from, std::size_t to)
{
    return std::to_string(from) + "-" + std::to_string(to - 1) + " (" + IdentifierText(static_cast<std::uint32_t>(from)) +
           "-" + IdentifierText(static_cast<std::uint32_t>(to - 1)) + ")";
}

// "0x001, 0x002 and 3 more"
std::string SomeIdentifiers(const std::vector<std::uint32_t>& identifiers)
{
    std::string text;
    for (std::size_t i = 0; i < identifiers.size() && i < kListedIdentifiers; ++i)
        text += (i ? ", " : "") + IdentifierText(identifiers[i]);
    if (identifiers.size() > kListedIdentifiers)
        text += " and " + std::to_string(identifiers.size() - kListedIdentifiers) + " more";
    return text;
}

// Bytes [from, to) of bank `number` must all be 0xFF, as every build leaves them.
void CheckFiller(const BankBytes& bank, int number, std::size_t from, std::size_t to,
                 std::vector<std::string>& warnings)
{
    std::size_t count = 0;
    std::size_t first = 0;
    for (std::size_t offset = from; offset < to; ++offset) {
        if (bank[offset] != 0xFF && count++ == 0)
            first = offset;
    }
    if (count > 0)
        warnings.push_back("Bank " + std::to_string(number) + " bytes " + Range(from, to) + " should all be 0xFF, but " +
                           std::to_string(count) + (count == 1 ? " is" : " are") + " not, the first at " +
                           std::to_string(first));
}

void DecodeSettings(const BankBytes& bank1, DecodedImage& image)
{
    const std::uint8_t* settings = bank1.data() + kSettingsOffset;
    const std::uint8_t dip = settings[4];
    image.can0 = {settings[0], (dip & 1) != 0, settings[2]};
    image.can1 = {settings[1], (dip & 2) != 0, settings[5]};
    image.positive = settings[3];
    image.extended = LayoutOf(image.can0.format, image.can1.format) == TableLayout::Extended;

    for (int port = 0; port < 2; ++port) {
        const DecodedPort& decoded = image.Port(port);
        const std::string name = PortCaption(PortAt(port));
        if (!decoded.BitRateKbps() && !decoded.bitRateFromDipSwitch)
            image.warnings.push_back(name + " has bit-rate code " + std::to_string(decoded.bitRateCode) +
                                     ", which is none of the list (1-9)");
        if (decoded.format > 1)
            image.warnings.push_back(name + " has frame-format byte " + std::to_string(decoded.format) +
                                     " (0 is CAN 2.0A, 1 CAN 2.0B); it counts as CAN 2.0B");
    }
    if (image.positive > 1)
        image.warnings.push_back("The Positive Implementation byte is " + std::to_string(image.positive) +
                                 " (0 or 1); it counts as set");
    if (dip > 3)
        image.warnings.push_back("The dip-switch byte is " + std::to_string(dip) +
                                 "; only its two lowest bits mean something");
}

// The direct table and filter bitmap of one direction, standard layout.
void DecodeStandard(const BankBytes& bank, int direction, bool positive, DecodedImage& image)
{
    const std::string table = kCobIdTableNames[static_cast<std::size_t>(direction)];
    std::vector<std::uint32_t> misplaced, wideModified, bitmapDisagrees;
    auto& translations = image.translations[static_cast<std::size_t>(direction)];
    auto& filter = image.filters[static_cast<std::size_t>(direction)];
    std::copy(bank.begin() + kFilterOffset, bank.begin() + kFilterOffset + kFilterSize, filter.begin());
    for (std::uint32_t id = 0; id < kStandardEntries; ++id) {
        const std::uint32_t entry = LittleEndian(bank, 4 * id, 4);
        const bool listed = entry != kNoEntry;
        if (listed) {
            const std::uint32_t modified = entry >> 16;
            translations.push_back({id, modified});
            if ((entry & 0xFFFF) != id)
                misplaced.push_back(id);
            if (!FitsFrameFormat(modified, FrameFormat::Standard))
                wideModified.push_back(id);
        }
        // Positive: the bit of a listed identifier is set and all others
        // clear; otherwise the other way round.
        const bool bit = (bank[kFilterOffset + id / 8] >> (id % 8)) & 1;
        if (bit != (listed == positive))
            bitmapDisagrees.push_back(id);
    }
    if (!misplaced.empty())
        image.warnings.push_back(table + ": the entries of " + SomeIdentifiers(misplaced) +
                                 " hold another original identifier than their own");
    if (!wideModified.empty())
        image.warnings.push_back(table + ": the entries of " + SomeIdentifiers(wideModified) +
                                 " translate to an identifier beyond 0x7FF");
    if (!bitmapDisagrees.empty())
        image.warnings.push_back(table + ": the filter bitmap disagrees with the table at " +
                                 SomeIdentifiers(bitmapDisagrees));
}

// The list of one direction, extended layout; returns the bytes it takes.
std::size_t DecodeExtended(const BankBytes& bank, int direction, std::uint32_t storedSize, DecodedImage& image)
{
    const std::string table = kCobIdTableNames[static_cast<std::size_t>(direction)];
    std::size_t size = storedSize;
    if (size > kMaxListEntries) {
        image.warnings.push_back(table + ": the stored list size " + std::to_string(storedSize) +
                                 " is more than the 2000 entries a bank holds; 2000 are read");
        size = kMaxListEntries;
    }
    auto& translations = image.translations[static_cast<std::size_t>(direction)];
    for (std::size_t i = 0; i < size; ++i)
        translations.push_back({LittleEndian(bank, 8 * i, 4), LittleEndian(bank, 8 * i + 4, 4)});
    for (std::size_t i = 1; i < translations.size(); ++i) {
        if (translations[i].original < translations[i - 1].original) {
            image.warnings.push_back(table + ": the list is not in ascending order of original identifier at entry " +
                                     std::to_string(i));
            break;
        }
    }
    return 8 * size;
}

} // namespace

std::optional<int> DecodedPort::BitRateKbps() const
{
    if (bitRateCode < 1 || bitRateCode > kBitRates.size())
        return std::nullopt;
    return std::atoi(kBitRates[bitRateCode - 1u]);
}

std::string BitRateText(const DecodedPort& port)
{
    const auto kbps = port.BitRateKbps();
    const std::string rate = kbps ? std::to_string(*kbps) + " kbit/s" : "bit-rate code " + std::to_string(port.bitRateCode);
    return port.bitRateFromDipSwitch ? "the dip switch's rate (" + rate + " stored)" : rate;
}

std::string FrameFormatByteText(std::uint8_t format)
{
    return format == 0   ? FrameFormatName(FrameFormat::Standard)
           : format == 1 ? FrameFormatName(FrameFormat::Extended)
                         : "format byte " + std::to_string(format);
}

std::string LayoutText(bool extended)
{
    return extended ? "the extended layout" : "the standard layout";
}

DecodedImage DecodeBankImage(const BankBytes& bank1, const BankBytes& bank2)
{
    DecodedImage image;
    DecodeSettings(bank1, image);
    if (image.extended) {
        const std::size_t used1 = DecodeExtended(bank1, kCan0ToCan1, LittleEndian(bank1, kListSizesOffset, 2), image);
        const std::size_t used2 =
            DecodeExtended(bank2, kCan1ToCan0, LittleEndian(bank1, kListSizesOffset + 2, 2), image);
        CheckFiller(bank1, 1, used1, kSettingsOffset, image.warnings);
        CheckFiller(bank1, 1, kSettingsOffset + kSettingsBytes, kListSizesOffset, image.warnings);
        CheckFiller(bank1, 1, kListSizesOffset + 4, kBankSize, image.warnings);
        CheckFiller(bank2, 2, used2, kBankSize, image.warnings);
    } else {
        DecodeStandard(bank1, kCan0ToCan1, image.IsPositive(), image);
        DecodeStandard(bank2, kCan1ToCan0, image.IsPositive(), image);
        for (int number : {1, 2}) {
            const BankBytes& bank = number == 1 ? bank1 : bank2;
            CheckFiller(bank, number, kStandardTableBytes, kFilterOffset, image.warnings);
            const std::size_t settingsEnd = number == 1 ? kSettingsOffset : kBankSize;
            CheckFiller(bank, number, kFilterOffset + kFilterSize, settingsEnd, image.warnings);
        }
        CheckFiller(bank1, 1, kSettingsOffset + kSettingsBytes, kBankSize, image.warnings);
    }
    return image;
}

std::string DescribeBankByte(int bank, std::size_t offset, bool extended)
{
    const std::string table = kCobIdTableNames[bank == 1 ? kCan0ToCan1 : kCan1ToCan0];
    if (bank == 1 && offset >= kSettingsOffset && offset < kSettingsOffset + kSettingsBytes)
        return kSettingsNames[offset - kSettingsOffset];
    if (extended) {
        if (offset < kListBytes)
            return "list entry " + std::to_string(offset / 8) + " of " + table;
        if (bank == 1 && offset >= kListSizesOffset && offset < kListSizesOffset + 4)
            return std::string("the size of the list of ") +
                   kCobIdTableNames[offset < kListSizesOffset + 2 ? kCan0ToCan1 : kCan1ToCan0];
    } else {
        if (offset < kStandardTableBytes)
            return "the entry of identifier " + IdentifierText(static_cast<std::uint32_t>(offset / 4)) + " of " +
                   table;
        if (offset >= kFilterOffset && offset < kFilterOffset + kFilterSize) {
            const auto first = static_cast<std::uint32_t>(8 * (offset - kFilterOffset));
            return "the filter bitmap of " + table + " at identifiers " + IdentifierText(first) + "-" +
                   IdentifierText(first + 7);
        }
    }
    return "a byte that should be 0xFF";
}

} // namespace c2c
