// Starting the flasher: as it is, or a Windows flasher through Wine.

#include "operations/Operations.h"

#include "platform/FileSystem.h"
#include "platform/WindowsPrograms.h"
#include "project/ProjectLayout.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace c2c {
namespace {

using namespace c2c::testing;

class FlasherStartTest : public ::testing::Test {
protected:
    FlasherStartTest()
    {
        project.SetProjectDir(firmwareFolder());
        WriteText(firmware(), "S9030000FC\r\n");
        CreateDirectories(dir / "tools");
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    }
    ~FlasherStartTest() override { SetPath(savedPath_); }

    std::string firmwareFolder() const { return dir.path(); }
    std::string firmware() const { return dir / "New_SX40517.sx"; }
    static void SetPath(const std::string& value)
    {
#ifdef _WIN32
        ::_putenv_s("PATH", value.c_str());
#else
        ::setenv("PATH", value.c_str(), 1);
#endif
    }
    // An executable file `name` in dir/tools.
    std::string Tool(const std::string& name)
    {
        const std::string path = dir / ("tools/" + name);
        WriteText(path, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    TempDir dir;
    ProjectLayout project{dir.path()};
    RecordingShell shell;

private:
    std::string savedPath_;
};

TEST_F(FlasherStartTest, ANativeFlasherStartsAsItIsAWindowsOneThroughWine)
{
    struct Case {
        const char* name;
        std::string flasherStart; // the flasher's first bytes
        std::vector<std::string> wines; // launchers in the searched folder
        FlasherStart expected;
        std::string program; // "" for the flasher itself
    };
    std::vector<Case> cases = {
        {"native stand-in", "\x7F" "ELF", {}, FlasherStart::Started, ""},
        {"too short to tell", "M", {}, FlasherStart::Started, ""},
    };
#ifdef _WIN32
    cases.push_back({"Windows program on Windows", "MZ\x90", {}, FlasherStart::Started, ""});
#else
    cases.push_back({"Windows program, no Wine", "MZ\x90", {}, FlasherStart::WineMissing, ""});
    cases.push_back({"Windows program, wine", "MZ\x90", {"wine"}, FlasherStart::Started, "wine"});
    cases.push_back({"Windows program, wine64 only", "MZ\x90", {"wine64"}, FlasherStart::Started, "wine64"});
    cases.push_back({"wine before wine64", "MZ\x90", {"wine64", "wine"}, FlasherStart::Started, "wine"});
#endif
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir / "tools");
        CreateDirectories(dir / "tools");
        for (const std::string& wine : c.wines)
            Tool(wine);
        SetPath(dir / "tools");
        WriteText(project.FlasherFile(), c.flasherStart + std::string(60, '\0'));
        shell.started.clear();

        EXPECT_EQ(StartFlasher(project, firmware(), 2, dir / "MASTER", shell), c.expected) << c.name;
        if (c.expected != FlasherStart::Started) {
            EXPECT_TRUE(shell.started.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(shell.started.size(), 1u) << c.name;
        const auto& start = shell.started[0];
        EXPECT_EQ(start.workingDirectory, dir / "MASTER") << c.name;
        if (c.program.empty()) {
            EXPECT_EQ(start.program, project.FlasherFile()) << c.name;
            EXPECT_EQ(start.arguments, (std::vector<std::string>{firmware(), "2"})) << c.name;
        } else {
            EXPECT_EQ(start.program, dir / ("tools/" + c.program)) << c.name;
            EXPECT_EQ(start.arguments, (std::vector<std::string>{project.FlasherFile(), firmware(), "2"})) << c.name;
        }
    }
    EXPECT_EQ(FlasherStartMessage(FlasherStart::WineMissing),
              "Tessimor.exe is a Windows program; install Wine to start it");
}

#ifndef _WIN32
TEST(FindWineTest, OnlyAbsoluteFoldersOfThePathAreSearched)
{
    TempDir dir;
    CreateDirectories(dir / "a");
    WriteText(dir / "a/wine64", "");
    EXPECT_EQ(FindWine(dir / "a"), "") << "not executable";
    std::filesystem::permissions(dir / "a/wine64", std::filesystem::perms::owner_all);
    EXPECT_EQ(FindWine("::relative:" + dir / "a"), dir / "a/wine64");
    EXPECT_EQ(FindWine(""), "");
}
#endif

} // namespace
} // namespace c2c
