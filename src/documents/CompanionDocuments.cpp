#include "documents/CompanionDocuments.h"

#include "documents/CanFrame.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/XmlDocument.h"
#include "project/ProjectLayout.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace c2c {

namespace {

using Attributes = std::vector<std::pair<const char*, std::string>>;

void AppendRow(pugi::xml_node root, const Attributes& attributes)
{
    pugi::xml_node row = root.append_child("row");
    for (const auto& [name, value] : attributes)
        row.append_attribute(name).set_value(value.c_str());
}

std::string SideName(bool can1)
{
    return PortCaption(can1 ? CanPort::Can1 : CanPort::Can0);
}

// Where an entry sits, for error texts: "CAN 1, entry 3".
std::string EntryPlace(bool can1, std::size_t position)
{
    return SideName(can1) + ", entry " + std::to_string(position + 1);
}

// Reads the ordering keys of one document: the program's integer syntax,
// and nothing above the document's bound.
class KeyReader {
public:
    KeyReader(const std::string& path, std::int32_t bound) : file_(FileNameOf(path)), bound_(bound) {}

    std::int32_t operator()(const std::string& text, const char* attribute, const std::string& place) const
    {
        std::int32_t key = ParseInteger(text);
        if (key > bound_)
            throw Error("Value '" + text + "' of " + attribute + " (" + place + ") in " + file_ + " is above " +
                        std::to_string(bound_));
        return key;
    }

private:
    std::string file_;
    std::int32_t bound_;
};

// Positions of `keys` in ascending key order, the later of equal keys first:
// the order in which these tables have always been stored.
template <typename Key>
std::vector<std::size_t> LaterFirstOrder(const std::vector<Key>& keys)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&keys](std::size_t a, std::size_t b) { return keys[a] != keys[b] ? keys[a] < keys[b] : a > b; });
    return order;
}

// The entries up to the first one that `isEnd` marks as the end of the table.
template <typename Entry, typename IsEnd>
std::size_t UsedLength(const std::vector<Entry>& table, IsEnd isEnd)
{
    return static_cast<std::size_t>(std::find_if(table.begin(), table.end(), isEnd) - table.begin());
}

// ---------------------------------------------------------------- SDO

// SDO keys compare as 16-bit unsigned numbers; a text that is no number
// counts as 0 rather than failing the document.
std::uint16_t SdoKey(const std::string& text)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(ParseIntegerOr(text, 0)) & 0xFFFFu);
}

void AppendSdoRows(pugi::xml_node root, const std::vector<SdoEntry>& table, bool can1)
{
    std::size_t used = UsedLength(table, [](const SdoEntry& entry) { return entry.ReadWrite.empty(); });
    std::vector<std::pair<std::uint16_t, std::uint16_t>> keys;
    keys.reserve(used);
    for (std::size_t i = 0; i < used; ++i)
        keys.emplace_back(SdoKey(table[i].IndexA), SdoKey(table[i].SubindexA));
    std::vector<std::size_t> order(used);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

    for (std::size_t i : order) {
        const SdoEntry& entry = table[i];
        // Bit 0 marks the CAN 1 table, bit 4 a write.
        bool write = entry.ReadWrite == "1";
        std::string conf = can1 ? (write ? "17" : "1") : (write ? "16" : "0");
        AppendRow(root, {{"conf", conf},
                         {"IndexA", entry.IndexA},
                         {"SubindexA", entry.SubindexA},
                         {"devIDB", entry.DevIdB},
                         {"IndexB", entry.IndexB},
                         {"SubindexB", entry.SubindexB},
                         {"nbyteB", entry.NByteB},
                         {"mnemonico", entry.Mnemonic}});
    }
}

// ---------------------------------------------------------------- EMCY

std::string BypassSet(const EmcyEntry& entry, bool can1, const std::string& place)
{
    int selector = static_cast<int>(entry.Selector);
    if (selector < 0 || selector > static_cast<int>(EmcySelector::Manufacturer3))
        throw Error("EMCY translation selector " + std::to_string(selector) + " (" + place + ") is not valid");
    return std::to_string(2 * selector + (entry.TranslationEnabled ? 1 : 0) + (can1 ? 32 : 0));
}

