#include "firmware/SRecordComposer.h"

#include "firmware/SRecordTestSupport.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

namespace c2c {
namespace {

using namespace c2c::testing;

const std::string kWindowRecord = S2(0x388000, Pattern(32, 7));

class ComposerTest : public ::testing::Test {
public:
    ComposerTest()
    {
        CreateDirectories(dir / "MASTER");
        CreateDirectories(dir / "P/bin");
        settings.FileSx = "SX40517.sx";
        settings.MasterFolder = dir / "MASTER";
        settings.DirBin = dir / "P/bin/";
        settings.Project.SetProjectDir(dir / "P");
        settings.NewFileName = "New_SX40517.sx";
    }

    std::string MasterPath() const { return settings.MasterPath(); }
    void WriteMaster(const std::string& text) { WriteText(MasterPath(), text); }
    // Bank n (1-5) with a pattern of its own; returns its bytes.
    Bytes WriteBank(int n, std::size_t size = kBankSize)
    {
        Bytes bytes = Pattern(size, 100 + static_cast<unsigned>(n));
        WriteBytes(settings.DirBin + "bank" + std::to_string(n) + ".bin", bytes);
        return bytes;
    }
    std::string InProject(const std::string& name) const { return settings.ProjectFolder() + name; }
    std::vector<std::string> ProjectLines(const std::string& name) const { return CrLfLines(ReadText(InProject(name))); }

    // The 512 records expected for a bank's bytes.
    static std::vector<std::string> BankRecords(int n, const Bytes& bytes)
    {
        std::vector<std::string> lines;
        const std::uint32_t start = kWindowStarts[static_cast<std::size_t>(n - 1)];
        for (std::size_t offset = 0; offset < kBankSize; offset += 32)
            lines.push_back(S2(start + static_cast<std::uint32_t>(offset),
                               Bytes(bytes.begin() + static_cast<long>(offset),
                                     bytes.begin() + static_cast<long>(offset) + 32)));
        return lines;
    }

    std::vector<std::string> FilesInProject() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "P"))
            if (!entry.is_directory())
                names.push_back(entry.path().filename().string());
        for (const auto& entry : std::filesystem::directory_iterator(dir / "P/bin"))
            if (entry.path().filename() == "Bin.sx")
                names.push_back("bin/Bin.sx");
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    ComposerSettings settings;
    RecordingMessages messages;
    RecordingProgress progress;
    SRecordComposer composer{settings, messages, progress};
};

// The window's first record gives way to the 512 bank records, its later
// records go, and the rest is copied; an all-0xFF bank gives known lines.
TEST_F(ComposerTest, WindowRecordsAreReplacedInPlaceAndTheRestIsCopied)
{
    WriteBytes(settings.DirBin + "bank1.bin", Bytes(kBankSize, 0xFF));
    const std::vector<std::string> before = {S0(), S2(0x387FE0, Pattern(32, 1)), "S5030003F9"};
    const std::vector<std::string> after = {S2(0x38C000, Pattern(16, 4)), S9()};
    WriteMaster(Join(before, "\n") + Join({kWindowRecord, S2(0x388020, {2}), S2(0x38BFE0, {3})}) + Join(after));

    EXPECT_EQ(composer.InsertBankSx(1, false, "B1.sx", MasterPath()), StageResult::Inserted);

    std::vector<std::string> expected = before;
    auto records = BankRecords(1, Bytes(kBankSize, 0xFF));
    expected.insert(expected.end(), records.begin(), records.end());
    expected.insert(expected.end(), after.begin(), after.end());
    auto lines = ProjectLines("B1.sx");
    EXPECT_EQ(lines, expected);
    ASSERT_EQ(lines.size(), 517u);
    EXPECT_EQ(lines[3], "S224388000" + std::string(64, 'F') + "43");
    EXPECT_EQ(lines[514], "S22438BFE0" + std::string(64, 'F') + "24");
    EXPECT_EQ(progress.maximum, 512 + 8);
    EXPECT_EQ(progress.current, progress.maximum);
    EXPECT_EQ(FilesInProject(), (std::vector<std::string>{"B1.sx"})) << "Bin.sx is removed after the stage";
}

// One stage over an input with a quirk; "@BANK" in the expected output
// stands for bank 1's 512 records.
struct StageCase {
    const char* name;
    std::string input;
    StageResult result;
    std::vector<std::string> output;
    int inputLines;
};

class StageCases : public ComposerTest, public ::testing::WithParamInterface<StageCase> {};

