// drevanta-c2c-cli build, through the real executable.

#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>

namespace c2c {
namespace {

using namespace c2c::testing;

struct CliResult {
    int status = -1;
    std::string out, err;
};

class BuildCommandTest : public ::testing::Test {
protected:
    CliResult Cli(const std::string& arguments)
    {
        const char* binDir = std::getenv("C2C_BIN_DIR");
        EXPECT_NE(binDir, nullptr) << "C2C_BIN_DIR is not set";
        const std::string command = std::string("'") + (binDir ? binDir : ".") + "/drevanta-c2c-cli' " + arguments +
                                    " >'" + (streams / "out") + "' 2>'" + (streams / "err") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(streams / "out"), ReadText(streams / "err")};
    }

    std::string BuildProject() const { return "build '" + project.path() + "'"; }

    TempDir project;
    TempDir streams; // the command's captured output, apart from the project
};

TEST_F(BuildCommandTest, WritesTheBankFilesAndTheSource)
{
    WriteProject(project.path(), PargenXml({"5", "8", "0", "1", "1", "0", "0"}), CobIdXml({{"0x001", "0x002"}}, {}));
    const CliResult result = Cli(BuildProject());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "bank1.bin .. bank5.bin and bankg.c written to " + project.path() +
                              "/bin: 1 row in bank 1, 0 rows in bank 2\n");
    EXPECT_EQ(Cli(BuildProject() + " --quiet").out, "");
    const std::string bank1 = ReadText(project / "bin/bank1.bin");
    ASSERT_EQ(bank1.size(), 16384u);
    EXPECT_EQ(bank1.substr(4, 4), std::string("\x01\x00\x02\x00", 4));
    EXPECT_EQ(bank1.substr(16100, 6), std::string("\x06\x09\x00\x01\x01\x00", 6));
    for (int bank = 2; bank <= 5; ++bank)
        EXPECT_EQ(ReadText(project / ("bin/bank" + std::to_string(bank) + ".bin")).size(), 16384u);
    EXPECT_EQ(ReadText(project / "bin/bankg.c").size(), 471159u);
}

TEST_F(BuildCommandTest, ErrorsGoToStandardErrorAndNothingIsWritten)
{
    WriteProject(project.path(), PargenXml(kStandardPargen), CobIdXml({}, {{"0x12", "7FF"}}));
    CliResult result = Cli(BuildProject());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Table CAN1 to CAN0, N\u00B0 0, Modify CobID '7FF' is not an integer.\n");

    std::filesystem::remove(project / "CanCanCobID.xml");
    result = Cli(BuildProject());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "File \"" + project.path() +
                              "/CanCanCobID.xml\" not found: open Set CobID Access and press OK, or drevanta-c2c-cli "
                              "cobid import.\n");
    EXPECT_FALSE(std::filesystem::exists(project / "bin/bank1.bin"));
    EXPECT_FALSE(std::filesystem::exists(project / "bin/bankg.c"));

    result = Cli("build / ");
    EXPECT_EQ(result.err, "Project not valid.\n") << "the root folder is no project";
}

TEST_F(BuildCommandTest, RowsTakenOtherwiseAreNamedOnStandardErrorAndTheBuildGoesOn)
{
    WriteProject(project.path(), PargenXml(kStandardPargen), CobIdXml({{"0x181", "1"}, {"", "5"}, {"385", ""}}, {}));
    const CliResult result = Cli(BuildProject());
    EXPECT_EQ(result.status, 0);
    EXPECT_THAT(result.err, ::testing::StartsWith(
                                "Warning: Table CAN0 to CAN1, N\u00B0 0 and N\u00B0 2 both list 0x181; the later row wins\n"
                                "Warning: Table CAN0 to CAN1, N\u00B0 1 has a Modify CobID but no Original CobID; the "
                                "build ignores it\n"));
    EXPECT_EQ(ReadText(project / "bin/bank1.bin").size(), 16384u);
    // The warnings of check, every one (the CANopen advice too), and no other.
    const CliResult check = Cli("check '" + project.path() + "'");
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, result.err + "No problem found; " +
                             std::to_string(std::count(result.err.begin(), result.err.end(), '\n')) + " warnings.\n");
}

TEST_F(BuildCommandTest, HelpAndWrongCommandLines)
{
    const CliResult help = Cli("build --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: drevanta-c2c-cli build [OPTIONS] PROJECT_DIR"), std::string::npos);
    EXPECT_EQ(Cli("build").status, 2);
    EXPECT_EQ(Cli("build a b").status, 2);
}

} // namespace
} // namespace c2c
