#include "dialogs/GenerateFirmwareLogic.h"

#include "dialogs/ProgramState.h"
#include "firmware/SRecordTestSupport.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

namespace c2c {
namespace {

using namespace c2c::testing;

// A workspace in a temp folder: MASTER with a master holding both windows,
// a project "My Line" (a name with a space) with its bin folder and banks.
class GenerateFirmwareTest : public ::testing::Test {
public:
    GenerateFirmwareTest()
    {
        workspace.layout = ProjectLayout(dir / "Exe Dir");
        UseProject("My Line");
        CreateDirectories(master());
        CreateDirectories(project() + Native("/bin"));
        WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S2(0x398000, {3, 4}), S9()}));
        for (int n = 1; n <= 2; ++n)
            WriteBytes(project() + Native("/bin/bank") + std::to_string(n) + ".bin", Pattern(kBankSize, 1));
        WriteText(exe() + Native("/Tessimor.exe"), "stand-in");
    }

    void UseProject(const std::string& name) { workspace.layout.SetProjectDir(exe() + Native("/PROJECTS/") + name); }
    std::string exe() const { return dir / "Exe Dir"; }
    std::string master() const { return exe() + Native("/MASTER"); }
    std::string project() const { return workspace.layout.ProjectDir(); }
    std::string MasterFile() const { return master() + Native("/SX40517.sx"); }
    std::string NewFirmware() const { return project() + Native("/New_SX40517.sx"); }
    void Show() { dialog.Show(progress); }

    TempDir dir;
    ProgramState state;
    Workspace& workspace = state.workspace;
    FakeServices services;
    RecordingMessages& messages = services.messages;
    RecordingShell& shell = services.shell;
    RecordingProgress progress;
    GenerateFirmwareLogic dialog{state, services.all()};
};

TEST(FormPlacement, StandsCentredAcrossAndAboveTheMiddleLine)
{
    EXPECT_EQ(FormPlacement(1920, 1080, 446, 250).left, 737);
    EXPECT_EQ(FormPlacement(1920, 1080, 446, 250).top, 290);
    EXPECT_EQ(FormPlacement(1365, 767, 431, 251).left, 682 - 215); // halves truncated
    EXPECT_EQ(FormPlacement(1365, 767, 431, 251).top, 383 - 251);
}

TEST_F(GenerateFirmwareTest, FormShowFindsTheMasterAndResetsTheControls)
{
    dialog.port = 5;
    dialog.ToggleOptions();
    EXPECT_EQ(dialog.optionsCaption, "<< Options");
    EXPECT_TRUE(dialog.banksVisible && dialog.binFolderButtonVisible);
    dialog.banks[3].color = kBankMissingColor;
    progress.current = 77;

    Show();

    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dialog.port, 0);
    EXPECT_EQ(progress.current, 0);
    EXPECT_TRUE(dialog.executeEnabled);
    EXPECT_EQ(dialog.optionsCaption, "Options >>");
    EXPECT_FALSE(dialog.banksVisible);
    EXPECT_FALSE(dialog.binFolderButtonVisible);
    for (int i = 0; i < kBankCount; ++i) {
        EXPECT_EQ(dialog.banks[static_cast<std::size_t>(i)].visible, i < 2) << i;
        EXPECT_EQ(dialog.banks[static_cast<std::size_t>(i)].color, kFormColor) << i;
    }
    EXPECT_TRUE(dialog.banks[0].checked && dialog.banks[1].checked);
    EXPECT_EQ(dialog.composer.FileSx, "SX40517.sx");
    EXPECT_EQ(dialog.composer.MasterPath(), MasterFile());
    EXPECT_EQ(dialog.composer.ProjectFolder(), project() + Native("/"));
    EXPECT_EQ(dialog.composer.DirBin, project() + Native("/bin/"));
    EXPECT_EQ(dialog.newFirmwareName, "New_SX40517.sx");
    EXPECT_EQ(dialog.composer.NewFileName, "New_SX40517.sx");
}

TEST_F(GenerateFirmwareTest, MissingMasterKeepsTheButtonDisabled)
{
    RemoveFile(MasterFile());
    Show();
    EXPECT_EQ(messages.messages, (std::vector<RecordedMessage>{{RecordedMessage::Error, "Error file SX40517.sx not found"}}));
    EXPECT_FALSE(dialog.executeEnabled);
}

