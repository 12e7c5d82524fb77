#pragma once
// Reading a configuration image back into the values it carries: each
// port's bit rate and frame format, the Positive Implementation flag, the
// layout and the two translation lists.
//
// The decoding takes banks 1 and 2 as they are, whoever made them. Where the
// bytes disagree with what a build writes (a filter bitmap that contradicts
// its table, a list out of order, bytes that should be 0xFF), it says so in
// warnings and goes on with what is there.

#include "documents/IntegerText.h" // IdentifierText
#include "image/BankImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace c2c {

// One port as the settings block describes it.
struct DecodedPort {
    std::uint8_t bitRateCode = 0; // the bit-rate list's index + 1: 1 (10 kbit/s) to 9 (1000 kbit/s)
    bool bitRateFromDipSwitch = false;
    std::uint8_t format = 0; // 0 = CAN 2.0A; any other byte is CAN 2.0B

    // The stored rate in kbit/s, also when the dip switch decides; nothing
    // for a code outside 1-9.
    std::optional<int> BitRateKbps() const;
    bool IsFormatB() const { return format != 0; }
    bool operator==(const DecodedPort&) const = default;
};

// Frames with identifier `original` are passed on with identifier `modified`.
struct Translation {
    std::uint32_t original = 0;
    std::uint32_t modified = 0;
    bool operator==(const Translation&) const = default;
};

struct DecodedImage {
    bool extended = false;
    DecodedPort can0;
    DecodedPort can1;
    std::uint8_t positive = 0; // the Positive Implementation byte: set when not 0
    // Index kCan0ToCan1 (bank 1) and kCan1ToCan0 (bank 2). Standard layout:
    // one translation per identifier that has an entry, ascending. Extended
    // layout: the stored entries in stored order, as many as the stored
    // size says (at most 2000).
    std::array<std::vector<Translation>, 2> translations;
    // Standard layout only: the filter bitmap of each direction as stored
    // (bank offset 9000), bit id % 8 of byte id / 8.
    std::array<std::array<std::uint8_t, kFilterSize>, 2> filters{};
    // Where the image is not what a build writes, in words.
    std::vector<std::string> warnings;
    // Banks 1 and 2 hold only 0xFF (an erased firmware, or windows without
    // records): no configuration at all. InspectConfiguration sets it and
    // then decodes nothing; the values above stay those of no image.
    bool erased = false;

    const DecodedPort& Port(int port) const { return port == 1 ? can1 : can0; }
    bool IsPositive() const { return positive != 0; }
};

// A port's bit rate in words: "250 kbit/s", "bit-rate code 12", "the dip
// switch's rate (250 kbit/s stored)".
std::string BitRateText(const DecodedPort& port);
// A frame-format byte in words: "CAN 2.0A", "CAN 2.0B", "format byte 7"
// (which the device takes as CAN 2.0B).
std::string FrameFormatByteText(std::uint8_t format);
// "the standard layout", "the extended layout".
std::string LayoutText(bool extended);

// Decodes banks 1 and 2 of an image.
DecodedImage DecodeBankImage(const BankImage::BankBytes& bank1, const BankImage::BankBytes& bank2);

// What a byte of bank 1 or 2 (`bank` 1 or 2) holds in the given layout, in
// words: "the CAN 0 bit-rate code", "the filter bitmap of CAN0 to CAN1 at
// identifiers 0x008-0x00F", "a byte that should be 0xFF", ...
std::string DescribeBankByte(int bank, std::size_t offset, bool extended);

} // namespace c2c
