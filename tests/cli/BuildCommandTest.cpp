// drevanta-c2c-cli build, through the real executable.

#include "image/ProjectDocuments.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>

namespace c2c {
namespace {

using testing::CobIdXml;
using testing::PargenXml;
using testing::ReadText;
using testing::TempDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class BuildCommandTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& arguments)
    {
        const char* binDir = std::getenv("C2C_BIN_DIR");
        EXPECT_NE(binDir, nullptr) << "C2C_BIN_DIR is not set";
        const std::string command = std::string("'") + (binDir ? binDir : ".") + "/drevanta-c2c-cli' " + arguments +
                                    " >'" + (output / "out") + "' 2>'" + (output / "err") + "'";
        const int status = std::system(command.c_str());
        CliRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadText(output / "out");
        run.err = ReadText(output / "err");
        return run;
    }

    std::string Quoted(const std::string& text) const { return "'" + text + "'"; }

    TempDir project;
    TempDir output; // the command's captured streams, apart from the project
};

TEST_F(BuildCommandTest, WritesTheBankFilesAndTheSource)
{
    testing::WriteProject(project.path(), PargenXml({"5", "8", "0", "1", "1", "0", "0"}),
                          CobIdXml({{"0x001", "0x002"}}, {}));
    const CliRun run = Cli("build " + Quoted(project.path()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const std::string bank1 = ReadText(project / "bin/bank1.bin");
    ASSERT_EQ(bank1.size(), 16384u);
    EXPECT_EQ(bank1.substr(4, 4), std::string("\x01\x00\x02\x00", 4));
    EXPECT_EQ(bank1.substr(16100, 6), std::string("\x06\x09\x00\x01\x01\x00", 6));
    EXPECT_EQ(ReadText(project / "bin/bank5.bin"), std::string(16384, '\0'));
    for (int bank = 2; bank <= 4; ++bank)
        EXPECT_EQ(ReadText(project / ("bin/bank" + std::to_string(bank) + ".bin")).size(), 16384u);
    EXPECT_EQ(ReadText(project / "bin/bankg.c").size(), 471159u);

    // A trailing separator names the same project.
    EXPECT_EQ(Cli("build " + Quoted(project.path() + "/")).status, 0);
}

TEST_F(BuildCommandTest, MissingDocumentIsReportedAndNothingIsWritten)
{
    std::filesystem::create_directory(project / "bin");
    testing::WriteText(project / "pargen.xml", PargenXml(testing::kStandardPargen));
    const CliRun run = Cli("build " + Quoted(project.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "File \"" + project.path() + "/CanCanCobID.xml\" not found.\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(project / "bin/bank1.bin"));
    EXPECT_FALSE(std::filesystem::exists(project / "bin/bankg.c"));
}

TEST_F(BuildCommandTest, NonIntegerCellIsReported)
{
    testing::WriteProject(project.path(), PargenXml(testing::kStandardPargen), CobIdXml({}, {{"0x12", "7FF"}}));
    const CliRun run = Cli("build " + Quoted(project.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "'7FF' is not a valid integer value.\n");
    EXPECT_FALSE(std::filesystem::exists(project / "bin/bank1.bin"));
}

TEST_F(BuildCommandTest, MissingBinFolderIsReported)
{
    testing::WriteProject(project.path(), PargenXml(testing::kStandardPargen), CobIdXml({}, {}));
    std::filesystem::remove(project / "bin");
    const CliRun run = Cli("build " + Quoted(project.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Cannot create file \"" + project.path() + "/bin/bank1.bin\". ", 0), 0u) << run.err;
}

TEST_F(BuildCommandTest, HelpAndWrongCommandLines)
{
    const CliRun help = Cli("build --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: drevanta-c2c-cli build PROJECT_DIR"), std::string::npos);
    EXPECT_NE(help.out.find("bank5.bin"), std::string::npos);

    EXPECT_EQ(Cli("build").status, 2);
    EXPECT_EQ(Cli("build a b").status, 2);
    const CliRun root = Cli("build / ");
    EXPECT_EQ(root.status, 1) << "the root folder is no project";
    EXPECT_EQ(root.err, "Project not valid.\n");
}

} // namespace
} // namespace c2c
