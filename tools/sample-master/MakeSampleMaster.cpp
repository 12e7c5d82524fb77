// make-sample-master: writes a synthetic master firmware for trying the tool.
//
// The file is NOT the device's firmware. It is a deterministic Motorola
// S-record file shaped like one: an S0 header, S1 records at the top of the
// 16-bit space, 24-bit S2 code records below and between the five
// configuration windows, one full window of S2 records per bank, and an S9
// end record. Every line ends with CR LF.
//
// usage: make-sample-master OUTPUT_FILE
//        make-sample-master --help | --version

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWindowStarts[] = {0x388000, 0x398000, 0x3A8000, 0x3B8000, 0x3C8000};
constexpr std::uint32_t kWindowSize = 0x4000;
constexpr int kRecordBytes = 32;

// A small linear congruential generator: the same bytes on every machine.
class Bytes {
public:
    std::uint8_t next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(state_ >> 16);
    }

private:
    std::uint32_t state_ = 40517;
};

std::string Hex(std::uint32_t value, int digits)
{
    static const char* const kDigits = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

// One record: type digit, address of `addressBytes` bytes, data, checksum.
std::string Record(char type, int addressBytes, std::uint32_t address, const std::vector<std::uint8_t>& data)
{
    const unsigned count = static_cast<unsigned>(addressBytes) + static_cast<unsigned>(data.size()) + 1;
    unsigned sum = count;
    std::string line = std::string("S") + type + Hex(count, 2) + Hex(address, addressBytes * 2);
    for (int i = 0; i < addressBytes; ++i)
        sum += (address >> (8 * i)) & 0xFF;
    for (std::uint8_t byte : data) {
        line += Hex(byte, 2);
        sum += byte;
    }
    return line + Hex(~sum & 0xFF, 2) + "\r\n";
}

void CodeRecords(std::ofstream& out, Bytes& bytes, std::uint32_t from, std::uint32_t to)
{
    for (std::uint32_t address = from; address < to; address += kRecordBytes) {
        std::vector<std::uint8_t> data(kRecordBytes);
        for (auto& byte : data)
            byte = bytes.next();
        out << Record('2', 3, address, data);
    }
}

void WindowRecords(std::ofstream& out, std::uint32_t start, std::uint8_t fill)
{
    const std::vector<std::uint8_t> data(kRecordBytes, fill);
    for (std::uint32_t offset = 0; offset < kWindowSize; offset += kRecordBytes)
        out << Record('2', 3, start + offset, data);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string argument = argc > 1 ? argv[1] : "";
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
        std::cout << "usage: make-sample-master OUTPUT_FILE\n"
                     "\n"
                     "Writes a synthetic master firmware for trying the Drevanta C2C configuration\n"
                     "tool: a Motorola S-record file shaped like the device's firmware (code\n"
                     "records around the five configuration windows, each window in full), with\n"
                     "CR LF line ends. It is NOT the device's firmware. An existing OUTPUT_FILE\n"
                     "is replaced.\n";
        return 0;
    }
    if (argc == 2 && argument == "--version") {
        std::cout << "make-sample-master " << C2C_VERSION << "\n";
        return 0;
    }
    // No option is ever taken for the output file's name.
    if (argc != 2 || argument.empty() || argument[0] == '-') {
        if (argument.size() > 1 && argument[0] == '-')
            std::cerr << "make-sample-master: unknown option '" << argument << "'\n";
        std::cerr << "usage: make-sample-master OUTPUT_FILE\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "make-sample-master: cannot create " << argv[1] << "\n";
        return 1;
    }

    const std::string header = "SX40517 synthetic sample master - not device firmware";
    out << Record('0', 2, 0, std::vector<std::uint8_t>(header.begin(), header.end()));

    Bytes bytes;
    // Reset and interrupt vectors in the 16-bit space.
    for (std::uint32_t address = 0xFF80; address < 0x10000; address += kRecordBytes) {
        std::vector<std::uint8_t> data(kRecordBytes);
        for (auto& byte : data)
            byte = bytes.next();
        out << Record('1', 2, address, data);
    }

    // Code below the first window, then each window followed by code up to
    // the next page's window.
    CodeRecords(out, bytes, 0x384000, kWindowStarts[0]);
    for (std::size_t bank = 0; bank < std::size(kWindowStarts); ++bank) {
        // Bank 5 is erased to 0x00 by the device's own tools; the others to 0xFF.
        WindowRecords(out, kWindowStarts[bank], bank == 4 ? 0x00 : 0xFF);
        const std::uint32_t after = kWindowStarts[bank] + kWindowSize;
        CodeRecords(out, bytes, after, after + 0x1000);
    }

    out << Record('9', 2, 0, {});
    out.close();
    if (!out) {
        std::cerr << "make-sample-master: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
