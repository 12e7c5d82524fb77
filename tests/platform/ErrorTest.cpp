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

} // namespace
} // namespace c2c
