#pragma once
// Building S-record text and bank files for the composer's tests, and
// srec_cat as an independent reader of what the composer writes. The
// checksums here are computed on their own, not through CheckSumSx.

#include "support/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace c2c::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::string Hex(unsigned value, int digits)
{
    static const char* const kDigits = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

// A record of type `type` ('0'..'9') with an address of `addressBytes` bytes.
inline std::string Record(char type, std::uint32_t address, int addressBytes, const Bytes& data)
{
    unsigned count = static_cast<unsigned>(addressBytes + data.size() + 1);
    unsigned sum = count;
    std::string line = std::string("S") + type + Hex(count, 2) + Hex(address, 2 * addressBytes);
    for (int i = 0; i < addressBytes; ++i)
        sum += (address >> (8 * i)) & 0xFF;
    for (std::uint8_t byte : data) {
        line += Hex(byte, 2);
        sum += byte;
    }
    return line + Hex(~sum & 0xFF, 2);
}

inline std::string S1(std::uint32_t address, const Bytes& data) { return Record('1', address, 2, data); }
inline std::string S2(std::uint32_t address, const Bytes& data) { return Record('2', address, 3, data); }
inline std::string S3(std::uint32_t address, const Bytes& data) { return Record('3', address, 4, data); }
inline std::string S0() { return Record('0', 0, 2, Bytes{'m', 'a', 's', 't', 'e', 'r'}); }
inline std::string S8() { return Record('8', 0x380000, 3, {}); }
inline std::string S9() { return Record('9', 0, 2, {}); }

// `size` bytes of a pattern that differs by seed and by position.
inline Bytes Pattern(std::size_t size, unsigned seed)
{
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

// S2 records of `recordSize` bytes covering [from, to) with a seeded pattern.
inline std::vector<std::string> S2Range(std::uint32_t from, std::uint32_t to, std::size_t recordSize, unsigned seed)
{
    Bytes data = Pattern(to - from, seed);
    std::vector<std::string> lines;
    for (std::uint32_t address = from; address < to; address += static_cast<std::uint32_t>(recordSize))
        lines.push_back(S2(address, Bytes(data.begin() + (address - from),
                                          data.begin() + (address - from) + static_cast<long>(recordSize))));
    return lines;
}

inline std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n")
{
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// Splits a file written by the composer into lines; every line must end with
// CR LF, so a trailing piece without one is kept with a marker for the test
// to see.
inline std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<no CR LF>" + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

#ifdef _WIN32
// srec_cat and a POSIX shell are programs of the build machine.
inline constexpr bool kHaveSrecCat = false;
#else
inline constexpr bool kHaveSrecCat = true;

// Runs a shell command; returns its exit status, with its stderr in `errors`.
inline int RunShell(const std::string& command, std::string* errors = nullptr)
{
    TempDir scratch;
    const std::string errorFile = scratch / "stderr";
    int status = std::system((command + " 2>" + Quote(errorFile)).c_str());
    if (errors)
        *errors = ReadText(errorFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// srec_cat reads `file` (checksums checked) and writes the data of
// [from, to) as raw bytes starting at `from`.
inline Bytes SrecCatWindow(const std::string& file, std::uint32_t from, std::uint32_t to, std::string* errors)
{
    TempDir scratch;
    const std::string out = scratch / "window.bin";
    std::ostringstream command;
    command << "srec_cat " << Quote(file) << " -crop 0x" << std::hex << from << " 0x" << to << " -offset -0x"
            << from << " -o " << Quote(out) << " -binary";
    if (RunShell(command.str(), errors) != 0)
        return {};
    std::string bytes = ReadText(out);
    return Bytes(bytes.begin(), bytes.end());
}

// srec_cat's canonical text of `file` without the given windows.
inline std::string SrecCatOutside(const std::string& file, const std::vector<std::uint32_t>& windowStarts,
                                  std::string* errors)
{
    TempDir scratch;
    const std::string out = scratch / "rest.srec";
    std::ostringstream command;
    command << "srec_cat " << Quote(file);
    for (std::uint32_t start : windowStarts)
        command << " -exclude 0x" << std::hex << start << " 0x" << start + 0x4000;
    command << " -o " << Quote(out) << " -address-length=3 -obs=16";
    if (RunShell(command.str(), errors) != 0)
        return "<srec_cat failed>";
    return ReadText(out);
}
#endif

} // namespace c2c::testing
