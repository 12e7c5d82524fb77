// candump -l lines: what each kind of line is taken for, and frames written
// back as candump writes them.

#include "documents/CandumpLog.h"

#include <gtest/gtest.h>


namespace c2c {
namespace {

using Kind = CandumpLineKind;

struct LineCase {
    const char* text;
    Kind kind;
    const char* written; // a frame as written back, or the problem
};

void PrintTo(const LineCase& c, std::ostream* out) { *out << c.text; }

class CandumpLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CandumpLines, KindAndFrame)
{
    const LineCase& c = GetParam();
    const CandumpLine line = ParseCandumpLine(c.text);
    ASSERT_EQ(line.kind, c.kind) << line.problem;
    if (c.kind == Kind::Frame) {
        std::string out;
        AppendCandumpLine(out, line.timestamp, line.interface, line.frame, line.direction);
        EXPECT_EQ(out, std::string(c.written) + "\n");
    } else if (c.kind == Kind::Malformed) {
        EXPECT_STREQ(line.problem, c.written);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CandumpLines,
    ::testing::Values(
        LineCase{"(1436509052.249713) can0 181#11223344", Kind::Frame, "(1436509052.249713) can0 181#11223344"},
        LineCase{"(0000000001.000000)   can1 18FF0701#0102 R\r", Kind::Frame, "(0000000001.000000) can1 18FF0701#0102 R"},
        LineCase{"(0.000000) vcan0 7ff#aa.bb.cc T", Kind::Frame, "(0.000000) vcan0 7FF#AABBCC T"},
        LineCase{"(1.5) can0 000#", Kind::Frame, "(1.5) can0 000#"},
        LineCase{"(1) can0 123#R", Kind::Frame, "(1) can0 123#R"},
        LineCase{"(1) can0 123#r0", Kind::Frame, "(1) can0 123#R"},
        LineCase{"(1) can0 00000123#R8_F", Kind::Frame, "(1) can0 00000123#R8_F"},
        LineCase{"(1) can0 123#1122334455667788_9", Kind::Frame, "(1) can0 123#1122334455667788_9"},
        LineCase{"", Kind::Empty, ""},
        LineCase{"  \t\r", Kind::Empty, ""},
        LineCase{"(1) can0 123##1AABB", Kind::CanFd, ""},
        LineCase{"(1) can0 12345#80:00:11223344#AA", Kind::CanXl, ""},
        LineCase{"(1) can0 20000080#0000000000000000", Kind::ErrorFrame, ""},
        LineCase{"DROPCOUNT: dropped 3 CAN frames on 'can0' socket (total drops 3)", Kind::DropNote, ""},
        LineCase{"1436509052.249713 can0 181#11", Kind::Malformed, "no timestamp in parentheses at the start"},
        LineCase{"(14365.) can0 181#11", Kind::Malformed, "the timestamp is not (SECONDS.FRACTION)"},
        LineCase{"(1)can0 181#11", Kind::Malformed, "no blank after the timestamp"},
        LineCase{"(1) can0", Kind::Malformed, "no frame after the interface name"},
        LineCase{"(1) can0 181#11 X", Kind::Malformed, "more than R or T after the frame"},
        LineCase{"(1) can0 181#11 R extra", Kind::Malformed, "more than R or T after the frame"},
        LineCase{"(1) can0 18#11", Kind::Malformed, "no identifier of 3 or 8 hexadecimal digits and \"#\""},
        LineCase{"(1) can0 1G1#11", Kind::Malformed, "the identifier is not hexadecimal"},
        LineCase{"(1) can0 800#11", Kind::Malformed, "a three-digit identifier above 7FF"},
        LineCase{"(1) can0 40000000#11", Kind::Malformed, "the identifier is above 1FFFFFFF"},
        LineCase{"(1) can0 181#112", Kind::Malformed, "the data are not pairs of hexadecimal digits"},
        LineCase{"(1) can0 181#112233445566778899", Kind::Malformed, "more than 8 data bytes in a classic CAN frame"},
        LineCase{"(1) can0 181#1122_9", Kind::Malformed,
                 "a \"_\" and the data length code 9 to F may follow eight data bytes only"},
        LineCase{"(1) can0 181#R9", Kind::Malformed, "a remote frame is R and a length of 0 to 8"},
        // Error, CAN FD and CAN XL lines are what they say, or malformed.
        LineCase{"(1) can0 3FFFFFFF#0000000000000000", Kind::ErrorFrame, ""},
        LineCase{"(1) can0 7FFFFFFF#0000000000000000", Kind::Malformed, "the identifier is above 1FFFFFFF"},
        LineCase{"(1) can0 20000004#000000000000000000", Kind::Malformed,
                 "more than 8 data bytes in a classic CAN frame"},
        LineCase{"(1) can0 20000004#R", Kind::Malformed, "the data are not pairs of hexadecimal digits"},
        LineCase{"(1) can0 181##", Kind::Malformed, "a CAN FD frame is ## and a flags digit, then at most 64 data bytes"},
        LineCase{"(1) can0 181##0", Kind::CanFd, ""},
        LineCase{"(1) can0 1FFFFFFF##5AA.BB", Kind::CanFd, ""},
        LineCase{"(1) can0 181##G11", Kind::Malformed, "a CAN FD frame is ## and a flags digit, then at most 64 data bytes"},
        LineCase{"(1) can0 800##111", Kind::Malformed, "a three-digit identifier above 7FF"},
        LineCase{"(1) can0 12345#80:00:11223344#", Kind::Malformed,
                 "a CAN XL frame is PRIO#FLAGS:SDT:AF# and 1 to 2048 data bytes"},
        LineCase{"(1) can0 12345#80:00:1122334#AA", Kind::Malformed,
                 "a CAN XL frame is PRIO#FLAGS:SDT:AF# and 1 to 2048 data bytes"},
        LineCase{"(1) can0 12345#80-00:11223344#AA", Kind::Malformed,
                 "a CAN XL frame is PRIO#FLAGS:SDT:AF# and 1 to 2048 data bytes"}),
    [](const auto& info) { return "Line" + std::to_string(info.index); });

// The longest frames of each kind: 64 bytes of CAN FD, 2048 of CAN XL (a
// line of over 4096 characters); one byte more is malformed.
TEST(CandumpLines, LongestFramesOfEachKind)
{
    auto data = [](std::size_t bytes) { return std::string(2 * bytes, 'A'); };
    EXPECT_EQ(ParseCandumpLine("(1) can0 181##1" + data(64)).kind, Kind::CanFd);
    EXPECT_EQ(ParseCandumpLine("(1) can0 181##1" + data(65)).kind, Kind::Malformed);
    const std::string xl = "(1700000000.000000) can0 45123#81:00:12345678#" + data(2048);
    EXPECT_EQ(ParseCandumpLine(xl).kind, Kind::CanXl);
    EXPECT_EQ(ParseCandumpLine(xl + "AA").kind, Kind::Malformed);
    EXPECT_LE(xl.size(), kMaxCandumpLine) << "read whole, not cut";
}

TEST(CandumpLines, WhatATraceLooksLikeAtItsStart)
{
    const struct {
        std::string head;
        bool trace;
    } cases[] = {
        {"(1.0) can0 181#11\n", true},
        {"\n\r\n  \n(1.0) can0 123##1AABB\nS0 anything", true},
        {"DROPCOUNT: dropped 3 CAN frames\n", true},
        {"(1.0) can0 181#11", true}, // a whole file of one line
        {"", false},
        {"\n\n", false},
        {"S00600004844521B\r\n", false},
        {"direction,row,original,modified,description\r\n", false},
        {"<CanCanCobID>", false},
        {"(1.0) can0 181#11" + std::string(kMaxCandumpLine, ' '), false}, // no line end: cut, tells nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsCandumpTraceText(c.head), c.trace) << c.head.substr(0, 40);
}

} // namespace
} // namespace c2c
