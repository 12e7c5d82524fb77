// Rows stored beyond the tables' length: moved into the first empty rows,
// in stored order, or named when none is left; and the message saying so.

#include "documents/CobIdCarryOver.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

TEST(CobIdCarryOverTest, StoredRowsGoIntoTheFirstEmptyRowsInOrder)
{
    const CobIdRow a{"0x7FE", "", ""}, b{"", "", "a note"}, c{"0x7FF", "0x100", "c"};
    const struct {
        const char* name;
        std::vector<CobIdRow> table; // the table as read (3 rows)
        std::vector<CobIdStoredRow> beyond;
        std::vector<CobIdMovedRow> moved;
        std::vector<std::size_t> dropped;
        std::vector<CobIdRow> after;
    } cases[] = {
        {"nothing beyond", {a, {}, {}}, {}, {}, {}, {a, {}, {}}},
        {"into the gaps", {{}, a, {}}, {{2001, b}, {2047, c}}, {{2001, 0}, {2047, 2}}, {}, {b, a, c}},
        {"a note is a row in use", {b, {}, a}, {{2040, c}}, {{2040, 1}}, {}, {b, c, a}},
        {"no room for the last", {a, {}, b}, {{2000, c}, {2001, a}}, {{2000, 1}}, {2001}, {a, c, b}},
        {"a full table", {a, b, c}, {{2010, c}}, {}, {2010}, {a, b, c}},
    };
    for (const auto& t : cases) {
        CobIdTables tables{t.table, {{}, {}, {}}};
        const CobIdCarryOver carryOver = CarryOverRows(tables, {t.beyond, {}});
        EXPECT_EQ(carryOver.tables[kCan0ToCan1].moved, t.moved) << t.name;
        std::vector<std::size_t> dropped;
        for (const CobIdStoredRow& row : carryOver.tables[kCan0ToCan1].dropped)
            dropped.push_back(row.number);
        EXPECT_EQ(dropped, t.dropped) << t.name;
        EXPECT_EQ(tables.can0ToCan1, t.after) << t.name;
        EXPECT_EQ(tables.can1ToCan0, (CobIdTable{{}, {}, {}})) << t.name << ": the other table is left alone";
        EXPECT_EQ(carryOver.Any(), !t.beyond.empty()) << t.name;
    }
}

TEST(CobIdCarryOverTest, TheMessageNamesWhatMovedAndWhatDoesNotFit)
{
    CobIdTables tables{CobIdTable(kExtendedTableLength), CobIdTable(kExtendedTableLength)};
    for (std::size_t r = 1; r < kExtendedTableLength; ++r)
        tables.can1ToCan0[r].Orig_CobID = std::to_string(r);
    const CobIdRowsBeyond beyond = {std::vector<CobIdStoredRow>{{2000, {"0x7FE", "", ""}}, {2001, {"0x7FF", "", ""}}},
                                    std::vector<CobIdStoredRow>{{2046, {"0x10", "0x20", "x"}},
                                                                {2047, {"", "", "kept note"}}}};
    const CobIdCarryOver carryOver = CarryOverRows(tables, beyond);
    EXPECT_EQ(carryOver.MovedTo(kCan0ToCan1), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(CobIdCarryOverText(carryOver, CarryOverTime::Now),
              "Set CobID Access has 2000 rows per table (a port runs CAN 2.0B), and CanCanCobID.xml holds filled rows "
              "beyond N\u00B0 1999.\n"
              "CAN0 to CAN1: 2 rows stored as N\u00B0 2000 and N\u00B0 2001 were moved into the first empty rows, now "
              "N\u00B0 0 and N\u00B0 1.\n"
              "CAN1 to CAN0: 1 row stored as N\u00B0 2046 was moved into the first empty row, now N\u00B0 0.\n"
              "CAN1 to CAN0: 1 row stored as N\u00B0 2047 does not fit, as no empty row is left; OK would drop it:\n"
              "N\u00B0 2047: Description 'kept note'");
    EXPECT_EQ(CobIdCarryOverText(CobIdCarryOver{}, CarryOverTime::AtNextShowing), "");
}

} // namespace
} // namespace c2c
