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
                             "can0-to-can1,2048,1,1,\n"            // 6: no such row
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
            CobIdCsvProblem{6, "row '2048' is no N\u00B0 of the tables (0 to 2047)"},
            CobIdCsvProblem{7, "row '+1' is no N\u00B0 of the tables (0 to 2047)"},
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

// A file of tables of 2048 rows read while a port runs CAN 2.0B: its rows
// beyond N° 1999 go into the first empty rows, as stored rows do.
TEST(CobIdCsvTest, RowsBeyondTheTablesAreCarriedOverIntoEmptyRows)
{
    const std::string header = "direction,row,original,modified,description\n";
    const CobIdCsvReading moved = ReadCobIdCsv(header + "can0-to-can1,2047,0x7FF,,last\n"
                                                        "can0-to-can1,0,0x1,,first\n"
                                                        "can0-to-can1,2000,0x7D0,,\n"
                                                        "can1-to-can0,2001,,,a note\n",
                                               kMixed);
    ASSERT_THAT(moved.problems, ::testing::IsEmpty());
    EXPECT_EQ(moved.tables.can0ToCan1.size(), 2000u);
    EXPECT_EQ(moved.tables.can0ToCan1[1], (CobIdRow{"0x7D0", "", ""}));
    EXPECT_EQ(moved.tables.can0ToCan1[2], (CobIdRow{"0x7FF", "", "last"}));
    EXPECT_EQ(moved.tables.can1ToCan0[0], (CobIdRow{"", "", "a note"}));
    EXPECT_EQ(moved.carryOver.MovedTo(kCan0ToCan1), (std::vector<std::size_t>{1, 2}));

    // No empty row left: the line that has none is named, nothing is taken.
    std::string full = header;
    for (int row = 0; row < 2000; ++row)
        full += "can1-to-can0," + std::to_string(row) + ",1,,\n";
    full += "can1-to-can0,2010,2,,\n";
    EXPECT_THAT(ReadCobIdCsv(full, kMixed).problems,
                ElementsAre(CobIdCsvProblem{2002, "row 2010 of can1-to-can0 lies beyond N\u00B0 1999, the last row of "
                                                  "the tables, and no empty row is left to move it into"}));
}

} // namespace
} // namespace c2c
