#include "dialogs/NewProjectLogic.h"

#include "dialogs/CommSettingsLogic.h"
#include "dialogs/MainLogic.h"
#include "dialogs/ProgramState.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace c2c {
namespace {

using ::testing::ElementsAre;
using testing::ReadText;
using testing::RecordedMessage;
using testing::TempDir;
using testing::WriteText;

const char* const kCompanionFiles[] = {"sdo.xml", "emcydef.xml", "emcyword.xml", "rpdodef.xml", "sdopdo.xml"};

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string PargenText(const CommSettingsLogic& dialog)
{
    TempDir scratch;
    WritePargen(scratch / "p.xml", dialog.Settings());
    return ReadText(scratch / "p.xml");
}

class NewProjectLogicTest : public ::testing::Test {
protected:
    NewProjectLogicTest()
    {
        workspace.Initialise(dir.path());
        Show();
    }

    // What the main window does for "New project".
    void Show()
    {
        dialog.destinationDir = workspace.layout.ProjectsDir();
        dialog.Show();
    }

    void Ok(const std::string& typed)
    {
        dialog.nameText = typed;
        dialog.Ok();
    }

    std::string projects(const std::string& name = "") const { return workspace.layout.ProjectsDir() + kSep + name; }
    std::string InProject(const char* name) const { return workspace.layout.ProjectDir() + kSep + name; }

    void ExpectWorkspaceUnchanged() const
    {
        EXPECT_EQ(workspace.layout.ProjectDir(), workspace.layout.ProjectsDir());
        EXPECT_EQ(workspace.ProjectName, "");
    }

    TempDir dir;
    ProgramState state;
    Workspace& workspace = state.workspace;
    CommSession& session = state.session;
    CompanionTables& companions = state.companions;
    testing::FakeServices services;
    testing::RecordingMessages& messages = services.messages;
    CommSettingsLogic commSettings{state, services.all()};
    NewProjectLogic dialog{state, commSettings, services.all()};
};

TEST_F(NewProjectLogicTest, CreatesTheFolderWithItsDocumentsAndAnEmptyBin)
{
    Ok("Line3");
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_TRUE(messages.messages.empty());

    EXPECT_EQ(workspace.ProjectName, "Line3");
    EXPECT_EQ(workspace.layout.ProjectDir(), projects("Line3"));
    EXPECT_EQ(InProject("sdopdo.xml"), projects("Line3") + kSep + "sdopdo.xml");
    
    EXPECT_EQ(Entries(workspace.layout.ProjectDir()), (std::set<std::string>{"bin", "pargen.xml", "sdo.xml", "emcydef.xml",
                                                                     "emcyword.xml", "rpdodef.xml", "sdopdo.xml"}));
    EXPECT_TRUE(DirectoryExists(workspace.layout.BinDir()));
    EXPECT_TRUE(Entries(workspace.layout.BinDir()).empty());
    EXPECT_EQ(ReadText(InProject("sdo.xml")), "<sdo/>");
    EXPECT_EQ(ReadText(InProject("emcydef.xml")), "<emcydef/>");
    EXPECT_EQ(ReadText(InProject("emcyword.xml")), "<emcyword/>");
    EXPECT_EQ(ReadText(InProject("rpdodef.xml")), "<rpdodef/>");
    EXPECT_EQ(ReadText(InProject("sdopdo.xml")), "<sdopdo/>");

    // The SET COMMUNICATION dialog was never shown: its creation-time state,
    // where no frame format chosen counts as 2.0B.
    EXPECT_EQ(ReadText(InProject("pargen.xml")),
              "<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>1</Type><Positive>0</Positive>"
              "<Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>1</TypeC1></ParametriGenerali>");
    EXPECT_EQ(session.CanType0, 1);
    EXPECT_EQ(session.CanType1, 1);
    EXPECT_FALSE(session.PositiveImpl);
}

TEST_F(NewProjectLogicTest, TwoProjectsInARowGetIdenticalCompanionFiles)
{
    Ok("First");
    Show();
    Ok("Second");
    ASSERT_EQ(workspace.ProjectName, "Second");
    for (const char* name : kCompanionFiles)
        EXPECT_EQ(ReadText(projects("First") + kSep + name), ReadText(projects("Second") + kSep + name)) << name;
}

TEST_F(NewProjectLogicTest, TheSettingsLastHeldByTheCommunicationDialogAreCopied)
{
    // Another project, shown and edited in SET COMMUNICATION but not saved.
    CreateDirectory(projects("Other"));
    WriteText(projects("Other") + kSep + "pargen.xml",
              "<ParametriGenerali><Boud0>2</Boud0><Boud1>7</Boud1><Type>0</Type><Positive>1</Positive>"
              "<Baud_Dip_C0>1</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>");
    workspace.layout.SetProjectDir(projects("Other"));
    commSettings.Show();
    workspace.layout.SetProjectDir(projects());
    commSettings.ChooseFormat(1, true);
    const std::string expected = PargenText(commSettings);

    Ok("Copy");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(ReadText(InProject("pargen.xml")), expected);
    EXPECT_EQ(session.CanType0, 0);
    EXPECT_EQ(session.CanType1, 1);
    EXPECT_TRUE(session.PositiveImpl);
}

TEST_F(NewProjectLogicTest, TheNameIsUsedExactlyAsTyped)
{
#ifdef _WIN32
    const std::string typed = " Line3"; // Windows drops the blanks that end a folder name
#else
    const std::string typed = " Line3 ";
#endif
    Ok(typed);
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_EQ(dialog.enteredName, typed);
    EXPECT_EQ(workspace.ProjectName, typed);
    EXPECT_TRUE(FileExists(projects(typed) + kSep + "pargen.xml"));
    EXPECT_FALSE(DirectoryExists(projects("Line3")));
}

TEST_F(NewProjectLogicTest, ANestedNameWorksOnlyWhenItsParentExists)
{
    Ok("Plant/Line3");
    EXPECT_FALSE(dialog.CanClose());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{ProjectNotCreatedText(projects("Plant/Line3"))});
    EXPECT_FALSE(DirectoryExists(projects("Plant")));
    ExpectWorkspaceUnchanged();

