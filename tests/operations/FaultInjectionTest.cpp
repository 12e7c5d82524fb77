// Faults a careful user or an attacker can cause: full disks, folders and
// links in place of files, FIFOs and devices, two runs at once, a process
// killed on the way. Each table says what the program must do instead of
// destroying, mixing or wrongly reporting anything.

#include "operations/Operations.h"

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"
#include "support/Fakes.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace c2c {
namespace {

using namespace c2c::testing;
namespace fs = std::filesystem;

// A project with both documents and its banks, a master beside it, and a
// file outside the project that nothing may touch.
class ProjectWithMaster : public ::testing::Test {
public:
    ProjectWithMaster()
    {
        project.SetProjectDir(dir / "P");
        WriteProject(project.ProjectDir(), PargenXml(kStandardPargen), CobIdXml({{"0x10", "0x20"}}, {}));
        UpdateDevice(project);
        auto lines = S2Range(0x384000, 0x3A0000, 32, 7);
        lines.insert(lines.begin(), S0());
        lines.push_back(S9());
        WriteText(master(), Join(lines));
        WriteText(outside(), "not to be touched");
    }

    std::string master() const { return dir / "master.sx"; }
    std::string outside() const { return dir / "outside.txt"; }
    std::string inProject(const std::string& name) const { return project.ProjectDir() + "/" + name; }
    ComposerSettings Settings(const std::string& masterPath, const std::string& newName = "New.sx") const
    {
        return ComposerSettingsFor(project, masterPath, newName);
    }
    // The files in the project folder and its bin folder that are no project
    // files: working files and temporary files left behind.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> left;
        for (const std::string& folder : {project.ProjectDir(), project.BinDir()})
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (IsWorkingFileName(name) || name.find(".tmp") != std::string::npos)
                    left.push_back(name);
            }
        return left;
    }

    TempDir dir;
    ProjectLayout project;
    RecordingMessages messages;
    NoProgress progress;
};

// ---------------------------------------------------------------- the composer

struct ComposeFault {
    const char* name;
    std::function<ComposerSettings(ProjectWithMaster&)> arrange;
    std::string error;      // part of the Error text; empty: no Error
    bool inserted;          // the run counts as a success
    std::function<void(ProjectWithMaster&)> check = [](ProjectWithMaster&) {};
    const char* kept = ""; // a file of the user's that a refused run leaves alone
};

void PrintTo(const ComposeFault& fault, std::ostream* out) { *out << fault.name; }

class ComposeFaultTest : public ProjectWithMaster, public ::testing::WithParamInterface<ComposeFault> {};

TEST_P(ComposeFaultTest, NothingIsDestroyedNothingFalselyReported)
{
    const ComposeFault& fault = GetParam();
    const ComposerSettings settings = fault.arrange(*this);
    const bool regularMaster = fs::is_regular_file(settings.MasterPath());
    const std::string masterBefore = regularMaster ? ReadText(settings.MasterPath()) : "";
    std::optional<ChainOutcome> outcome;
    if (fault.error.empty()) {
        outcome = ComposeFirmware(settings, {true, true, false, false, false}, messages, progress);
        EXPECT_EQ(outcome->AllInserted(), fault.inserted) << ::testing::PrintToString(messages.Texts());
    } else {
        EXPECT_THAT([&] { ComposeFirmware(settings, {true, true, false, false, false}, messages, progress); },
                    ::testing::ThrowsMessage<Error>(::testing::HasSubstr(fault.error)));
    }
    if (!masterBefore.empty()) {
        EXPECT_EQ(ReadText(settings.MasterPath()), masterBefore) << "the master is never changed";
    }
    EXPECT_EQ(ReadText(outside()), "not to be touched");
    std::vector<std::string> left = Leftovers();
    std::erase(left, FileNameOf(settings.MasterPath())); // a refused master stays where it is
    std::erase(left, fault.kept);
    EXPECT_EQ(left, std::vector<std::string>{}) << "working files go after every run";
    fault.check(*this);
}

