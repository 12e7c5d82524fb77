#pragma once
// The text of an errno value, as the messages of failed file operations
// give it ("No such file or directory").

#include <string>
#include <system_error>

namespace c2c {

inline std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

} // namespace c2c
