#include "image/BankImage.h"

#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "platform/Error.h"
#include "platform/XmlDocument.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace c2c {

namespace {

// The two translation tables: the section of CanCanCobID.xml, the caption
// of its tab in the Set CobID Access dialog (how errors name it to the
// user), and the bank that receives it.
struct Direction {
    const char* section;
    const char* caption;
    int bank;
};

constexpr Direction kDirections[] = {
    {"Can0_to_Can1", "CAN0 to CAN1", 1},
    {"Can1_to_Can0", "CAN1 to CAN0", 2},
};

constexpr const char* kTablesRoot = "CanCanCobID";
constexpr const char* kOrigAttribute = "Orig_CobID";
constexpr const char* kModAttribute = "Mod_CobID";

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

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

// The text of an element that holds a single text (or nothing); none for
// nested elements, mixed content, or a node that is not an element.
std::optional<std::string> SingleText(pugi::xml_node node)
{
    if (node.type() != pugi::node_element)
        return std::nullopt;
    pugi::xml_node first = node.first_child();
    if (!first)
        return std::string();
    if (first.next_sibling() || (first.type() != pugi::node_pcdata && first.type() != pugi::node_cdata))
        return std::nullopt;
    return std::string(first.value());
}

// The number at `position` of the settings element. Errors name the value
// by its position and the name the dialog writes there.
std::int32_t SettingAt(pugi::xml_node settings, std::size_t position, const std::string& file)
{
    const std::string what = "Settings value number " + std::to_string(position) + " (" +
                             kPargenElements[position] + ") ";
    pugi::xml_node child = settings.first_child();
    for (std::size_t i = 0; child && i < position; ++i)
        child = child.next_sibling();
    if (!child)
        throw Error(what + "not found in " + Quoted(file));
    std::optional<std::string> text = SingleText(child);
    if (!text)
        throw Error(what + "in " + Quoted(file) + " does not hold a single text");
    return ParseInteger(*text);
}

std::uint8_t Low8(std::int32_t value)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value));
}

// CanCanCobID.xml, loaded once for both directions.
class TablesDocument {
public:
    explicit TablesDocument(const std::string& file) : file_(file)
    {
        LoadXmlFileOrThrow(document_, file);
        root_ = RequiredChildElement(document_, kTablesRoot, Quoted(file));
    }

    // Calls handle(rowNumber, origText, modText) for every child of the
    // direction's section, in document order. Every child counts as a row,
    // so the row number is the N° the dialog shows.
    template <typename Handler>
    void ForEachRow(const Direction& direction, Handler&& handle) const
    {
        pugi::xml_node section = RequiredChildElement(root_, direction.section, Quoted(file_));
        std::size_t row = 0;
        for (pugi::xml_node child : section.children()) {
            const char* orig = Attribute(child, kOrigAttribute, row, direction);
            const char* mod = Attribute(child, kModAttribute, row, direction);
            handle(row, std::string_view(orig), std::string_view(mod));
            ++row;
        }
    }

private:
    const char* Attribute(pugi::xml_node row, const char* name, std::size_t number, const Direction& direction) const
    {
        pugi::xml_attribute attribute = row.attribute(name);
        if (!attribute)
            throw Error("Attribute " + Quoted(name) + " not found in row " + std::to_string(number) + " of " +
                        Quoted(direction.section) + " in " + Quoted(file_));
        return attribute.value();
    }

    std::string file_;
    pugi::xml_document document_;
    pugi::xml_node root_;
};

// An identifier of the standard layout: a number in 0x000-0x7FF. The
// direct table and the bitmap have room for these alone, so anything else
// stops the build, naming the table, the row and the text as typed.
std::uint32_t StandardCobId(std::string_view text, std::size_t row, const Direction& direction)
{
    std::int32_t value = ParseInteger(text);
    if (value < 0 || static_cast<std::uint32_t>(value) > kMaxStandardCobId)
        throw Error("The CobID '" + std::string(text) + "' in row " + std::to_string(row) + " of " +
                    Quoted(direction.caption) + " lies outside 0x000-0x7FF");
    return static_cast<std::uint32_t>(value);
}

using CobIdPair = std::pair<std::uint32_t, std::uint32_t>; // original, modified

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