ComposerSettings CopyMasterTo(ProjectWithMaster& t, const std::string& path)
{
    fs::copy_file(t.master(), path);
    return ComposerSettingsFor(t.project, path, "New.sx");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ComposeFaultTest,
    ::testing::Values(
        ComposeFault{"MasterIsTheBankRecordFile",
                     [](auto& t) { return CopyMasterTo(t, t.project.BinDir() + "/Bin.sx"); },
                     "is a working file of the composition", false},
        ComposeFault{"MasterIsAStageFile", [](auto& t) { return CopyMasterTo(t, t.inProject("B1.sx")); },
                     "is a working file of the composition", false},
        ComposeFault{"MasterLinkedToAStageFile",
                     [](auto& t) {
                         fs::create_symlink(t.master(), t.inProject("B2.sx"));
                         return t.Settings(t.master());
                     },
                     "is a working file of the composition", false, [](auto&) {}, "B2.sx"},
        ComposeFault{"FirmwareNamedAfterTheSettingsDocument",
                     [](auto& t) { return t.Settings(t.master(), "pargen.xml"); },
                     "cannot replace the project file", false,
                     [](auto& t) { EXPECT_EQ(ReadText(t.project.PargenFile()), PargenXml(kStandardPargen)); }},
        ComposeFault{"FirmwareNamedLikeAWorkingFile", [](auto& t) { return t.Settings(t.master(), "B3.sx"); },
                     "a working file of the composition", false},
        ComposeFault{"BankRecordFileIsALinkOutOfTheProject",
                     [](auto& t) {
                         fs::create_symlink(t.outside(), t.project.BinDir() + "/Bin.sx");
                         return t.Settings(t.master());
                     },
                     "", true},
        ComposeFault{"StageFileIsALinkOutOfTheProject",
                     [](auto& t) {
                         fs::create_symlink(t.outside(), t.inProject("B1.sx"));
                         return t.Settings(t.master());
                     },
                     "", true},
        ComposeFault{"NewFirmwareIsALinkOutOfTheProject",
                     [](auto& t) {
                         fs::create_symlink(t.outside(), t.inProject("New.sx"));
                         return t.Settings(t.master());
                     },
                     "", true, [](auto& t) { EXPECT_FALSE(fs::is_symlink(t.inProject("New.sx"))); }},
        ComposeFault{"FolderInPlaceOfTheNewFirmware",
                     [](auto& t) {
                         fs::create_directory(t.inProject("New.sx"));
                         return t.Settings(t.master());
                     },
                     "Cannot create file", false},
        ComposeFault{"NameTooLongForTheFileSystem",
                     [](auto& t) { return t.Settings(t.master(), std::string(300, 'n') + ".sx"); },
                     "Cannot create file", false},
        ComposeFault{"MasterIsAFifo",
                     [](auto& t) {
                         ::mkfifo((t.dir / "fifo.sx").c_str(), 0600);
                         return t.Settings(t.dir / "fifo.sx");
                     },
                     "It is not a regular file", false},
        ComposeFault{"MasterIsADevice", [](auto& t) { return t.Settings("/dev/zero"); }, "It is not a regular file",
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

// The full disk of the last case: every write beyond 100 KB fails.
class FullDiskComposeTest : public ProjectWithMaster {};

TEST_F(FullDiskComposeTest, StopsTellsWhyAndLeavesTheEarlierFirmware)
{
    WriteText(inProject("New.sx"), "earlier firmware");
    ChainOutcome outcome;
    {
        FileSizeLimit limit(100 * 1024);
        outcome = ComposeFirmware(Settings(master()), {true, true, false, false, false}, messages, progress);
    }
    EXPECT_FALSE(outcome.Completed());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgNewSxNotCreated});
    EXPECT_EQ(ReadText(inProject("New.sx")), "earlier firmware");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// ---------------------------------------------------------------- processes

pid_t Start(const std::vector<std::string>& arguments, const std::string& errFile)
{
    return StartCli(arguments, "/dev/null", errFile);
}

int Wait(pid_t child)
{
    return WaitCli(child);
}

class ProcessFaultTest : public ProjectWithMaster {
protected:
    std::vector<std::string> Compose() const { return {"compose", project.ProjectDir(), "--master", master()}; }
    std::string firmware() const { return inProject("New_master.sx"); }
};

TEST_F(ProcessFaultTest, ASecondRunOnTheProjectIsRefusedAndChangesNothing)
{
    auto held = FolderLock::TryLock(project.ProjectDir()); // as another run holds it
    ASSERT_TRUE(held);
    const std::string bank1 = ReadText(project.BankFile(1));
    for (const auto& arguments : {Compose(), std::vector<std::string>{"build", project.ProjectDir()}}) {
        EXPECT_EQ(Wait(Start(arguments, dir / "err.txt")), 1) << arguments[0];
        EXPECT_THAT(ReadText(dir / "err.txt"), ::testing::HasSubstr("is being updated by another run")) << arguments[0];
    }
    EXPECT_FALSE(FileExists(firmware()));
    EXPECT_EQ(ReadText(project.BankFile(1)), bank1);
}

TEST_F(ProcessFaultTest, RunsAtOnceEachSucceedOrAreRefused)
{
    ASSERT_EQ(Wait(Start(Compose(), dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    const std::string reference = ReadText(firmware());
    for (int pair = 0; pair < 10; ++pair) {
        const pid_t first = Start(Compose(), dir / "err1.txt");
        const pid_t second = Start(Compose(), dir / "err2.txt");
        const int status[] = {Wait(first), Wait(second)};
        for (int i : {0, 1}) {
            const std::string err = ReadText(dir / (i == 0 ? "err1.txt" : "err2.txt"));
            EXPECT_TRUE(status[i] == 0 || err.find("is being updated by another run") != std::string::npos) << err;
        }
        EXPECT_EQ(ReadText(firmware()), reference) << "pair " << pair;
        EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    }
}

// A run killed at any moment leaves the earlier file or the new one whole,
// never a part, and never bank files of two builds side by side.
TEST_F(ProcessFaultTest, KilledRunsLeaveOldOrNewNeverAMix)
{
    std::mt19937 random(40517);
    auto killAfter = [&](pid_t child, unsigned maxMicroseconds) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % maxMicroseconds));
        ::kill(child, SIGKILL);
        Wait(child);
    };

    ASSERT_EQ(Wait(Start(Compose(), dir / "err.txt")), 0) << ReadText(dir / "err.txt");
    const std::string composed = ReadText(firmware());
    for (int round = 0; round < 20; ++round) {
        WriteText(firmware(), "earlier firmware");
        killAfter(Start(Compose(), dir / "err.txt"), 25000);
        const std::string now = ReadText(firmware());
        EXPECT_TRUE(now == "earlier firmware" || now == composed) << "round " << round << ": a part of a firmware";
    }

    // Two builds whose bank files differ; each file is known by its origin.
    std::map<std::string, char> origin;
    for (char build : {'A', 'B'}) {
        WriteText(project.PargenFile(), PargenXml(build == 'A' ? kStandardPargen : kExtendedPargen));
        UpdateDevice(project);
        for (int bank = 1; bank <= 2; ++bank)
            origin[ReadText(project.BankFile(bank))] = build;
    }
    for (int round = 0; round < 20; ++round) {
        WriteText(project.PargenFile(), PargenXml(round % 2 == 0 ? kStandardPargen : kExtendedPargen));
        killAfter(Start({"build", project.ProjectDir()}, dir / "err.txt"), 4000);
        std::set<char> origins;
        for (int bank = 1; bank <= 2; ++bank)
            if (FileExists(project.BankFile(bank)))
                origins.insert(origin.at(ReadText(project.BankFile(bank))));
        EXPECT_LE(origins.size(), 1u) << "round " << round << ": bank files of two builds";
    }
}

} // namespace
} // namespace c2c
