#include "firmware/FirmwareWindows.h"

#include "firmware/SRecordComposer.h"
#include "firmware/SRecordLine.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <algorithm>
#include <cstdio>

namespace c2c {

namespace {

constexpr std::size_t kReadBlockSize = 64 * 1024;
constexpr std::size_t kDescribedProblems = 10;

class WindowReader {
public:
    explicit WindowReader(FirmwareWindows& windows) : windows_(windows)
    {
        for (auto& bank : windows_.banks)
            bank.fill(0xFF);
        for (auto& bank : covered_)
            bank.assign(kBankSize, false);
    }

    void Line(std::uint64_t number, std::string_view line, bool tooLong)
    {
        if (tooLong)
            return Problem(number, "too long for an S-record");
        if (line.empty())
            return;
        if (const char* problem = DecodeSRecord(line, record_))
            return Problem(number, problem);
        ++windows_.records;
        if (record_.type < '1' || record_.type > '3')
            return;
        std::uint32_t address = record_.address;
        for (std::uint8_t byte : record_.data)
            Place(address++, byte);
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

    void Problem(std::uint64_t number, const char* what)
    {
        if (windows_.badLines++ < kDescribedProblems)
            windows_.problems.push_back("line " + std::to_string(number) + ": " + what);
    }

    FirmwareWindows& windows_;
    std::array<std::vector<bool>, 2> covered_;
    SRecord record_;
};

} // namespace

FirmwareWindows ReadFirmwareWindows(const std::string& path)
{
    if (!PathExists(path))
        throw Error("File \"" + path + "\" not found");
    // A FIFO or a device is refused here, never waited on.
    FileHandle file = OpenRegularFile(path);
    FirmwareWindows windows;
    WindowReader reader(windows);
    // Line ends and the end-of-file mark as the composer reads them.
    LineReader lines(FileSource(file.get(), kReadBlockSize, path),
                     LineRules{kLongestRecord, false, true, kReadBlockSize});
    std::string_view line;
    while (lines.Next(line))
        reader.Line(lines.LineNumber(), line, lines.Overlong());
    reader.Finish();
    if (windows.records == 0)
        throw Error("File \"" + path + "\" holds no S-record");
    return windows;
}

} // namespace c2c
