#include "firmware/GenerateFirmwareDialog.h"

#include "app/Workspace.h"
#include "firmware/SRecordTestSupport.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace c2c {
namespace {

using namespace c2c::testing;

// A workspace in a temp folder: MASTER with a master holding both windows,
// a project "My Line" (a name with a space) with its bin folder and banks.
class GenerateFirmwareTest : public ::testing::Test {
public:
    GenerateFirmwareTest()
    {
        workspace.ExeDir = dir / "Exe Dir";
        workspace.MasterDir = workspace.ExeDir + "/MASTER";
        workspace.ProjectsDir = workspace.ExeDir + "/PROJECTS";
        workspace.ProjectDir = workspace.ProjectsDir + "/My Line";
        CreateDirectories(workspace.MasterDir);
        CreateDirectories(workspace.ProjectDir + "/bin");
        WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S2(0x398000, {3, 4}), S9()}));
        for (int n = 1; n <= 2; ++n)
            WriteBytes(workspace.ProjectDir + "/bin/bank" + std::to_string(n) + ".bin", Pattern(kWindowSize, 1));
        WriteText(workspace.ExeDir + "/Tessimor.exe", "stand-in");
    }

    std::string MasterFile() const { return workspace.MasterDir + "/SX40517.sx"; }
    std::string NewFirmware() const { return workspace.ProjectDir + "/New_SX40517.sx"; }
    void Show() { dialog.FormShow(workspace, messages, progress); }

    TempDir dir;
    Workspace workspace;
    GenerateFirmwareDialog dialog;
    RecordingMessages messages;
    RecordingProgress progress;
    RecordingShell shell;
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
    dialog.cbport = 5;
    dialog.OptionsClick();
    EXPECT_EQ(dialog.OptionsCaption, "<< Options");
    EXPECT_TRUE(dialog.GbBankVisible && dialog.DirFileBinVisible);
    dialog.Cbbank(3).Color = kBankMissingColor;
    progress.current = 77;

    Show();

    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(dialog.cbport, 0);
    EXPECT_EQ(progress.current, 0);
    EXPECT_TRUE(dialog.LbButton2Enabled);
    EXPECT_EQ(dialog.OptionsCaption, "Options >>");
    EXPECT_FALSE(dialog.GbBankVisible);
    EXPECT_FALSE(dialog.DirFileBinVisible);
    for (int i = 0; i < kWindowCount; ++i) {
        EXPECT_EQ(dialog.Cbbank(i).Visible, i < 2) << i;
        EXPECT_EQ(dialog.Cbbank(i).Color, kFormColor) << i;
    }
    EXPECT_TRUE(dialog.Cbbank1.Checked && dialog.Cbbank2.Checked);
    EXPECT_EQ(dialog.FileSx, "SX40517.sx");
    EXPECT_EQ(dialog.MasterPath(), MasterFile());
    EXPECT_EQ(dialog.DirProject, workspace.ProjectDir + "/");
    EXPECT_EQ(dialog.DirBin, workspace.ProjectDir + "/bin/");
    EXPECT_EQ(dialog.NewFileSx, "New_SX40517.sx");
    EXPECT_EQ(dialog.NewFileName, "New_SX40517.sx");
}

TEST_F(GenerateFirmwareTest, MissingMasterKeepsTheButtonDisabled)
{
    RemoveFile(MasterFile());
    Show();
    EXPECT_EQ(messages.messages, (std::vector<RecordedMessage>{{RecordedMessage::Error, "Error file SX40517.sx not found"}}));
    EXPECT_FALSE(dialog.LbButton2Enabled);
}

TEST_F(GenerateFirmwareTest, EmptyProjectIsRefused)
{
    Show();
    workspace.ProjectDir.clear();
    Show();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Project not valid"});
    EXPECT_FALSE(dialog.LbButton2Enabled);
    EXPECT_EQ(dialog.DirBin, "") << "never the root's bin folder";
    EXPECT_EQ(dialog.DirProject, "");
    // The hidden buttons cannot compose into the earlier project either.
    EXPECT_FALSE(dialog.ExeModFileSxClick(messages, progress).completed);
    EXPECT_FALSE(dialog.ExeUpdateFirClick(workspace, messages, shell));
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(GenerateFirmwareTest, DirBinFollowsTheCurrentProjectEvenWhenItsBinIsMissing)
{
    ScriptedFolderPicker folders;
    folders.result = workspace.ProjectDir + "/elsewhere";
    Show();
    dialog.DirFileBinClick(workspace, messages, folders);
    EXPECT_EQ(dialog.DirBin, workspace.ProjectDir + "/elsewhere/");
    ASSERT_EQ(folders.calls.size(), 1u);
    EXPECT_EQ(folders.calls[0].title, "Select Directory Bin");
    EXPECT_EQ(folders.calls[0].root, workspace.ProjectDir);

    workspace.ProjectDir = workspace.ProjectsDir + "/Other";
    CreateDirectories(workspace.ProjectDir);
    Show();
    EXPECT_EQ(dialog.DirBin, workspace.ProjectDir + "/bin/");
    dialog.LbButton2Click(workspace, messages, progress, shell);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Directory Bin Not Found,Abort Procedure"});
}

TEST_F(GenerateFirmwareTest, OpenFirmwareTakesAnotherMaster)
{
    ScriptedFilePicker files;
    RemoveFile(MasterFile());
    Show();
    ASSERT_FALSE(dialog.LbButton2Enabled);

    dialog.OpenFileClick(workspace, messages, files); // cancelled
    EXPECT_FALSE(dialog.LbButton2Enabled);
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].folder, workspace.MasterDir);
    EXPECT_EQ(files.calls[0].filterDescription, "File Sx (*.Sx)");
    EXPECT_EQ(files.calls[0].pattern, "*.Sx");

    files.result = dir / "other/Fw 2.sx";
    dialog.OpenFileClick(workspace, messages, files);
    EXPECT_EQ(dialog.FileSx, "Fw 2.sx");
    EXPECT_EQ(dialog.MasterPath(), dir / "other/Fw 2.sx");
    EXPECT_EQ(dialog.NewFileName, "New_Fw 2.sx");
    EXPECT_EQ(dialog.DirProject, workspace.ProjectDir + "/");
    EXPECT_TRUE(dialog.LbButton2Enabled);

    std::filesystem::remove_all(workspace.MasterDir);
    dialog.OpenFileClick(workspace, messages, files);
    EXPECT_EQ(files.calls.back().folder, workspace.ExeDir) << "without MASTER the chooser opens beside the program";
}

