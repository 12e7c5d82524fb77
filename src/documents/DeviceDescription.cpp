#include "documents/DeviceDescription.h"

#include "documents/CanFrame.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"
#include "platform/LineReader.h"
#include "platform/ProfileFile.h"
#include "platform/SystemReason.h"

#include <algorithm>
#include <map>
#include <utility>

namespace c2c {

namespace {

constexpr std::uint32_t kNotValidBit = 0x80000000u;
constexpr std::uint32_t kExtendedFrameBit = 0x20000000u;

constexpr const char* kCommissioningSection = "devicecomissioning";
constexpr const char* kNodeIdKey = "nodeid";

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A number as the file writes it: hexadecimal after "0x", octal after a
// leading "0", decimal otherwise; nothing when it is none or exceeds 32 bits.
std::optional<std::uint64_t> FileNumber(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return value;
}

// A value: a number, or $NODEID alone or plus one number (either first), as
// an object's value may be written. Nothing when it is none.
std::optional<std::uint32_t> FileValue(std::string_view text, int node)
{
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos) {
        const std::string_view term = Trimmed(text);
        if (Lower(term) == "$nodeid")
            return static_cast<std::uint32_t>(node);
        const auto number = FileNumber(term);
        return number ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*number)) : std::nullopt;
    }
    std::string_view first = Trimmed(text.substr(0, plus));
    std::string_view second = Trimmed(text.substr(plus + 1));
    if (Lower(second) == "$nodeid")
        std::swap(first, second);
    if (Lower(first) != "$nodeid")
        return std::nullopt;
    const auto number = FileNumber(second);
    if (!number || *number + static_cast<std::uint64_t>(node) > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(*number + static_cast<std::uint64_t>(node));
}

// A section that may describe one of the objects: [IIII] or [IIIIsubS].
struct ObjectAddress {
    unsigned index = 0;
    std::optional<unsigned> subIndex;
};

std::optional<ObjectAddress> AddressOf(std::string_view section)
{
    if (section.size() < 4)
        return std::nullopt;
    ObjectAddress address;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = HexDigitValue(section[i]);
        if (digit < 0)
            return std::nullopt;
        address.index = address.index * 16 + static_cast<unsigned>(digit);
    }
    if (section.size() == 4)
        return address;
    const std::string rest = Lower(section.substr(4));
    if (rest.size() < 4 || rest.size() > 5 || rest.compare(0, 3, "sub") != 0)
        return std::nullopt;
    unsigned sub = 0;
    for (std::size_t i = 3; i < rest.size(); ++i) {
        const int digit = HexDigitValue(rest[i]);
        if (digit < 0)
            return std::nullopt;
        sub = sub * 16 + static_cast<unsigned>(digit);
    }
    address.subIndex = sub;
    return address;
}

// Which object a section describes the COB-ID of, if any.
std::optional<std::pair<NodeObject, int>> ObjectOf(const ObjectAddress& address)
{
    if (address.index == 0x1014 && !address.subIndex)
        return std::pair{NodeObject::Emcy, 1};
    if (address.index == 0x1200 && address.subIndex == 1u)
        return std::pair{NodeObject::SdoRequest, 1};
    if (address.index == 0x1200 && address.subIndex == 2u)
        return std::pair{NodeObject::SdoResponse, 1};
    if (address.subIndex != 1u)
        return std::nullopt;
    if (address.index >= 0x1400 && address.index <= 0x15FF)
        return std::pair{NodeObject::Rpdo, static_cast<int>(address.index - 0x1400 + 1)};
    if (address.index >= 0x1800 && address.index <= 0x19FF)
        return std::pair{NodeObject::Tpdo, static_cast<int>(address.index - 0x1800 + 1)};
    return std::nullopt;
}

struct Entry {
    std::string text;
    std::size_t line = 0;
};

// What the file says of one object.
struct ObjectSection {
    std::string name; // as written
    std::size_t line = 0;
    std::optional<Entry> parameterValue, defaultValue;
};

class Reader {
public:
    explicit Reader(const std::string& fileName) : fileName_(fileName) {}

    [[noreturn]] void Fail(std::size_t line, const std::string& reason) const
    {
        throw Error(fileName_ + ":" + std::to_string(line) + ": " + reason);
    }

