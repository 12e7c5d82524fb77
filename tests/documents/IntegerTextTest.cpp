#include "documents/IntegerText.h"

#include "platform/Error.h"

#include <gtest/gtest.h>

#include <optional>

namespace c2c {
namespace {

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> value; // nothing: not an integer
};

void PrintTo(const IntegerCase& c, std::ostream* out)
{
    *out << "\"" << c.text << "\"";
}

class IntegerTextTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerTextTest, ReadsTheSyntax)
{
    const IntegerCase& c = GetParam();
    EXPECT_EQ(TryParseInteger(c.text), c.value);
    EXPECT_EQ(ParseIntegerOr(c.text, 12345), c.value.value_or(12345));
    if (c.value)
        EXPECT_EQ(ParseInteger(c.text), *c.value);
    else
        EXPECT_THROW(ParseInteger(c.text), Error);
}

constexpr std::optional<std::int32_t> kFails = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Examples, IntegerTextTest,
    ::testing::Values(IntegerCase{"2047", 2047}, IntegerCase{"0x7FF", 2047}, IntegerCase{"0X7ff", 2047},
                      IntegerCase{"$7FF", 2047}, IntegerCase{"x7FF", 2047}, IntegerCase{"X7ff", 2047},
                      IntegerCase{"   2047", 2047}, IntegerCase{"7FF", kFails}, IntegerCase{"2047 ", kFails},
                      IntegerCase{"", kFails}, IntegerCase{" ", kFails}, IntegerCase{"\t2047", kFails},
                      IntegerCase{"0", 0}, IntegerCase{"007", 7}, IntegerCase{"+5", 5}, IntegerCase{"-5", -5},
                      IntegerCase{"- 5", kFails}, IntegerCase{"+", kFails}, IntegerCase{"-", kFails},
                      IntegerCase{"-0x10", -16}, IntegerCase{"+$10", 16}, IntegerCase{"$", kFails},
                      IntegerCase{"0x", kFails}, IntegerCase{"x", kFails}, IntegerCase{"0x7G", kFails},
                      IntegerCase{"00x5", kFails}, IntegerCase{"1e3", kFails}, IntegerCase{"5.0", kFails}));

INSTANTIATE_TEST_SUITE_P(
    Limits, IntegerTextTest,
    ::testing::Values(IntegerCase{"2147483647", 2147483647}, IntegerCase{"2147483648", kFails},
                      IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"-2147483649", kFails}, IntegerCase{"99999999999999999999", kFails},
                      IntegerCase{"0xFFFFFFFF", -1}, IntegerCase{"0x80000000", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"0x7FFFFFFF", 2147483647}, IntegerCase{"0x1FFFFFFF", 0x1FFFFFFF},
                      IntegerCase{"0x100000000", kFails}, IntegerCase{"0x000000001", 1},
                      IntegerCase{"$0000000000FF", 255}, IntegerCase{"-0xFFFFFFFF", 1},
                      IntegerCase{"-0x80000000", std::numeric_limits<std::int32_t>::min()}));

TEST(ParseInteger, ErrorQuotesTheRejectedText)
{
    try {
        ParseInteger("3FF");
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'3FF' is not a valid integer value");
    }
}

} // namespace
} // namespace c2c
