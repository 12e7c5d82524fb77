#pragma once
// Reading and writing one value of a Windows-style INI file ("private
// profile"): "[section]" lines followed by "key=value" lines. Sections and
// keys match without regard to letter case; every other line of the file is
// kept as it is when a value is written.

#include <string>

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

} // namespace c2c