    // A key of a section read here, which must not be given twice.
    void Keep(std::optional<Entry>& slot, const ProfileLine& line) const
    {
        if (slot)
            Fail(line.number, "[" + std::string(line.section) + "] " + std::string(line.key) +
                                  " is given a second time (first on line " + std::to_string(slot->line) + ")");
        slot = Entry{std::string(line.value), line.number};
    }

    // A section read here, which must not be given twice: its keys would
    // otherwise be taken from either.
    void Open(std::size_t& first, const ProfileLine& line, std::string_view firstName) const
    {
        if (first != 0)
            Fail(line.number, "[" + std::string(line.section) + "] is given a second time (first on line " +
                                  std::to_string(first) +
                                  (firstName == line.section ? "" : ", as [" + std::string(firstName) + "]") + ")");
        first = line.number;
    }

private:
    const std::string& fileName_;
};

} // namespace

std::string NodeObjectName(NodeObject object, int number)
{
    switch (object) {
    case NodeObject::Rpdo:
        return "RPDO" + std::to_string(number);
    case NodeObject::Tpdo:
        return "TPDO" + std::to_string(number);
    default:
        return FactOf(ServiceOf(object)).name;
    }
}

DeviceDescription ParseDeviceDescription(std::string_view text, const std::string& fileName, std::optional<int> node)
{
    return ParseDeviceDescription(
        [text](char* buffer, std::size_t size) mutable {
            const std::size_t n = std::min(size, text.size());
            std::copy_n(text.data(), n, buffer);
            text.remove_prefix(n);
            return n;
        },
        fileName, node);
}

