#pragma once
// A CANopen node's own description, its EDS or DCF (INI text): the
// identifiers of the node's communication objects as the file gives them.
//
// The objects read, each a section named by its index in hexadecimal,
// "sub" and its sub-index in hexadecimal (letter case ignored):
// - EMCY: [1014];
// - the SDO server: [1200sub1], the request the node receives, and
//   [1200sub2], the response it sends;
// - RPDO1..512: [1400sub1] .. [15FFsub1]; TPDO1..512: [1800sub1] .. [19FFsub1].
// A value is the section's ParameterValue (the value a DCF configures) when
// it has one, else its DefaultValue. It is a number (decimal, hexadecimal
// after "0x", octal after a leading "0"), or $NODEID, the node's ID (letter
// case ignored), alone or plus one number: "$NODEID+0x180". In a COB-ID, bit 31
// set means the object is not valid (it is left out, and said so), bit 29
// set a 29-bit identifier.
//
// The node's ID is the caller's, or else the DCF's [DeviceComissioning]
// NodeID (the section is spelled so). A NodeID of 0 or 0xFF (LSS "not
// configured") names no node: the caller's number is then needed.
//
// A PDO whose COB-ID CiA 301 restricts (documents/CanOpen.h) is left out,
// and said so.

#include "documents/CanOpen.h"

#include "platform/LineReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// The largest description read: far beyond any real one.
inline constexpr std::size_t kMaxDescriptionSize = 16 * 1024 * 1024;
// The longest line of one: far beyond any real one (CiA 306 keeps them to
// 255 characters).
inline constexpr std::size_t kMaxDescriptionLine = 4096;

enum class NodeObject { Emcy, SdoRequest, SdoResponse, Rpdo, Tpdo };

// The service of the predefined connection set an object configures (a
// PDO of any number: that of the first).
constexpr NodeService ServiceOf(NodeObject object)
{
    switch (object) {
    case NodeObject::Emcy:
        return kEmcy;
    case NodeObject::SdoRequest:
        return kSdoRequest;
    case NodeObject::SdoResponse:
        return kSdoResponse;
    case NodeObject::Rpdo:
        return kRpdo1;
    case NodeObject::Tpdo:
        break;
    }
    return kTpdo1;
}

// Whether the node sends the object's frames (EMCY, TPDOs, SDO responses)
// rather than receives them.
constexpr bool IsSentByNode(NodeObject object)
{
    return FactOf(ServiceOf(object)).sentByNode;
}

struct DescribedIdentifier {
    NodeObject object;
    int number = 1; // the PDO's number (RPDO1 is 0x1400); 1 for the others
    std::uint32_t identifier = 0;
    bool extendedFrame = false; // bit 29: a 29-bit identifier
    bool operator==(const DescribedIdentifier&) const = default;
};

// "EMCY", "SDO request", "SDO response", "RPDO1", "TPDO12".
std::string NodeObjectName(NodeObject object, int number);

struct DeviceDescription {
    int node = 0; // the ID $NODEID stands for
    // EMCY, the SDO request and response, the RPDOs and the TPDOs by
    // number: the valid ones the file describes.
    std::vector<DescribedIdentifier> identifiers;
    bool describesSdoServer = false; // the file has a [1200subN] section
    // What was left out and why, and what else the engineer should know.
    std::vector<std::string> notes;
};

// Reads the description in `text`, with $NODEID standing for `node` when
// given (1 to 127), else for the file's [DeviceComissioning] NodeID. Throws
// Error("FILE:LINE: reason") for a file that is not INI text (a line longer
// than kMaxDescriptionLine, text after a section's "]"), that gives a
// section read here twice or a key of one twice, or whose values used here
// are not numbers, and Error naming the file when no node ID is known. CR,
// LF and CR LF all end a line; a UTF-8 byte-order mark is passed over.
DeviceDescription ParseDeviceDescription(std::string_view text, const std::string& fileName, std::optional<int> node);
// The same from a source of bytes (see LineReader), in the memory of a
// line whatever the source's length.
DeviceDescription ParseDeviceDescription(LineReader::Source source, const std::string& fileName,
                                         std::optional<int> node);

// The same for a file (a regular file of at most kMaxDescriptionSize
// bytes). Throws Error naming the file.
DeviceDescription ReadDeviceDescription(const std::string& path, std::optional<int> node);

} // namespace c2c
