// The lenient reading of pargen.xml (what the windows show) takes any text.

#include "FuzzCheck.h"
#include "documents/CommSettings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    const PargenReading reading = ParsePargenLeniently(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::Check(reading.state != DocumentState::Missing, "a text is read or unreadable");
    if (reading.state == DocumentState::Unreadable)
        fuzz::Check(!reading.bitRate0 && !reading.format0, "an unreadable document gives no values");
    return 0;
}
