#include "image/BankOutputs.h"

#include "image/BankImage.h"
#include "platform/Error.h"
#include "project/ProjectLayout.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::StartsWith;

// The lines of a CR LF text without their line ends; a last line without
// CR LF shows up as an extra entry.
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
        project.SetProjectDir(dir.path());
    }

    // Banks 1 to 4 with every byte different from its neighbours.
    void FillPattern()
    {
        for (int bank = 1; bank <= 4; ++bank)
            for (std::size_t i = 0; i < kBankSize; ++i)
                image->MutableBank(bank)[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(bank));
    }

    TempDir dir;
    ProjectLayout project;
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
        ASSERT_EQ(lines.size(), kBankSourceLines);
        // Line numbers as an editor shows them, from 1.
        auto line = [&](std::size_t number) -> const std::string& { return lines[number - 1]; };
        EXPECT_EQ(line(1), "#pragma CONST_SEG SEGMENT0");
        EXPECT_EQ(line(3077), "#pragma CONST_SEG SEGMENT1");
        EXPECT_EQ(line(4103), "#pragma CONST_SEG DEFAULT");
        std::vector<std::size_t> empty, closing;
        for (std::size_t n = 1; n <= lines.size(); ++n) {
            if (line(n).empty())
                empty.push_back(n);
            if (line(n).ends_with("};"))
                closing.push_back(n);
        }
        EXPECT_EQ(empty, (std::vector<std::size_t>{1026, 2051, 3076, 4102}));
        EXPECT_EQ(closing, (std::vector<std::size_t>{1025, 2050, 3075, 4101}));
        const std::size_t firstLines[] = {2, 1027, 2052, 3078};
        for (int bank = 1; bank <= 4; ++bank) {
            const std::size_t first = firstLines[bank - 1];
            EXPECT_THAT(line(first), StartsWith("const char Bank" + std::to_string(bank) + " [] = { 0x"));
            EXPECT_EQ(line(first).size(), 119u);
            for (std::size_t n = first + 1; n < first + 1023; ++n)
                ASSERT_TRUE(line(n).size() == 113 && line(n).starts_with(std::string(18, ' ') + "0x")) << n;
            EXPECT_EQ(line(first + 1023).size(), 114u);
        }
    }
}

TEST_F(BankOutputsTest, SourceLinesOfTheWorkedExample)
{
    const std::uint8_t entry[] = {0x01, 0x00, 0x02, 0x00};
    std::copy(entry, entry + 4, image->MutableBank(1).begin() + 4);
    image->MutableBank(2)[17] = 10;
    const std::vector<std::string> lines = CrLfLines(BankSourceText(*image));
    EXPECT_EQ(lines[1], "const char Bank1 [] = { 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, "
                        "0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,");
    std::string allFF = std::string(17, ' ');
    for (int i = 0; i < 16; ++i)
        allFF += " 0xFF,";
    EXPECT_EQ(lines[2], allFF);
    EXPECT_EQ(lines[1024], allFF.substr(0, 112) + "};");
    EXPECT_THAT(lines[1027], StartsWith(std::string(17, ' ') + " 0xFF, 0x0A, 0xFF,"));
}