void AppendEmcyRows(pugi::xml_node root, const std::vector<EmcyEntry>& table, bool can1, const KeyReader& readKey)
{
    std::vector<std::int32_t> keys;
    keys.reserve(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        keys.push_back(readKey(table[i].IdDev, "id_dev", EntryPlace(can1, i)));

    for (std::size_t i : LaterFirstOrder(keys)) {
        const EmcyEntry& entry = table[i];
        AppendRow(root, {{"id_dev", entry.IdDev},
                         {"mask_eq_ec", entry.MaskEc},
                         {"mask_eq_er", entry.MaskEr},
                         {"mask_eq_m1", entry.MaskM1},
                         {"mask_eq_m2", entry.MaskM2},
                         {"mask_eq_m3", entry.MaskM3},
                         {"enmask_eq_ec", entry.EnMaskEc},
                         {"enmask_eq_er", entry.EnMaskEr},
                         {"enmask_eq_m1", entry.EnMaskM1},
                         {"enmask_eq_m2", entry.EnMaskM2},
                         {"enmask_eq_m3", entry.EnMaskM3},
                         {"bypass_set", BypassSet(entry, can1, EntryPlace(can1, i))}});
    }
}

// ---------------------------------------------------------------- EMCY word

// "bit0_b0", "bit0_b1", "bit0_poscomp", "bit1_b0", ... "bit15_poscomp".
const std::array<std::string, 48>& EmcyWordBitNames()
{
    static const std::array<std::string, 48> names = [] {
        std::array<std::string, 48> result;
        const char* suffixes[] = {"_b0", "_b1", "_poscomp"};
        for (std::size_t bit = 0; bit < 16; ++bit)
            for (std::size_t part = 0; part < 3; ++part)
                result[bit * 3 + part] = "bit" + std::to_string(bit) + suffixes[part];
        return result;
    }();
    return names;
}

void AppendEmcyWordRows(pugi::xml_node root, const std::vector<EmcyWordEntry>& table, bool can1,
                        const KeyReader& readKey)
{
    std::vector<std::array<std::int32_t, 3>> keys;
    keys.reserve(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::string place = EntryPlace(can1, i);
        keys.push_back({readKey(table[i].DevId, "devid", place), readKey(table[i].IndexAddrm, "index_addrm", place),
                        readKey(table[i].Subindex, "subindex", place)});
    }

    const auto& bitNames = EmcyWordBitNames();
    for (std::size_t i : LaterFirstOrder(keys)) {
        const EmcyWordEntry& entry = table[i];
        Attributes attributes{{"index_addrm", entry.IndexAddrm},
                              {"subindex", entry.Subindex},
                              {"extdata", can1 ? "1" : "0"},
                              {"devid", entry.DevId}};
        attributes.reserve(4 + bitNames.size());
        for (std::size_t bit = 0; bit < entry.Bits.size(); ++bit) {
            attributes.emplace_back(bitNames[bit * 3].c_str(), entry.Bits[bit].B0);
            attributes.emplace_back(bitNames[bit * 3 + 1].c_str(), entry.Bits[bit].B1);
            attributes.emplace_back(bitNames[bit * 3 + 2].c_str(), entry.Bits[bit].PosComp);
        }
        AppendRow(root, attributes);
    }
}

// ---------------------------------------------------------------- PDO

void AppendPdoRows(pugi::xml_node root, const std::vector<PdoEntry>& table, bool can1, const KeyReader& readKey)
{
    std::size_t used = UsedLength(table, [](const PdoEntry& entry) { return entry.CobId.empty(); });
    std::vector<std::int32_t> keys;
    keys.reserve(used);
    for (std::size_t i = 0; i < used; ++i)
        keys.push_back(readKey(table[i].CobId, "cobid", EntryPlace(can1, i)));

    for (std::size_t i : LaterFirstOrder(keys)) {
        const PdoEntry& entry = table[i];
        // Bit 1 marks the CAN 0 table, bit 0 the bypass.
        bool bypass = entry.Bypass == "1";
        std::string enBypass = can1 ? (bypass ? "1" : "0") : (bypass ? "3" : "2");
        AppendRow(root, {{"cobid", entry.CobId},
                         {"id_dev_orig", entry.IdDevOrig},
                         {"en_bypass", enBypass},
                         {"posind", entry.PosInd},
                         {"n_tpdo", entry.NTpdo}});
    }
}

// ---------------------------------------------------------------- store PDO

void AppendStorePdoRows(pugi::xml_node root, const std::vector<StoredPdo>& table, bool can1,
                        const KeyReader& readKey)
{
    struct Reference {
        std::size_t pdoNumber;
        const SdoReference* reference;
    };
    std::vector<Reference> references;
    std::vector<std::pair<std::int32_t, std::int32_t>> keys;
    for (std::size_t pdo = 0; pdo < table.size(); ++pdo) {
        const auto& list = table[pdo].References;
        for (std::size_t r = 0; r < list.size(); ++r) {
            std::string place = SideName(can1) + ", PDO " + std::to_string(pdo + 1) + ", reference " +
                                std::to_string(r + 1);
            keys.emplace_back(readKey(list[r].Index, "index", place), readKey(list[r].Subindex, "subindex", place));
            references.push_back({pdo + 1, &list[r]});
        }
    }

    for (std::size_t i : LaterFirstOrder(keys)) {
        const SdoReference& reference = *references[i].reference;
        std::size_t number = references[i].pdoNumber + (can1 ? 128 : 0);
        AppendRow(root, {{"index", reference.Index},
                         {"subindex", reference.Subindex},
                         {"nrpdo", std::to_string(number)},
                         {"poscomp", reference.PosComp}});
    }
}

// Builds a document whose root holds the CAN 0 side's rows, then the CAN 1
// side's, and saves it; the file is replaced only when the whole document
// could be built.
template <typename Tables, typename AppendRows>
void WriteTwoSidedDocument(const char* rootName, const Tables& tables, const std::string& path,
                           AppendRows appendRows)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(rootName);
    appendRows(root, tables.Can0, false);
    appendRows(root, tables.Can1, true);
    SaveXmlFile(document, path);
}

} // namespace

