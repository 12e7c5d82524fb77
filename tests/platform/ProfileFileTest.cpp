#include "platform/ProfileFile.h"

#include "platform/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Each line read as "N kind [section] key=value", kinds as letters: S
// section, T section and text, U unclosed, E entry, O other, L too long.
std::vector<std::string> Listed(const std::string& text)
{
    std::size_t at = 0;
    LineReader lines(
        [&](char* buffer, std::size_t size) {
            const std::size_t n = std::min(size, text.size() - at);
            text.copy(buffer, n, at);
            at += n;
            return n;
        },
        LineRules{40, true, false});
    std::vector<std::string> listed;
    ReadProfileLines(lines, [&](const ProfileLine& line) {
        listed.push_back(std::to_string(line.number) + " " + "STUEOL"[static_cast<int>(line.kind)] + " [" +
                         std::string(line.section) + "] " + std::string(line.key) + "=" + std::string(line.value));
    });
    return listed;
}

TEST(ProfileFile, GoesThroughADocumentLineByLine)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> listed;
    } cases[] = {
        {"KindsAndNumbers", "; head\r\nkey=before\r\n\r\n[ One ]\nA = \"x\" \n[two\njunk\nB='y'",
         {"2 E [] key=before", "4 S [One] =", "5 E [One] A=x", "6 U [two] =", "7 O [two] =", "8 E [two] B=y"}},
        {"TextAfterTheSection", "[1800sub1]ParameterValue=0x1A0\n[a] ; a comment\n[b]  \n",
         {"1 T [1800sub1] =ParameterValue=0x1A0", "2 S [a] =; a comment", "3 S [b] ="}},
        {"CrLineEnds", "[FileInfo]\rA=1\r\rB=2\r", {"1 S [FileInfo] =", "2 E [FileInfo] A=1", "4 E [FileInfo] B=2"}},
        {"ByteOrderMark", "\xEF\xBB\xBF[FileInfo]\nC=\xEF\xBB\xBF", {"1 S [FileInfo] =", "2 E [FileInfo] C=\xEF\xBB\xBF"}},
        {"TooLong", "[s]\nA=" + std::string(40, 'a') + "\nB=1\n[" + std::string(100, 'n') + "]\n",
         {"1 S [s] =", "2 L [s] =", "3 E [s] B=1", "4 L [s] ="}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Listed(c.text), c.listed) << c.name;
}

} // namespace
} // namespace c2c
