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

// A value as a message shows it: at most its first 64 bytes (and "..."
// when longer), so a hostile file cannot make a message of any size, and
// every byte that is no printable character (a control character, a byte
// of no UTF-8 character) as \xNN, so it can neither cut the message off nor
// reach the terminal.
std::string PrintableText(std::string_view value);
// PrintableText in single quotes: how a message shows a value read from a
// file or typed by the user.
std::string QuotedValue(std::string_view value);
// A path or a name in double quotes, whole and as it is: how a message shows
// a file, a folder or an element of a document.
std::string QuotedName(std::string_view name);

} // namespace c2c