TEST_P(StageCases, CopiesAndInsertsAsTheLinesSay)
{
    const StageCase& c = GetParam();
    Bytes bank = WriteBank(1);
    WriteMaster(c.input);

    EXPECT_EQ(composer.InsertBankSx(1, false, "B1.sx", MasterPath()), c.result);

    std::vector<std::string> expected;
    for (const auto& line : c.output) {
        if (line != "@BANK") {
            expected.push_back(line);
            continue;
        }
        auto records = BankRecords(1, bank);
        expected.insert(expected.end(), records.begin(), records.end());
    }
    EXPECT_EQ(ProjectLines("B1.sx"), expected);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(progress.maximum, 512 + c.inputLines);
    EXPECT_EQ(progress.current, progress.maximum);

    // Blocks of a few bytes: every line crosses refills and long lines come
    // in pieces; the output is the same.
    for (std::size_t block : {5u, 16u, 97u}) {
        SRecordComposer small(settings, messages, progress, block);
        EXPECT_EQ(small.InsertBankSx(1, false, "small.sx", MasterPath()), c.result) << block;
        EXPECT_EQ(ProjectLines("small.sx"), expected) << block;
        EXPECT_EQ(progress.maximum, 512 + c.inputLines) << block;
    }
}

const std::string kOutside = S2(0x380000, Pattern(32, 9));
const std::string kStraddling = S2(0x387FF0, Pattern(32, 8));
// An S1 record whose data digits would read as a window address after "S1xx3880".
const std::string kS1At3880 = S1(0x3880, Bytes{0x00, 0x11, 0x22});
std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
std::string LowerAddress(std::string record)
{
    std::string lowered = LowerCase(record.substr(4, 6));
    return record.replace(4, 6, lowered);
}

