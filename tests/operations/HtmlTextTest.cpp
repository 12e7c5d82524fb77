// Text put into the report's page: markup characters escaped, bytes a page
// may not hold replaced.

#include "operations/HtmlText.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

TEST(HtmlText, EscapesMarkupAndReplacesWhatAPageMayNotHold)
{
    const struct {
        std::string text;
        std::string html;
    } cases[] = {
        {"<Pump & \"valve\" 'B'>", "&lt;Pump &amp; &quot;valve&quot; &#39;B&#39;&gt;"},
        {"N\xC2\xB0 5 \xE2\x80\x94 \xF0\x9F\x98\x80", "N\xC2\xB0 5 \xE2\x80\x94 \xF0\x9F\x98\x80"}, // UTF-8 kept
        {"tab\tand\nline", "tab\tand\nline"},
        {"bell\x07 del\x7F", "bell\xEF\xBF\xBD del\xEF\xBF\xBD"},
        {"Latin-1 \xE9t\xE9", "Latin-1 \xEF\xBF\xBDt\xEF\xBF\xBD"},
        {"cut \xE2\x80", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong \xC0\xAF", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlEscaped(c.text), c.html) << c.text;
}

#ifndef _WIN32
TEST(HtmlText, FileUrlsEncodeWhatAUrlGivesAMeaningTo)
{
    EXPECT_EQ(FileUrl("/home/plant/Line 7/report.html"), "file:///home/plant/Line%207/report.html");
    EXPECT_EQ(FileUrl("/r/#1?x=%\xC3\xBC.html"), "file:///r/%231%3Fx%3D%25%C3%BC.html");
}
#endif

} // namespace
} // namespace c2c
