// diff and report through the real executable. Every expected text is
// worked out by hand from the tables and the device's rules
// (docs/forwarding.md), not asked of the program.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

// ---------------------------------------------------------------- diff

// A: both ports CAN 2.0A, Positive Implementation set; node 5's TPDO1
// translated, its TPDO2 and heartbeat passed to CAN1, its RPDO1 to CAN0.
const Texts kBasePargen = {"5", "5", "0", "1", "0", "0", "0"};
const CobIdRows kBaseForward = {{"0x185", "0x1A5"}, {"0x285", ""}, {"0x705", ""}};
const CobIdRows kBaseBack = {{"0x205", ""}};
constexpr const char* kNoneBack = "CAN1 to CAN0: no identifier differs\n";

TEST(DiffCommand, TableOfChanges)
{
    const struct {
        const char* name;
        Texts pargen;
        CobIdRows forward, back;
        std::string out;
    } cases[] = {
        {"same", kBasePargen, kBaseForward, kBaseBack, "A and B behave the same\n"},
        {"settings only", {"5", "6", "0", "1", "0", "0", "0"}, kBaseForward, kBaseBack,
         "Settings:\n  CAN1 bit rate: 250 kbit/s -> 500 kbit/s\nCAN0 to CAN1: no identifier differs\n" +
             std::string(kNoneBack)},
        {"one row changed", kBasePargen, {{"0x185", "0x1A5"}, {"0x285", "0x286"}, {"0x705", ""}}, kBaseBack,
         "CAN0 to CAN1:\n  node 5: TPDO2 0x285 passed unchanged -> passed as 0x286\n"
         "CAN0 to CAN1: 1 identifier differs\n" +
             std::string(kNoneBack)},
        {"node 5 becomes node 6", kBasePargen, {{"0x186", "0x1A5"}, {"0x286", ""}, {"0x706", ""}}, {{"0x206", ""}},
         "CAN0 to CAN1:\n"
         "  node 5: TPDO1 0x185 passed as 0x1A5 -> blocked\n"
         "  node 5: TPDO2 0x285 passed unchanged -> blocked\n"
         "  node 5: Heartbeat 0x705 passed unchanged -> blocked\n"
         "  node 6: TPDO1 0x186 blocked -> passed as 0x1A5\n"
         "  node 6: TPDO2 0x286 blocked -> passed unchanged\n"
         "  node 6: Heartbeat 0x706 blocked -> passed unchanged\n"
         "CAN1 to CAN0:\n"
         "  node 5: RPDO1 0x205 passed unchanged -> blocked\n"
         "  node 6: RPDO1 0x206 blocked -> passed unchanged\n"
         "CAN0 to CAN1: 6 identifiers differ\nCAN1 to CAN0: 2 identifiers differ\n"},
        // Every identifier changes; the runs between the listed ones fold.
        {"Positive Implementation cleared", {"5", "5", "0", "0", "0", "0", "0"}, kBaseForward, kBaseBack,
         "Settings:\n  Positive Implementation: set -> clear\n"
         "CAN0 to CAN1:\n"
         "  node 5: TPDO1 0x185 passed as 0x1A5 -> blocked\n"
         "  node 5: TPDO2 0x285 passed unchanged -> blocked\n"
         "  node 5: Heartbeat 0x705 passed unchanged -> blocked\n"
         "  0x000-0x184: blocked -> passed unchanged, 389 identifiers\n"
         "  0x186-0x284: blocked -> passed unchanged, 255 identifiers\n"
         "  0x286-0x704: blocked -> passed unchanged, 1151 identifiers\n"
         "  0x706-0x7FF: blocked -> passed unchanged, 250 identifiers\n"
         "CAN1 to CAN0:\n"
         "  node 5: RPDO1 0x205 passed unchanged -> blocked\n"
         "  0x000-0x204: blocked -> passed unchanged, 517 identifiers\n"
         "  0x206-0x7FF: blocked -> passed unchanged, 1530 identifiers\n"
         "CAN0 to CAN1: 2048 identifiers differ\nCAN1 to CAN0: 2048 identifiers differ\n"},
        // CAN1 goes to CAN 2.0B: its 29-bit frames are received now.
        {"layout changed", {"5", "5", "0", "1", "0", "0", "1"}, kBaseForward, kBaseBack,
         "Settings:\n  Layout: the standard layout -> the extended layout\n"
         "  CAN1 frame format: CAN 2.0A -> CAN 2.0B\n"
         "CAN1 to CAN0:\n"
         "  0x00000205: not received -> passed as 0x205\n"
         "  every other 29-bit identifier: not received -> blocked\n"
         "CAN0 to CAN1: no identifier differs\n"
         "CAN1 to CAN0: 1 identifier differs, and every other 29-bit identifier\n"},
        // A run of translations with one shift folds, and says whose identifiers they are.
        {"a service of every node", kBasePargen,
         {{"0x185", "0x1A5"}, {"0x285", ""}, {"0x705", ""}, {"0x381", "0x3A1"}, {"0x382", "0x3A2"}, {"0x383", "0x3A3"}},
         kBaseBack,
         "CAN0 to CAN1:\n  0x381-0x383: blocked -> passed as 0x3A1-0x3A3, 3 identifiers (TPDO3 of nodes 1 to 3)\n"
         "CAN0 to CAN1: 3 identifiers differ\n" +
             std::string(kNoneBack)},
    };
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir / "b");
        WriteProject(dir / "b", PargenXml(c.pargen), CobIdXml(c.forward, c.back));
        const CliResult diff = RunCli("diff " + Quote(dir / "a") + " " + Quote(dir / "b"));
        EXPECT_EQ(diff.status, c.out == "A and B behave the same\n" ? 0 : 1) << c.name << "\n" << diff.err;
        EXPECT_EQ(diff.out, c.out) << c.name;
    }
}

