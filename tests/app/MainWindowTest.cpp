#include "app/MainWindow.h"

#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::RecordingMessages;
using testing::RecordingShell;
using testing::ScriptedFolderPicker;
using testing::TempDir;
using testing::WriteText;

// Records which window was opened; "New project" answers as scripted and,
// on OK, makes the typed name current as the New project dialog does.
class RecordingViews final : public MainWindowViews {
public:
    explicit RecordingViews(Workspace& workspace) : workspace_(workspace) {}
    bool ShowNewProject(const std::string& destinationDir) override
    {
        shown.push_back("New project in " + destinationDir);
        if (newProjectName.empty())
            return false;
        CreateDirectory(destinationDir + kSep + newProjectName);
        workspace_.ProjectName = newProjectName;
        workspace_.ProjectDir = destinationDir + kSep + newProjectName;
        workspace_.UpdateDocumentPaths();
        return true;
    }
    void ShowCommSettings() override { shown.push_back("SET COMMUNICATION"); }
    void ShowCobIdAccess() override { shown.push_back("Set CobID Access"); }
    void ShowGenerateFirmware() override { shown.push_back("Generate Firmware"); }
    void ShowAbout() override { shown.push_back("About..."); }
    void ProcessPendingEvents() override { shown.push_back("repaint"); }
    void CloseMainWindow() override { shown.push_back("close"); }

    std::vector<std::string> shown;
    std::string newProjectName;

private:
    Workspace& workspace_;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : window(MainWindowServices{workspace, session, messages, picker, shell, views, [this] {
                                        log.push_back("build (label " + window.Labelstate + ")");
                                        if (buildFails)
                                            throw Error("'x' is not a valid integer value");
                                    }})
    {
    }
    std::string projects() const { return dir / "PROJECTS"; }

    TempDir dir;
    Workspace workspace;
    CommSession session;
    RecordingMessages messages;
    ScriptedFolderPicker picker;
    RecordingShell shell;
    RecordingViews views{workspace};
    std::vector<std::string> log;
    bool buildFails = false;
    DrevantaMainWindow window;
};

TEST_F(MainWindowTest, StartWithoutLastProjectKeepsTheInitialCaptionAndProjectsWorks)
{
    window.FormCreate(dir.path());
    EXPECT_EQ(window.Caption, "Tarvex Drevanta SW40517 CAN2CAN CobID :");
    EXPECT_TRUE(session.PositiveImpl) << "no pargen.xml: defaults";
    window.btn_str_lng1aClick(StepButton::SetCommunication);
    EXPECT_EQ(views.shown, std::vector<std::string>{"SET COMMUNICATION"});
}

TEST_F(MainWindowTest, RestoredProjectSetsTheTitleAndLoadsItsSettings)
{
    CreateDirectories(projects() + "/Line3");
    WriteText(projects() + "/Line3/pargen.xml", "<ParametriGenerali><a>5</a><a>5</a><a>1</a><a>0</a><a>0</a>"
                                                "<a>0</a><a>0</a></ParametriGenerali>");
    WriteText(dir / "Drevanta_C2CCOBID.ini", "[lastproj]\nprojectname=Line3\n");
    window.FormCreate(dir.path());
    EXPECT_EQ(window.Caption, std::string(kTitlePrefix) + kSep + "Line3");
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 0);
}

TEST_F(MainWindowTest, NewProjectTitleRules)
{
    window.FormCreate(dir.path());
    views.newProjectName = "Line3";
    window.NewaClick();
    EXPECT_EQ(views.shown.back(), "New project in " + projects());
    EXPECT_EQ(window.Caption, std::string(kTitlePrefix) + "Line3") << "typed name, no separator";

    views.newProjectName.clear();
    window.NewaClick();
    EXPECT_EQ(window.Caption, kTitlePrefix) << "cancel: prefix alone";
    EXPECT_EQ(workspace.ProjectDir, projects() + kSep + "Line3") << "the project stays";
}

TEST_F(MainWindowTest, OpenProjectThatLeavesNoProjectRefusesTheMiddleStepsButNotUpdateDevice)
{
    CreateDirectories(projects() + "/Line3");
    WriteText(dir / "Drevanta_C2CCOBID.ini", "[lastproj]\nprojectname=/Line3\n");
    window.FormCreate(dir.path());
    std::filesystem::remove_all(projects() + "/Line3");
    window.OpenaClick(); // cancelled
    EXPECT_EQ(window.Caption, kTitlePrefix);
    EXPECT_EQ(workspace.ProjectDir, "");

    window.btn_str_lng1aClick(StepButton::SetCommunication);
    window.btn_str_lng1aClick(StepButton::SetCobIdAccess);
    window.CreateBinaClick();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(3, "Project not valid"));
    EXPECT_TRUE(views.shown.empty());
    EXPECT_TRUE(log.empty()) << "no bank files at the file system's root";
}

TEST_F(MainWindowTest, OpenProjectConfirmedShowsTheOpenedName)
{
    CreateDirectories(projects() + "/Plant/Line3");
    window.FormCreate(dir.path());
    picker.result = projects() + "/Plant/Line3";
    window.OpenaClick();
    EXPECT_EQ(window.Caption, std::string(kTitlePrefix) + "/Plant/Line3");
    window.btn_str_lng1aClick(StepButton::SetCobIdAccess);
    EXPECT_EQ(views.shown, std::vector<std::string>{"Set CobID Access"});
}

TEST_F(MainWindowTest, UpdateDeviceRepaintsBuildsThenShowsGenerateFirmware)
{
    window.FormCreate(dir.path());
    window.CreateBinaClick();
    EXPECT_EQ(views.shown, (std::vector<std::string>{"repaint", "Generate Firmware"}));
    EXPECT_EQ(log, std::vector<std::string>{"build (label Wait..)"});
    EXPECT_EQ(window.Labelstate, "--");
}

TEST_F(MainWindowTest, FailedBuildEndsUpdateDeviceWithWaitShown)
{
    window.FormCreate(dir.path());
    buildFails = true;
    EXPECT_THROW(window.CreateBinaClick(), Error);
    EXPECT_EQ(window.Labelstate, "Wait..");
    EXPECT_EQ(views.shown, std::vector<std::string>{"repaint"});
}

TEST_F(MainWindowTest, CloseWritesTheSettingsFileAndReportsAFailure)
{
    window.FormCreate(dir.path());
    window.LbButton1Click();
    EXPECT_EQ(views.shown, std::vector<std::string>{"close"});
    window.FormClose();
    EXPECT_EQ(ReadText(dir / "Drevanta_C2CCOBID.ini"), "[lastproj]\r\nprojectname=\r\n");

    workspace.ExeDir = dir / "gone";
    window.FormClose();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, testing::RecordedMessage::Error);
    EXPECT_EQ(messages.messages[0].text, "Unable to write to " + dir / "gone/Drevanta_C2CCOBID.ini.");
}

TEST_F(MainWindowTest, LinkOpensTheMakersPageAndIgnoresFailure)
{
    shell.openSucceeds = false;
    window.Label1Click();
    EXPECT_EQ(shell.urls, std::vector<std::string>{"https://www.tarvex.example/HOME/default.asp?frompg=SW40517"});
    EXPECT_TRUE(messages.messages.empty());
    window.AboutClick();
    EXPECT_EQ(views.shown, std::vector<std::string>{"About..."});
}

} // namespace
} // namespace c2c