    CreateDirectory(projects("Plant"));
    Ok("Plant/Line3");
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_EQ(workspace.ProjectName, "Plant/Line3");
    EXPECT_TRUE(FileExists(projects("Plant/Line3/sdopdo.xml")));
    EXPECT_TRUE(DirectoryExists(projects("Plant/Line3/bin")));
}

// ---------------------------------------------------------------- refusals

struct Refusal {
    const char* label;
    bool destination; // DestinationDir set
    const char* typed;
    std::vector<std::string> messages;
};

class NewProjectRefusalTest : public NewProjectLogicTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(NewProjectRefusalTest, ShowsItsMessagesAndStaysOpenWithNothingChanged)
{
    const Refusal& r = GetParam();
    const std::set<std::string> before = Entries(workspace.layout.ProjectsDir());
    if (!r.destination)
        dialog.destinationDir.clear();
    Ok(r.typed);
    EXPECT_EQ(messages.Texts(), r.messages);
    for (const auto& message : messages.messages)
        EXPECT_EQ(message.kind, RecordedMessage::Plain);
    EXPECT_FALSE(dialog.CanClose());
    EXPECT_EQ(dialog.enteredName, r.typed);
    EXPECT_EQ(Entries(workspace.layout.ProjectsDir()), before);
    EXPECT_FALSE(DirectoryExists(dir / "x"));
    ExpectWorkspaceUnchanged();
}

INSTANTIATE_TEST_SUITE_P(
    Input, NewProjectRefusalTest,
    ::testing::Values(Refusal{"EmptyName", true, "", {kMsgProjectNameNotValid}},
                      Refusal{"NoDestination", false, "Line3", {kMsgDestinationNotValid}},
                      Refusal{"BothEmpty", false, "", {kMsgDestinationNotValid, kMsgProjectNameNotValid}},
                      Refusal{"ParentStep", true, "..", {kMsgProjectNameNotValid}},
                      Refusal{"OutOfProjects", true, "../x", {kMsgProjectNameNotValid}},
                      Refusal{"OutOfProjectsBackslash", true, "a\\..\\..\\x", {kMsgProjectNameNotValid}},
                      Refusal{"ThisFolder", true, ".", {kMsgProjectExists}}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.label); });

