#pragma once
// Errors that end a user action. They carry the exact text the user sees in
// the general error report.

#include <stdexcept>
#include <string>
#include <string_view>

namespace c2c {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Title of every general error report and of the composer's message boxes.
inline constexpr const char* kApplicationTitle = "Firmware Drevanta";

// The text of the general error report: the error's text, with a full stop
// added when its last character sorts after "." (so "!", ")" and "." itself
// get none).
std::string GeneralErrorText(const std::string& errorText);

// A value as a message quotes it: in single quotes, cut to its first 64
// characters (and "...") when longer, so a hostile document cannot make a
// message of any size.
std::string QuotedValue(std::string_view value);

} // namespace c2c
