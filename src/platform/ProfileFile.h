#pragma once
// Reading and writing one value of a Windows-style INI file ("private
// profile"): "[section]" lines followed by "key=value" lines. Sections and
// keys match without regard to letter case; every other line of the file is
// kept as it is when a value is written.
//
// The same reading also lists a whole file line by line, with line numbers,
// for readers of INI documents that must say where a file is wrong.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// Longest value a read returns; longer values are cut.
inline constexpr std::size_t kProfileValueLimit = 2047;

// The value of `key` in `section`, trimmed of blanks and of one pair of
// enclosing quotes; `defaultValue` when the file, the section or the key is
// missing or the file cannot be read.
std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue);

// Sets `key` in `section` to `value`, creating the file, the section or the
// key when missing. Throws Error("Unable to write to PATH") on failure.
void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// One line of an INI text that is neither blank nor a comment (";" first).
enum class ProfileLineKind {
    Section,         // "[name]"
    UnclosedSection, // "[name" without its "]" (a section all the same)
    Entry,           // "key=value"
    Other,           // anything else
};
struct ProfileLine {
    ProfileLineKind kind;
    std::size_t number;  // counted from 1
    std::string section; // a section line's name; for any other line, the section it is in ("" before the first)
    std::string key;     // Entry only
    std::string value;   // Entry only: trimmed and unquoted as a read returns it, but never cut
};

// The lines of `content` that are neither blank nor comments, in order,
// read with the rules of ReadProfileString.
std::vector<ProfileLine> ReadProfileLines(std::string_view content);

} // namespace c2c
