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

// The file URL of a local path, for a browser to open: "file:///home/a%20b/r.html",
// "file:///C:/Reports/r.html". Bytes other than unreserved characters and
// "/" are percent-encoded; a relative path is made absolute first.
std::string FileUrl(const std::string& path);

} // namespace c2c
