// replay with traces of Windows tools through the real executable: an ASC
// trace in, the same format out by default and another with --format, the
// channels mapped with --map, and a corrupt BLF named by file and offset.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

// 0x181 from CAN0 leaves as 0x1C1, 0x1C1 from CAN1 as 0x181; nothing else passes.
void Line7(const std::string& dir)
{
    WriteProject(dir, PargenXml({"5", "6", "0", "1", "0", "0", "0"}),
                 CobIdXml({{"0x181", "0x1C1"}}, {{"0x1C1", "0x181"}}));
}

const char* const kAsc = "date Tue Nov 14 10:13:20.000 pm 2023\n"
                         "base hex  timestamps absolute\n"
                         "internal events logged\n"
                         "Begin Triggerblock Tue Nov 14 10:13:20.000 pm 2023\n"
                         "   0.000000 Start of measurement\n"
                         "   0.000200 1  181             Rx   d 2 01 02\n"
                         "   0.000300 1  ErrorFrame\n"
                         "   0.000400 1  181             Rx   d 9 01\n"
                         "   0.000600 2  1C1             Rx   d 1 AA\n"
                         "End TriggerBlock\n";

TEST(TraceFormatsCommand, ReplayKeepsOrChangesTheFormat)
{
    TempDir dir;
    Line7(dir / "p");
    WriteText(dir / "plant.asc", kAsc);
    const struct {
        const char* name;
        std::string arguments;
        std::string out; // the frames, as the format writes them
    } cases[] = {
        {"ASC in, ASC out", "", "   0.000200 2  1C1             Rx   d 2 01 02\n"
                                "   0.000600 1  181             Rx   d 1 AA\n"},
        {"as candump", "--format candump", "(1700000000.000200) can1 1C1#0102\n(1700000000.000600) can0 181#AA\n"},
        {"both channels on CAN0", "--format candump --map 2=can0", "(1700000000.000200) can1 1C1#0102\n"},
        {"as TRC", "--format trc", "      1         0.000 DT  2     01C1 Rx -  2    01 02 \r\n"
                                   "      2         0.400 DT  1     0181 Rx -  1    AA \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult run = RunCli("replay " + Quote(dir / "p") + " " + Quote(dir / "plant.asc") + " " + c.arguments);
        EXPECT_THAT(run.out, HasSubstr(c.out));
        if (std::string(c.name) == "both channels on CAN0") {
            EXPECT_EQ(run.out, c.out); // 0x1C1 from CAN0 is blocked
        }
        EXPECT_THAT(run.err, HasSubstr("plant.asc:8: fewer data bytes than the DLC says"));
        EXPECT_THAT(run.err, HasSubstr("1 error frame skipped (the first at line 7)"));
    }
    // The extension of --out names another format: said, and how to ask for it.
    const CliResult noted =
        RunCli("replay " + Quote(dir / "p") + " " + Quote(dir / "plant.asc") + " --out " + Quote(dir / "seen.blf"));
    EXPECT_EQ(noted.status, 0) << noted.err;
    EXPECT_THAT(noted.err, HasSubstr("is written as an ASC trace, the format of the trace read; --format blf"));
    EXPECT_THAT(ReadText(dir / "seen.blf"), HasSubstr("Begin Triggerblock"));
}

TEST(TraceFormatsCommand, CorruptBlfIsNamedByOffset)
{
    TempDir dir;
    Line7(dir / "p");
    WriteText(dir / "plant.asc", kAsc);
    RunCliOk("replay " + Quote(dir / "p") + " " + Quote(dir / "plant.asc") + " --format blf --out " +
             Quote(dir / "seen.blf"));
    std::string blf = ReadText(dir / "seen.blf");
    ASSERT_GT(blf.size(), 200u);
    EXPECT_EQ(blf.substr(0, 4), "LOGG");
    blf[144 + 40] = static_cast<char>(blf[144 + 40] ^ 0x5A); // in the first container's compressed data
    WriteText(dir / "bad.blf", blf);
    const CliResult bad = RunCli("replay " + Quote(dir / "p") + " " + Quote(dir / "bad.blf") + " --format candump");
    EXPECT_EQ(bad.status, 0);
    EXPECT_THAT(bad.err, HasSubstr("bad.blf:144: a log container whose compressed data is corrupt, skipped"));
    EXPECT_THAT(bad.err, HasSubstr("malformed at offset 144"));
}

} // namespace
} // namespace c2c