TEST_F(GenerateFirmwareTest, EmptyProjectIsRefused)
{
    Show();
    workspace.layout.SetProjectDir("");
    Show();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Project not valid"});
    EXPECT_FALSE(dialog.executeEnabled);
    EXPECT_EQ(dialog.composer.DirBin, "") << "never the root's bin folder";
    EXPECT_FALSE(dialog.composer.Project.IsProjectValid());
    // The hidden buttons cannot compose into the earlier project either.
    EXPECT_FALSE(dialog.ComposeFirmware(progress).Completed());
    EXPECT_FALSE(dialog.StartFlasher());
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(GenerateFirmwareTest, DirBinFollowsTheCurrentProjectEvenWhenItsBinIsMissing)
{
    ScriptedFolderPicker& folders = services.folders;
    folders.result = project() + Native("/elsewhere");
    Show();
    dialog.ChooseBinFolder();
    EXPECT_EQ(dialog.composer.DirBin, project() + Native("/elsewhere/"));
    ASSERT_EQ(folders.calls.size(), 1u);
    EXPECT_EQ(folders.calls[0].title, "Select Directory Bin");
    EXPECT_EQ(folders.calls[0].root, project());

    UseProject("Other");
    CreateDirectories(project());
    Show();
    EXPECT_EQ(dialog.composer.DirBin, project() + Native("/bin/"));
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Directory Bin Not Found,Abort Procedure"});
}

TEST_F(GenerateFirmwareTest, OpenFirmwareTakesAnotherMaster)
{
    ScriptedFilePicker& files = services.files;
    RemoveFile(MasterFile());
    Show();
    ASSERT_FALSE(dialog.executeEnabled);

    dialog.OpenFirmware(); // cancelled
    EXPECT_FALSE(dialog.executeEnabled);
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].folder, master());
    EXPECT_EQ(files.calls[0].filterDescription, "File Sx (*.Sx)");
    EXPECT_EQ(files.calls[0].pattern, "*.Sx");
    EXPECT_EQ(files.calls[0].shownFilter, "File Sx (*.Sx)");

    files.result = dir / "other/Fw 2.sx";
    dialog.OpenFirmware();
    EXPECT_EQ(dialog.composer.FileSx, "Fw 2.sx");
    EXPECT_EQ(dialog.composer.MasterPath(), dir / "other/Fw 2.sx");
    EXPECT_EQ(dialog.composer.NewFileName, "New_Fw 2.sx");
    EXPECT_EQ(dialog.composer.ProjectFolder(), project() + Native("/"));
    EXPECT_TRUE(dialog.executeEnabled);

    std::filesystem::remove_all(master());
    dialog.OpenFirmware();
    EXPECT_EQ(files.calls.back().folder, exe()) << "without MASTER the chooser opens beside the program";
}

TEST_F(GenerateFirmwareTest, ExecuteComposesAndStartsTheFlasherOnTheChosenPort)
{
    Show();
    dialog.port = 7; // COM8
    dialog.ExecuteUpdateFirmware(progress);

    EXPECT_TRUE(messages.messages.empty()) << ::testing::PrintToString(messages.Texts());
    ASSERT_TRUE(FileExists(NewFirmware()));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].program, exe() + Native("/Tessimor.exe"));
    EXPECT_EQ(shell.started[0].arguments, (std::vector<std::string>{NewFirmware(), "7"}));
    EXPECT_EQ(shell.started[0].workingDirectory, master());
    EXPECT_EQ(progress.current, progress.maximum);
    EXPECT_TRUE(dialog.composeEnabled);
}

