#include "platform/Error.h"

#include "platform/HexDigits.h"

namespace c2c {

namespace {

constexpr std::size_t kShown = 64;

// The length of the well-formed UTF-8 character at the start of `text`, or
// 0 when it is none.
std::size_t Utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string GeneralErrorText(const std::string& errorText)
{
    if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) > static_cast<unsigned char>('.'))
        return errorText + ".";
    return errorText;
}

std::string PrintableText(std::string_view value)
{
    std::string shown;
    std::size_t at = 0;
    while (at < value.size() && at < kShown) {
        const auto c = static_cast<unsigned char>(value[at]);
        std::size_t length = c >= 0x20 && c < 0x7F ? 1 : c >= 0x80 ? Utf8Length(value.substr(at)) : 0;
        // U+0080..U+009F: control characters of their own to a terminal.
        if (length == 2 && c == 0xC2 && static_cast<unsigned char>(value[at + 1]) < 0xA0)
            length = 0;
        // A character cut by the limit is left out whole.
        if (length > 0 && at + length > kShown)
            break;
        if (length == 0) {
            shown += "\\x";
            shown += kUpperHexDigits[c >> 4];
            shown += kUpperHexDigits[c & 0xF];
            ++at;
            continue;
        }
        shown.append(value.substr(at, length));
        at += length;
    }
    if (at < value.size())
        shown += "...";
    return shown;
}

std::string QuotedValue(std::string_view value)
{
    return "'" + PrintableText(value) + "'";
}

std::string QuotedName(std::string_view name)
{
    std::string quoted = "\"";
    quoted.append(name);
    return quoted + "\"";
}

} // namespace c2c
