// The bank windows of a firmware read back: what every kind of data record
// puts there, the lines that are no records, and the agreement with the
// composer on a master written with S3 records.

#include "firmware/FirmwareWindows.h"

#include "firmware/SRecordComposer.h"
#include "firmware/SRecordTestSupport.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;

TEST(FirmwareWindows, RecordsOfEveryKindAndLinesThatAreNone)
{
    TempDir dir;
    const std::string record514 = S2(0x398000, Bytes(251, 0x5A)); // the longest record there is
    ASSERT_EQ(record514.size(), 514u);
    WriteText(dir / "fw.sx", Join({S0(), S1(0x1234, {9}), S2(0x388000, {1, 2}), S3(0x00388001, {3}), // S3 wins
                                   "S2050000", "junk", record514, record514 + "00", S9()}) +
                                 "\x1A" + Join({S2(0x388010, {7})}));
    const FirmwareWindows windows = ReadFirmwareWindows(dir / "fw.sx");
    EXPECT_EQ(windows.banks[0][0], 1);
    EXPECT_EQ(windows.banks[0][1], 3);
    EXPECT_EQ(windows.banks[0][2], 0xFF);
    EXPECT_EQ(windows.banks[0][0x10], 0xFF) << "nothing after the end-of-file mark";
    EXPECT_EQ(windows.banks[1][250], 0x5A);
    EXPECT_EQ(windows.uncovered[0], kBankSize - 2);
    EXPECT_EQ(windows.uncovered[1], kBankSize - 251);
    EXPECT_EQ(windows.records, 6u);
    EXPECT_THAT(windows.problems, ::testing::ElementsAre("line 5: byte count does not match the record's length",
                                                         "line 6: not an S-record", "line 8: too long for an S-record"));
}

// The composer replaces a window of S3 records, and the new firmware reads
// back with the bank in that window, whole.
TEST(FirmwareWindows, AWindowOfS3RecordsIsTheBankOnceComposed)
{
    TempDir dir;
    CreateDirectories(dir / "MASTER");
    CreateDirectories(dir / "P/bin");
    std::vector<std::string> master = {S0()};
    for (std::uint32_t address = 0x384000; address < 0x39C000; address += 32)
        master.push_back(S3(address, Pattern(32, address)));
    master.push_back(S9());
    WriteText(dir / "MASTER/SX40517.sx", Join(master));
    const Bytes bank = Pattern(kBankSize, 1);
    WriteBytes(dir / "P/bin/bank1.bin", bank);

    ComposerSettings settings;
    settings.FileSx = "SX40517.sx";
    settings.MasterFolder = dir / "MASTER";
    settings.DirBin = dir / "P/bin/";
    settings.Project.SetProjectDir(dir / "P");
    settings.NewFileName = "New_SX40517.sx";
    RecordingMessages messages;
    RecordingProgress progress;
    SRecordComposer composer(settings, messages, progress);
    ASSERT_TRUE(composer.RunStages({true, false, false, false, false}).AllInserted());

    const FirmwareWindows before = ReadFirmwareWindows(dir / "MASTER/SX40517.sx");
    const FirmwareWindows after = ReadFirmwareWindows(dir / "P/New_SX40517.sx");
    EXPECT_TRUE(after.WindowComplete(1));
    EXPECT_TRUE(std::equal(bank.begin(), bank.end(), after.banks[0].begin()));
    EXPECT_EQ(after.banks[1], before.banks[1]) << "bank 2's window is the master's";
    EXPECT_TRUE(after.problems.empty());
}

} // namespace
} // namespace c2c
