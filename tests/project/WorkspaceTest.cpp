#include "project/Workspace.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::Native;
using testing::ReadText;
using testing::ScriptedFolderPicker;
using testing::TempDir;
using testing::WriteText;

class WorkspaceTest : public ::testing::Test {
protected:
    std::string exe() const { return dir.path(); }
    std::string projects() const { return dir / "PROJECTS"; }
    void StoreLastProject(const std::string& name)
    {
        WriteText(dir / kSettingsFileName, "[lastproj]\r\nprojectname=" + name + "\r\n");
    }
    std::string StoredLastProject() const
    {
        return ReadProfileString(dir / kSettingsFileName, "lastproj", "projectname", "<none>");
    }

    TempDir dir;
    Workspace workspace;
    ScriptedFolderPicker picker;
};

TEST_F(WorkspaceTest, FirstRunCreatesTheFoldersAndUsesProjectsItself)
{
    EXPECT_FALSE(workspace.Initialise(exe()));
    EXPECT_TRUE(DirectoryExists(dir / "MASTER"));
    EXPECT_TRUE(DirectoryExists(projects()));
    EXPECT_EQ(workspace.layout.MasterDir(), dir / "MASTER");
    EXPECT_EQ(workspace.ProjectName, "");
    EXPECT_EQ(workspace.layout.ProjectDir(), projects());
    EXPECT_EQ(workspace.layout.PargenFile(), projects() + Native("/pargen.xml"));
    EXPECT_EQ(workspace.layout.CobIdFile(), projects() + Native("/CanCanCobID.xml"));
    EXPECT_TRUE(workspace.layout.IsProjectValid());

    workspace.SaveLastProject();
    EXPECT_EQ(ReadText(dir / kSettingsFileName), "[lastproj]\r\nprojectname=\r\n");
}

TEST_F(WorkspaceTest, StoredNameWithoutSeparatorGetsOne)
{
    CreateDirectories(projects() + Native("/Line3"));
    StoreLastProject("Line3");
    EXPECT_TRUE(workspace.Initialise(exe() + Native("/"))) << "a trailing separator is dropped";
    EXPECT_EQ(workspace.layout.ExeDir(), exe());
    EXPECT_EQ(workspace.ProjectName, Native("/Line3"));
    EXPECT_EQ(workspace.layout.ProjectDir(), projects() + Native("/Line3"));
    EXPECT_EQ(workspace.layout.DocumentFile(ProjectDocument::Sdo), projects() + Native("/Line3/sdo.xml"));
}

TEST_F(WorkspaceTest, VanishedStoredProjectIsWrittenBackUnchanged)
{
    StoreLastProject("/Gone");
    EXPECT_FALSE(workspace.Initialise(exe()));
    EXPECT_EQ(workspace.layout.ProjectDir(), projects());
    EXPECT_EQ(workspace.ProjectName, "/Gone");
    workspace.SaveLastProject();
    EXPECT_EQ(StoredLastProject(), "/Gone");
}

TEST_F(WorkspaceTest, StoredNameLeadingOutOfProjectsIsNotRestored)
{
    CreateDirectories(dir / "Outside");
    CreateDirectories(projects() + Native("/a..b"));
    for (const std::string name : {"/../Outside", "\\..\\Outside", ".."}) {
        StoreLastProject(name);
        EXPECT_FALSE(workspace.Initialise(exe())) << name;
        EXPECT_EQ(workspace.layout.ProjectDir(), projects()) << name;
    }
    StoreLastProject("/a..b");
    EXPECT_TRUE(workspace.Initialise(exe())) << "two dots inside a name are an ordinary name";
}

TEST_F(WorkspaceTest, OpenProjectTakesThePartAfterProjectsDir)
{
    CreateDirectories(projects() + Native("/Plant/Line3"));
    workspace.Initialise(exe());

    picker.result = projects() + Native("/Plant/Line3");
    workspace.OpenProject(picker);
    ASSERT_EQ(picker.calls.size(), 1u);
    EXPECT_EQ(picker.calls[0].title, "Select directory of project");
    EXPECT_EQ(picker.calls[0].root, projects());
    EXPECT_EQ(picker.calls[0].initialSelection, projects());
    EXPECT_EQ(workspace.ProjectName, Native("/Plant/Line3"));
    EXPECT_EQ(workspace.layout.PargenFile(), projects() + Native("/Plant/Line3/pargen.xml"));

    picker.result = projects();
    workspace.OpenProject(picker);
    EXPECT_EQ(picker.calls[1].initialSelection, projects() + Native("/Plant/Line3"));
    EXPECT_EQ(workspace.ProjectName, "");
    EXPECT_EQ(workspace.layout.ProjectDir(), projects());
}

