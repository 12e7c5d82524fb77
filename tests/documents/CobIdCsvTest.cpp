// The CobID tables as CSV: written as RFC 4180 says, read back cell for
// cell, and every bad line named without anything taken.

#include "documents/CobIdCsv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {

void PrintTo(const CobIdCsvProblem& problem, std::ostream* out)
{
    *out << problem.line << ": " << problem.reason;
}

namespace {

using ::testing::ElementsAre;

const CommSession kStandard{0, 0, true};
const CommSession kMixed{0, 1, true}; // CAN 0 2.0A, CAN 1 2.0B

CobIdTables EmptyTables(const CommSession& session)
{
    const std::size_t length = CobIdTableLength(session);
    return {CobIdTable(length), CobIdTable(length)};
}

TEST(CobIdCsvTest, WritesTheFilledRowsInTableOrderAndReadsThemBackAsWritten)
{
    CobIdTables tables = EmptyTables(kStandard);
    tables.can0ToCan1[3] = {"0x7FF", "$7ff", "a, \"quoted\"; text"};
    tables.can0ToCan1[2047] = {"", "", "two\r\nlines"};
    tables.can1ToCan0[0] = {"5", "", " "};
    const std::string text = CobIdCsvText(tables);
    EXPECT_EQ(text, "direction,row,original,modified,description\r\n"
                    "can0-to-can1,3,0x7FF,$7ff,\"a, \"\"quoted\"\"; text\"\r\n"
                    "can0-to-can1,2047,,,\"two\r\nlines\"\r\n"
                    "can1-to-can0,0,5,, \r\n");
    const CobIdCsvReading reading = ReadCobIdCsv(text, kStandard);
    EXPECT_THAT(reading.problems, ::testing::IsEmpty());
    EXPECT_EQ(reading.tables, tables);
}

TEST(CobIdCsvTest, ReadsSemicolonsAByteOrderMarkAndLineFeedsAsSpreadsheetsWriteThem)
{
    const CobIdCsvReading reading =
        ReadCobIdCsv("\xEF\xBB\xBF" "Direction;Row;Original;Modified;Description\n"
                     "can1-to-can0;1999;0x1FFFFFFF;0x7FF;\"x;y\"\n;;;;\n\n",
                     kMixed);
    ASSERT_THAT(reading.problems, ::testing::IsEmpty());
    EXPECT_EQ(reading.tables.can0ToCan1.size(), 2000u);
    EXPECT_EQ(reading.tables.can1ToCan0[1999], (CobIdRow{"0x1FFFFFFF", "0x7FF", "x;y"}));
}

TEST(CobIdCsvTest, NamesEveryBadLineAndTakesNothing)
{
    const std::string text = "direction,row,original,modified,description\n"
                             "can0-to-can1,1,0x10,0x20,fine\n"
                             "can0-to-can1,2,0x800,,\n"            // line 3: beyond 2.0A
                             "can0-to-can1,3,1,0x20000000,\n"      // 4: beyond 2.0B
                             "can2-to-can0,2,1,1,\n"               // 5
                             "can0-to-can1,2000,1,1,\n"            // 6: no such row
                             "can0-to-can1,+1,1,1,\n"              // 7
                             "can0-to-can1,1,3FF,,\n"              // 8: twice, and no integer
                             "can0-to-can1,4,1\n"                  // 9
                             "can0-to-can1,5,\"1\"x,1,\n"          // 10
                             "can0-to-can1,6,1,1,\"open\nstill open\n";
    const CobIdCsvReading reading = ReadCobIdCsv(text, kMixed);
    EXPECT_THAT(
        reading.problems,
        ElementsAre(
            CobIdCsvProblem{3, "original '0x800'. The CobID must between 0x000 and 0x7FF"},
            CobIdCsvProblem{4, "modified '0x20000000'. The CobID must between 0x0000 0000 and 0x1FFF FFFF"},
            CobIdCsvProblem{5, "direction 'can2-to-can0' is neither can0-to-can1 nor can1-to-can0"},
            CobIdCsvProblem{6, "row '2000' is no N\u00B0 of the tables (0 to 1999)"},
            CobIdCsvProblem{7, "row '+1' is no N\u00B0 of the tables (0 to 1999)"},
            CobIdCsvProblem{8, "row 1 of can0-to-can1 is given twice (first on line 2); original '3FF'. The CobID "
                               "must between 0x000 and 0x7FF"},
            CobIdCsvProblem{9, "3 fields where 5 are expected (direction,row,original,modified,description)"},
            CobIdCsvProblem{10, "text after the closing quote of a field"},
            CobIdCsvProblem{11, "a quoted field is not closed"}));
    EXPECT_EQ(CobIdCsvProblemText("t.csv", reading.problems.front()),
              "t.csv:3: original '0x800'. The CobID must between 0x000 and 0x7FF");

    EXPECT_THAT(ReadCobIdCsv("can0-to-can1,1,1,1,\n", kStandard).problems,
                ElementsAre(CobIdCsvProblem{1, std::string("the first line must be the header ") + kCobIdCsvHeader}));
    EXPECT_EQ(ReadCobIdCsv("", kStandard).problems.size(), 1u);
}

} // namespace
} // namespace c2c
