#pragma once
// Reading and writing one value of a Windows-style INI file ("private
// profile"): "[section]" lines followed by "key=value" lines. Sections and
// keys match without regard to letter case; every other line of the file is
// kept as it is when a value is written.
//
// The same reading also goes through a whole document line by line, with
// line numbers, for readers of INI documents that must say where a file is
// wrong.

#include "platform/LineReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// One line of an INI document that is neither blank nor a comment (";"
// first).
enum class ProfileLineKind {
    Section,         // "[name]"; blanks or a ";" comment may follow the "]"
    SectionAndText,  // "[name]" and other text after the "]"
    UnclosedSection, // "[name" without its "]"
    Entry,           // "key=value"
    Other,           // anything else
    TooLong,         // longer than the reader's longest line: not taken apart
};
struct ProfileLine {
    ProfileLineKind kind;
    std::uint64_t number;     // counted from 1
    std::string_view section; // a section line's name; for any other line, the section it is in ("" before the first)
    std::string_view key;     // Entry only
    std::string_view value;   // Entry: trimmed and unquoted as a read returns it, but never cut;
                              // SectionAndText: the text after the "]"
};
// Called with each line; the views are valid during the call only.
using ProfileLineVisitor = std::function<void(const ProfileLine&)>;

// Reads the lines of an INI document from `lines` and hands every one that
// is neither blank nor a comment to `visit`, in order, read with the rules
// of ReadProfileString. A UTF-8 byte-order mark at the start is no part of
// the first line (Windows editors write one). What is kept between lines is
// the current section's name: a document of any size and shape is read in
// the memory of one line.
void ReadProfileLines(LineReader& lines, const ProfileLineVisitor& visit);

} // namespace c2c
