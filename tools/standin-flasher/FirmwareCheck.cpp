#include "FirmwareCheck.h"

#include "image/BankDecoder.h"

#include <fstream>
#include <algorithm>
#include <sstream>

namespace standin {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Address bytes of each record type S0..S9; 0 marks a type that does not exist.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

void Place(FirmwareCheck& check, std::array<std::vector<bool>, 2>& covered, std::uint32_t address,
           const std::vector<std::uint8_t>& data)
{
    const std::uint32_t starts[2] = {kBank1Start, kBank2Start};
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::uint32_t at = address + static_cast<std::uint32_t>(i);
        for (int bank = 0; bank < 2; ++bank) {
            if (at >= starts[bank] && at < starts[bank] + kBankSize) {
                check.banks[bank][at - starts[bank]] = data[i];
                covered[bank][at - starts[bank]] = true;
            }
        }
    }
}

std::string BitRate(const c2c::DecodedPort& port)
{
    if (port.bitRateFromDipSwitch)
        return "bit rate from the dip switch";
    if (auto kbps = port.BitRateKbps())
        return std::to_string(*kbps) + " kbit/s";
    return "no bit rate (code " + std::to_string(port.bitRateCode) + ")";
}

std::string Format(std::uint8_t type)
{
    return type == 0 ? "CAN 2.0A" : type == 1 ? "CAN 2.0B" : "frame format " + std::to_string(type);
}

c2c::BankImage::BankBytes AsBank(const std::vector<std::uint8_t>& bytes)
{
    c2c::BankImage::BankBytes bank;
    bank.fill(0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), bank.size()), bank.begin());
    return bank;
}

} // namespace

FirmwareCheck CheckFirmware(const std::string& path)
{
    FirmwareCheck check;
    for (auto& bank : check.banks)
        bank.assign(kBankSize, 0xFF);
    std::array<std::vector<bool>, 2> covered{std::vector<bool>(kBankSize), std::vector<bool>(kBankSize)};

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        check.problems.push_back("cannot open " + path);
        return check;
    }
    std::string line;
    std::size_t number = 0;
    bool ended = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        auto problem = [&](const std::string& what) {
            if (check.problems.size() < 20)
                check.problems.push_back("line " + std::to_string(number) + ": " + what);
        };
        if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9' || kAddressBytes[line[1] - '0'] == 0) {
            problem("not an S-record");
            continue;
        }
        if (line.size() % 2 != 0) {
            problem("odd number of characters");
            continue;
        }
        std::vector<std::uint8_t> bytes;
        bool hex = true;
        for (std::size_t i = 2; i + 1 < line.size(); i += 2) {
            int high = HexDigit(line[i]);
            int low = HexDigit(line[i + 1]);
            if (high < 0 || low < 0)
                hex = false;
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        if (!hex) {
            problem("characters that are not hexadecimal digits");
            continue;
        }
        const int addressBytes = kAddressBytes[line[1] - '0'];
        if (bytes[0] != bytes.size() - 1 || bytes.size() < static_cast<std::size_t>(addressBytes) + 2) {
            problem("byte count does not match the record's length");
            continue;
        }
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
            sum += bytes[i];
        if (static_cast<std::uint8_t>(~sum) != bytes.back()) {
            problem("wrong checksum");
            continue;
        }
        ++check.records;
        std::uint32_t address = 0;
        for (int i = 0; i < addressBytes; ++i)
            address = (address << 8) | bytes[1 + static_cast<std::size_t>(i)];
        if (line[1] >= '1' && line[1] <= '3') {
            std::vector<std::uint8_t> data(bytes.begin() + 1 + addressBytes, bytes.end() - 1);
            check.dataBytes += data.size();
            Place(check, covered, address, data);
        }
        if (line[1] >= '7')
            ended = true;
    }
    if (!ended)
        check.problems.push_back("no end record (S7, S8 or S9)");
    for (int bank = 0; bank < 2; ++bank) {
        check.bankComplete[bank] = std::find(covered[bank].begin(), covered[bank].end(), false) == covered[bank].end();
        if (!check.bankComplete[bank])
            check.problems.push_back("the window of bank " + std::to_string(bank + 1) + " is not complete");
    }
    return check;
}

std::string DescribeUpdate(const std::string& path, int portIndex, const FirmwareCheck& check)
{
    std::ostringstream text;
    text << "Stand-in for Tessimor.exe: it checks the firmware and sends nothing to any device.\n\n"
         << "Firmware: " << path << "\n"
         << "Port: COM" << portIndex + 1 << " (index " << portIndex << ")\n"
         << "Records: " << check.records << ", data bytes: " << check.dataBytes << "\n\n";
    if (!check.ok()) {
        text << "The file would NOT be sent:\n";
        for (const std::string& problem : check.problems)
            text << "  " << problem << "\n";
        return text.str();
    }
    // The core's decoder reads the banks, as the configuration tool's
    // inspect does.
    const c2c::DecodedImage image = c2c::DecodeBankImage(AsBank(check.banks[0]), AsBank(check.banks[1]));
    text << "All checksums are correct. Would send to COM" << portIndex + 1 << ":\n";
    for (int port : {0, 1})
        text << "  " << c2c::PortCaption(c2c::PortAt(port)) << ": " << BitRate(image.Port(port)) << ", " << Format(image.Port(port).format)
             << "\n";
    text << "  Positive Implementation: " << (image.IsPositive() ? "set" : "clear") << "\n";
    for (int direction : {0, 1}) {
        const std::size_t entries = image.translations[static_cast<std::size_t>(direction)].size();
        text << "  " << (direction == 0 ? "CAN0 to CAN1" : "CAN1 to CAN0") << ": "
             << (image.extended ? std::to_string(entries) + (entries == 1 ? " translation" : " translations")
                                : "direct table, " + std::to_string(entries) +
                                      (entries == 1 ? " identifier listed" : " identifiers listed"))
             << "\n";
    }
    for (const std::string& warning : image.warnings)
        text << "  Warning: " << warning << "\n";
    return text.str();
}

} // namespace standin
