#include "platform/ProfileFile.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TEST(ProfileFile, MissingFileSectionOrKeyReadsTheDefault)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", ""), "");
    WriteText(path, "[other]\r\nprojectname=x\r\n");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", "dflt"), "dflt");
    WriteText(path, "[lastproj]\r\nother=x\r\n");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", "dflt"), "dflt");
}

TEST(ProfileFile, SectionAndKeyMatchWithoutCaseAndValuesAreTrimmed)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteText(path, "; comment\n[ LastProj ]\n  ProjectName =  \\Line3  \n");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", ""), "\\Line3");
    WriteText(path, "[lastproj]\nprojectname=\"quoted value\"\n");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", ""), "quoted value");
}

TEST(ProfileFile, LongValuesAreCutAt2047Characters)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteText(path, "[lastproj]\nprojectname=" + std::string(3000, 'a') + "\n");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", "").size(), 2047u);
}

TEST(ProfileFile, WriteCreatesTheFile)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteProfileString(path, "lastproj", "projectname", "");
    EXPECT_EQ(ReadText(path), "[lastproj]\r\nprojectname=\r\n");
    WriteProfileString(path, "lastproj", "projectname", "\\Plant\\Line3");
    EXPECT_EQ(ReadProfileString(path, "lastproj", "projectname", "x"), "\\Plant\\Line3");
}

TEST(ProfileFile, WriteKeepsEveryOtherLineOfTheFile)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    const std::string before = "; settings of the tool\n"
                               "[window]\n"
                               "left=10\n"
                               "\n"
                               "[LASTPROJ]\n"
                               "; the last project\n"
                               "ProjectName=old\n"
                               "extra=keep me\n"
                               "[tail]\n"
                               "x=1";
    WriteText(path, before);
    WriteProfileString(path, "lastproj", "projectname", "\\Line3");
    EXPECT_EQ(ReadText(path), "; settings of the tool\n"
                              "[window]\n"
                              "left=10\n"
                              "\n"
                              "[LASTPROJ]\n"
                              "; the last project\n"
                              "projectname=\\Line3\n"
                              "extra=keep me\n"
                              "[tail]\n"
                              "x=1");
}

TEST(ProfileFile, WriteAddsAMissingKeyInsideItsSectionAndAMissingSectionAtTheEnd)
{
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteText(path, "[lastproj]\r\nother=1\r\n\r\n[tail]\r\nx=1");
    WriteProfileString(path, "lastproj", "projectname", "P");
    WriteProfileString(path, "new", "k", "v");
    EXPECT_EQ(ReadText(path), "[lastproj]\r\nother=1\r\nprojectname=P\r\n\r\n[tail]\r\nx=1\r\n[new]\r\nk=v\r\n");
}

TEST(ProfileFile, UnwritableFileReportsItsPath)
{
    TempDir dir;
    const std::string path = dir / "no-such-folder/s.ini";
    try {
        WriteProfileString(path, "lastproj", "projectname", "x");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

TEST(ProfileFile, ListsAWholeFileLineByLineWithNumbers)
{
    const std::vector<ProfileLine> lines =
        ReadProfileLines("; head\r\nkey=before\r\n\r\n[ One ]\nA = \"x\" \n[two\njunk\nB=" + std::string(3000, 'b'));
    ASSERT_EQ(lines.size(), 6u);
    const ProfileLineKind kinds[] = {ProfileLineKind::Entry, ProfileLineKind::Section, ProfileLineKind::Entry,
                                     ProfileLineKind::UnclosedSection, ProfileLineKind::Other, ProfileLineKind::Entry};
    const std::size_t numbers[] = {2, 4, 5, 6, 7, 8};
    const char* sections[] = {"", "One", "One", "two", "two", "two"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].kind, kinds[i]) << i;
        EXPECT_EQ(lines[i].number, numbers[i]) << i;
        EXPECT_EQ(lines[i].section, sections[i]) << i;
    }
    EXPECT_EQ(lines[2].key, "A");
    EXPECT_EQ(lines[2].value, "x");
    EXPECT_EQ(lines[5].value.size(), 3000u); // whole, not cut as a single read cuts it
}

} // namespace
} // namespace c2c
