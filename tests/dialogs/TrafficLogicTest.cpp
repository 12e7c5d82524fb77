// The Traffic page without widgets: why it cannot compute yet, the line a
// trace suggests, a stopped or failed analysis, and the rows of the grid a
// conflict names, in both tables.

#include "dialogs/TrafficLogic.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::TempDir;
using testing::WriteText;

TEST(TrafficLogic, ProblemsSuggestionsAndStop)
{
    TempDir dir;
    const RoutingLogic routing({{{"0x181", "", ""}}, {}}, {0, 0, true}, kCan0ToCan1);
    TrafficInputs inputs;
    TrafficLogic page(routing, inputs);
    EXPECT_EQ(page.Problem(), "Load a trace recorded on a line without the device.");
    inputs.traces[1].path = dir / "b.log";
    EXPECT_EQ(page.Problem(), "Choose the bit rate of CAN0: the dip switch sets it.");
    inputs.bitRates = {250, 500};
    EXPECT_EQ(page.Problem(), "");
    const RoutingLogic bad({{{"0x800", "", ""}}, {}}, {0, 0, true}, kCan0ToCan1);
    EXPECT_EQ(TrafficLogic(bad, inputs).Problem(), bad.Problem());

    std::string both, one;
    for (int i = 0; i < 20000; ++i)
        both += "(1." + std::to_string(100000 + i) + ") can" + std::to_string(i % 2) + " 181#01\n";
    WriteText(dir / "both.log", both);
    WriteText(dir / "one.log", "(1.0) vcan3 181#01\n(1.1) vcan3 181#01\n");
    EXPECT_EQ(TrafficLogic::SuggestLine(dir / "both.log"), TraceLine::ByInterface);
    EXPECT_EQ(TrafficLogic::SuggestLine(dir / "one.log"), std::nullopt);
    EXPECT_EQ(TrafficLogic::SuggestLine(dir / "none.log"), std::nullopt);

    // Stopped before its end; a trace it cannot open.
    inputs.traces[1] = {dir / "both.log", TraceLine::ByInterface};
    std::atomic<bool> cancel{true};
    std::atomic<int> permille{0};
    const TrafficOutcome stopped = page.Compute(inputs, cancel, permille);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(TrafficLogic::SummaryLines(stopped), std::vector<std::string>{"Stopped."});
    cancel = false;
    const TrafficOutcome whole = page.Compute(inputs, cancel, permille);
    ASSERT_TRUE(whole.report);
    EXPECT_EQ(whole.report->frames, 20000u);
    EXPECT_EQ(permille, 1000);
    inputs.traces[0].path = dir / "none.log";
    const TrafficOutcome failed = page.Compute(inputs, cancel, permille);
    EXPECT_FALSE(failed.report);
    EXPECT_NE(failed.error.find("none.log"), std::string::npos) << failed.error;
}

TEST(TrafficLogic, ConflictRowsInBothTables)
{
    TempDir dir;
    // The master on CAN1 asks node 37 there, node 5 on CAN0 (row 0 of CAN1
    // to CAN0); its answer comes back as node 38's (row 3 of CAN0 to CAN1).
    const RoutingLogic routing({{{"", "", ""}, {"", "", ""}, {"", "", ""}, {"0x585", "0x5A6", ""}},
                                {{"0x625", "0x605", ""}}},
                               {0, 0, true}, kCan0ToCan1);
    TrafficInputs inputs;
    inputs.traces[1].path = dir / "b.log";
    inputs.bitRates = {250, 250};
    WriteText(dir / "b.log", "(2.5) can0 625#4000100000000000\n");
    TrafficLogic page(routing, inputs);
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    const TrafficOutcome outcome = page.Compute(inputs, cancel, permille);
    ASSERT_TRUE(outcome.report) << outcome.error;
    const auto items = page.Conflicts(*outcome.report);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].rows, (std::vector<GridRow>{{kCan1ToCan0, 0}, {kCan0ToCan1, 3}}));
    EXPECT_TRUE(items[0].text.ends_with(" (row N\u00B0 0 of CAN1 to CAN0, N\u00B0 3 of CAN0 to CAN1)")) << items[0].text;
}

} // namespace
} // namespace c2c
