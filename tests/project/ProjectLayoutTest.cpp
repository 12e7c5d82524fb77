#include "project/ProjectLayout.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

TEST(ProjectLayoutTest, EveryPathOfAProgramAndItsProject)
{
    using testing::Native;
    ProjectLayout layout(Native("/opt/c2c/"));
    layout.SetProjectDir(Native("/opt/c2c/PROJECTS/Line 3"));
    const std::pair<std::string, std::string> paths[] = {
        {layout.ExeDir(), Native("/opt/c2c")},
        {layout.MasterFile(), Native("/opt/c2c/MASTER/SX40517.sx")},
        {layout.ProjectsDir(), Native("/opt/c2c/PROJECTS")},
        {layout.SettingsFile(), Native("/opt/c2c/Drevanta_C2CCOBID.ini")},
        {layout.FlasherFile(), Native("/opt/c2c/Tessimor.exe")},
        {layout.PargenFile(), Native("/opt/c2c/PROJECTS/Line 3/pargen.xml")},
        {layout.CobIdFile(), Native("/opt/c2c/PROJECTS/Line 3/CanCanCobID.xml")},
        {layout.DocumentFile(ProjectDocument::SdoPdo), Native("/opt/c2c/PROJECTS/Line 3/sdopdo.xml")},
        {layout.BankFile(5), Native("/opt/c2c/PROJECTS/Line 3/bin/bank5.bin")},
        {layout.BankSourceFile(), Native("/opt/c2c/PROJECTS/Line 3/bin/bankg.c")},
        {BankRecordFileIn("/b/"), "/b/Bin.sx"},
        {StageFileIn("/p/", 4), "/p/B4.sx"},
        {NewFirmwareName("SX40517.sx"), "New_SX40517.sx"},
    };
    for (const auto& [actual, expected] : paths)
        EXPECT_EQ(actual, expected);
}

// A program in a root folder: the folder's name without its separator
// (the drive letter and colon on Windows), then the separator and PROJECTS.
TEST(ProjectLayoutTest, ProgramInARootFolder)
{
#ifdef _WIN32
    const std::string root = "C:\\", exeDir = "C:";
#else
    const std::string root = "/", exeDir = "";
#endif
    const ProjectLayout layout(root);
    EXPECT_EQ(layout.ExeDir(), exeDir);
    EXPECT_EQ(layout.ProjectsDir(), exeDir + kSep + "PROJECTS");
    EXPECT_EQ(layout.MasterFile(), exeDir + kSep + "MASTER" + kSep + "SX40517.sx");
    EXPECT_EQ(layout.SettingsFile(), exeDir + kSep + "Drevanta_C2CCOBID.ini");
    EXPECT_EQ(layout.FlasherFile(), exeDir + kSep + "Tessimor.exe");
}

TEST(ProjectLayoutTest, WithoutAProjectStepsAreRefused)
{
    ProjectLayout layout("/opt/c2c");
    testing::RecordingMessages messages;
    EXPECT_FALSE(layout.CheckProject(messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Project not valid"});
    EXPECT_THROW(layout.RequireProject(), Error);
    layout.SetProjectDir("/p");
    EXPECT_TRUE(layout.CheckProject(messages));
    EXPECT_NO_THROW(layout.RequireProject());
}

TEST(ProjectLayoutTest, WorkingFileNames)
{
    for (const char* name : {"Bin.sx", "B1.sx", "B5.sx"})
        EXPECT_TRUE(IsWorkingFileName(name)) << name;
    for (const char* name : {"B6.sx", "b1.sx", "New_SX40517.sx", ""})
        EXPECT_FALSE(IsWorkingFileName(name)) << name;
}

TEST(ProjectLayoutTest, WhatAFileNameIsToAProject)
{
    struct Case {
        const char* name;
        ProjectFileRole role;
    };
    const Case cases[] = {
        {"pargen.xml", ProjectFileRole::Document},      {"PARGEN.XML", ProjectFileRole::Document},
        {"cancancobid.xml", ProjectFileRole::Document}, {"SdoPdo.xml", ProjectFileRole::Document},
        {"emcyword.xml", ProjectFileRole::Document},    {"Bank3.BIN", ProjectFileRole::BankFile},
        {"bank5.bin", ProjectFileRole::BankFile},       {"bank6.bin", ProjectFileRole::None},
        {"BANKG.C", ProjectFileRole::BankSource},       {"bin.SX", ProjectFileRole::WorkingFile},
        {"b1.sx", ProjectFileRole::WorkingFile},        {"B5.sx", ProjectFileRole::WorkingFile},
        {"B6.sx", ProjectFileRole::None},               {"New_SX40517.sx", ProjectFileRole::None},
        {"pargen.xml.bak", ProjectFileRole::None},      {"", ProjectFileRole::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProjectFileRoleOf(c.name), c.role) << c.name;
}

} // namespace
} // namespace c2c