TEST_F(GenerateFirmwareTest, ExecuteComposesAndStartsTheFlasherOnTheChosenPort)
{
    Show();
    dialog.cbport = 7; // COM8
    dialog.LbButton2Click(workspace, messages, progress, shell);

    EXPECT_TRUE(messages.messages.empty()) << ::testing::PrintToString(messages.Texts());
    ASSERT_TRUE(FileExists(NewFirmware()));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].program, workspace.ExeDir + "/Tessimor.exe");
    EXPECT_EQ(shell.started[0].arguments, (std::vector<std::string>{NewFirmware(), "7"}));
    EXPECT_EQ(shell.started[0].workingDirectory, workspace.MasterDir);
    EXPECT_EQ(progress.current, progress.maximum);
    EXPECT_TRUE(dialog.ExeModFileSxEnabled);
}

TEST_F(GenerateFirmwareTest, FlasherProblemsAreReported)
{
    Show();
    // The hidden "Execute update firmware" alone, before any firmware exists.
    EXPECT_FALSE(dialog.ExeUpdateFirClick(workspace, messages, shell));
    // Composed, but no flasher beside the program.
    RemoveFile(workspace.ExeDir + "/Tessimor.exe");
    dialog.LbButton2Click(workspace, messages, progress, shell);
    EXPECT_TRUE(FileExists(NewFirmware()));
    // The flasher is there but does not start.
    WriteText(workspace.ExeDir + "/Tessimor.exe", "stand-in");
    shell.startSucceeds = false;
    EXPECT_FALSE(dialog.ExeUpdateFirClick(workspace, messages, shell));

    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"File *.Sx Not Found,Abort Procedure", "Tessimor.exe Not Found, Procedure Aborted",
                                        "Tessimor.exe Not Started, Procedure Aborted"}));
}

TEST_F(GenerateFirmwareTest, StaleFirmwareIsNotFlashedAfterAnAbort)
{
    Show();
    WriteText(NewFirmware(), "earlier run");
    RemoveFile(workspace.ProjectDir + "/bin/bank2.bin");
    dialog.LbButton2Click(workspace, messages, progress, shell);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"File bank2.bin Not Found,Abort Procedure"});
    EXPECT_TRUE(shell.started.empty());
    EXPECT_FALSE(FileExists(workspace.ProjectDir + "/B1.sx")) << "stage 1 ran; its file is removed";
    EXPECT_EQ(ReadText(NewFirmware()), "earlier run");
    // The hidden button alone keeps starting whatever file is there.
    EXPECT_TRUE(dialog.ExeUpdateFirClick(workspace, messages, shell));
}

TEST_F(GenerateFirmwareTest, BankMissingFromTheMasterTurnsRedAndIsNotFlashed)
{
    WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S9()}));
    Show();
    dialog.LbButton2Click(workspace, messages, progress, shell);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Bank 2 Not Found,Bank Not Inserted"});
    EXPECT_EQ(dialog.Cbbank2.Color, kBankMissingColor);
    EXPECT_EQ(dialog.Cbbank1.Color, kFormColor);
    EXPECT_TRUE(FileExists(NewFirmware()));
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(GenerateFirmwareTest, MasterWithoutS9IsReportedByTheExecuteButton)
{
    WriteText(MasterFile(), Join({S0(), S2(0x388000, {1, 2}), S2(0x398000, {1, 2}), S8()}));
    Show();
    dialog.LbButton2Click(workspace, messages, progress, shell);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Record S9 Not Found,Abort Procedure"});
    EXPECT_FALSE(FileExists(NewFirmware()));
    EXPECT_FALSE(FileExists(workspace.ProjectDir + "/B1.sx"));
    EXPECT_TRUE(shell.started.empty());
}

} // namespace
} // namespace c2c
