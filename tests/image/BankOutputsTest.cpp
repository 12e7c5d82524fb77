#include "image/BankOutputs.h"

#include "app/Workspace.h"
#include "image/BankImage.h"
#include "image/ProjectDocuments.h"
#include "platform/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <sys/wait.h>

namespace c2c {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

// The lines of a CR LF text, without their line ends; an extra empty entry
// at the end would mean the last line lacks its CR LF.
std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size())
        lines.push_back(text.substr(start));
    return lines;
}

class BankOutputsTest : public ::testing::Test {
protected:
    BankOutputsTest()
    {
        std::filesystem::create_directory(dir / "bin");
        workspace.ProjectDir = dir.path();
        workspace.UpdateDocumentPaths();
    }

    // An image whose bytes all differ from their neighbours' in banks 1 to 4.
    void FillPattern()
    {
        for (int bank = 1; bank <= 4; ++bank)
            for (std::size_t i = 0; i < kBankSize; ++i)
                image->MutableBank(bank)[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(bank));
    }

    std::string BankText(int bank) const
    {
        const auto& bytes = image->Bank(bank);
        return std::string(bytes.begin(), bytes.end());
    }

    TempDir dir;
    Workspace workspace;
    std::unique_ptr<BankImage> image = std::make_unique<BankImage>();
};

TEST_F(BankOutputsTest, SourceHasItsFixedShapeForAnyImage)
{
    for (bool pattern : {false, true}) {
        if (pattern)
            FillPattern();
        const std::string text = BankSourceText(*image);
        ASSERT_EQ(text.size(), kBankSourceSize);
        const std::vector<std::string> lines = CrLfLines(text);
        ASSERT_EQ(lines.size(), kBankSourceLines) << "every line, the last included, ends with CR LF";

        // Line numbers below count from 1, as an editor shows them.
        auto line = [&](std::size_t number) -> const std::string& { return lines[number - 1]; };
        EXPECT_EQ(line(1), "#pragma CONST_SEG SEGMENT0");
        EXPECT_EQ(line(3077), "#pragma CONST_SEG SEGMENT1");
        EXPECT_EQ(line(4103), "#pragma CONST_SEG DEFAULT");
        for (std::size_t empty : {1026u, 2051u, 3076u, 4102u})
            EXPECT_EQ(line(empty), "") << empty;

        const std::size_t firstLines[] = {2, 1027, 2052, 3078};
        for (int bank = 1; bank <= 4; ++bank) {
            const std::size_t first = firstLines[bank - 1];
            EXPECT_THAT(line(first), ::testing::StartsWith("const char Bank" + std::to_string(bank) + " [] = { 0x"));
            EXPECT_EQ(line(first).size(), 119u);
            for (std::size_t n = first + 1; n < first + 1023; ++n) {
                ASSERT_EQ(line(n).size(), 113u) << n;
                ASSERT_EQ(line(n).compare(0, 18, std::string(17, ' ') + " "), 0) << n;
                ASSERT_EQ(line(n).back(), ',') << n;
            }
            EXPECT_EQ(line(first + 1023).size(), 114u);
        }
        std::vector<std::size_t> closing;
        for (std::size_t n = 1; n <= lines.size(); ++n)
            if (line(n).ends_with("};"))
                closing.push_back(n);
        EXPECT_EQ(closing, (std::vector<std::size_t>{1025, 2050, 3075, 4101}));
    }
}

TEST_F(BankOutputsTest, SourceLinesOfTheWorkedExample)
{
    auto& bank1 = image->MutableBank(1);
    bank1[4] = 0x01;
    bank1[5] = 0x00;
    bank1[6] = 0x02;
    bank1[7] = 0x00;
    image->MutableBank(2)[17] = 10;
    const std::vector<std::string> lines = CrLfLines(BankSourceText(*image));
    EXPECT_EQ(lines[1], "const char Bank1 [] = { 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, "
                        "0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,");
    std::string continuation = std::string(17, ' ');
    for (int i = 0; i < 16; ++i)
        continuation += " 0xFF,";
    EXPECT_EQ(lines[2], continuation);
    EXPECT_THAT(lines[1024], ::testing::EndsWith("0xFF, 0xFF};"));
    EXPECT_EQ(lines[1027].substr(17, 12), " 0xFF, 0x0A,") << "two upper-case digits";
    EXPECT_EQ(lines[3077], "const char Bank4 [] = {" + continuation.substr(17));
}

