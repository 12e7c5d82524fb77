// The marks kept as the user types, against the batch checks of the whole
// tables (the cells `check` names, the warnings of FindCobIdWarnings): after
// every one of thousands of random edits, the two agree.

#include "dialogs/CobIdLiveCheck.h"

#include "operations/CobIdWarnings.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace c2c {
namespace {

using Marks = std::map<CobIdCellRef, CobIdMarkKind>;

// What the batch checks find, cell by cell (a problem outweighs a warning),
// and how many cells have a problem and how many a warning.
struct Batch {
    Marks marks;
    std::size_t problems = 0;
    std::size_t warnings = 0;
};
Batch BatchMarks(const CobIdTables& tables, const CommSession& formats)
{
    Batch batch;
    for (const CobIdWarning& warning : FindCobIdWarnings(tables, CobIdLayout(formats))) {
        if (warning.kind == CobIdWarningKind::BeyondDeviceList)
            continue; // said at OK, no mark of a cell
        const int column = warning.kind == CobIdWarningKind::Duplicate ? kOriginalColumn : kModifyColumn;
        for (std::size_t row : warning.rows)
            batch.marks[{warning.direction, row, column}] = CobIdMarkKind::Warning;
        batch.warnings += warning.rows.size();
    }
    for (const CobIdCellProblem& problem : FindCobIdCellProblems(tables, formats)) {
        batch.marks[{problem.direction, problem.row, problem.column}] = CobIdMarkKind::Problem;
        ++batch.problems;
    }
    return batch;
}

Marks LiveMarks(const CobIdLiveCheck& live, std::size_t rows)
{
    Marks marks;
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        for (std::size_t row = 0; row < rows; ++row)
            for (int column : {kOriginalColumn, kModifyColumn})
                if (const CobIdMarkKind kind = live.KindOf({direction, row, column}); kind != CobIdMarkKind::None)
                    marks[{direction, row, column}] = kind;
    return marks;
}

std::string Describe(const Marks& marks)
{
    std::string text;
    for (const auto& [cell, kind] : marks)
        text += std::to_string(cell.direction) + "/" + std::to_string(cell.row) + "/" + std::to_string(cell.column) +
                (kind == CobIdMarkKind::Problem ? "P " : "W ");
    return text;
}

TEST(CobIdLiveCheckTest, MarksAgreeWithTheBatchChecksAfterEveryEdit)
{
    // Texts that collide (0x1, 1, $1), fit one format only, or are no integer.
    const char* texts[] = {"", "", "", "1", "0x1", "$1", "0x7FF", "0x800", "2047", "x", " ", "-1", "0xFFFFFFFF",
                           "0x1FFFFFFF", "0x20000000", "5"};
    constexpr std::size_t kEditedRows = 16;
    std::mt19937 random(23);
    for (const CommSession formats : {CommSession{0, 0, true}, CommSession{0, 1, true}, CommSession{1, 1, false},
                                      CommSession{2, 0, true}, CommSession{256, 1, true}}) {
        const std::size_t length = CobIdTableLength(formats);
        CobIdTables tables{CobIdTable(length), CobIdTable(length)};
        CobIdLiveCheck live;
        live.Reset(tables, formats);
        for (int step = 0; step < 2000; ++step) {
            const CobIdCellRef cell{static_cast<int>(random() % 2), random() % kEditedRows,
                                    random() % 2 ? kOriginalColumn : kModifyColumn};
            tables.Table(cell.direction)[cell.row].Cell(cell.column) = texts[random() % std::size(texts)];
            live.CellChanged(tables, cell);
            const Batch batch = BatchMarks(tables, formats);
            ASSERT_EQ(Describe(LiveMarks(live, kEditedRows)), Describe(batch.marks))
                << "formats " << formats.CanType0 << "/" << formats.CanType1 << ", step " << step;
            ASSERT_EQ(live.ProblemCount(), batch.problems) << "step " << step;
            ASSERT_EQ(live.WarningCount(), batch.warnings) << "step " << step;
        }
        // A fresh check of the same tables says the same as the one kept up.
        CobIdLiveCheck fresh;
        fresh.Reset(tables, formats);
        EXPECT_EQ(fresh.Summary(), live.Summary());
    }
}

TEST(CobIdLiveCheckTest, TheSummaryNamesTheFirstOfEach)
{
    const CommSession formats{0, 0, true};
    CobIdTables tables{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    CobIdLiveCheck live;
    live.Reset(tables, formats);
    EXPECT_EQ(live.Summary(), "No problems");
    const struct {
        CobIdCellRef cell;
        const char* text;
        const char* summary;
    } steps[] = {
        {{kCan1ToCan0, 7, kOriginalColumn}, "0x800", "1 problem: in CAN1 to CAN0, N\u00B0 7"},
        {{kCan0ToCan1, 3, kModifyColumn}, "0x10", "1 problem: in CAN1 to CAN0, N\u00B0 7; 1 warning: in CAN0 to CAN1, "
                                                  "N\u00B0 3"},
        {{kCan0ToCan1, 9, kOriginalColumn}, "q", "2 problems: first in CAN0 to CAN1, N\u00B0 9; 1 warning: in CAN0 to "
                                                 "CAN1, N\u00B0 3"},
        {{kCan0ToCan1, 3, kOriginalColumn}, "16", "2 problems: first in CAN0 to CAN1, N\u00B0 9"},
        {{kCan0ToCan1, 4, kOriginalColumn}, "0x10", "2 problems: first in CAN0 to CAN1, N\u00B0 9; 2 warnings: first "
                                                    "in CAN0 to CAN1, N\u00B0 3"},
    };
    for (const auto& step : steps) {
        tables.Table(step.cell.direction)[step.cell.row].Cell(step.cell.column) = step.text;
        live.CellChanged(tables, step.cell);
        EXPECT_EQ(live.Summary(), step.summary) << step.text;
    }
    EXPECT_EQ(live.ReasonOf(tables, {kCan0ToCan1, 4, kOriginalColumn}),
              "'0x10' (0x010) is also listed in N\u00B0 3; the later row wins");
}

} // namespace
} // namespace c2c