INSTANTIATE_TEST_SUITE_P(
    Composer, StageCases,
    ::testing::Values(
        StageCase{"WindowMissing", Join({S0(), kOutside, S9()}, "\n"), StageResult::WindowNotFound, {S0(), kOutside, S9()}, 3},
        StageCase{"S8OnlyMaster", Join({S0(), kWindowRecord, S8()}), StageResult::NoEndRecord, {S0(), "@BANK", S8()}, 3},
        StageCase{"RecordStraddlingTheWindowStart", Join({kStraddling, S9()}), StageResult::WindowNotFound, {kStraddling, S9()}, 2},
        StageCase{"S1RecordAt3880", Join({kS1At3880, S9()}), StageResult::WindowNotFound, {kS1At3880, S9()}, 2},
        StageCase{"LowerCaseRecordType", Join({LowerCase(kWindowRecord), S9()}), StageResult::WindowNotFound,
                  {LowerCase(kWindowRecord), S9()}, 2},
        StageCase{"LowerCaseAddressDigits", Join({S0(), LowerAddress(S2(0x38A0B0, {1})), S9()}), StageResult::Inserted,
                  {S0(), "@BANK", S9()}, 3},
        // A lone CR does not end a line: the whole file is one line, copied.
        StageCase{"CrOnlyLineEnds", Join({S0(), kWindowRecord, S9()}, "\r"), StageResult::NoEndRecord,
                  {S0() + kWindowRecord + S9()}, 1},
        StageCase{"MixedLineEnds",
                  S0() + "\r\n" + kOutside + "\n" + kWindowRecord.substr(0, 20) + "\r" + kWindowRecord.substr(20) +
                      "\r\n" + S9(),
                  StageResult::Inserted, {S0(), kOutside, "@BANK", S9()}, 4},
        StageCase{"EndOfFileMarkInTheMiddle", Join({S0(), kWindowRecord}) + "\x1A" + Join({S9()}), StageResult::NoEndRecord,
                  {S0(), "@BANK"}, 2},
        StageCase{"LinesTooShortForTheirAddress", Join({"", "S", "S2", "S1388", "S2243880", S9()}), StageResult::WindowNotFound,
                  {"", "S", "S2", "S1388", "S2243880", S9()}, 6},
        // The result is fixed at the "S9" line; a window record after it is
        // still inserted.
        StageCase{"WindowAfterS9", Join({S9(), kWindowRecord}), StageResult::WindowNotFound, {S9(), "@BANK"}, 2},
        StageCase{"EmptyInput", "", StageResult::NoEndRecord, {}, 0},
        // A master written with 32-bit addresses: its window records give way too.
        StageCase{"S3RecordsInTheWindow",
                  Join({S0(), S3(0x00380000, {1}), S3(0x00388000, Pattern(32, 3)), S3(0x0038BFF0, {2}), S9()}),
                  StageResult::Inserted, {S0(), S3(0x00380000, {1}), "@BANK", S9()}, 5},
        // Longer than the writer's buffer: passed through whole.
        StageCase{"VeryLongLine", Join({"S0" + std::string(300000, 'A'), kWindowRecord, S9()}), StageResult::Inserted,
                  {"S0" + std::string(300000, 'A'), "@BANK", S9()}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComposerTest, AsksToInsertAMissingBankBeforeS9)
{
    Bytes bank = WriteBank(1);
    WriteMaster(Join({S0(), kOutside, S9()}));
    messages.answers = {true};
    EXPECT_EQ(composer.InsertBankSx(1, true, "yes.sx", MasterPath()), StageResult::Inserted);
    messages.answers = {false};
    EXPECT_EQ(composer.InsertBankSx(1, true, "no.sx", MasterPath()), StageResult::WindowNotFound);

    std::vector<std::string> expected = {S0(), kOutside};
    auto records = BankRecords(1, bank);
    expected.insert(expected.end(), records.begin(), records.end());
    expected.push_back(S9());
    EXPECT_EQ(ProjectLines("yes.sx"), expected);
    EXPECT_EQ(ProjectLines("no.sx"), (std::vector<std::string>{S0(), kOutside, S9()}));
    EXPECT_EQ(messages.messages, (std::vector<RecordedMessage>{{RecordedMessage::Alert, kMsgInsertAnyway},
                                                               {RecordedMessage::Alert, kMsgInsertAnyway}}));
}

TEST_F(ComposerTest, ChecksBeforeTheStageLeaveNoFiles)
{
    struct {
        std::function<void(ComposerTest&)> breakIt;
        std::string message;
    } cases[] = {
        {[](ComposerTest& t) { RemoveFile(t.MasterPath()); }, kMsgSxNotFound},
        {[](ComposerTest& t) { t.settings.NewFileName.clear(); }, kMsgNewSxNameMissing},
        {[](ComposerTest& t) { t.settings.DirBin = t.dir / "P/nobin/"; }, kMsgBinDirNotFound},
        {[](ComposerTest& t) { RemoveFile(t.settings.DirBin + "bank1.bin"); }, "File bank1.bin Not Found,Abort Procedure"},
        {[](ComposerTest& t) { t.WriteBank(1, kBankSize - 1); }, "File bank1.bin Not Valid,Abort Procedure"},
    };
    for (auto& c : cases) {
        WriteMaster(Join({kWindowRecord, S9()}));
        WriteBank(1);
        settings.NewFileName = "New_SX40517.sx";
        settings.DirBin = dir / "P/bin/";
        messages.messages.clear();
        c.breakIt(*this);

        EXPECT_EQ(composer.InsertBankSx(1, false, settings.NewFileName, MasterPath()), StageResult::Stopped) << c.message;
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(FilesInProject(), std::vector<std::string>{}) << c.message;
        EXPECT_EQ(progress.current, 0);
    }
}

TEST_F(ComposerTest, AddressThatIsNotHexStopsTheStageAndKeepsTheOldOutput)
{
    WriteBank(1);
    WriteMaster(Join({S9(), "S22438G000" + std::string(66, '0')}));
    WriteText(InProject("B1.sx"), "earlier run\r\n");

    EXPECT_EQ(composer.InsertBankSx(1, false, "B1.sx", MasterPath()), StageResult::Stopped)
        << "an incomplete output never counts as done, even after S9";
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgNewSxNotCreated});
    EXPECT_EQ(ReadText(InProject("B1.sx")), "earlier run\r\n");
    EXPECT_EQ(FilesInProject(), std::vector<std::string>{"B1.sx"});
    EXPECT_EQ(progress.current, progress.maximum);
}

TEST_F(ComposerTest, FailedWriteStopsTheStageAndKeepsTheOldOutput)
{
    WriteBank(1);
    WriteMaster(Join(S2Range(0x300000, 0x310000, 32, 1)) + Join({S9()}));
    WriteText(InProject("B1.sx"), "earlier run\r\n");
    StageResult result;
    {
        if (!testing::kFileSizeLimitWorks)
            GTEST_SKIP() << "no per-process file size limit on this system";
        FileSizeLimit limit(100000); // Bin.sx (40 KB) fits, the output (160 KB) does not
        result = composer.InsertBankSx(1, false, "B1.sx", MasterPath());
    }
    EXPECT_EQ(result, StageResult::Stopped);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgNewSxNotCreated});
    EXPECT_EQ(ReadText(InProject("B1.sx")), "earlier run\r\n");
    EXPECT_EQ(FilesInProject(), std::vector<std::string>{"B1.sx"});
}

TEST_F(ComposerTest, BankRecordFileThatCannotBeCreatedEndsTheAction)
{
    WriteBank(1);
    WriteMaster(Join({kWindowRecord, S9()}));
    CreateDirectory(settings.DirBin + "Bin.sx");
    EXPECT_THROW(composer.InsertBankSx(1, false, "B1.sx", MasterPath()), Error);
    EXPECT_FALSE(FileExists(InProject("B1.sx")));
}