TEST_F(NewProjectLogicTest, AnExistingProjectIsRefusedAndLeftUntouched)
{
    CreateDirectory(projects("Line3"));
    WriteText(projects("Line3") + kSep + "sdo.xml", "<sdo><row conf=\"16\"/></sdo>");
    Ok("Line3");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgProjectExists});
    EXPECT_FALSE(dialog.CanClose());
    EXPECT_EQ(Entries(projects("Line3")), std::set<std::string>{"sdo.xml"});
    EXPECT_EQ(ReadText(projects("Line3") + kSep + "sdo.xml"), "<sdo><row conf=\"16\"/></sdo>");
    ExpectWorkspaceUnchanged();

    // The user corrects the name and confirms again.
    Ok("Line4");
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_EQ(workspace.ProjectName, "Line4");
}

TEST_F(NewProjectLogicTest, ANameDifferingOnlyInCaseIsRefusedWhereTheFileSystemIgnoresCase)
{
    CreateDirectory(projects("Line3"));
    const bool ignoresCase = DirectoryExists(projects("LINE3"));
    Ok("LINE3");
    if (ignoresCase) {
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgProjectExists});
        ExpectWorkspaceUnchanged();
    } else {
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(workspace.layout.ProjectDir(), projects("LINE3"));
    }
    EXPECT_TRUE(Entries(projects("Line3")).empty());
}

TEST_F(NewProjectLogicTest, AFolderThatCannotBeMadeIsReportedAndChangesNothing)
{
    // PROJECTS replaced by a plain file: no folder can be made in it, not even by root.
    std::filesystem::remove_all(workspace.layout.ProjectsDir());
    WriteText(workspace.layout.ProjectsDir(), "");
    Ok("Line3");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{ProjectNotCreatedText(projects("Line3"))});
    EXPECT_FALSE(dialog.CanClose());
    ExpectWorkspaceUnchanged();
}

TEST_F(NewProjectLogicTest, AReadOnlyProjectsFolderIsLeftToTheFileSystem)
{
    std::filesystem::permissions(workspace.layout.ProjectsDir(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    Ok("Line3");
    if (testing::PermissionsAreEnforced()) {
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{ProjectNotCreatedText(projects("Line3"))});
        EXPECT_FALSE(dialog.CanClose());
        ExpectWorkspaceUnchanged();
    } else {
        // Root is not kept out of a read-only folder, and nothing else checks.
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_TRUE(FileExists(projects("Line3") + kSep + "sdopdo.xml"));
    }
}

// ---------------------------------------------------------------- writer failures

TEST_F(NewProjectLogicTest, AFailingSettingsWriteIsReportedAndTheDialogStillCloses)
{
    {
        if (!testing::kFileSizeLimitWorks)
            GTEST_SKIP() << "no per-process file size limit on this system";
        testing::FileSizeLimit limit(64); // pargen.xml is longer; the folders need no bytes
        Ok("Line3");
    }
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, RecordedMessage::Error);
    EXPECT_THAT(messages.messages[0].text, ::testing::StartsWith("Cannot create file \"" + projects("Line3")));
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_EQ(workspace.layout.ProjectDir(), projects("Line3"));
    EXPECT_EQ(Entries(workspace.layout.ProjectDir()), std::set<std::string>{"bin"});
    EXPECT_EQ(session.CanType0, 1) << "the session is set before the write";
}

TEST_F(NewProjectLogicTest, AFailingCompanionWriterStopsTheLaterOnes)
{
    companions.Emcy.Can0.push_back(EmcyEntry{});
    companions.Emcy.Can0.back().IdDev = "one";
    Ok("Line3");
    EXPECT_THAT(messages.messages,
                ElementsAre(RecordedMessage{RecordedMessage::Error, "'one' is not a valid integer value."}));
    EXPECT_TRUE(dialog.CanClose());
    EXPECT_EQ(Entries(workspace.layout.ProjectDir()), (std::set<std::string>{"bin", "pargen.xml", "sdo.xml"}));
}

} // namespace
} // namespace c2c