TEST_F(BankOutputsTest, BinariesAreTheRawBanksAndReplaceLongerFiles)
{
    FillPattern();
    WriteText(BankFilePath(dir.path(), 3), std::string(40000, 'x'));
    WriteBankBinaries(workspace, *image);
    for (int bank = 1; bank <= 5; ++bank)
        EXPECT_EQ(ReadText(dir / ("bin/bank" + std::to_string(bank) + ".bin")), BankText(bank)) << bank;
    EXPECT_EQ(ReadText(dir / "bin/bank5.bin"), std::string(kBankSize, '\0'));

    WriteBankSource(workspace, *image);
    EXPECT_EQ(ReadText(dir / "bin/bankg.c"), BankSourceText(*image));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "bin"))
        ++files;
    EXPECT_EQ(files, 6u) << "no temporary file is left";
}

TEST_F(BankOutputsTest, MissingBinFolderIsAnErrorNamingTheFirstBankFile)
{
    std::filesystem::remove(dir / "bin");
    EXPECT_THAT([&] { WriteBankBinaries(workspace, *image); },
                ::testing::ThrowsMessage<Error>(
                    ::testing::StartsWith("Cannot create file \"" + dir.path() + "/bin/bank1.bin\". ")));
    EXPECT_THAT([&] { WriteBankSource(workspace, *image); },
                ::testing::ThrowsMessage<Error>(
                    ::testing::StartsWith("Cannot create file \"" + dir.path() + "/bin/bankg.c\". ")));
    EXPECT_FALSE(std::filesystem::exists(dir / "bin"));
}

TEST_F(BankOutputsTest, ShortWriteIsAnErrorAndKeepsTheOldFile)
{
    WriteText(BankFilePath(dir.path(), 1), "old bank");
    WriteText(BankSourcePath(dir.path()), "old source");
    {
        testing::FileSizeLimit limit(1000); // no bank fits
        EXPECT_THROW(WriteBankBinaries(workspace, *image), Error);
        EXPECT_THROW(WriteBankSource(workspace, *image), Error);
    }
    EXPECT_EQ(ReadText(BankFilePath(dir.path(), 1)), "old bank");
    EXPECT_EQ(ReadText(BankSourcePath(dir.path())), "old source");
    EXPECT_FALSE(std::filesystem::exists(BankFilePath(dir.path(), 2))) << "the first failure ends the writing";
}

TEST_F(BankOutputsTest, EmptyProjectWritesNothing)
{
    workspace.ProjectDir.clear();
    EXPECT_THAT([&] { WriteBankBinaries(workspace, *image); }, ::testing::ThrowsMessage<Error>("Project not valid"));
    EXPECT_THAT([&] { WriteBankSource(workspace, *image); }, ::testing::ThrowsMessage<Error>("Project not valid"));
}

// Compiles the written bankg.c with the system C compiler, together with a
// program that writes Bank1..Bank4 back out, and compares the result with
// the bank files.
TEST_F(BankOutputsTest, CompiledSourceGivesBackTheBankFiles)
{
    testing::WriteProject(dir.path(), testing::PargenXml(testing::kExtendedPargen), testing::LargeExtendedTables(2000));
    BuildBankImage(workspace, *image);
    image->MutableBank(3)[100] = 0x00; // a bank 3 that is not all 0xFF, so its order is checked too
    image->MutableBank(4)[16383] = 0x5A;
    WriteBankBinaries(workspace, *image);
    WriteBankSource(workspace, *image);

    WriteText(dir / "dump.c", R"(#include <stdio.h>
extern const char Bank1[], Bank2[], Bank3[], Bank4[];
int main(int argc, char** argv)
{
    const char* banks[] = {Bank1, Bank2, Bank3, Bank4};
    for (int n = 0; n < 4; ++n) {
        FILE* f = fopen(argv[n + 1], "wb");
        if (!f || fwrite(banks[n], 1, 16384, f) != 16384 || fclose(f) != 0)
            return 1;
    }
    return argc == 5 ? 0 : 1;
}
)");
    const std::string compile = std::string("'") + C2C_C_COMPILER + "' -o '" + (dir / "dump") + "' '" +
                                BankSourcePath(dir.path()) + "' '" + (dir / "dump.c") + "' 2>'" +
                                (dir / "cc.log") + "'";
    const int compiled = std::system(compile.c_str());
    ASSERT_TRUE(WIFEXITED(compiled) && WEXITSTATUS(compiled) == 0) << ReadText(dir / "cc.log");
    std::string run = "'" + (dir / "dump") + "'";
    for (int bank = 1; bank <= 4; ++bank)
        run += " '" + (dir / ("back" + std::to_string(bank))) + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    for (int bank = 1; bank <= 4; ++bank)
        EXPECT_EQ(ReadText(dir / ("back" + std::to_string(bank))), ReadText(BankFilePath(dir.path(), bank))) << bank;
}

} // namespace
} // namespace c2c
