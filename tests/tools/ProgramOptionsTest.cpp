// Every program built here answers --help and --version, and never takes an
// option for the name of a file.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>

namespace {

using c2c::testing::ReadText;
using c2c::testing::TempDir;

struct Outcome {
    int status;
    std::string out;
};

// Runs `program` with `arguments` in `folder`, without a display.
Outcome RunIn(const std::string& folder, const std::string& program, const std::string& arguments)
{
    const char* binDir = std::getenv("C2C_BIN_DIR");
    const std::string command = "cd '" + folder + "' && QT_QPA_PLATFORM=offscreen '" + std::string(binDir ? binDir : "") +
                                "/" + program + "' " + arguments + " >.out 2>.err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(folder + "/.out")};
}

const char* const kPrograms[] = {"drevanta-c2c", "drevanta-c2c-cli", "tessimor-standin", "make-sample-master"};

TEST(ProgramOptions, EveryProgramAnswersHelpAndVersion)
{
    TempDir dir;
    for (const char* program : kPrograms) {
        const Outcome help = RunIn(dir.path(), program, "--help");
        EXPECT_EQ(help.status, 0) << program;
        std::string lower = help.out;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(lower.find("usage: "), std::string::npos) << program << ": " << help.out;
        const Outcome version = RunIn(dir.path(), program, "--version");
        EXPECT_EQ(version.status, 0) << program;
        EXPECT_NE(version.out.find(C2C_VERSION "\n"), std::string::npos) << program << ": " << version.out;
    }
}

TEST(ProgramOptions, AnOptionIsNeverTakenForAFileName)
{
    struct Case {
        const char* program;
        const char* arguments;
    };
    const Case cases[] = {
        {"make-sample-master", "-x"},
        {"make-sample-master", "--help extra"},
        {"make-sample-master", "--output"},
        {"tessimor-standin", "--firmware 3"},
        {"drevanta-c2c", "project.sx"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        EXPECT_EQ(RunIn(dir.path(), c.program, c.arguments).status, 2) << c.program << " " << c.arguments;
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            files += entry.path().filename().string()[0] != '.';
        EXPECT_EQ(files, 0u) << c.program << " " << c.arguments << " wrote a file";
    }
}

} // namespace
