#include "dialogs/MainLogic.h"

#include "dialogs/ProgramState.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// Records which window was opened; "New project" answers as scripted and,
// on OK, makes the typed name current as the New project dialog does.
class RecordingViews final : public MainViews {
public:
    explicit RecordingViews(Workspace& workspace) : workspace_(workspace) {}
    bool ShowNewProject(const std::string& destinationDir) override
    {
        shown.push_back("New project in " + destinationDir);
        if (newProjectName.empty())
            return false;
        CreateDirectory(destinationDir + kSep + newProjectName);
        workspace_.UseProject(newProjectName, destinationDir + kSep + newProjectName);
        return true;
    }
    void ShowCommSettings() override { shown.push_back("SET COMMUNICATION"); }
    void ShowCobIdAccess() override { shown.push_back("Set CobID Access"); }
    void ShowGenerateFirmware(const DeviceBuild& build) override
    {
        shown.push_back("Generate Firmware");
        builds.push_back(build);
        if (messages)
            messagesBeforeGenerateFirmware = messages->messages.size();
    }
    void ShowAbout() override { shown.push_back("About..."); }
    void CloseMainWindow() override { shown.push_back("close"); }
    // What the window would show at the repaint, and whether the build ran already.
    void RepaintMainWindow() override
    {
        shown.push_back("repaint: " + main->statusText +
                        (FileExists(workspace_.layout.BankFile(1)) ? ", after the build" : ", before the build"));
    }

    std::vector<std::string> shown;
    std::vector<DeviceBuild> builds;
    std::string newProjectName;
    const MainLogic* main = nullptr;
    const testing::RecordingMessages* messages = nullptr;
    std::size_t messagesBeforeGenerateFirmware = 0;

private:
    Workspace& workspace_;
};

class MainLogicTest : public ::testing::Test {
protected:
    std::string projects() const { return dir / "PROJECTS"; }

    TempDir dir;
    ProgramState state;
    Workspace& workspace = state.workspace;
    CommSession& session = state.session;
    testing::FakeServices services;
    testing::RecordingMessages& messages = services.messages;
    testing::ScriptedFolderPicker& picker = services.folders;
    testing::RecordingShell& shell = services.shell;
    RecordingViews views{workspace};
    MainLogic window{state, services.all(), views};

    MainLogicTest()
    {
        views.main = &window;
        views.messages = &messages;
    }
};

TEST_F(MainLogicTest, StartWithoutLastProjectKeepsTheInitialCaptionAndProjectsWorks)
{
    window.Start(dir.path());
    EXPECT_EQ(window.caption, "Tarvex Drevanta SW40517 CAN2CAN CobID :");
    EXPECT_TRUE(session.PositiveImpl) << "no pargen.xml: defaults";
    window.SetCommunication();
    EXPECT_EQ(views.shown, std::vector<std::string>{"SET COMMUNICATION"});
}

TEST_F(MainLogicTest, RestoredProjectSetsTheTitleAndLoadsItsSettings)
{
    CreateDirectories(projects() + "/Line3");
    WriteText(projects() + "/Line3/pargen.xml", "<ParametriGenerali><a>5</a><a>5</a><a>1</a><a>0</a><a>0</a>"
                                                "<a>0</a><a>0</a></ParametriGenerali>");
    WriteText(dir / "Drevanta_C2CCOBID.ini", "[lastproj]\nprojectname=Line3\n");
    window.Start(dir.path());
    EXPECT_EQ(window.caption, std::string(kTitlePrefix) + kSep + "Line3");
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 0);
}

TEST_F(MainLogicTest, NewProjectTitleRules)
{
    window.Start(dir.path());
    views.newProjectName = "Line3";
    window.NewProject();
    EXPECT_EQ(views.shown.back(), "New project in " + projects());
    EXPECT_EQ(window.caption, std::string(kTitlePrefix) + "Line3") << "typed name, no separator";

    views.newProjectName.clear();
    window.NewProject();
    EXPECT_EQ(window.caption, kTitlePrefix) << "cancel: prefix alone";
    EXPECT_EQ(workspace.layout.ProjectDir(), projects() + kSep + "Line3") << "the project stays";
}

TEST_F(MainLogicTest, OpenProjectThatLeavesNoProjectRefusesTheMiddleStepsButNotUpdateDevice)
{
    CreateDirectories(projects() + "/Line3");
    WriteText(dir / "Drevanta_C2CCOBID.ini", "[lastproj]\nprojectname=/Line3\n");
    window.Start(dir.path());
    std::filesystem::remove_all(projects() + "/Line3");
    window.OpenProject(); // cancelled
    EXPECT_EQ(window.caption, kTitlePrefix);
    EXPECT_EQ(workspace.layout.ProjectDir(), "");

    window.SetCommunication();
    window.SetCobIdAccess();
    window.UpdateDevice();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(3, "Project not valid"));
    EXPECT_TRUE(views.shown.empty());
    EXPECT_FALSE(FileExists("/bin/bank1.bin")) << "no bank files at the file system's root";
}