// The window repaints its progress bar during a run, and a second click can
// arrive then: every handler it could reach is dropped, so the flasher
// starts once.
TEST_F(GenerateFirmwareTest, ClicksDuringARunAreDropped)
{
    struct ClickingProgress final : ProgressSink {
        std::function<void()> click;
        int clicks = 0;
        int current = 0;
        void setMaximum(int) override {}
        void setPosition(int position) override
        {
            current = position;
            if (clicks++ == 3)
                click();
        }
        int position() const override { return current; }
    } clicking;
    Show();
    for (auto handler : {std::function<void()>([&] { dialog.ExecuteUpdateFirmware(clicking); }),
                         std::function<void()>([&] { dialog.ComposeFirmware(clicking); }),
                         std::function<void()>([&] { dialog.StartFlasher(); })}) {
        clicking.clicks = 0;
        clicking.click = handler;
        dialog.ExecuteUpdateFirmware(clicking);
    }
    EXPECT_EQ(shell.started.size(), 3u) << "one start for each of the three runs";
    EXPECT_TRUE(messages.messages.empty()) << ::testing::PrintToString(messages.Texts());
}

TEST_F(GenerateFirmwareTest, FlasherProblemsAreReported)
{
    Show();
    // The hidden "Execute update firmware" alone, before any firmware exists.
    EXPECT_FALSE(dialog.StartFlasher());
    // Composed, but no flasher beside the program.
    RemoveFile(exe() + Native("/Tessimor.exe"));
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_TRUE(FileExists(NewFirmware()));
    // The flasher is there but does not start.
    WriteText(exe() + Native("/Tessimor.exe"), "stand-in");
    shell.startSucceeds = false;
    EXPECT_FALSE(dialog.StartFlasher());

    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"File *.Sx Not Found,Abort Procedure", "Tessimor.exe Not Found, Procedure Aborted",
                                        "Tessimor.exe Not Started, Procedure Aborted"}));
}

TEST_F(GenerateFirmwareTest, StaleFirmwareIsNotFlashedAfterAnAbort)
{
    Show();
    WriteText(NewFirmware(), "earlier run");
    RemoveFile(project() + Native("/bin/bank2.bin"));
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"File bank2.bin Not Found,Abort Procedure"});
    EXPECT_TRUE(shell.started.empty());
    EXPECT_FALSE(FileExists(project() + Native("/B1.sx"))) << "stage 1 ran; its file is removed";
    EXPECT_EQ(ReadText(NewFirmware()), "earlier run");
    // The hidden button alone keeps starting whatever file is there.
    EXPECT_TRUE(dialog.StartFlasher());
}

TEST_F(GenerateFirmwareTest, BankMissingFromTheMasterTurnsRedAndIsNotFlashed)
{
    WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S9()}));
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Bank 2 Not Found,Bank Not Inserted"});
    EXPECT_EQ(dialog.banks[1].color, kBankMissingColor);
    EXPECT_EQ(dialog.banks[0].color, kFormColor);
    EXPECT_TRUE(FileExists(NewFirmware()));
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(GenerateFirmwareTest, MasterWithoutS9IsReportedByTheExecuteButton)
{
    WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S2(0x398000, {1, 2}), S8()}));
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Record S9 Not Found,Abort Procedure"});
    EXPECT_FALSE(FileExists(NewFirmware()));
    EXPECT_FALSE(FileExists(project() + Native("/B1.sx")));
    EXPECT_TRUE(shell.started.empty());
}

// A master that went after the showing: the status line names the file the
// run looked for, as the command line does; the message box keeps its text.
TEST_F(GenerateFirmwareTest, AMasterGoneSinceTheShowingIsNamedWithItsFolder)
{
    Show();
    RemoveFile(MasterFile());
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"File *.Sx Not Found,Abort Procedure"});
    EXPECT_EQ(dialog.status, "No new firmware: File *.Sx Not Found,Abort Procedure: \"" + MasterFile() +
                                 "\"; flasher not started");
}

TEST_F(GenerateFirmwareTest, TheStatusLineCountsTheBuildsWarnings)
{
    dialog.TellBuild({project() + Native("/bin"), {2, 0}, {"first", "second"}});
    Show();
    EXPECT_EQ(dialog.status, "bank1.bin .. bank5.bin and bankg.c written to " + project() + Native("/bin") +
                                 ": 2 rows in bank 1, 0 rows in bank 2; 2 warnings, shown before this window opened");
}

// ---------------------------------------------------------------- review of a run

