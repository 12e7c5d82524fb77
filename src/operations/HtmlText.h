#pragma once
// Text for an HTML page: the characters that markup gives a meaning to,
// escaped.

#include <string>
#include <string_view>

namespace c2c {

// `text` with &, <, >, " and ' as character references, safe in element
// content and in a quoted attribute value. A byte that is no part of
// well-formed UTF-8 (a file name in another encoding) and a control
// character other than tab and line ends become U+FFFD, which a page may hold.
std::string HtmlEscaped(std::string_view text);

} // namespace c2c