// Skipping bank 1 hands a copy of the master on; without a master the next
// stage says its input is missing, as after any skipped stage.
TEST_F(ComposerTest, SkippedFirstBankWithoutMasterIsReportedByTheNextStage)
{
    WriteBank(2);
    ChainOutcome outcome;
    EXPECT_NO_THROW(outcome = composer.RunStages({false, true, false, false, false}));
    EXPECT_FALSE(outcome.Completed());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kMsgSxNotFound});
    EXPECT_EQ(FilesInProject(), std::vector<std::string>{});
}

// A file the chain cannot write ends it with an error naming the file, and
// no working file stays behind.
TEST_F(ComposerTest, ChainErrorsNameTheFileAndLeaveNoWorkingFiles)
{
    struct {
        const char* blocked; // a folder in the way of this file of the project
        std::array<bool, kBankCount> taken;
    } cases[] = {
        {"B2.sx", {true, true, false, false, false}},          // a taken stage's output
        {"New_SX40517.sx", {true, true, false, false, false}}, // a skipped last stage's output
        {"B3.sx", {true, false, false, false, false}},         // a skipped middle stage's output
    };
    for (const auto& c : cases) {
        WriteMaster(Join({kWindowRecord, S9()}));
        WriteBank(1);
        WriteBank(2);
        CreateDirectory(InProject(c.blocked));
        EXPECT_THAT([&] { composer.RunStages(c.taken); },
                    ::testing::ThrowsMessage<Error>(::testing::HasSubstr(InProject(c.blocked))))
            << c.blocked;
        EXPECT_EQ(FilesInProject(), std::vector<std::string>{}) << c.blocked;
        std::filesystem::remove(InProject(c.blocked));
    }
}

const std::vector<std::uint32_t> kWindows = {0x388000, 0x398000, 0x3A8000, 0x3B8000, 0x3C8000};

// srec_cat reads the new firmware with its checksums checked: each taken
// bank's window holds the bank file, everything else is the master's data.
class ChainOracle : public ComposerTest, public ::testing::WithParamInterface<std::array<bool, kBankCount>> {};

TEST_P(ChainOracle, SrecCatFindsTheBanksInTheirWindowsAndTheMasterElsewhere)
{
    const auto taken = GetParam();
    std::vector<std::string> master = {S0()};
    // 16-byte records, so the new firmware mixes record sizes; data from
    // below the first window to beyond the last.
    auto data = S2Range(0x384000, 0x3D0000, 16, 42);
    master.insert(master.end(), data.begin(), data.end());
    master.push_back(S9());
    WriteMaster(Join(master));
    const std::string masterBefore = ReadText(MasterPath());
    std::array<Bytes, kBankCount> banks;
    for (int n = 1; n <= kBankCount; ++n)
        if (taken[static_cast<std::size_t>(n - 1)])
            banks[static_cast<std::size_t>(n - 1)] = WriteBank(n);

    ChainOutcome outcome = composer.RunStages(taken);

    ASSERT_TRUE(outcome.AllInserted()) << ::testing::PrintToString(messages.Texts());
    EXPECT_EQ(ReadText(MasterPath()), masterBefore) << "the master is never changed";
    EXPECT_EQ(FilesInProject(), std::vector<std::string>{"New_SX40517.sx"});
    const std::string composed = InProject("New_SX40517.sx");
    for (const auto& line : CrLfLines(ReadText(composed)))
        ASSERT_EQ(line.find("<no CR LF>"), std::string::npos);
    if (!kHaveSrecCat)
        GTEST_SKIP() << "no srec_cat to read the new firmware with";
#ifndef _WIN32
    std::vector<std::uint32_t> replaced;
    for (std::size_t i = 0; i < kBankCount; ++i) {
        if (!taken[i])
            continue;
        replaced.push_back(kWindows[i]);
        std::string errors;
        EXPECT_EQ(SrecCatWindow(composed, kWindows[i], kWindows[i] + 0x4000, &errors), banks[i])
            << "bank " << i + 1 << ": " << errors;
    }
    std::string errors;
    EXPECT_EQ(SrecCatOutside(composed, replaced, &errors), SrecCatOutside(MasterPath(), replaced, &errors)) << errors;
#endif
}

INSTANTIATE_TEST_SUITE_P(Composer, ChainOracle,
                         ::testing::Values(std::array<bool, kBankCount>{true, true, false, false, false},
                                           std::array<bool, kBankCount>{true, true, true, true, true},
                                           // bank 1 skipped: stage 2 reads a copy of the master
                                           std::array<bool, kBankCount>{false, true, false, true, false}));

} // namespace
} // namespace c2c