// A project with real documents: the CAN0 to CAN1 table translates node 5's
// TPDO1 to Modify, and its bank files are built from them.
class GenerateFirmwareReviewTest : public GenerateFirmwareTest {
public:
    void Build(const std::string& modify)
    {
        WriteText(project() + Native("/pargen.xml"),
                  "<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>0</Type><Positive>1</Positive>"
                  "<Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>");
        WriteText(project() + Native("/CanCanCobID.xml"),
                  "<CanCanCobID><Can0_to_Can1><row Orig_CobID=\"0x185\" Mod_CobID=\"" + modify +
                      "\" Desc=\"\"/></Can0_to_Can1><Can1_to_Can0/></CanCanCobID>");
        UpdateDevice(workspace.layout);
    }
    std::string Device() const { return dir / "device.sx"; }
};

TEST_F(GenerateFirmwareReviewTest, CompareWithTheFirmwareInTheDevice)
{
    Build("0x1A5");
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    std::filesystem::copy_file(NewFirmware(), Device());
    Build("0x1A6");
    Show();
    EXPECT_FALSE(dialog.reviewVisible) << "nothing to review before a run";
    dialog.ExecuteUpdateFirmware(progress);
    EXPECT_TRUE(dialog.reviewVisible);

    ScriptedFilePicker& files = services.files;
    files.result = Device();
    ASSERT_TRUE(dialog.CompareWithFirmware());
    EXPECT_EQ(files.calls.back().title, "Compare with firmware");
    EXPECT_EQ(files.calls.back().folder, master());
    EXPECT_EQ(dialog.comparison->a, Device());
    EXPECT_EQ(dialog.comparison->b, NewFirmware());
    EXPECT_EQ(dialog.comparison->lines,
              (std::vector<std::string>{"CAN0 to CAN1:", "  node 5: TPDO1 0x185 passed as 0x1A5 -> passed as 0x1A6",
                                        "CAN0 to CAN1: 1 identifier differs", "CAN1 to CAN0: no identifier differs"}));
    EXPECT_FALSE(dialog.comparison->same);

    files.result.reset(); // cancelled
    EXPECT_FALSE(dialog.CompareWithFirmware());
}

// A run that made no firmware is reviewed against the project: never
// against the file an earlier run left.
TEST_F(GenerateFirmwareReviewTest, WithoutANewFirmwareTheProjectIsCompared)
{
    Build("0x1A5");
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    std::filesystem::copy_file(NewFirmware(), Device());
    WriteText(MasterFile(), Join({S0(), S2(0x388000, {1}), S2(0x398000, {1}), S8()})); // no S9
    Build("0x1A6");
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    services.files.result = Device();
    ASSERT_TRUE(dialog.CompareWithFirmware());
    EXPECT_EQ(dialog.comparison->b, project());
    EXPECT_EQ(dialog.comparison->lines[1], "  node 5: TPDO1 0x185 passed as 0x1A5 -> passed as 0x1A6");
}

TEST_F(GenerateFirmwareReviewTest, ReportIsWrittenAndOpened)
{
    Build("0x1A5");
    Show();
    dialog.ExecuteUpdateFirmware(progress);
    ScriptedFilePicker& files = services.files;
    const std::string report = dir / "Line report.html";
    files.saveResult = report;
    dialog.WriteReport();
    ASSERT_EQ(files.saveCalls.size(), 1u);
    EXPECT_EQ(files.saveCalls[0].folder, project());
    EXPECT_EQ(files.saveCalls[0].suggestedName, "My Line report.html");
    EXPECT_EQ(files.saveCalls[0].shownFilter, "HTML page (*.html)");
    const std::string html = ReadText(report);
    EXPECT_NE(html.find("<th scope=\"row\">Firmware SHA-256</th>"), std::string::npos) << "the new firmware's report";
    ASSERT_EQ(shell.urls.size(), 1u);
    EXPECT_EQ(shell.urls[0].rfind("file:///", 0), 0u) << shell.urls[0];
    EXPECT_TRUE(shell.urls[0].ends_with("/Line%20report.html")) << shell.urls[0];
    EXPECT_EQ(dialog.status.substr(dialog.status.rfind('\n') + 1), "Report written to " + report);

    // A document of the project is never replaced by a report.
    const std::string pargen = ReadText(project() + Native("/pargen.xml"));
    files.saveResult = project() + Native("/PARGEN.XML");
    dialog.WriteReport();
    EXPECT_EQ(messages.Texts().back(), "The report cannot be PARGEN.XML, a document of the project");
    EXPECT_EQ(ReadText(project() + Native("/pargen.xml")), pargen);

    // Written, but the browser does not open it: said so.
    shell.openSucceeds = false;
    files.saveResult = report;
    dialog.WriteReport();
    EXPECT_EQ(messages.Texts().back(), "The report was written to " + report + ", but the browser did not open it");
}