BankSettings ReadCommSettings(const std::string& pargenFile)
{
    // The declaration is kept as a node: the settings element is the first
    // top-level node, whatever it is, so anything written ahead of it makes
    // the build stop rather than be skipped over.
    pugi::xml_document document;
    LoadXmlFileOrThrow(document, pargenFile, Declaration::Keep);
    pugi::xml_node settings = document.first_child();
    if (settings.type() != pugi::node_element)
        throw Error("The first node of " + Quoted(pargenFile) + " is not the settings element");

    BankSettings result;
    result.BitRate0 = Low8(SettingAt(settings, 0, pargenFile));
    result.BitRate1 = Low8(SettingAt(settings, 1, pargenFile));
    result.CanType0 = Low8(SettingAt(settings, 2, pargenFile));
    result.Positive = Low8(SettingAt(settings, 3, pargenFile));
    const auto dip0 = static_cast<std::uint32_t>(SettingAt(settings, 4, pargenFile));
    const auto dip1 = static_cast<std::uint32_t>(SettingAt(settings, 5, pargenFile));
    result.DipFlags = static_cast<std::uint8_t>(dip0 + 2 * dip1);
    try {
        // Documents of older projects stop after position 5: CAN1 then
        // runs the frame format of CAN0.
        result.CanType1 = Low8(SettingAt(settings, 6, pargenFile));
    } catch (const Error&) {
        result.CanType1 = result.CanType0;
    }
    return result;
}

void LoadStandardTables(const std::string& canCobIdFile, BankSettings& settings, BankImage& image)
{
    // Positive: only the listed identifiers pass. Otherwise: all but them.
    const bool positive = settings.Positive != 0;
    settings.Filter0.fill(positive ? 0x00 : 0xFF);
    settings.Filter1.fill(positive ? 0x00 : 0xFF);

    TablesDocument document(canCobIdFile);
    for (const Direction& direction : kDirections) {
        auto& filter = direction.bank == 1 ? settings.Filter0 : settings.Filter1;
        auto& bank = image.MutableBank(direction.bank);
        document.ForEachRow(direction, [&](std::size_t row, std::string_view orig, std::string_view mod) {
            if (orig.empty())
                return;
            const std::uint32_t id = StandardCobId(orig, row, direction);
            const std::uint32_t modified = mod.empty() ? id : StandardCobId(mod, row, direction);
            const auto bit = static_cast<std::uint8_t>(1u << (id % 8));
            if (positive)
                filter[id / 8] |= bit;
            else
                filter[id / 8] &= static_cast<std::uint8_t>(~bit);
            // A later row of the same identifier overwrites the entry.
            PutLittleEndian16(bank, 4 * id, id);
            PutLittleEndian16(bank, 4 * id + 2, modified);
        });
    }
    std::copy(settings.Filter0.begin(), settings.Filter0.end(), image.MutableBank(1).begin() + kFilterOffset);
    std::copy(settings.Filter1.begin(), settings.Filter1.end(), image.MutableBank(2).begin() + kFilterOffset);
}

ListSizes LoadExtendedTables(const std::string& canCobIdFile, BankImage& image)
{
    std::vector<CobIdPair> lists[2];
    {
        TablesDocument document(canCobIdFile);
        for (const Direction& direction : kDirections) {
            auto& list = lists[direction.bank - 1];
            document.ForEachRow(direction, [&](std::size_t, std::string_view orig, std::string_view mod) {
                if (orig.empty())
                    return;
                // The 32-bit pattern of the number is stored as it is.
                const auto id = static_cast<std::uint32_t>(ParseInteger(orig));
                const auto modified = mod.empty() ? id : static_cast<std::uint32_t>(ParseInteger(mod));
                list.emplace_back(id, modified);
            });
        }
    }

    std::uint16_t sizes[2] = {0, 0};
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
        sizes[direction.bank - 1] = static_cast<std::uint16_t>(size);
    }
    return ListSizes{sizes[0], sizes[1]};
}

void BuildBankImage(const Workspace& workspace, BankImage& image)
{
    // Without a project the documents would be looked for at the root of
    // the file system, and the outputs written there.
    if (!workspace.IsProjectValid())
        throw Error(kMsgProjectNotValid);
    image.ResetBanks();
    BankSettings settings = ReadCommSettings(workspace.PargenFile);
    const bool extended = settings.UsesExtendedLayout();
    ListSizes sizes;
    if (extended)
        sizes = LoadExtendedTables(workspace.CanCobIdFile, image);
    else
        LoadStandardTables(workspace.CanCobIdFile, settings, image);

    auto& bank1 = image.MutableBank(1);
    // The device counts bit rates from 1; an index of -1 (no entry) wraps to 0.
    bank1[kSettingsOffset + 0] = static_cast<std::uint8_t>(settings.BitRate0 + 1);
    bank1[kSettingsOffset + 1] = static_cast<std::uint8_t>(settings.BitRate1 + 1);
    bank1[kSettingsOffset + 2] = settings.CanType0;
    bank1[kSettingsOffset + 3] = settings.Positive;
    bank1[kSettingsOffset + 4] = settings.DipFlags;
    bank1[kSettingsOffset + 5] = settings.CanType1;
    if (extended) {
        PutLittleEndian16(bank1, kListSizesOffset, sizes.Can0ToCan1);
        PutLittleEndian16(bank1, kListSizesOffset + 2, sizes.Can1ToCan0);
    }
}

} // namespace c2c
