#pragma once
// How a failed system call is told: the text of an errno value ("No such
// file or directory"), and the errors of a file that cannot be opened, read
// or created, worded the same by every reader and writer of the program.

#include "platform/Error.h"

#include <string>
#include <system_error>

namespace c2c {

inline std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

// Error("Cannot open file \"PATH\". REASON")
inline Error CannotOpenFile(const std::string& path, const std::string& reason)
{
    return Error("Cannot open file \"" + path + "\". " + reason);
}

// Error("Cannot read file \"PATH\". REASON")
inline Error CannotReadFile(const std::string& path, const std::string& reason)
{
    return Error("Cannot read file \"" + path + "\". " + reason);
}

// Error("Cannot create file \"PATH\". REASON")
inline Error CannotCreateFile(const std::string& path, const std::string& reason)
{
    return Error("Cannot create file \"" + path + "\". " + reason);
}

} // namespace c2c