// The bytes of a blocked identifier's table entry are read by nothing: the
// images differ, the device does the same.
TEST(DiffCommand, BytesThatNothingReads)
{
    TempDir dir;
    WriteProject(dir / "p", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    RunCliOk("build --quiet " + Quote(dir / "p"));
    std::filesystem::copy(dir / "p/bin", dir / "other");
    std::string bank1 = ReadText(dir / "other/bank1.bin");
    bank1.replace(4 * 0x135, 4, "\x35\x01\x99\x01"); // 0x135 -> 0x199, its filter bit still clear
    WriteText(dir / "other/bank1.bin", bank1);

    const CliResult diff = RunCli("diff " + Quote(dir / "p") + " " + Quote(dir / "other/bank1.bin"));
    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_THAT(diff.out, HasSubstr("A and B behave the same; their banks 1 and 2 differ only where nothing reads "
                                    "them: 4 bytes, the first bank 1 byte 1236 ("));
    EXPECT_THAT(diff.err, HasSubstr("Warning: B (" + (dir / "other/bank1.bin") + "): "));
}

TEST(DiffCommand, JsonOfOneChangedRow)
{
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    WriteProject(dir / "b", PargenXml(kBasePargen), CobIdXml({{"0x185", "0x1A5"}, {"0x285", "0x286"}, {"0x705", ""}}, kBaseBack));
    const CliResult diff = RunCli("diff --json " + Quote(dir / "a") + " " + Quote(dir / "b"));
    EXPECT_EQ(diff.status, 1) << diff.err;
    // One byte of the entry of 0x285 differs: its new identifier's low byte 0x85 -> 0x86.
    EXPECT_EQ(diff.out,
              "{\"same\": false,\n \"settings\": [],\n"
              " \"changes\": [{\"direction\": \"can0_to_can1\", \"id\": 645, \"extended\": false,\n"
              "   \"a\": {\"outcome\": \"passed\", \"new_id\": 645, \"leaves_extended\": false, \"reason\": \"listed, "
              "Positive Implementation set\"},\n"
              "   \"b\": {\"outcome\": \"passed\", \"new_id\": 646, \"leaves_extended\": false, \"reason\": \"listed, "
              "Positive Implementation set\"}}],\n"
              " \"other_extended\": [],\n"
              " \"counts\": {\"can0_to_can1\": 1, \"can1_to_can0\": 0},\n"
              " \"differing_bytes\": 1,\n"
              " \"note\": null}\n");
}

TEST(DiffCommand, TroubleIsStatusTwo)
{
    TempDir dir;
    WriteProject(dir / "a", PargenXml(kBasePargen), CobIdXml(kBaseForward, kBaseBack));
    std::filesystem::create_directories(dir / "erased");
    WriteText(dir / "erased/bank1.bin", std::string(16384, '\xFF'));
    WriteText(dir / "erased/bank2.bin", std::string(16384, '\xFF'));
    const struct {
        std::string arguments;
        std::string err;
    } cases[] = {
        {"diff " + Quote(dir / "a") + " " + Quote(dir / "missing.sx"), "File \"" + (dir / "missing.sx") + "\" not found"},
        {"diff " + Quote(dir / "a") + " " + Quote(dir / "erased"), "holds no configuration"},
        {"diff " + Quote(dir / "a"), "B is required"},
        {"diff --json --json " + Quote(dir / "a") + " " + Quote(dir / "a"), "--json"},
    };
    for (const auto& c : cases) {
        const CliResult diff = RunCli(c.arguments);
        EXPECT_EQ(diff.status, 2) << c.arguments;
        EXPECT_THAT(diff.err, HasSubstr(c.err)) << c.arguments;
        EXPECT_EQ(diff.out, "") << c.arguments;
    }
}

} // namespace
} // namespace c2c