void WriteSdoDocument(const SdoTables& tables, const std::string& path)
{
    WriteTwoSidedDocument(kSdoRoot, tables, path,
                          [](pugi::xml_node root, const auto& side, bool can1) { AppendSdoRows(root, side, can1); });
}

void WriteEmcyDocument(const EmcyTables& tables, const std::string& path)
{
    KeyReader readKey(path, kEmcyKeyBound);
    WriteTwoSidedDocument(kEmcyRoot, tables, path, [&](pugi::xml_node root, const auto& side, bool can1) {
        AppendEmcyRows(root, side, can1, readKey);
    });
}

void ResetEmcyWordTables(EmcyWordTables& tables)
{
    tables.Can0.clear();
    tables.Can1.clear();
}

void WriteEmcyWordDocument(const EmcyWordTables& tables, const std::string& path)
{
    KeyReader readKey(path, kEmcyKeyBound);
    WriteTwoSidedDocument(kEmcyWordRoot, tables, path, [&](pugi::xml_node root, const auto& side, bool can1) {
        AppendEmcyWordRows(root, side, can1, readKey);
    });
}

void WritePdoDocument(const PdoTables& tables, const std::string& path)
{
    KeyReader readKey(path, kPdoKeyBound);
    WriteTwoSidedDocument(kPdoRoot, tables, path, [&](pugi::xml_node root, const auto& side, bool can1) {
        AppendPdoRows(root, side, can1, readKey);
    });
}

void ResetStorePdoTables(StorePdoTables& tables)
{
    tables.Can0.clear();
    tables.Can1.clear();
}

void WriteStorePdoDocument(const StorePdoTables& tables, const std::string& path)
{
    KeyReader readKey(path, kPdoKeyBound);
    WriteTwoSidedDocument(kStorePdoRoot, tables, path, [&](pugi::xml_node root, const auto& side, bool can1) {
        AppendStorePdoRows(root, side, can1, readKey);
    });
}

void WriteCompanionDocuments(CompanionTables& tables, const ProjectLayout& project)
{
    WriteSdoDocument(tables.Sdo, project.DocumentFile(ProjectDocument::Sdo));
    WriteEmcyDocument(tables.Emcy, project.DocumentFile(ProjectDocument::EmcyDef));
    ResetEmcyWordTables(tables.EmcyWord);
    WriteEmcyWordDocument(tables.EmcyWord, project.DocumentFile(ProjectDocument::EmcyWord));
    WritePdoDocument(tables.Pdo, project.DocumentFile(ProjectDocument::RpdoDef));
    ResetStorePdoTables(tables.StorePdo);
    WriteStorePdoDocument(tables.StorePdo, project.DocumentFile(ProjectDocument::SdoPdo));
}

} // namespace c2c
