// Adding rows by rule to a project: the tables read as the build reads
// them and sized as the window sizes them, saved as its OK saves them, and
// nothing written when the rows cannot be added or the tables would lose rows.

#include "operations/CobIdAdd.h"

#include "platform/Error.h"
#include "project/ProjectLayout.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

class CobIdAddTest : public ::testing::Test {
protected:
    CobIdAddTest() { project.SetProjectDir(dir.path()); }
    TempDir dir;
    ProjectLayout project;
};

TEST_F(CobIdAddTest, AProjectWithoutTablesStartsFromEmptyTablesOfTheFormatsLength)
{
    WriteProject(dir.path(), PargenXml(kExtendedPargen), "");
    std::filesystem::remove(project.CobIdFile());
    const CobIdAddition dryRun = AddCobIdRows(project, NetworkRule{true, true, false, CanPort::Can1}, false);
    ASSERT_TRUE(dryRun.Accepted()) << *dryRun.refusal;
    EXPECT_FALSE(std::filesystem::exists(project.CobIdFile())) << "a dry run writes nothing";

    AddCobIdRows(project, NetworkRule{true, true, false, CanPort::Can1}, true);
    const CobIdTables saved = ReadCobIdStrictly(project.CobIdFile());
    EXPECT_EQ(saved.can0ToCan1.size(), 2000u);
    EXPECT_EQ(saved.can1ToCan0[1], (c2c::CobIdRow{"0x080", "", "SYNC from CAN1"}));
    EXPECT_EQ(saved, dryRun.tables);
}

TEST_F(CobIdAddTest, RefusalsWriteNothing)
{
    // Tables of 2048 rows whose first 2000 are in use: the rows beyond find no room.
    CobIdRows beyond(2048, {"", "1"});
    beyond[2001] = {"0x10", ""};
    beyond[2047] = {"", "0x20"};
    for (std::size_t r = 2000; r < 2048; ++r)
        if (r != 2001 && r != 2047)
            beyond[r] = {};
    const struct {
        const char* name;
        Texts pargen;
        std::string document;
        const char* reason;
    } cases[] = {
        {"rows beyond the tables without room", kExtendedPargen, CobIdXml({}, beyond),
         "Table CAN1 to CAN0, N\u00B0 2001 and N\u00B0 2047 are stored beyond N\u00B0 1999, the last row of the tables "
         "(a port runs CAN 2.0B), and no empty row is left for them: OK in Set CobID Access would drop them"},
        {"a bad cell", kStandardPargen, CobIdXml({{"", ""}, {"0x800", ""}}, {}),
         "The tables hold a cell that the OK of Set CobID Access refuses: Table Can0 to Can1. Error in row 1"},
        {"a row listed", kStandardPargen, CobIdXml({{"0x0", ""}}, {}), "has a row for 0x000 already: N\u00B0 0"},
    };
    for (const auto& c : cases) {
        WriteProject(dir.path(), PargenXml(c.pargen), c.document);
        const CobIdAddition addition = AddCobIdRows(project, NetworkRule{true, true, true, CanPort::Can0}, true);
        ASSERT_FALSE(addition.Accepted()) << c.name;
        EXPECT_THAT(*addition.refusal, HasSubstr(c.reason)) << c.name;
        EXPECT_EQ(ReadText(project.CobIdFile()), c.document) << c.name;
    }

    // A broken EDS adds nothing either.
    WriteProject(dir.path(), PargenXml(kStandardPargen), CobIdXml({}, {}));
    WriteText(dir / "node.eds", "[1800sub1]\nDefaultValue=$NODEID+0x180\n[1801sub1\n");
    EXPECT_THAT([&] { ReadDeviceDescription(dir / "node.eds", 5); },
                ::testing::ThrowsMessage<Error>(HasSubstr("node.eds:3: the section name")));
    EXPECT_EQ(ReadText(project.CobIdFile()), CobIdXml({}, {}));
}

} // namespace
} // namespace c2c
