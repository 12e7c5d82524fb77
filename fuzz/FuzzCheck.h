#pragma once
// What every fuzz target may check besides "no crash, no sanitizer
// finding": a broken promise ends the run with a message, as a crash would.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace c2c::fuzz {

inline void Check(bool kept, const char* promise)
{
    if (!kept) {
        std::fprintf(stderr, "promise broken: %s\n", promise);
        std::abort();
    }
}

// A message quotes at most 64 characters of a value, so its length stays
// small whatever the input (the file name in it is short here).
inline void CheckMessage(const std::string& text)
{
    Check(text.size() < 400, "an error message stays short");
}

} // namespace c2c::fuzz
