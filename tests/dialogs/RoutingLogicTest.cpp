// The Check routing view without widgets: the map, the rows it names, and
// that it answers as route does for the same tables saved as a project.

#include "dialogs/RoutingLogic.h"
#include "documents/CommSettings.h"
#include "operations/ForwardingSource.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace c2c {
namespace {

CobIdTables Tables(std::vector<CobIdRow> can0ToCan1, std::vector<CobIdRow> can1ToCan0 = {})
{
    return {std::move(can0ToCan1), std::move(can1ToCan0)};
}

TEST(RoutingLogic, StandardMapAndRows)
{
    // The later of two rows of one identifier is the one in the image.
    const RoutingLogic view(Tables({{"0x181", "0x1C1", ""}, {"0x201", "", ""}, {"", "0x5", ""}, {"385", "0x1C2", ""}}),
                            {0, 0, true}, kCan0ToCan1);
    EXPECT_EQ(view.Problem(), "");
    EXPECT_FALSE(view.Extended());
    EXPECT_EQ(view.Kind(0x181), MapKind::Translated);
    EXPECT_EQ(view.Kind(0x201), MapKind::Passed);
    EXPECT_EQ(view.Kind(0x701), MapKind::Blocked);
    EXPECT_EQ(view.Count(MapKind::Blocked), 2046u);
    EXPECT_EQ(view.CellText(0x181), "Translated: 0x181 -> 0x1C2 (listed, Positive Implementation set)\nrow N\u00B0 3");
    EXPECT_EQ(view.CellText(0x080), "Blocked: 0x080 blocked (not listed, Positive Implementation set)");
    EXPECT_EQ(view.Summary(), "Positive Implementation set: 2 of the 2048 standard identifiers pass from CAN0 to CAN1 "
                              "(1 translated), 2046 are blocked");
    EXPECT_TRUE(view.ListedExtended().empty());
}

TEST(RoutingLogic, ExtendedListAndTheFirstOfDuplicates)
{
    RoutingLogic view(Tables({{"0x12345", "0x7", ""}, {"0x100", "", ""}, {"0x12345", "0x8", ""}}), {1, 1, false},
                      kCan0ToCan1);
    EXPECT_TRUE(view.Extended());
    EXPECT_EQ(view.Kind(0x100), MapKind::Blocked);
    EXPECT_EQ(view.Count(MapKind::Passed), 2047u);
    const auto listed = view.ListedExtended();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].text, "0x00012345 blocked (listed, Positive Implementation clear; ambiguous: 2 entries, the "
                              "device may take either), row N\u00B0 0");
    view.direction = kCan1ToCan0;
    EXPECT_EQ(view.Count(MapKind::Passed), 2048u);
}

TEST(RoutingLogic, CheckAndProblems)
{
    const RoutingLogic view(Tables({{"0x181", "", ""}}), {0, 0, true}, kCan0ToCan1);
    EXPECT_EQ(view.Check("", false), "");
    EXPECT_EQ(view.Check("x181", false), "0x181 -> 0x181 (listed, Positive Implementation set), row N\u00B0 0");
    EXPECT_EQ(view.Check("0x181", true), "0x00000181 not received (a 29-bit frame, and CAN0 runs CAN 2.0A)");
    EXPECT_EQ(view.Check("0x", false), "'0x' is not a valid integer value");
    EXPECT_EQ(view.Check("0x20000000", false), "'0x20000000' is no CAN identifier (0 to 0x1FFFFFFF)");

    const RoutingLogic bad(Tables({}, {{"5", "0x800", ""}}), {0, 0, true}, kCan0ToCan1);
    EXPECT_EQ(bad.Problem(), "The routing cannot be shown: Table Can1 to Can0. Error in row 0. The CobID must between "
                             "0x000 and 0x7FF");
    EXPECT_EQ(bad.Check("1", false), "") << "the problem is said once, by Problem()";
    // What OK refuses and what the build refuses, each in its own words.
    const struct {
        CommSession formats;
        const char* problem;
    } refused[] = {
        {{0, 7, true}, "Table Can0 to Can1. Error in row 0. The CobID must between 0x000 and 0x7FF"},
        {{256, 0, true},
         "Type 256 is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B), and the image keeps its low byte, 0: the device would "
         "run CAN 2.0A while the tables are sized for CAN 2.0B. Write 0 or 1"},
    };
    for (const auto& c : refused)
        EXPECT_EQ(RoutingLogic(Tables({{"0x800", "", ""}}), c.formats, kCan0ToCan1).Problem(),
                  std::string("The routing cannot be shown: ") + c.problem);
    // OK checks no range for a type number 2, the build stops at any text that is no integer.
    EXPECT_EQ(RoutingLogic(Tables({{"x", "", ""}}), {2, 0, true}, kCan0ToCan1).Problem(),
              "The routing cannot be shown: Table CAN0 to CAN1, N\u00B0 0, Original CobID 'x' is not an integer");
}

// The view of the grid and route over the same tables saved as a project
// give the same answer for every identifier.
TEST(RoutingLogic, AgreesWithTheSavedProject)
{
    const CobIdTables tables = Tables({{"0x181", "0x1ABC0181", ""}, {"0x7FF", "", ""}, {"0x181", "2", ""}},
                                      {{"0x1ABC0181", "0x181", ""}, {"0x18FF0701", "0x700", ""}});
    for (const CommSession formats : {CommSession{0, 1, true}, CommSession{1, 1, false}}) {
        testing::TempDir dir;
        CommSettings settings;
        settings.format0 = formats.CanType0;
        settings.format1 = formats.CanType1;
        settings.positive = formats.PositiveImpl ? 1 : 0;
        WritePargen(dir / "pargen.xml", settings);
        WriteCobIdDocument(dir / "CanCanCobID.xml", tables);
        const auto model = std::make_unique<ForwardingModel>(LoadForwardingImage(dir.path()));
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            const RoutingLogic view(tables, formats, direction);
            ASSERT_EQ(view.Problem(), "");
            for (std::uint32_t id : {0x0u, 0x181u, 0x7FFu, 0x1ABC0181u, 0x18FF0701u, 0x12345u})
                for (bool extended : {false, true}) {
                    if (!extended && id > 0x7FF)
                        continue;
                    const CanFrameId frame{id, extended};
                    const CanPort from = ArrivingPort(direction);
                    const std::string route = model->RouteText(from, frame, model->RouteFrame(from, frame));
                    EXPECT_EQ(view.Check(std::to_string(id), extended).substr(0, route.size()), route);
                }
        }
    }
}

} // namespace
} // namespace c2c
