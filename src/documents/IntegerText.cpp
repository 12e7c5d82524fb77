#include "documents/IntegerText.h"

#include "platform/Error.h"
#include "platform/HexDigits.h"

#include <string>

namespace c2c {

std::optional<std::int32_t> TryParseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hexadecimal = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hexadecimal = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hexadecimal = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt; // empty, a sign alone, or a prefix without digits

    if (hexadecimal) {
        std::uint32_t value = 0;
        int significant = 0;
        for (; i < text.size(); ++i) {
            int digit = HexDigitValue(text[i]);
            if (digit < 0)
                return std::nullopt;
            if (significant > 0 || digit != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        // The sign negates the 32-bit pattern, which wraps like the hardware does.
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    // Decimal: accumulate the magnitude and check it against the signed range.
    const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(value);
}

std::int32_t ParseInteger(std::string_view text)
{
    if (auto value = TryParseInteger(text))
        return *value;
    throw Error(QuotedValue(text) + " is not a valid integer value");
}

std::int32_t ParseIntegerOr(std::string_view text, std::int32_t defaultValue)
{
    return TryParseInteger(text).value_or(defaultValue);
}

std::string IdentifierText(std::uint32_t identifier)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), kUpperHexDigits[identifier & 0xF]);
        identifier >>= 4;
    } while (identifier != 0);
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    return "0x" + digits;
}

} // namespace c2c
