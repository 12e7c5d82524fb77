#pragma once
// A count and its noun, as the program's messages say it.

#include <cstdint>
#include <string>

namespace c2c {

// "1 frame", "2 frames", "0 frames".
inline std::string Plural(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace c2c
