#include "platform/Error.h"

namespace c2c {

std::string GeneralErrorText(const std::string& errorText)
{
    if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) > static_cast<unsigned char>('.'))
        return errorText + ".";
    return errorText;
}

} // namespace c2c