TEST_F(MainLogicTest, OpenProjectConfirmedShowsTheOpenedName)
{
    CreateDirectories(projects() + "/Plant/Line3");
    window.Start(dir.path());
    picker.result = projects() + "/Plant/Line3";
    window.OpenProject();
    EXPECT_EQ(window.caption, std::string(kTitlePrefix) + "/Plant/Line3");
    window.SetCobIdAccess();
    EXPECT_EQ(views.shown, std::vector<std::string>{"Set CobID Access"});
}

TEST_F(MainLogicTest, UpdateDeviceRepaintsOnceThenWritesTheBankFilesThenShowsGenerateFirmware)
{
    window.Start(dir.path());
    EXPECT_EQ(window.statusText, "---");
    CreateDirectories(projects() + "/bin");
    WriteText(projects() + "/pargen.xml", "<ParametriGenerali><a>5</a><a>5</a><a>0</a><a>1</a><a>0</a><a>0</a>"
                                          "<a>0</a></ParametriGenerali>");
    WriteText(projects() + "/CanCanCobID.xml", "<CanCanCobID><Can0_to_Can1/><Can1_to_Can0>"
                                               "<row Orig_CobID=\"5\" Mod_CobID=\"\"/></Can1_to_Can0></CanCanCobID>");
    window.UpdateDevice();
    EXPECT_EQ(views.shown, (std::vector<std::string>{"repaint: Wait.., before the build", "Generate Firmware"}));
    EXPECT_EQ(window.statusText, "--");
    EXPECT_TRUE(FileExists(projects() + "/bin/bank5.bin"));
    EXPECT_TRUE(FileExists(projects() + "/bin/bankg.c"));
    ASSERT_EQ(views.builds.size(), 1u);
    EXPECT_EQ(views.builds[0].binDir, projects() + kSep + "bin");
    EXPECT_EQ(views.builds[0].rows, (std::array<std::size_t, 2>{0, 1}));
}

// The build's warnings, as build prints them, before Generate Firmware opens.
TEST_F(MainLogicTest, UpdateDeviceTellsTheBuildsWarningsFirst)
{
    window.Start(dir.path());
    CreateDirectories(projects() + "/bin");
    WriteText(projects() + "/pargen.xml", "<ParametriGenerali><a>5</a><a>5</a><a>0</a><a>0</a><a>0</a><a>0</a>"
                                          "<a>0</a></ParametriGenerali>");
    WriteText(projects() + "/CanCanCobID.xml",
              "<CanCanCobID><Can0_to_Can1><row Orig_CobID=\"0x185\" Mod_CobID=\"\"/>"
              "<row Orig_CobID=\"389\" Mod_CobID=\"\"/></Can0_to_Can1><Can1_to_Can0/></CanCanCobID>");
    window.UpdateDevice();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"The bank files were written, with these warnings:\nTable "
                                                         "CAN0 to CAN1, N\u00B0 0 and N\u00B0 1 both list 0x185; the "
                                                         "later row wins"});
    EXPECT_EQ(views.messagesBeforeGenerateFirmware, 1u);
    EXPECT_TRUE(FileExists(projects() + "/bin/bank1.bin"));
}

TEST_F(MainLogicTest, FailedBuildEndsUpdateDeviceWaiting)
{
    window.Start(dir.path());
    EXPECT_THROW(window.UpdateDevice(), Error) << "no documents";
    EXPECT_EQ(views.shown, std::vector<std::string>{"repaint: Wait.., before the build"});
    EXPECT_EQ(window.statusText, "Wait..");
}

TEST_F(MainLogicTest, OpenProjectChoosingProjectsItselfShowsThePrefixAlone)
{
    CreateDirectories(projects() + "/Line3");
    WriteText(dir / "Drevanta_C2CCOBID.ini", "[lastproj]\nprojectname=Line3\n");
    window.Start(dir.path());
    picker.result = projects();
    window.OpenProject();
    EXPECT_EQ(window.caption, kTitlePrefix);
    EXPECT_EQ(workspace.ProjectName, "");
    EXPECT_EQ(workspace.layout.PargenFile(), projects() + kSep + "pargen.xml");
    window.SetCommunication();
    EXPECT_EQ(views.shown, std::vector<std::string>{"SET COMMUNICATION"}) << "the steps work";
}

TEST_F(MainLogicTest, CloseWritesTheSettingsFileAndReportsAFailure)
{
    window.Start(dir.path());
    window.Exit();
    EXPECT_EQ(views.shown, std::vector<std::string>{"close"});
    window.Close();
    EXPECT_EQ(ReadText(dir / "Drevanta_C2CCOBID.ini"), "[lastproj]\r\nprojectname=\r\n");

    workspace.layout = ProjectLayout(dir / "gone");
    window.Close();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, testing::RecordedMessage::Error);
    EXPECT_EQ(messages.messages[0].text, "Unable to write to " + dir / "gone/Drevanta_C2CCOBID.ini.");
}

TEST_F(MainLogicTest, LinkOpensTheMakersPageAndIgnoresFailure)
{
    shell.openSucceeds = false;
    window.OpenMakerPage();
    EXPECT_EQ(shell.urls, std::vector<std::string>{"https://www.tarvex.example/HOME/default.asp?frompg=SW40517"});
    EXPECT_TRUE(messages.messages.empty());
    window.About();
    EXPECT_EQ(views.shown, std::vector<std::string>{"About..."});
}

} // namespace
} // namespace c2c