TEST_F(WorkspaceTest, CancelKeepsTheProjectAndSetsTheOpenedNameForm)
{
    CreateDirectories(projects() + Native("/Line3"));
    workspace.Initialise(exe());
    // As after New project: the name as typed.
    workspace.UseProject("Line3", projects() + Native("/Line3"));
    workspace.OpenProject(picker);
    EXPECT_EQ(workspace.layout.ProjectDir(), projects() + Native("/Line3"));
    EXPECT_EQ(workspace.ProjectName, Native("/Line3"));
}

TEST_F(WorkspaceTest, CancelAfterTheProjectVanishedLeavesNoValidProject)
{
    CreateDirectories(projects() + Native("/Line3"));
    StoreLastProject("/Line3");
    workspace.Initialise(exe());
    std::filesystem::remove_all(projects() + Native("/Line3"));

    workspace.OpenProject(picker);
    EXPECT_EQ(picker.calls[0].initialSelection, "") << "opens without a selection";
    EXPECT_EQ(workspace.layout.ProjectDir(), "");
    EXPECT_EQ(workspace.ProjectName, "");
    EXPECT_FALSE(workspace.layout.IsProjectValid());
    EXPECT_EQ(workspace.layout.PargenFile(), Native("/pargen.xml"));
}

TEST_F(WorkspaceTest, SavingKeepsTheRestOfTheSettingsFile)
{
    WriteText(dir / kSettingsFileName, "; kept\n[view]\nzoom=2\n[LastProj]\nProjectName=old\n");
    workspace.Initialise(exe());
    workspace.ProjectName = "New";
    workspace.SaveLastProject();
    EXPECT_EQ(ReadText(dir / kSettingsFileName), "; kept\n[view]\nzoom=2\n[LastProj]\nprojectname=New\n");
}

TEST_F(WorkspaceTest, UnwritableSettingsFileIsReported)
{
    workspace.Initialise(exe());
    workspace.layout = ProjectLayout(dir / "missing-folder");
    try {
        workspace.SaveLastProject();
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + dir / "missing-folder/" + kSettingsFileName);
    }
}

TEST_F(WorkspaceTest, ExistingFileInPlaceOfProjectsDoesNotStopStartUp)
{
    WriteText(projects(), "not a folder");
    EXPECT_FALSE(workspace.Initialise(exe()));
    EXPECT_EQ(workspace.layout.ProjectDir(), projects());
}

// Where an installed program keeps its work.
TEST(ChooseWorkspaceDirTest, PortableWhereFilesCanBeMadeElseTheUserDataFolder)
{
    TempDir dir;
    const std::string data = dir / "data";
    CreateDirectories(dir / "readonly");
    std::filesystem::permissions(dir / "readonly", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    struct Case {
        std::string exeDir, userData, expected;
    };
    std::vector<Case> cases = {
        {dir.path(), data, dir.path()},       // portable
        {dir / "missing", data, data},        // nowhere to write
        {dir / "missing", "", dir / "missing"}, // no user folder known: as before
    };
#ifndef _WIN32
    cases.push_back({"/usr/lib/drevanta-c2c", data, data}); // installed, even for root
    cases.push_back({"/usr", data, data});
#endif
    if (testing::PermissionsAreEnforced())
        cases.push_back({dir / "readonly", data, data});
    for (const Case& c : cases)
        EXPECT_EQ(ChooseWorkspaceDir(c.exeDir, c.userData), c.expected) << c.exeDir;
}

TEST_F(WorkspaceTest, AWorkspaceApartFromTheProgramHoldsEverythingButTheFlasher)
{
    const std::string data = dir / "home/.local/share/drevanta-c2c";
    EXPECT_FALSE(workspace.Initialise(dir / "bin", data));
    EXPECT_TRUE(DirectoryExists(data + kSep + "MASTER")) << "made with every missing level";
    EXPECT_TRUE(DirectoryExists(data + kSep + "PROJECTS"));
    EXPECT_EQ(workspace.layout.ProjectDir(), data + kSep + "PROJECTS");
    EXPECT_EQ(workspace.layout.SettingsFile(), data + kSep + kSettingsFileName);
    EXPECT_EQ(workspace.layout.FlasherFile(), dir / "bin" + kSep + kFlasherFileName);
    EXPECT_FALSE(PathExists(dir / "bin")) << "nothing is made beside the program";
}

} // namespace
} // namespace c2c