// The status line after a showing that follows a build and one click of
// "Execute update firmware", as the user meets them; the message boxes are
// those of the tests above.
struct StatusCase {
    const char* name;
    std::function<void(GenerateFirmwareTest&)> arrange;
    // After the showing and after the run; PROJECT, EXE and MASTER stand
    // for those folders.
    std::string shown, afterRun;
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

class GenerateFirmwareStatusTest : public GenerateFirmwareTest, public ::testing::WithParamInterface<StatusCase> {
protected:
    std::string Expected(std::string text) const
    {
        for (const auto& [name, path] : {std::pair<std::string, std::string>{"PROJECT", project()},
                                         {"EXE", exe()}, {"MASTER", master()}})
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + path.size()))
                text.replace(at, name.size(), path);
        return text;
    }
};

TEST_P(GenerateFirmwareStatusTest, SaysWhatHappened)
{
    dialog.TellBuild({project() + Native("/bin"), {3, 1}, {}});
    GetParam().arrange(*this);
    Show();
    EXPECT_EQ(dialog.status, Expected(GetParam().shown));
    if (dialog.executeEnabled) {
        dialog.port = 2;
        dialog.ExecuteUpdateFirmware(progress);
        EXPECT_EQ(dialog.status, Expected(GetParam().shown + "\n" + GetParam().afterRun));
    }
    Show();
    EXPECT_EQ(dialog.status.find("bank1.bin"), std::string::npos) << "the next showing tells of no build";
}

const std::string kBuilt = Native("bank1.bin .. bank5.bin and bankg.c written to PROJECT/bin: 3 rows in bank 1, 1 row in bank 2");

INSTANTIATE_TEST_SUITE_P(
    Runs, GenerateFirmwareStatusTest,
    ::testing::Values(
        StatusCase{"Flashed", [](GenerateFirmwareTest&) {}, kBuilt,
                   "New_SX40517.sx written to PROJECT, banks 1 and 2 inserted; flasher started on COM3"},
        StatusCase{"BankLeftOut",
                   [](GenerateFirmwareTest& t) { WriteText(t.MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S9()})); },
                   kBuilt,
                   "New_SX40517.sx written to PROJECT, bank 1 inserted, bank 2 left out: its window is not in the "
                   "master; flasher not started: bank 2 is not in the new firmware"},
        StatusCase{"Stopped", [](GenerateFirmwareTest& t) { RemoveFile(t.project() + Native("/bin/bank2.bin")); },
                   kBuilt,
                   Native("No new firmware: File bank2.bin Not Found,Abort Procedure: \"PROJECT/bin/bank2.bin\"; "
                          "flasher not started")},
        StatusCase{"NoEndRecord",
                   [](GenerateFirmwareTest& t) {
                       WriteText(t.MasterFile(), Join({S0(), S2(0x388000, {1}), S2(0x398000, {1}), S8()}));
                   },
                   kBuilt, "No new firmware: the master has no S9 record; flasher not started"},
        StatusCase{"NoFlasher", [](GenerateFirmwareTest& t) { RemoveFile(t.exe() + Native("/Tessimor.exe")); }, kBuilt,
                   "New_SX40517.sx written to PROJECT, banks 1 and 2 inserted; flasher not started: no Tessimor.exe "
                   "in EXE"},
        // The button stays disabled; the line says where the master was looked for.
        StatusCase{"NoMaster", [](GenerateFirmwareTest& t) { RemoveFile(t.MasterFile()); },
                   kBuilt + "\nNo master firmware: SX40517.sx was looked for in MASTER", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace c2c
