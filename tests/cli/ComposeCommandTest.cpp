// drevanta-c2c-cli compose, run as the real program.

#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace c2c {
namespace {

using namespace c2c::testing;

const std::vector<std::uint32_t> kWindows = {0x388000, 0x398000, 0x3A8000, 0x3B8000, 0x3C8000};

class ComposeCommandTest : public ::testing::Test {
public:
    ComposeCommandTest()
    {
        CreateDirectories(project + "/bin");
        WriteText(project + "/pargen.xml", PargenXml(kStandardPargen)); // a folder without it is no project
        CreateDirectories(dir / "masters");
        auto lines = S2Range(0x380000, 0x3D0000, 32, 3);
        lines.insert(lines.begin(), S0());
        lines.push_back(S9());
        WriteText(master, Join(lines, "\n"));
        for (int n = 1; n <= 5; ++n) {
            banks.push_back(Pattern(16384, 50 + static_cast<unsigned>(n)));
            WriteBytes(project + "/bin/bank" + std::to_string(n) + ".bin", banks.back());
        }
    }

    // Runs the program with `arguments` (already quoted); its exit status.
    int Compose(const std::string& arguments)
    {
        const char* binDir = std::getenv("C2C_BIN_DIR");
        EXPECT_NE(binDir, nullptr) << "C2C_BIN_DIR must name the program folder";
        const std::string program = std::string(binDir ? binDir : ".") + "/drevanta-c2c-cli";
        return RunShell(Quote(program) + " compose " + arguments + " >/dev/null", &errors);
    }

    // The banks whose windows in `file` hold the bank files.
    std::vector<int> BanksIn(const std::string& file)
    {
        std::vector<int> found;
        for (std::size_t i = 0; i < kWindows.size(); ++i)
            if (SrecCatWindow(file, kWindows[i], kWindows[i] + 0x4000, nullptr) == banks[i])
                found.push_back(static_cast<int>(i) + 1);
        return found;
    }

    TempDir dir;
    const std::string project = dir / "Project One";
    const std::string master = dir / "masters/SX40517.sx";
    std::vector<Bytes> banks;
    std::string errors;
};

TEST_F(ComposeCommandTest, ComposesBanksOneAndTwoByDefaultAndOthersOnRequest)
{
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(master)), 0) << errors;
    EXPECT_EQ(errors, "");
    EXPECT_EQ(BanksIn(project + "/New_SX40517.sx"), (std::vector<int>{1, 2}));
    EXPECT_FALSE(FileExists(project + "/B1.sx"));

    EXPECT_EQ(Compose(Quote(project + "/") + " --banks 1,2,3,4,5 --out Full.sx --master " + Quote(master)), 0)
        << errors;
    EXPECT_EQ(BanksIn(project + "/Full.sx"), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(master) + " --banks 4"), 0) << errors;
    EXPECT_EQ(BanksIn(project + "/New_SX40517.sx"), (std::vector<int>{4}));
}

TEST_F(ComposeCommandTest, ExitStatusTellsWhetherTheChainCompleted)
{
    RemoveFile(project + "/bin/bank2.bin");
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(master)), 1);
    EXPECT_EQ(errors, "File bank2.bin Not Found,Abort Procedure: \"" + project + "/bin/bank2.bin\"\n")
        << "the message, then the file it is about";
    EXPECT_FALSE(FileExists(project + "/New_SX40517.sx"));

    WriteText(master, Join({S0(), S8()}));
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(master) + " --banks 1"), 1);
    EXPECT_NE(errors.find("no S9 record"), std::string::npos) << errors;

    // A bank missing from the master is reported; the chain completes, but a
    // firmware without a bank asked for is no success.
    WriteText(master, Join({S0(), S2(0x388000, {1}), S9()}));
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(master) + " --banks 1,3"), 1);
    EXPECT_EQ(errors, "Bank 3 Not Found,Bank Not Inserted: \"" + master + "\"\n");
    EXPECT_TRUE(FileExists(project + "/New_SX40517.sx"));
}

TEST_F(ComposeCommandTest, WrongArgumentsAreRefused)
{
    const std::string masterArg = " --master " + Quote(master);
    struct {
        std::string arguments;
        int status;
    } cases[] = {
        {Quote(project), 2},                                    // no master
        {masterArg, 2},                                         // no project
        {Quote(project) + masterArg + " --banks 1,6", 2},       // no bank 6
        {Quote(project) + masterArg + " --banks 1,,2", 2},
        {Quote(project) + masterArg + " --out ../x.sx", 2},     // outside the project
        {Quote(project) + masterArg + " --out B1.sx", 2},       // deleted when the chain ends
        {Quote(project) + masterArg + " --frobnicate", 2},
        {Quote(dir / "missing") + masterArg, 1},
        {Quote(project) + " --master " + Quote(dir / "none.sx"), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compose(c.arguments), c.status) << c.arguments;
        EXPECT_NE(errors, "") << c.arguments;
    }
    EXPECT_FALSE(FileExists(dir / "x.sx"));

    // A master named like a working file of the chain would be deleted by it.
    WriteText(project + "/B3.sx", ReadText(master));
    EXPECT_EQ(Compose(Quote(project) + " --master " + Quote(project + "/B3.sx")), 2);
    EXPECT_TRUE(ReadText(project + "/B3.sx") == ReadText(master)) << "the master is kept";
}

} // namespace
} // namespace c2c
