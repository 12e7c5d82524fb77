#include "platform/Error.h"

namespace c2c {

std::string GeneralErrorText(const std::string& errorText)
{
    if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) > static_cast<unsigned char>('.'))
        return errorText + ".";
    return errorText;
}

std::string QuotedValue(std::string_view value)
{
    constexpr std::size_t kShown = 64;
    if (value.size() <= kShown)
        return "'" + std::string(value) + "'";
    return "'" + std::string(value.substr(0, kShown)) + "...'";
}

} // namespace c2c
