#include "FirmwareCheck.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

using c2c::testing::ReadText;
using c2c::testing::TempDir;
using c2c::testing::WriteText;

std::string Hex2(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::string S2(std::uint32_t address, const std::vector<std::uint8_t>& data)
{
    unsigned count = 3 + static_cast<unsigned>(data.size()) + 1;
    unsigned sum = count + (address >> 16) + ((address >> 8) & 0xFF) + (address & 0xFF);
    std::string line = "S2" + Hex2(count) + Hex2(address >> 16) + Hex2(address >> 8) + Hex2(address);
    for (auto byte : data) {
        line += Hex2(byte);
        sum += byte;
    }
    return line + Hex2(~sum) + "\r\n";
}

// A firmware with both windows complete; `bank1` holds bank 1's bytes.
std::string Firmware(const std::vector<std::uint8_t>& bank1, bool withEnd = true)
{
    std::string text = "S00600004844521B\r\n";
    for (std::uint32_t offset = 0; offset < standin::kBankSize; offset += 32) {
        text += S2(standin::kBank1Start + offset,
                   std::vector<std::uint8_t>(bank1.begin() + offset, bank1.begin() + offset + 32));
    }
    for (std::uint32_t offset = 0; offset < standin::kBankSize; offset += 32)
        text += S2(standin::kBank2Start + offset, std::vector<std::uint8_t>(32, 0xFF));
    if (withEnd)
        text += "S9030000FC\r\n";
    return text;
}

TEST(StandinFlasher, AcceptsTheSampleMaster)
{
    TempDir dir;
    const std::string binDir = std::getenv("C2C_BIN_DIR") ? std::getenv("C2C_BIN_DIR") : "";
    ASSERT_FALSE(binDir.empty());
    ASSERT_EQ(std::system(("'" + binDir + "/make-sample-master' '" + dir / "SX40517.sx'").c_str()), 0);
    standin::FirmwareCheck check = standin::CheckFirmware(dir / "SX40517.sx");
    EXPECT_TRUE(check.ok()) << (check.problems.empty() ? "" : check.problems.front());
    EXPECT_TRUE(check.bankComplete[0]);
    EXPECT_TRUE(check.bankComplete[1]);
    EXPECT_GT(check.records, 5u * 512u);
}

TEST(StandinFlasher, DecodesTheSettingsBlockOfAStandardImage)
{
    TempDir dir;
    std::vector<std::uint8_t> bank1(standin::kBankSize, 0xFF);
    bank1[4] = 0x01, bank1[5] = 0x00, bank1[6] = 0x02, bank1[7] = 0x00; // identifier 1 -> 2
    const std::uint8_t settings[] = {0x06, 0x09, 0x00, 0x01, 0x02, 0x00};
    std::copy(std::begin(settings), std::end(settings), bank1.begin() + 16100);
    WriteText(dir / "New.sx", Firmware(bank1));

    standin::FirmwareCheck check = standin::CheckFirmware(dir / "New.sx");
    ASSERT_TRUE(check.ok());
    std::string text = standin::DescribeUpdate(dir / "New.sx", 7, check);
    EXPECT_NE(text.find("Port: COM8"), std::string::npos) << text;
    EXPECT_NE(text.find("CAN 0: 250 kbit/s, CAN 2.0A"), std::string::npos) << text;
    EXPECT_NE(text.find("CAN 1: bit rate from the dip switch, CAN 2.0A"), std::string::npos) << text;
    EXPECT_NE(text.find("Positive Implementation: set"), std::string::npos) << text;
    EXPECT_NE(text.find("CAN0 to CAN1: direct table, 1 identifier listed\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CAN1 to CAN0: direct table, 0 identifiers listed\n"), std::string::npos) << text;
}

TEST(StandinFlasher, RefusesBrokenFiles)
{
    TempDir dir;
    std::vector<std::uint8_t> bank1(standin::kBankSize, 0xFF);
    std::string good = Firmware(bank1);

    struct Case {
        const char* name;
        std::string text;
        const char* problem;
    };
    std::string badChecksum = good;
    badChecksum.replace(good.find("\r\n") - 2, 2, "00");
    std::string missingRecord = good;
    std::size_t second = good.find("S2", good.find("S2") + 1);
    missingRecord.erase(second, good.find("\r\n", second) + 2 - second);
    const Case cases[] = {
        {"checksum", badChecksum, "wrong checksum"},
        {"window", missingRecord, "the window of bank 1 is not complete"},
        {"end", Firmware(bank1, false), "no end record"},
        {"text", "hello\r\n" + good, "not an S-record"},
    };
    for (const Case& c : cases) {
        WriteText(dir / "f.sx", c.text);
        standin::FirmwareCheck check = standin::CheckFirmware(dir / "f.sx");
        ASSERT_FALSE(check.ok()) << c.name;
        std::ostringstream all;
        for (const auto& problem : check.problems)
            all << problem << "\n";
        EXPECT_NE(all.str().find(c.problem), std::string::npos) << c.name << ": " << all.str();
        EXPECT_NE(standin::DescribeUpdate(dir / "f.sx", 0, check).find("would NOT be sent"), std::string::npos);
    }
    EXPECT_FALSE(standin::CheckFirmware(dir / "missing.sx").ok());
}

} // namespace
