// Commands that change a project's documents, run at the same time: each
// one succeeds or is refused, and what a successful one reported is in the
// documents afterwards.

#include "cli/CliRun.h"
#include "platform/FolderLock.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

constexpr const char* kBusy = "is being updated by another run";

// Lines of the tables' export that start with `prefix`.
std::size_t ExportLines(const std::string& project, const std::string& prefix)
{
    std::istringstream lines(RunCliOk("cobid export '" + project + "'").out);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

class ConcurrentEdits : public ::testing::Test {
protected:
    ConcurrentEdits()
    {
        // 1000 rows for CAN0 to CAN1; the file has none for CAN1 to CAN0.
        std::string csv = "direction,row,original,modified,description\n";
        for (int row = 0; row < 1000; ++row)
            csv += "can0-to-can1," + std::to_string(row) + "," + std::to_string(row) + ",,\n";
        WriteText(dir / "rows.csv", csv);
    }
    void Reset() const
    {
        WriteProject(project, PargenXml(kStandardPargen), CobIdXml({}, {{"0x300", ""}}));
    }
    std::pair<int, int> RunBoth(const std::vector<std::string>& first, const std::vector<std::string>& second) const
    {
        const pid_t a = StartCli(first, "/dev/null", dir / "err1.txt");
        const pid_t b = StartCli(second, "/dev/null", dir / "err2.txt");
        return {WaitCli(a), WaitCli(b)};
    }

    TempDir dir;
    const std::string project = dir / "P";
};

TEST_F(ConcurrentEdits, EveryReportedImportAndAddIsInTheTables)
{
    const std::vector<std::string> import = {"cobid", "import", project, dir / "rows.csv"};
    const std::vector<std::string> add = {"cobid", "add", project, "id", "0x7E5", "--direction", "can1-to-can0"};
    int bothSucceeded = 0;
    for (int run = 0; run < 40; ++run) {
        Reset();
        const auto [imported, added] = RunBoth(import, add);
        for (const auto& [status, err] : {std::pair{imported, dir / "err1.txt"}, std::pair{added, dir / "err2.txt"}})
            ASSERT_TRUE(status == 0 || ReadText(err).find(kBusy) != std::string::npos) << ReadText(err);
        bothSucceeded += imported == 0 && added == 0 ? 1 : 0;

        const std::size_t importRows = ExportLines(project, "can0-to-can1,");
        const bool hasAdded = ExportLines(project, "can1-to-can0,0,0x7E5,") + ExportLines(project, "can1-to-can0,1,0x7E5,") > 0;
        const bool hasEarlier = ExportLines(project, "can1-to-can0,0,0x300,") > 0;
        if (imported == 0) {
            EXPECT_EQ(importRows, 1000u) << "run " << run << ": a reported import is lost";
            // The import replaces both tables: an add before it is replaced too.
            EXPECT_FALSE(hasEarlier) << "run " << run;
            if (added == 0 && !hasAdded) {
                EXPECT_EQ(ExportLines(project, "can1-to-can0,"), 0u) << "run " << run << ": the import came last";
            }
        } else {
            EXPECT_EQ(importRows, 0u) << "run " << run;
            EXPECT_TRUE(hasEarlier) << "run " << run;
        }
        if (added == 0 && imported != 0) {
            EXPECT_TRUE(hasAdded) << "run " << run << ": a reported add is lost";
        }
    }
    RecordProperty("BothSucceeded", bothSucceeded);
}

TEST_F(ConcurrentEdits, EveryReportedChangeOfTheSettingsIsSaved)
{
    const std::vector<std::string> rate0 = {"comm", project, "--can0", "125"};
    const std::vector<std::string> rate1 = {"comm", project, "--can1", "1000"};
    for (int run = 0; run < 30; ++run) {
        Reset();
        const auto [first, second] = RunBoth(rate0, rate1);
        const std::string settings = RunCliOk("comm '" + project + "'").out;
        EXPECT_EQ(first == 0, settings.find("CAN 0: 125 kbit/s") != std::string::npos) << "run " << run;
        EXPECT_EQ(second == 0, settings.find("CAN 1: 1000 kbit/s") != std::string::npos) << "run " << run;
    }
}

// While another run holds the project, every command that changes a
// document is refused and changes nothing; one that only reads goes on.
TEST_F(ConcurrentEdits, AHeldProjectIsChangedByNone)
{
    Reset();
    auto held = FolderLock::TryLock(project);
    ASSERT_TRUE(held);
    const std::string pargen = ReadText(project + "/pargen.xml");
    const std::string tables = ReadText(project + "/CanCanCobID.xml");
    for (const std::string& arguments : {"cobid import '" + project + "' '" + (dir / "rows.csv") + "'",
                                         "cobid add '" + project + "' id 0x7E5 --direction can1-to-can0",
                                         "comm '" + project + "' --can0 125"}) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_THAT(result.err, HasSubstr(kBusy)) << arguments;
    }
    EXPECT_EQ(ReadText(project + "/pargen.xml"), pargen);
    EXPECT_EQ(ReadText(project + "/CanCanCobID.xml"), tables);
    EXPECT_EQ(RunCli("comm '" + project + "'").status, 0);
}

} // namespace
} // namespace c2c
