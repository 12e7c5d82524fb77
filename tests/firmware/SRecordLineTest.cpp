// One S-record line: the checksum, where a data record starts, and a whole
// record taken apart or named for what is wrong with it. The records are
// made by the test's own writer (SRecordTestSupport.h).

#include "firmware/SRecordLine.h"

#include "firmware/SRecordTestSupport.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;

TEST(CheckSumSx, FollowsTheMotorolaRule)
{
    const std::string ff(64, 'F'), zeros(64, '0');
    struct {
        std::string record;
        std::string checksum;
    } cases[] = {
        {"S224388000" + ff + "00", "43"},    // bank 1, first record, all 0xFF
        {"S224398000" + zeros + "00", "22"}, // bank 2, first record, all 0x00
        {"S22438BFE0" + ff + "00", "24"},    // bank 1, last record, all 0xFF
        {"S1130000285f245f2212226a000424290008237c00", "2A"}, // lower-case digits read too
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckSumSx(c.record, true), c.checksum) << c.record;
        EXPECT_EQ(CheckSumSx(c.record, false), c.record.substr(0, c.record.size() - 2) + c.checksum);
    }
    EXPECT_THROW(CheckSumSx("S2243880G000", true), Error);
    const std::uint8_t data[3] = {1, 2, 0xFF};
    EXPECT_EQ(S2Record(0x38BFE0, data, 3), S2(0x38BFE0, {1, 2, 0xFF}));
}

TEST(SRecordLine, WhereADataRecordStarts)
{
    using Kind = RecordStart::Kind;
    const struct {
        std::string line;
        Kind kind;
        std::uint32_t address;
    } cases[] = {
        {S1(0x3880, {1}), Kind::Data, 0x3880},
        {S2(0x388000, {1}), Kind::Data, 0x388000},
        {S3(0x00398010, {1}), Kind::Data, 0x398010},
        {"S2143a8b0c", Kind::Data, 0x3A8B0C}, // only the address is read
        {"S3", Kind::TooShort, 0},
        {"S20438800", Kind::TooShort, 0},
        {"S22438G000", Kind::NotHexadecimal, 0},
        {S0(), Kind::Other, 0},
        {S9(), Kind::Other, 0},
        {"s2243880000000", Kind::Other, 0}, // the type letter is upper case
        {"", Kind::Other, 0},
    };
    for (const auto& c : cases) {
        const RecordStart start = DataRecordStart(c.line);
        EXPECT_EQ(start.kind, c.kind) << c.line;
        if (c.kind == Kind::Data) {
            EXPECT_EQ(start.address, c.address) << c.line;
        }
    }
}

TEST(SRecordLine, RecordsTakenApartOrNamed)
{
    const struct {
        std::string line;
        const char* problem; // nullptr: well formed
        char type;
        std::uint32_t address;
        Bytes data;
    } cases[] = {
        {S3(0x00388000, {0xAA, 0xBB}), nullptr, '3', 0x388000, {0xAA, 0xBB}},
        {S1(0x1234, {}), nullptr, '1', 0x1234, {}},
        {S9(), nullptr, '9', 0, {}},
        {"S4030000FC", "not an S-record", 0, 0, {}},
        {"X1030000FC", "not an S-record", 0, 0, {}},
        {"S1030000F", "odd number of characters", 0, 0, {}},
        {"S10300G0FC", "characters that are not hexadecimal digits", 0, 0, {}},
        {"S1040000FC", "byte count does not match the record's length", 0, 0, {}},
        {"S2030000FC", "byte count does not match the record's length", 0, 0, {}}, // too short for a 24-bit address
        {"S1030000FB", "wrong checksum", 0, 0, {}},
        {"S1" + std::string(kLongestRecord, '0'), "too long for an S-record", 0, 0, {}},
    };
    for (const auto& c : cases) {
        SRecord record;
        const char* problem = DecodeSRecord(c.line, record);
        EXPECT_STREQ(problem, c.problem) << c.line;
        if (c.problem)
            continue;
        EXPECT_EQ(record.type, c.type) << c.line;
        EXPECT_EQ(record.address, c.address) << c.line;
        EXPECT_EQ(record.data, c.data) << c.line;
    }
}

} // namespace
} // namespace c2c
