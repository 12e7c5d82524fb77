#include "firmware/FirmwareWindows.h"

#include "firmware/SRecordComposer.h"
#include "firmware/SRecordFiles.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"

#include <algorithm>
#include <cstdio>

namespace c2c {

namespace {

// The longest well-formed record: "S", its type, a byte count of up to 255
// bytes as hex pairs. Longer lines are not records and are not kept.
constexpr std::size_t kLongestRecord = 4 + 2 * 255;
constexpr std::size_t kReadBlockSize = 64 * 1024;
constexpr std::size_t kDescribedProblems = 10;
constexpr char kEndOfFileMark = '\x1A';

// Address bytes of record types S0..S9; 0 for the type that does not exist.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

class WindowReader {
public:
    explicit WindowReader(FirmwareWindows& windows) : windows_(windows)
    {
        for (auto& bank : windows_.banks)
            bank.fill(0xFF);
        for (auto& bank : covered_)
            bank.assign(kBankSize, false);
    }

    void Line(std::size_t number, const std::string& line, bool tooLong)
    {
        if (line.empty() && !tooLong)
            return;
        if (tooLong)
            return Problem(number, "too long for an S-record");
        if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9' || kAddressBytes[line[1] - '0'] == 0)
            return Problem(number, "not an S-record");
        if (line.size() % 2 != 0)
            return Problem(number, "odd number of characters");
        bytes_.clear();
        for (std::size_t i = 2; i < line.size(); i += 2) {
            const int high = HexDigitValue(line[i]);
            const int low = HexDigitValue(line[i + 1]);
            if (high < 0 || low < 0)
                return Problem(number, "characters that are not hexadecimal digits");
            bytes_.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        const auto addressBytes = static_cast<std::size_t>(kAddressBytes[line[1] - '0']);
        if (bytes_[0] != bytes_.size() - 1 || bytes_.size() < addressBytes + 2)
            return Problem(number, "byte count does not match the record's length");
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes_.size(); ++i)
            sum += bytes_[i];
        if (static_cast<std::uint8_t>(~sum) != bytes_.back())
            return Problem(number, "wrong checksum");
        ++windows_.records;
        if (line[1] < '1' || line[1] > '3')
            return;
        std::uint32_t address = 0;
        for (std::size_t i = 1; i <= addressBytes; ++i)
            address = (address << 8) | bytes_[i];
        const std::size_t dataEnd = bytes_.size() - 1;
        for (std::size_t i = 1 + addressBytes; i < dataEnd; ++i, ++address)
            Place(address, bytes_[i]);
    }

    void Finish()
    {
        for (std::size_t bank = 0; bank < 2; ++bank)
            windows_.uncovered[bank] =
                static_cast<std::size_t>(std::count(covered_[bank].begin(), covered_[bank].end(), false));
    }

private:
    void Place(std::uint32_t address, std::uint8_t value)
    {
        for (std::size_t bank = 0; bank < 2; ++bank) {
            const std::uint32_t start = kWindowStarts[bank];
            if (address >= start && address - start < kBankSize) {
                windows_.banks[bank][address - start] = value;
                covered_[bank][address - start] = true;
            }
        }
    }

    void Problem(std::size_t number, const char* what)
    {
        if (windows_.badLines++ < kDescribedProblems)
            windows_.problems.push_back("line " + std::to_string(number) + ": " + what);
    }

    FirmwareWindows& windows_;
    std::array<std::vector<bool>, 2> covered_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace

FirmwareWindows ReadFirmwareWindows(const std::string& path)
{
    if (!PathExists(path))
        throw Error("File \"" + path + "\" not found");
    // A FIFO or a device is refused here, never waited on.
    FileHandle file = OpenForReading(path);
    FirmwareWindows windows;
    WindowReader reader(windows);

    std::vector<char> buffer(kReadBlockSize);
    std::string line;
    bool tooLong = false;
    std::size_t number = 1;
    bool ended = false;
    while (!ended) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got == 0) {
            if (std::ferror(file.get()))
                throw Error("Cannot read file \"" + path + "\"");
            break;
        }
        for (std::size_t i = 0; i < got && !ended; ++i) {
            const char c = buffer[i];
            if (c == kEndOfFileMark) {
                ended = true;
            } else if (c == '\n') {
                reader.Line(number++, line, tooLong);
                line.clear();
                tooLong = false;
            } else if (c != '\r') {
                if (line.size() < kLongestRecord)
                    line += c;
                else
                    tooLong = true;
            }
        }
    }
    reader.Line(number, line, tooLong);
    reader.Finish();
    if (windows.records == 0)
        throw Error("File \"" + path + "\" holds no S-record");
    return windows;
}

} // namespace c2c
