#pragma once
// Starting a program that may be a Windows program. The flashing program is
// one; on Linux it runs through Wine, started as a Windows shell would start
// it: the same arguments, the same working folder.

#include <optional>
#include <string>
#include <vector>

namespace c2c {

// A program and the arguments to start it with.
struct ProgramStart {
    std::string program;
    std::vector<std::string> arguments;
};

// Whether `path` is a Windows executable: a file that starts with "MZ".
bool IsWindowsExecutable(const std::string& path);

// Wine's launcher, "wine" or else "wine64", the first found in the folders
// of `searchPath` (a PATH value); empty when there is none.
std::string FindWine(const std::string& searchPath);

// How to start `program` with `arguments` here: as it is, or, for a Windows
// program on a system other than Windows, through the Wine found on PATH.
// Nothing when Wine would be needed and there is none.
std::optional<ProgramStart> HowToStart(const std::string& program, std::vector<std::string> arguments);

} // namespace c2c
