#include "platform/Error.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

struct FullStopCase {
    const char* text;
    const char* shown;
};

class GeneralErrorTextTest : public ::testing::TestWithParam<FullStopCase> {};

TEST_P(GeneralErrorTextTest, AddsFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(GeneralErrorText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, GeneralErrorTextTest,
                         ::testing::Values(FullStopCase{"'x' is not a valid integer value",
                                                        "'x' is not a valid integer value."},
                                           FullStopCase{"Ends with a stop.", "Ends with a stop."},
                                           FullStopCase{"Careful!", "Careful!"},
                                           FullStopCase{"(in brackets)", "(in brackets)"},
                                           FullStopCase{"trailing slash/", "trailing slash/."},
                                           FullStopCase{"ends in 7", "ends in 7."},
                                           FullStopCase{"comma,", "comma,"},
                                           FullStopCase{"", ""}));

// What a message shows of a value: at most 64 bytes, every byte that is no
// printable character as \xNN, UTF-8 characters kept whole.
TEST(QuotedValue, ShowsPrintableTextOnly)
{
    const std::string a64(64, 'a');
    const struct {
        std::string value;
        std::string shown;
    } cases[] = {
        {"0x18G", "'0x18G'"},
        {std::string("0x18\0G", 6), "'0x18\\x00G'"},
        {"\x1B[2J\x7F\t", "'\\x1B[2J\\x7F\\x09'"},
        {"\xC3\x96lpumpe \xE2\x82\xAC", "'\xC3\x96lpumpe \xE2\x82\xAC'"}, // UTF-8 characters stay
        {"\x9B" "31m", "'\\x9B31m'"},                 // a lone byte of no character
        {"\xC2\x9B", "'\\xC2\\x9B'"},                  // U+009B, a control character to a terminal
        {"\xC0\x80", "'\\xC0\\x80'"},                  // an overlong form
        {"\xED\xA0\x80", "'\\xED\\xA0\\x80'"},          // a surrogate
        {a64, "'" + a64 + "'"},
        {a64 + "b", "'" + a64 + "...'"},
        {std::string(63, 'a') + "\xC3\x96", "'" + std::string(63, 'a') + "...'"}, // a character cut is left out whole
        {std::string(70, '\x01'), "'" + [] { std::string s; for (int i = 0; i < 64; ++i) s += "\\x01"; return s; }() + "...'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuotedValue(c.value), c.shown) << c.shown;
}

} // namespace
} // namespace c2c
