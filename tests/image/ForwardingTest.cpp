// The forwarding model against images as the build writes them: both
// layouts, both polarities, duplicates, the frame-format rules and empty
// tables; and images that are not as a build writes them.

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "image/Forwarding.h"

#include <gtest/gtest.h>

#include <memory>

namespace c2c {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

CobIdTable Table(const Rows& rows)
{
    CobIdTable table;
    for (const auto& [orig, mod] : rows)
        table.push_back({orig, mod, ""});
    return table;
}

DecodedImage Decoded(int format0, int format1, bool positive, const Rows& can0ToCan1, const Rows& can1ToCan0)
{
    CommSettings settings;
    settings.format0 = format0;
    settings.format1 = format1;
    settings.positive = positive ? 1 : 0;
    auto image = std::make_unique<BankImage>();
    BuildBankImage(settings, {Table(can0ToCan1), Table(can1ToCan0)}, *image);
    return DecodeBankImage(image->Bank(1), image->Bank(2));
}

constexpr int A = 0, B = 1;
constexpr bool kStd = false, kExt = true;

struct Case {
    const char* name;
    int format0, format1;
    bool positive;
    Rows can0ToCan1, can1ToCan0;
    int port;
    CanFrameId frame;
    RouteOutcome outcome;
    CanFrameId leaves; // when passed
    const char* reason;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class ForwardingCases : public ::testing::TestWithParam<Case> {};

TEST_P(ForwardingCases, RouteAndReason)
{
    const Case& c = GetParam();
    const ForwardingModel model(Decoded(c.format0, c.format1, c.positive, c.can0ToCan1, c.can1ToCan0));
    const Route route = model.RouteFrame(PortAt(c.port), c.frame);
    EXPECT_EQ(route.outcome, c.outcome);
    if (c.outcome == RouteOutcome::Passed) {
        EXPECT_EQ(route.leaves, c.leaves);
    }
    EXPECT_EQ(model.ReasonText(PortAt(c.port), c.frame, route), c.reason);
}

constexpr auto Passed = RouteOutcome::Passed;
constexpr auto Blocked = RouteOutcome::Blocked;
constexpr auto NotReceived = RouteOutcome::NotReceived;
const Rows kLine7 = {{"0x181", "0x1C1"}, {"0x201", ""}};

INSTANTIATE_TEST_SUITE_P(
    Rules, ForwardingCases,
    ::testing::Values(
        // Standard layout: the bitmap and the direct table.
        Case{"StdPositiveListed", A, A, true, kLine7, {}, 0, {0x181, kStd}, Passed, {0x1C1, kStd},
             "listed, Positive Implementation set"},
        Case{"StdPositiveListedUnchanged", A, A, true, kLine7, {}, 0, {0x201, kStd}, Passed, {0x201, kStd},
             "listed, Positive Implementation set"},
        Case{"StdPositiveUnlisted", A, A, true, kLine7, {}, 0, {0x701, kStd}, Blocked, {},
             "not listed, Positive Implementation set"},
        Case{"StdClearListed", A, A, false, kLine7, {}, 0, {0x181, kStd}, Blocked, {},
             "listed, Positive Implementation clear"},
        Case{"StdClearUnlisted", A, A, false, kLine7, {}, 0, {0x080, kStd}, Passed, {0x080, kStd},
             "not listed, Positive Implementation clear"},
        Case{"StdOtherDirection", A, A, true, kLine7, {{"0x1C1", "0x181"}}, 1, {0x1C1, kStd}, Passed, {0x181, kStd},
             "listed, Positive Implementation set"},
        Case{"StdTablesApart", A, A, true, kLine7, {}, 1, {0x181, kStd}, Blocked, {},
             "not listed, Positive Implementation set"},
        Case{"StdLaterRowWins", A, A, true, {{"0x181", "0x1C1"}, {"385", "0x1C2"}}, {}, 0, {0x181, kStd}, Passed,
             {0x1C2, kStd}, "listed, Positive Implementation set"},
        Case{"StdEmptyPositive", A, A, true, {}, {}, 0, {0x000, kStd}, Blocked, {},
             "not listed, Positive Implementation set"},
        Case{"StdEmptyClear", A, A, false, {}, {}, 1, {0x7FF, kStd}, Passed, {0x7FF, kStd},
             "not listed, Positive Implementation clear"},
        Case{"StdExtendedFrame", A, A, false, {}, {}, 0, {0x181, kExt}, NotReceived, {},
             "a 29-bit frame, and CAN0 runs CAN 2.0A"},
        Case{"NoStandardIdentifier", A, A, false, {}, {}, 0, {0x800, kStd}, NotReceived, {},
             "no 11-bit identifier (above 0x7FF)"},
        // Extended layout: the sorted list.
        Case{"ExtPositiveListed", B, B, true, {{"0x18FF0701", "0x701"}}, {}, 0, {0x18FF0701, kExt}, Passed,
             {0x701, kExt}, "listed, Positive Implementation set"},
        Case{"ExtComparedAsNumbers", B, B, true, kLine7, {}, 0, {0x181, kExt}, Passed, {0x1C1, kExt},
             "listed, Positive Implementation set"},
        Case{"ExtStandardFrameStaysStandard", B, B, true, kLine7, {}, 0, {0x181, kStd}, Passed, {0x1C1, kStd},
             "listed, Positive Implementation set"},
        Case{"ExtWidened", B, B, true, {{"0x181", "0x1ABC0181"}}, {}, 0, {0x181, kStd}, Passed, {0x1ABC0181, kExt},
             "listed, Positive Implementation set; leaves as an extended frame"},
        Case{"ExtPositiveUnlisted", B, B, true, kLine7, {}, 0, {0x12345, kExt}, Blocked, {},
             "not listed, Positive Implementation set"},
        Case{"ExtClearListed", B, B, false, {{"0x12345", ""}}, {}, 0, {0x12345, kExt}, Blocked, {},
             "listed, Positive Implementation clear"},
        Case{"ExtClearUnlisted", B, B, false, {{"0x12345", ""}}, {}, 0, {0x12346, kExt}, Passed, {0x12346, kExt},
             "not listed, Positive Implementation clear"},
        Case{"ExtDuplicateTakesFirst", B, B, true, {{"0x100", "0x101"}, {"0x50", ""}, {"0x100", "0x102"}}, {}, 0,
             {0x100, kStd}, Passed, {0x101, kStd},
             "listed, Positive Implementation set; ambiguous: 2 entries, the device may take either"},
        Case{"ExtEmptyPositive", B, B, true, {}, {}, 1, {0x1FFFFFFF, kExt}, Blocked, {},
             "not listed, Positive Implementation set"},
        Case{"ExtEmptyClear", B, B, false, {}, {}, 1, {0x1FFFFFFF, kExt}, Passed, {0x1FFFFFFF, kExt},
             "not listed, Positive Implementation clear"},
        Case{"NoExtendedIdentifier", B, B, false, {}, {}, 0, {0x20000000, kExt}, NotReceived, {},
             "no CAN identifier (above 0x1FFFFFFF)"},
        // One port of each format: the extended layout, and the formats decide.
        Case{"MixedToExtendedPort", A, B, true, {{"0x181", "0x1ABC0181"}}, {}, 0, {0x181, kStd}, Passed,
             {0x1ABC0181, kExt}, "listed, Positive Implementation set; leaves as an extended frame"},
        Case{"MixedNarrowedForStandardPort", A, B, true, {}, {{"0x1ABC0181", "0x7FF"}}, 1, {0x1ABC0181, kExt},
             Passed, {0x7FF, kStd}, "listed, Positive Implementation set; leaves as a standard frame"},
        Case{"MixedTooWide", A, B, true, {}, {{"0x18FF0701", "0x800"}}, 1, {0x18FF0701, kExt}, Blocked, {},
             "0x800 cannot leave on CAN0, which runs CAN 2.0A (0x000 to 0x7FF)"},
        Case{"MixedUnlistedTooWide", A, B, false, {}, {}, 1, {0x12345, kExt}, Blocked, {},
             "0x12345 cannot leave on CAN0, which runs CAN 2.0A (0x000 to 0x7FF)"},
        Case{"MixedExtendedOnStandardPort", A, B, false, {}, {}, 0, {0x12345, kExt}, NotReceived, {},
             "a 29-bit frame, and CAN0 runs CAN 2.0A"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Forwarding, RouteTextNamesIdentifiersAsCanUtilsWritesThem)
{
    const ForwardingModel model(Decoded(A, B, true, {{"0x181", "0x1ABC0181"}}, {}));
    const CanFrameId asked{0x181, kStd};
    EXPECT_EQ(model.RouteText(CanPort::Can0, asked, model.RouteFrame(CanPort::Can0, asked)),
              "0x181 -> 0x1ABC0181 (listed, Positive Implementation set; leaves as an extended frame)");
    const CanFrameId unlisted{0x12, kExt};
    EXPECT_EQ(model.RouteText(CanPort::Can1, unlisted, model.RouteFrame(CanPort::Can1, unlisted)),
              "0x00000012 blocked (not listed, Positive Implementation set)");
}

TEST(Forwarding, ThreeEntriesOfOneIdentifier)
{
    const ForwardingModel model(Decoded(B, B, true, {{"7", "1"}, {"7", "2"}, {"7", "3"}}, {}));
    const Route route = model.RouteFrame(CanPort::Can0, {7, kExt});
    EXPECT_EQ(route.entries, 3);
    EXPECT_EQ(route.leaves.id, 1u);
    EXPECT_NE(model.ReasonText(CanPort::Can0, {7, kExt}, route).find("ambiguous: 3 entries, the device may take any of them"),
              std::string::npos);
}

// Bytes that a build does not write: the bitmap decides, and the reason
// says that it goes against the table; an unsorted list is still searched.
TEST(Forwarding, ImagesNotAsBuilt)
{
    CommSettings settings;
    settings.positive = 1;
    auto image = std::make_unique<BankImage>();
    BuildBankImage(settings, {Table({{"0x181", "0x1C1"}}), {}}, *image);
    auto& bank1 = image->MutableBank(1);
    bank1[kFilterOffset + 0x181 / 8] &= static_cast<std::uint8_t>(~(1u << (0x181 % 8))); // listed, bit clear
    bank1[kFilterOffset + 0x080 / 8] |= static_cast<std::uint8_t>(1u << (0x080 % 8));     // unlisted, bit set
    const ForwardingModel standard(DecodeBankImage(image->Bank(1), image->Bank(2)));
    const Route blocked = standard.RouteFrame(CanPort::Can0, {0x181, kStd});
    EXPECT_EQ(blocked.outcome, Blocked);
    EXPECT_EQ(blocked.reason, RouteReason::FilterBitClear);
    const Route passed = standard.RouteFrame(CanPort::Can0, {0x080, kStd});
    EXPECT_EQ(passed.outcome, Passed);
    EXPECT_EQ(passed.reason, RouteReason::FilterBitSet);
    EXPECT_EQ(passed.leaves, (CanFrameId{0x080, kStd}));

    settings.format0 = settings.format1 = 1;
    BuildBankImage(settings, {Table({{"0x10", "0x11"}, {"0x20", "0x21"}}), {}}, *image);
    auto& list = image->MutableBank(1);
    std::swap_ranges(list.begin(), list.begin() + 8, list.begin() + 8); // entries out of order
    const ForwardingModel extended(DecodeBankImage(image->Bank(1), image->Bank(2)));
    EXPECT_EQ(extended.RouteFrame(CanPort::Can0, {0x10, kStd}).leaves.id, 0x11u);
    EXPECT_EQ(extended.RouteFrame(CanPort::Can0, {0x20, kStd}).leaves.id, 0x21u);
}

} // namespace
} // namespace c2c
