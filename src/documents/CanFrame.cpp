#include "documents/CanFrame.h"

#include "platform/Error.h"
#include "platform/HexDigits.h"

namespace c2c {

std::optional<std::uint32_t> ParseCanIdentifier(std::string_view text)
{
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value || !FitsFrameFormat(*value, FrameFormat::Extended))
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::string> CanIdentifierProblem(std::string_view text)
{
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value)
        return QuotedValue(text) + " is not a valid integer value";
    if (!FitsFrameFormat(*value, FrameFormat::Extended))
        return QuotedValue(text) + " is no CAN identifier (0 to " + IdentifierText(kMaxExtendedId) + ")";
    return std::nullopt;
}

std::string FrameIdText(const CanFrameId& frame)
{
    if (!frame.extended)
        return IdentifierText(frame.id);
    std::string text = "0x00000000";
    for (int digit = 0; digit < 8; ++digit)
        text[9 - static_cast<std::size_t>(digit)] = kUpperHexDigits[(frame.id >> (4 * digit)) & 0xF];
    return text;
}

const char* FrameFormatName(FrameFormat format)
{
    return format == FrameFormat::Standard ? "CAN 2.0A" : "CAN 2.0B";
}

std::string FrameFormatRangeText(FrameFormat format)
{
    return std::string(FrameFormatName(format)) +
           (format == FrameFormat::Standard ? " (0x000 to 0x7FF)" : " (0x00000000 to 0x1FFFFFFF)");
}

std::optional<FrameFormat> CheckedFormatOf(std::int32_t type)
{
    if (type == kStandardType)
        return FrameFormat::Standard;
    if (type == kExtendedType)
        return FrameFormat::Extended;
    return std::nullopt;
}

std::optional<std::string> FrameFormatNumberText(std::string_view element, std::int32_t type)
{
    if (CheckedFormatOf(type))
        return std::nullopt;
    const std::string named = std::string(element) + " " + std::to_string(type);
    if (IsLostFrameFormat(type))
        return named + " is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B), and the image keeps its low byte, 0: the device "
                       "would run CAN 2.0A while the tables are sized for CAN 2.0B. Write 0 or 1";
    return named + " is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B): the device takes it as CAN 2.0B, and none of the "
                   "port's identifiers is checked";
}

const char* PortName(CanPort port)
{
    return port == CanPort::Can1 ? "CAN1" : "CAN0";
}

const char* PortCaption(CanPort port)
{
    return port == CanPort::Can1 ? "CAN 1" : "CAN 0";
}

const char* PortInterfaceName(CanPort port)
{
    return port == CanPort::Can1 ? "can1" : "can0";
}

std::optional<CanPort> PortOfInterfaceName(std::string_view name)
{
    for (CanPort port : kCanPorts)
        if (name == PortInterfaceName(port))
            return port;
    return std::nullopt;
}

std::string PortRunsText(CanPort port, FrameFormat format)
{
    return std::string(PortName(port)) + ", which runs " + FrameFormatRangeText(format);
}

} // namespace c2c
