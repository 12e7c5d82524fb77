// The strict reading of pargen.xml (what the build takes): any text gives
// settings or an Error with a short message; settings written back read
// the same.

#include "FuzzCheck.h"
#include "documents/CommSettings.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    try {
        const CommSettings settings =
            ParsePargenStrictly(std::string_view(reinterpret_cast<const char*>(data), size), "pargen.xml");
        const PargenReading shown = ParsePargenLeniently(std::string_view(reinterpret_cast<const char*>(data), size));
        fuzz::Check(shown.state == DocumentState::Read, "what the build reads, the windows read too");
        (void)settings;
    } catch (const Error& error) {
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