TEST_F(BankOutputsTest, FilesAreReplacedWholeOrNotAtAll)
{
    FillPattern();
    WriteText(project.BankFile(3), std::string(40000, 'x'));
    WriteBankFiles(project, *image);
    for (int bank = 1; bank <= 5; ++bank) {
        const auto& bytes = image->Bank(bank);
        EXPECT_EQ(ReadText(project.BankFile(bank)), std::string(bytes.begin(), bytes.end())) << bank;
    }
    EXPECT_EQ(ReadText(project.BankFile(5)), std::string(kBankSize, '\0'));
    EXPECT_EQ(ReadText(project.BankSourceFile()), BankSourceText(*image));

    // A file that cannot be written in full, or a folder in the way, is an
    // error, and the set of the earlier run stays whole.
    const std::string earlierBank1 = ReadText(project.BankFile(1));
    const std::string earlierSource = ReadText(project.BankSourceFile());
    image->ResetBanks();
    const struct {
        std::function<void()> breakIt, repair;
        std::string failing;
    } cases[] = {
        {[] {}, [] {}, "bank1.bin"}, // under the write limit below
        {[&] {
             std::filesystem::remove(project.BankFile(5));
             std::filesystem::create_directory(project.BankFile(5));
         },
         [&] { std::filesystem::remove(project.BankFile(5)); }, "bank5.bin"},
    };
    for (const auto& c : cases) {
        if (c.failing == "bank1.bin" && !testing::kFileSizeLimitWorks)
            continue; // no per-process file size limit on this system
        c.breakIt();
        {
            std::optional<FileSizeLimit> limit;
            if (c.failing == "bank1.bin")
                limit.emplace(1000);
            EXPECT_THAT([&] { WriteBankFiles(project, *image); },
                        ::testing::ThrowsMessage<Error>(
                            StartsWith("Cannot create file \"" + dir.path() + Native("/bin/") + c.failing + "\". ")));
        }
        c.repair();
        EXPECT_EQ(ReadText(project.BankFile(1)), earlierBank1) << c.failing;
        EXPECT_EQ(ReadText(project.BankSourceFile()), earlierSource) << c.failing;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "bin"), std::filesystem::directory_iterator()),
                  c.failing == "bank5.bin" ? 5 : 6)
            << "no temporary file is left";
    }
}

TEST_F(BankOutputsTest, MissingBinFolderOrProjectIsAnError)
{
    std::filesystem::remove(dir / "bin");
    EXPECT_THAT([&] { WriteBankFiles(project, *image); },
                ::testing::ThrowsMessage<Error>(StartsWith("Cannot create file \"" + dir.path() + Native("/bin/bank1.bin\". "))));
    EXPECT_FALSE(std::filesystem::exists(dir / "bin")) << "the bin folder is not made";

    project.SetProjectDir(""); // the outputs would go to /bin
    EXPECT_THAT([&] { WriteBankFiles(project, *image); }, ::testing::ThrowsMessage<Error>("Project not valid"));
}

// An independent reading of bankg.c: the system C compiler turns it into
// arrays again, which a small program writes back out.
#ifdef C2C_C_COMPILER
TEST_F(BankOutputsTest, CompiledSourceGivesBackTheBankFiles)
{
    FillPattern();
    WriteBankFiles(project, *image);
    WriteText(dir / "dump.c", R"(#include <stdio.h>
extern const char Bank1[], Bank2[], Bank3[], Bank4[];
int main(int argc, char** argv)
{
    const char* banks[] = {Bank1, Bank2, Bank3, Bank4};
    for (int n = 0; n < 4 && n + 1 < argc; ++n) {
        FILE* f = fopen(argv[n + 1], "wb");
        if (!f || fwrite(banks[n], 1, 16384, f) != 16384 || fclose(f) != 0)
            return 1;
    }
    return 0;
}
)");
    const std::string compile = std::string("'") + C2C_C_COMPILER + "' -o '" + (dir / "dump") + "' '" +
                                project.BankSourceFile() + "' '" + (dir / "dump.c") + "' 2>'" + (dir / "cc.log") + "'";
    const int compiled = std::system(compile.c_str());
    ASSERT_TRUE(WIFEXITED(compiled) && WEXITSTATUS(compiled) == 0) << ReadText(dir / "cc.log");
    std::string run = "'" + (dir / "dump") + "'";
    for (int bank = 1; bank <= 4; ++bank)
        run += " '" + (dir / ("back" + std::to_string(bank))) + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    for (int bank = 1; bank <= 4; ++bank)
        EXPECT_EQ(ReadText(dir / ("back" + std::to_string(bank))), ReadText(project.BankFile(bank))) << bank;
}
#endif

} // namespace
} // namespace c2c
