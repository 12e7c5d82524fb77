#pragma once
// Digests that identify bytes in a printed record: SHA-256 (FIPS 180-4) of
// a whole file, and CRC-32 (the one of zip, gzip and Ethernet: reflected
// polynomial 0xEDB88320, initial value and final XOR 0xFFFFFFFF) of a bank.
// Anyone can recompute them with sha256sum or any zip tool.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace c2c {

class Sha256 {
public:
    Sha256();
    void Update(const std::uint8_t* data, std::size_t size);
    void Update(std::string_view text);
    // The digest; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0; // bytes so far
};

// The SHA-256 of the file at `path`, as sha256sum prints it (64 lower-case
// hexadecimal digits). The file is read in blocks; a FIFO or a device is
// refused. Throws Error("Cannot open file ..."/"Cannot read file ...").
std::string Sha256OfFile(const std::string& path);

// Lower-case hexadecimal digits of `size` bytes.
std::string HexText(const std::uint8_t* data, std::size_t size);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);
// "0x1A2B3C4D".
std::string Crc32Text(std::uint32_t crc);

} // namespace c2c
