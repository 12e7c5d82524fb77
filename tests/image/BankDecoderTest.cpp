// Decoding an image back: what the builder put in comes out, and every kind
// of disagreement with what a build writes is named.

#include "image/BankDecoder.h"

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace c2c {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

CobIdTables Tables(std::vector<CobIdRow> can0ToCan1, std::vector<CobIdRow> can1ToCan0)
{
    return {std::move(can0ToCan1), std::move(can1ToCan0)};
}

std::unique_ptr<BankImage> Built(const CommSettings& settings, const CobIdTables& tables)
{
    auto image = std::make_unique<BankImage>();
    BuildBankImage(settings, tables, *image);
    return image;
}

TEST(BankDecoderTest, StandardImageGivesBackSettingsAndTablesByIdentifier)
{
    // 20 kbit/s, 1000 kbit/s from the dip switch, both 2.0A, positive.
    const auto image = Built({1, 8, 0, 1, 0, 1, 0}, Tables({{"0x181", "0x1C1", ""}, {"", "", ""}, {"5", "", ""}},
                                                            {{"0x7FF", "0", ""}}));
    const DecodedImage decoded = DecodeBankImage(image->Bank(1), image->Bank(2));
    EXPECT_FALSE(decoded.extended);
    EXPECT_EQ(decoded.can0, (DecodedPort{2, false, 0}));
    EXPECT_EQ(decoded.can1, (DecodedPort{9, true, 0}));
    EXPECT_EQ(decoded.can0.BitRateKbps(), 20);
    EXPECT_EQ(decoded.can1.BitRateKbps(), 1000) << "the stored rate, also when the dip switch decides";
    EXPECT_TRUE(decoded.IsPositive());
    EXPECT_THAT(decoded.translations[kCan0ToCan1], ElementsAre(Translation{5, 5}, Translation{0x181, 0x1C1}));
    EXPECT_THAT(decoded.translations[kCan1ToCan0], ElementsAre(Translation{0x7FF, 0}));
    EXPECT_THAT(decoded.warnings, ::testing::IsEmpty());
}

TEST(BankDecoderTest, ExtendedImageGivesBackTheListsInStoredOrder)
{
    const auto image = Built({6, -1, 0, 0, 0, 0, 1}, Tables({{"0x12345", "0x12346", ""}, {"0x100", "", ""}}, {}));
    const DecodedImage decoded = DecodeBankImage(image->Bank(1), image->Bank(2));
    EXPECT_TRUE(decoded.extended);
    EXPECT_EQ(decoded.can1.format, 1);
    EXPECT_EQ(decoded.can1.BitRateKbps(), std::nullopt) << "no rate chosen stores code 0";
    EXPECT_THAT(decoded.translations[kCan0ToCan1], ElementsAre(Translation{0x100, 0x100}, Translation{0x12345, 0x12346}));
    EXPECT_THAT(decoded.translations[kCan1ToCan0], ::testing::IsEmpty());
    EXPECT_THAT(decoded.warnings, ElementsAre(HasSubstr("CAN 1 has bit-rate code 0")));
}

struct Damage {
    const char* name;
    bool extended;
    int bank;
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
    const char* warning;
};

void PrintTo(const Damage& d, std::ostream* out) { *out << d.name; }

class BankDecoderDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(BankDecoderDamageTest, IsNamedInAWarning)
{
    const Damage& damage = GetParam();
    const CommSettings settings = damage.extended ? CommSettings{5, 5, 1, 1, 0, 0, 1} : CommSettings{5, 5, 0, 1, 0, 0, 0};
    auto image = Built(settings, Tables({{"0x10", "0x20", ""}, {"0x30", "", ""}}, {}));
    std::copy(damage.bytes.begin(), damage.bytes.end(), image->MutableBank(damage.bank).begin() + damage.offset);
    const DecodedImage decoded = DecodeBankImage(image->Bank(1), image->Bank(2));
    EXPECT_THAT(decoded.warnings, ::testing::Contains(HasSubstr(damage.warning)));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BankDecoderDamageTest,
    ::testing::Values(
        Damage{"BitmapBitOfAnUnlistedIdentifier", false, 1, 9000, {0x01},
               "CAN0 to CAN1: the filter bitmap disagrees with the table at 0x000"},
        Damage{"EntryHoldsAnotherIdentifier", false, 2, 4 * 7, {0x08, 0x00, 0x08, 0x00},
               "CAN1 to CAN0: the entries of 0x007 hold another original identifier"},
        Damage{"ModifiedBeyond11Bits", false, 1, 4 * 0x10 + 2, {0x00, 0x08},
               "the entries of 0x010 translate to an identifier beyond 0x7FF"},
        Damage{"FillerBetweenTableAndBitmap", false, 1, 8200, {0x00},
               "Bank 1 bytes 8192-8999 (0x2000-0x2327) should all be 0xFF, but 1 is not, the first at 8200"},
        Damage{"FillerAfterTheSettings", false, 1, 16200, {0x00, 0x00}, "but 2 are not, the first at 16200"},
        Damage{"FormatByte", false, 1, 16105, {0x02}, "CAN 1 has frame-format byte 2"},
        Damage{"PositiveByte", true, 1, 16103, {0x07}, "The Positive Implementation byte is 7"},
        Damage{"ListSizeBeyondABank", true, 1, 16202, {0xD1, 0x07}, "stored list size 2001 is more than"},
        Damage{"ListOutOfOrder", true, 1, 0, {0x40}, "the list is not in ascending order of original identifier at entry 1"},
        Damage{"EntryPastTheListSize", true, 2, 0, {0x00}, "Bank 2 bytes 0-16383"}));

TEST(BankDecoderTest, DescribesBytesInTheUsersTerms)
{
    EXPECT_EQ(DescribeBankByte(1, 16101, false), "the CAN 1 bit-rate code");
    EXPECT_EQ(DescribeBankByte(2, 4 * 0x181 + 2, false), "the entry of identifier 0x181 of CAN1 to CAN0");
    EXPECT_EQ(DescribeBankByte(1, 9001, false), "the filter bitmap of CAN0 to CAN1 at identifiers 0x008-0x00F");
    EXPECT_EQ(DescribeBankByte(1, 16203, true), "the size of the list of CAN1 to CAN0");
    EXPECT_EQ(DescribeBankByte(2, 17, true), "list entry 2 of CAN1 to CAN0");
    EXPECT_EQ(DescribeBankByte(2, 16100, true), "a byte that should be 0xFF");
}

} // namespace
} // namespace c2c