DeviceDescription ParseDeviceDescription(LineReader::Source source, const std::string& fileName,
                                         std::optional<int> node)
{
    const Reader reader(fileName);
    std::map<std::pair<NodeObject, int>, ObjectSection> objects; // ordered as the description lists them
    std::optional<Entry> fileNode;
    std::size_t commissioningLine = 0;
    std::string commissioningName;
    bool sdoServer = false;

    LineReader lines(std::move(source), LineRules{kMaxDescriptionLine, true, false, 64 * 1024});
    ReadProfileLines(lines, [&](const ProfileLine& line) {
        switch (line.kind) {
        case ProfileLineKind::Other:
            reader.Fail(line.number, "neither a [section], a key=value line nor a comment");
        case ProfileLineKind::TooLong:
            reader.Fail(line.number, "longer than " + std::to_string(kMaxDescriptionLine) + " characters");
        case ProfileLineKind::UnclosedSection:
            reader.Fail(line.number, "the section name " + QuotedValue("[" + std::string(line.section)) +
                                         " lacks its closing \"]\"");
        case ProfileLineKind::SectionAndText:
            reader.Fail(line.number, "text after the \"]\" of a section name: " +
                                         QuotedValue("[" + std::string(line.section) + "]" + std::string(line.value)) +
                                         "; a key=value goes on a line of its own");
        case ProfileLineKind::Section:
            if (Lower(line.section) == kCommissioningSection) {
                reader.Open(commissioningLine, line, commissioningName);
                commissioningName = line.section;
            } else if (auto address = AddressOf(line.section)) {
                sdoServer = sdoServer || (address->index == 0x1200 && address->subIndex);
                if (auto object = ObjectOf(*address)) {
                    ObjectSection& section = objects[*object];
                    reader.Open(section.line, line, section.name);
                    section.name = line.section;
                }
            }
            break;
        case ProfileLineKind::Entry: {
            const std::string key = Lower(line.key);
            if (Lower(line.section) == kCommissioningSection) {
                if (key == kNodeIdKey)
                    reader.Keep(fileNode, line);
                break;
            }
            const auto address = AddressOf(line.section);
            const auto object = address ? ObjectOf(*address) : std::nullopt;
            if (!object)
                break;
            ObjectSection& section = objects[*object];
            // An empty ParameterValue configures nothing: the default stands.
            if (key == "parametervalue" && !line.value.empty())
                reader.Keep(section.parameterValue, line);
            else if (key == "defaultvalue")
                reader.Keep(section.defaultValue, line);
            break;
        }
        }
    });

    DeviceDescription description;
    description.describesSdoServer = sdoServer;
    std::optional<int> commissioned;
    // What a NodeID of 0 or 0xFF says: no node ID is set (0xFF: LSS's
    // "not configured"). The node's number given stands then.
    std::optional<std::string> unset;
    if (fileNode) {
        // A plain number: $NODEID stands for this very value.
        const auto value = FileNumber(Trimmed(fileNode->text));
        if (value && (*value == 0 || *value == kUnconfiguredNodeId))
            unset = *value == 0 ? "NodeID 0: no node ID" : "NodeID 0xFF: not configured";
        else if (!value || !IsNodeId(static_cast<int>(*value)))
            reader.Fail(fileNode->line, "[DeviceComissioning] NodeID " + QuotedValue(fileNode->text) +
                                            " is not a node ID (" + NodeIdRangeText() + ")");
        else
            commissioned = static_cast<int>(*value);
    }
    if (node) {
        description.node = *node;
        if (unset)
            description.notes.push_back("The file's [DeviceComissioning] says " + *unset + "; its identifiers are read "
                                        "for node " + std::to_string(*node) + " as given.");
        if (commissioned && *commissioned != *node)
            description.notes.push_back("The file's [DeviceComissioning] NodeID is " + std::to_string(*commissioned) +
                                        "; its identifiers are read for node " + std::to_string(*node) + " as given.");
    } else if (unset) {
        reader.Fail(fileNode->line, "[DeviceComissioning] " + *unset + ": give the node's number");
    } else if (commissioned) {
        description.node = *commissioned;
    } else {
        throw Error(fileName + " names no node ID ([DeviceComissioning] NodeID): give the node's number");
    }

    for (const auto& [key, section] : objects) {
        const std::string name = NodeObjectName(key.first, key.second);
        const std::optional<Entry>& entry = section.parameterValue ? section.parameterValue : section.defaultValue;
        if (!entry || entry->text.empty()) {
            description.notes.push_back(name + " ([" + section.name + "]) gives no COB-ID: left out.");
            continue;
        }
        const std::string valueName = section.parameterValue ? "ParameterValue" : "DefaultValue";
        const auto value = FileValue(entry->text, description.node);
        if (!value)
            reader.Fail(entry->line, "[" + section.name + "] " + valueName + " " + QuotedValue(entry->text) +
                                         " is neither a number nor a $NODEID formula ($NODEID plus one number) "
                                         "of 32 bits");
        if (*value & kNotValidBit) {
            description.notes.push_back(name + " ([" + section.name +
                                        "]) is not valid (bit 31 of its COB-ID is set): "
                                        "left out.");
            continue;
        }
        DescribedIdentifier identifier{key.first, key.second, *value & kMaxExtendedId,
                                       (*value & kExtendedFrameBit) != 0};
        if (!identifier.extendedFrame && !FitsFrameFormat(identifier.identifier, FrameFormat::Standard))
            reader.Fail(entry->line, "[" + section.name + "] " + valueName + " " + QuotedValue(entry->text) +
                                         " is above 0x7FF without bit 29, which marks a 29-bit identifier");
        // A PDO on a CAN-ID that CiA 301 keeps for other services would let
        // those (NMT, say) cross the device as the PDO's row.
        const bool pdo = key.first == NodeObject::Rpdo || key.first == NodeObject::Tpdo;
        if (pdo && IsRestrictedCanId(identifier.identifier, identifier.extendedFrame)) {
            const auto identity = ClassifyCanOpenId(identifier.identifier);
            description.notes.push_back(name + " ([" + section.name + "]) has COB-ID " +
                                        IdentifierText(identifier.identifier) + ", which CiA 301 restricts" +
                                        (identity ? " (" + identity->Text() + ")" : "") + ": left out.");
            continue;
        }
        description.identifiers.push_back(identifier);
    }
    return description;
}

DeviceDescription ReadDeviceDescription(const std::string& path, std::optional<int> node)
{
    FileHandle file = OpenRegularFile(path);
    std::size_t read = 0;
    LineReader::Source source = FileSource(file.get(), 64 * 1024, path);
    return ParseDeviceDescription(
        [&, source](char* buffer, std::size_t size) {
            const std::size_t got = source(buffer, size);
            if ((read += got) > kMaxDescriptionSize)
                throw CannotReadFile(path, "It is larger than " + std::to_string(kMaxDescriptionSize) + " bytes");
            return got;
        },
        path, node);
}

} // namespace c2c
