#pragma once
// The one text-to-integer syntax of the program: optional leading spaces
// (0x20 only), an optional sign, then decimal digits, or a hexadecimal prefix
// ("$", "x", "X", "0x", "0X") and hexadecimal digits. Nothing may follow.
// Decimal numbers must fit a signed 32-bit integer; hexadecimal numbers may
// have up to eight significant digits and their 32-bit pattern is taken as
// signed, so 0xFFFFFFFF reads as -1.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

// The number, or nothing when the text is not an integer of this syntax.
std::optional<std::int32_t> TryParseInteger(std::string_view text);

// The number; Error("'TEXT' is not a valid integer value") when not one
// (a long text is cut, see QuotedValue).
std::int32_t ParseInteger(std::string_view text);

// An identifier as the program writes it, to the user and into cells: "0x"
// and at least three upper-case hexadecimal digits ("0x181", "0x12345").
std::string IdentifierText(std::uint32_t identifier);

// The number, or `defaultValue` when the text is not one.
std::int32_t ParseIntegerOr(std::string_view text, std::int32_t defaultValue);

} // namespace c2c
