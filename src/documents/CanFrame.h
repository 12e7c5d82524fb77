#pragma once
// What the program knows of CAN frames and of the device's two ports, in
// one place: the identifier limits of the two frame formats, the ports and
// their names, the two translation tables (directions) and how ports and
// tables meet, the frame-format numbers of the documents, the layout they
// call for, and an identifier's fit to a frame format.
//
// A port is not a table direction: a frame that arrives on CAN0 goes
// through the table "CAN0 to CAN1" and leaves on CAN1. CanPort is a scoped
// enum, so a direction (an int or a CobIdDirection) cannot be passed where
// a port is meant, nor a port where a direction is meant; the functions
// below convert between them.
//
// Identifier text is IdentifierText (documents/IntegerText.h, the integer
// syntax's own file): "0x181", "0x12345".

#include "documents/IntegerText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

// ---------------------------------------------------------------- identifiers

inline constexpr std::uint32_t kMaxStandardId = 0x7FF;      // largest 11-bit (CAN 2.0A) identifier
inline constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF; // largest 29-bit (CAN 2.0B) identifier
inline constexpr std::size_t kStandardIdCount = kMaxStandardId + 1;

// An identifier typed in the program's integer syntax: 0 to 0x1FFFFFFF;
// nothing for any other text or number.
std::optional<std::uint32_t> ParseCanIdentifier(std::string_view text);

// Why a typed text is no identifier: "'0x' is not a valid integer value",
// "'0x20000000' is no CAN identifier (0 to 0x1FFFFFFF)"; nothing for one.
std::optional<std::string> CanIdentifierProblem(std::string_view text);

// A frame as it travels: identifier and format.
struct CanFrameId {
    std::uint32_t id = 0;
    bool extended = false; // a 29-bit (CAN 2.0B) frame
    bool operator==(const CanFrameId&) const = default;
};

// The frame an engineer asks about by its identifier: a 29-bit frame when
// asked so, or when the identifier does not fit 11 bits.
constexpr CanFrameId AskedFrame(std::uint32_t id, bool extended)
{
    return CanFrameId{id, extended || id > kMaxStandardId};
}

// A frame's identifier as can-utils writes it, with "0x": three digits for
// a standard frame ("0x181"), eight for an extended one ("0x00000181").
std::string FrameIdText(const CanFrameId& frame);

// ---------------------------------------------------------------- frame formats

enum class FrameFormat : std::uint8_t {
    Standard, // CAN 2.0A, 11-bit identifiers
    Extended, // CAN 2.0B, 29-bit identifiers
};

// "CAN 2.0A", "CAN 2.0B".
const char* FrameFormatName(FrameFormat format);
constexpr std::uint32_t MaxIdentifierOf(FrameFormat format)
{
    return format == FrameFormat::Standard ? kMaxStandardId : kMaxExtendedId;
}
// Whether a number (as typed, so possibly negative) is an identifier of `format`.
constexpr bool FitsFrameFormat(std::int64_t value, FrameFormat format)
{
    return value >= 0 && value <= static_cast<std::int64_t>(MaxIdentifierOf(format));
}
// The format and its identifiers: "CAN 2.0A (0x000 to 0x7FF)",
// "CAN 2.0B (0x00000000 to 0x1FFFFFFF)".
std::string FrameFormatRangeText(FrameFormat format);

// Frame-format numbers, as pargen.xml (`Type`, `TypeC1`) and the window's
// session hold them: 0 is CAN 2.0A and 1 CAN 2.0B. A document may hold any
// other number: the window then sizes the tables as for CAN 2.0B and checks
// none of that port's identifiers, and the image stores the number's low
// byte, which the device reads as CAN 2.0B unless it is 0.
inline constexpr std::int32_t kStandardType = 0;
inline constexpr std::int32_t kExtendedType = 1;

