#include "image/BankImage.h"

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace c2c {
namespace {

using namespace c2c::testing;
using Bytes = std::vector<std::uint8_t>;

// Rows first, first ± 1, ... last; the modified identifier equal to the
// original or empty.
CobIdRows Ids(int first, int last, bool withMod)
{
    CobIdRows rows;
    for (int id = first;; id += first < last ? 1 : -1) {
        rows.push_back({std::to_string(id), withMod ? std::to_string(id) : ""});
        if (id == last)
            return rows;
    }
}

// `bytes` repeated `repeat` times from `offset` of `bank`.
struct Span {
    int bank;
    std::size_t offset;
    Bytes bytes;
    std::size_t repeat = 1;
};

struct ImageCase {
    const char* name;
    Texts pargen;
    CobIdRows can0ToCan1, can1ToCan0;
    std::vector<Span> expected;
};

void PrintTo(const ImageCase& c, std::ostream* out) { *out << c.name; }

class BuildBankImageTest : public ::testing::Test {
protected:
    // The documents as the dialogs write them, read as the build reads them.
    void Build(const Texts& pargen, const CobIdRows& can0ToCan1, const CobIdRows& can1ToCan0 = {})
    {
        WriteProject(dir.path(), PargenXml(pargen), CobIdXml(can0ToCan1, can1ToCan0));
        BuildBankImage(ReadPargenStrictly(dir / "pargen.xml"), ReadCobIdStrictly(dir / "CanCanCobID.xml"), *image);
    }

    ::testing::AssertionResult Holds(const Span& span) const
    {
        const auto& bank = image->Bank(span.bank);
        for (std::size_t i = 0; i < span.bytes.size() * span.repeat; ++i) {
            const std::size_t at = span.offset + i;
            if (bank[at] != span.bytes[i % span.bytes.size()])
                return ::testing::AssertionFailure() << "bank " << span.bank << " byte " << at << " is 0x" << std::hex
                                                     << int(bank[at]);
        }
        return ::testing::AssertionSuccess();
    }

    TempDir dir;
    std::unique_ptr<BankImage> image = std::make_unique<BankImage>();
};

class ImageBytesTest : public BuildBankImageTest, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(ImageBytesTest, Bytes)
{
    Build(GetParam().pargen, GetParam().can0ToCan1, GetParam().can1ToCan0);
    for (const Span& span : GetParam().expected)
        EXPECT_TRUE(Holds(span));
}

const Texts kNegative = {"5", "5", "0", "0", "0", "0", "0"};
const CobIdRows kWorkedStandard = {{"0x001", "0x002"}, {"0x123", ""}};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImageBytesTest,
    ::testing::Values(
        ImageCase{"EmptyPositive", kStandardPargen, {}, {},
                  {{1, 0, {0xFF}, 9000}, {1, 9000, {0x00}, 256}, {2, 9000, {0x00}, 256}}},
        ImageCase{"EmptyNegative", kNegative, {}, {},
                  {{1, 0, {0xFF}, 16100}, {1, 16100, {6, 6, 0, 0, 0, 0}}, {1, 16106, {0xFF}, 278}, {2, 0, {0xFF}, 16384}}},
        ImageCase{"WorkedStandard", kStandardPargen, kWorkedStandard, {},
                  {{1, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x02, 0x00, 0xFF}},
                   {1, 0x48C, {0x23, 0x01, 0x23, 0x01}}, {1, 9000, {0x02}}, {1, 9036, {0x08}}, {2, 0, {0xFF}, 8192}}},
        ImageCase{"WorkedStandardNegative", kNegative, kWorkedStandard, {}, {{1, 9000, {0xFD}}, {1, 9036, {0xF7}}}},
        ImageCase{"CompileAllCobId", kStandardPargen, Ids(0, 2047, true), Ids(0, 2047, true),
                  {{1, 0, {0, 0, 0, 0}}, {1, 0x48C, {0x23, 0x01, 0x23, 0x01}}, {2, 0x1FFC, {0xFF, 0x07, 0xFF, 0x07}},
                   {1, 9000, {0xFF}, 256}, {2, 9000, {0xFF}, 256}}},
        ImageCase{"EmptyOriginalLeavesNoTrace", kStandardPargen, {{"", "0x10"}, {"", "junk"}}, {{"", "5"}},
                  {{1, 0, {0xFF}, 9000}, {1, 9000, {0x00}, 256}, {2, 0, {0xFF}, 9000}}},
        ImageCase{"StandardDuplicateLaterWins", kStandardPargen, {{"0x10", "0x20"}, {"$10", "0x30"}}, {},
                  {{1, 0x40, {0x10, 0x00, 0x30, 0x00}}}},
        ImageCase{"WorkedExtended", kExtendedPargen, {{"0x12345", "0x12346"}, {"0x100", ""}, {"0x50", "0x60"}},
                  {{"", ""}, {"", "7"}},
                  {{1, 0, {0x50, 0, 0, 0, 0x60, 0, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0,
                           0x45, 0x23, 0x01, 0, 0x46, 0x23, 0x01, 0}},
                   {1, 24, {0xFF}, 16076}, {1, 16200, {3, 0, 0, 0}}, {1, 16204, {0xFF}, 180}, {2, 0, {0xFF}, 16384}}},
        // Stable on the unsigned identifier: 0xFFFFFFFF (read as -1) sorts last.
        ImageCase{"ExtendedDuplicatesAndUnsignedSort", kExtendedPargen,
                  {{"9", "1"}, {"0xFFFFFFFF", "-2"}, {"3", "2"}, {"9", "3"}}, {},
                  {{1, 0, {3, 0, 0, 0, 2, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 3, 0, 0, 0,
                           0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}}}},
        ImageCase{"ExtendedCutAtTwoThousand", kExtendedPargen, {}, Ids(2000, 0, false),
                  {{1, 16200, {0, 0, 0xD0, 0x07}}, {2, 8 * 1999, {0xCF, 0x07, 0, 0, 0xCF, 0x07, 0, 0}},
                   {2, 16000, {0xFF}, 384}}},
        ImageCase{"MixedFormatsAreExtended", {"5", "5", "0", "1", "0", "0", "1"}, {{"0x7FF", ""}},
                  {{"0x1FFFFFFF", "1"}},
                  {{1, 0, {0xFF, 0x07, 0, 0, 0xFF, 0x07, 0, 0}}, {2, 0, {0xFF, 0xFF, 0xFF, 0x1F, 1, 0, 0, 0}},
                   {1, 16100, {6, 6, 0, 1, 0, 1}}, {1, 16200, {1, 0, 1, 0}}, {1, 9000, {0xFF}, 256}}},
        ImageCase{"BitRatesAndDipFlags", {"5", "8", "0", "1", "1", "1", "0"}, {}, {}, {{1, 16100, {6, 9, 0, 1, 3, 0}}}},
        ImageCase{"NoBitRateWrapsToZero", {"-1", "0x0", "$0", "x0", "0", "1", "0"}, {}, {},
                  {{1, 16100, {0, 1, 0, 0, 2, 0}}}},
        // Without position 6, or with one that is no number, CAN1 follows CAN0.
        ImageCase{"SixChildrenStandard", {"0", "0", "0", "1", "0", "0"}, {{"0x10", ""}}, {},
                  {{1, 16100, {1, 1, 0, 1, 0, 0}}, {1, 0x40, {0x10, 0, 0x10, 0}}}},
        ImageCase{"SixChildrenExtended", {"0", "0", "1", "1", "0", "0"}, {{"0x10", ""}}, {},
                  {{1, 16100, {1, 1, 1, 1, 0, 1}}, {1, 0, {0x10, 0, 0, 0, 0x10, 0, 0, 0}}}},
        ImageCase{"UnreadableTypeC1", {"0", "0", "1", "0", "0", "0", "B"}, {}, {},
                  {{1, 16100, {1, 1, 1, 0, 0, 1}}, {1, 16200, {0, 0, 0, 0}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BuildBankImageTest, EveryBuildStartsAfreshAndBanksThreeToFiveNeverChange)
{
    Build(kExtendedPargen, {{"1", "2"}}, {{"5", "6"}});
    Build(kNegative, {}, {});
    EXPECT_TRUE(Holds({1, 0, {0xFF}, 16100}));
    EXPECT_TRUE(Holds({1, 16106, {0xFF}, 278}));
    EXPECT_TRUE(Holds({2, 0, {0xFF}, kBankSize}));
    EXPECT_TRUE(Holds({3, 0, {0xFF}, kBankSize}));
    EXPECT_TRUE(Holds({4, 0, {0xFF}, kBankSize}));
    EXPECT_TRUE(Holds({5, 0, {0x00}, kBankSize}));
    EXPECT_THROW(image->MutableBank(5), std::out_of_range);
}

} // namespace
} // namespace c2c
