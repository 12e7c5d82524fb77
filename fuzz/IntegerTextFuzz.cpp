// The integer syntax: any text is a number or none, and a number written
// back in decimal reads as the same number.

#include "FuzzCheck.h"
#include "documents/IntegerText.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = TryParseInteger(text);
    if (value)
        fuzz::Check(TryParseInteger(std::to_string(*value)) == value, "decimal text reads back");
    try {
        fuzz::Check(ParseInteger(text) == value, "ParseInteger agrees with TryParseInteger");
    } catch (const Error& error) {
        fuzz::Check(!value, "ParseInteger fails only where TryParseInteger does");
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