// The format whose identifiers a type number's cells must fit: 0 and 1
// have one, any other number none.
std::optional<FrameFormat> CheckedFormatOf(std::int32_t type);
// The format the port runs: CAN 2.0A for 0 alone.
constexpr FrameFormat RunningFormatOf(std::int32_t type)
{
    return type == kStandardType ? FrameFormat::Standard : FrameFormat::Extended;
}
// The frame-format byte of the image: the number's low byte.
constexpr std::uint8_t FrameFormatByte(std::int32_t type)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(type));
}

// What a type number other than 0 and 1 means, in one line naming the
// element (`Type` or `TypeC1`) and the value; nothing for 0 and 1.
// - a number whose byte would be 0 (256, -256, ...): the device would be
//   told CAN 2.0A while the window sizes the tables for CAN 2.0B, so the
//   build refuses it (IsLostFrameFormat);
// - any other: the device takes it as CAN 2.0B, and the window checks none
//   of the port's identifiers.
std::optional<std::string> FrameFormatNumberText(std::string_view element, std::int32_t type);
constexpr bool IsLostFrameFormat(std::int32_t type)
{
    return type != kStandardType && FrameFormatByte(type) == 0;
}

// The layout of the tables in the image, for both directions together.
enum class TableLayout : std::uint8_t {
    Standard, // both ports CAN 2.0A: direct 2048-entry tables and filter bitmaps
    Extended, // otherwise: sorted lists of at most 2000 entries
};
// The one layout decision, from the two ports' type numbers (or the image's
// two frame-format bytes): standard when both are 0. The grid's table
// length, the image builder, the live check and the forwarding model all
// ask this.
constexpr TableLayout LayoutOf(std::int32_t type0, std::int32_t type1)
{
    return type0 == kStandardType && type1 == kStandardType ? TableLayout::Standard : TableLayout::Extended;
}

// ---------------------------------------------------------------- ports and tables

enum class CanPort : std::uint8_t { Can0 = 0, Can1 = 1 };
inline constexpr std::array<CanPort, 2> kCanPorts = {CanPort::Can0, CanPort::Can1};

constexpr CanPort OtherPort(CanPort port)
{
    return port == CanPort::Can0 ? CanPort::Can1 : CanPort::Can0;
}
// 0 or 1, to index a pair of per-port values.
constexpr std::size_t PortIndex(CanPort port)
{
    return static_cast<std::size_t>(port);
}
// The port of an index; any index but 1 is CAN0.
constexpr CanPort PortAt(int index)
{
    return index == 1 ? CanPort::Can1 : CanPort::Can0;
}
// "CAN0", "CAN1": the port as the user reads it.
const char* PortName(CanPort port);
// "CAN 0", "CAN 1": the port as SET COMMUNICATION captions its settings,
// and as the lines that list a port's settings name it.
const char* PortCaption(CanPort port);
// "can0", "can1": the port as interfaces are named.
const char* PortInterfaceName(CanPort port);
// The port of "can0" or "can1"; nothing for any other text.
std::optional<CanPort> PortOfInterfaceName(std::string_view name);
// A port and the format it runs, as misfit messages name them:
// "CAN0, which runs CAN 2.0A (0x000 to 0x7FF)".
std::string PortRunsText(CanPort port, FrameFormat format);

// The two translation tables, in the order of the document. A direction is
// an index (an int), never a port.
enum CobIdDirection : int {
    kCan0ToCan1 = 0, // frames arriving on CAN0, leaving on CAN1 (bank 1)
    kCan1ToCan0 = 1, // frames arriving on CAN1, leaving on CAN0 (bank 2)
};
// The table a port's frames go through.
constexpr int DirectionFrom(CanPort arriving)
{
    return arriving == CanPort::Can1 ? kCan1ToCan0 : kCan0ToCan1;
}
// The port a table's frames arrive on, and the one they leave on.
constexpr CanPort ArrivingPort(int direction)
{
    return direction == kCan1ToCan0 ? CanPort::Can1 : CanPort::Can0;
}
constexpr CanPort LeavingPort(int direction)
{
    return OtherPort(ArrivingPort(direction));
}

} // namespace c2c
