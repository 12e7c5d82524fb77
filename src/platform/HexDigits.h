#pragma once
// Hexadecimal digits as the documents and the S-record files write them:
// read in either case, written in upper case.

#include <cstdint>
#include <string>

namespace c2c {

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// Value of a hexadecimal digit in either case, or -1 for any other character.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Two upper-case digits of the low byte of `value` at out[0] and out[1].
inline void PutHexByte(char* out, unsigned value)
{
    out[0] = kUpperHexDigits[(value >> 4) & 0xF];
    out[1] = kUpperHexDigits[value & 0xF];
}

// `value` as `digits` upper-case hexadecimal digits, zeros in front (the
// low digits only, when it has more): 0x181 in four is "0181".
inline std::string HexText(std::uint32_t value, int digits)
{
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kUpperHexDigits[value & 0xF];
    return text;
}

} // namespace c2c
