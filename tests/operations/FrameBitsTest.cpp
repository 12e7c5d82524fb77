// Frame lengths on the wire: a table of frames whose bits were counted
// outside this program (the first row by hand: 34 dominant bits from the
// start of frame to the end of the CRC, a stuff bit after every five, 6 of
// them, and the 13-bit tail), and random frames against a plain bit-by-bit
// encoder written here from the frame layout.

#include "operations/FrameBits.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace c2c {
namespace {

struct LengthCase {
    const char* name;
    std::uint32_t id;
    bool extended, remote;
    std::uint8_t dlc;
    std::vector<std::uint8_t> data;
    unsigned bits;
};

TEST(FrameBits, HandCountedFrames)
{
    const std::vector<std::uint8_t> zeros(8, 0x00), ones(8, 0xFF), fives(8, 0x55);
    const LengthCase cases[] = {
        {"standard, 0x000, no data", 0x000, false, false, 0, {}, 53},
        {"standard, 0x000, 8 bytes 00", 0x000, false, false, 8, zeros, 127},
        {"standard, 0x7FF, 8 bytes FF", 0x7FF, false, false, 8, ones, 126},
        {"standard, 0x7FF, no data", 0x7FF, false, false, 0, {}, 50},
        {"standard, 0x555, 8 bytes 55 (no run of five)", 0x555, false, false, 8, fives, 112},
        {"standard, 0x080 (SYNC)", 0x080, false, false, 0, {}, 51},
        {"standard, 0x181, 01..08", 0x181, false, false, 8, {1, 2, 3, 4, 5, 6, 7, 8}, 120},
        {"standard, 0x1C1, AA BB", 0x1C1, false, false, 2, {0xAA, 0xBB}, 65},
        {"standard remote, 0x7FF, DLC 0", 0x7FF, false, true, 0, {}, 50},
        {"standard remote, 0x000, DLC 8: no data", 0x000, false, true, 8, {}, 52},
        {"standard remote, 0x123, raw DLC F", 0x123, false, true, 15, {}, 47},
        {"standard, raw DLC F carries 8 bytes 00", 0x000, false, false, 15, zeros, 129},
        {"standard, raw DLC 9 carries 8 bytes FF", 0x7FF, false, false, 9, ones, 127},
        {"extended, 0x00000000, no data", 0x00000000, true, false, 0, {}, 74},
        {"extended, 0x00000000, 8 bytes 00", 0x00000000, true, false, 8, zeros, 150},
        {"extended, 0x1FFFFFFF, 8 bytes FF", 0x1FFFFFFF, true, false, 8, ones, 149},
        {"extended remote, 0x1FFFFFFF, DLC 0", 0x1FFFFFFF, true, true, 0, {}, 74},
        {"extended remote, 0x18FF0701, DLC 8", 0x18FF0701, true, true, 8, {}, 71},
        {"extended, 0x18FF0701, 01 02", 0x18FF0701, true, false, 2, {1, 2}, 90},
    };
    for (const LengthCase& c : cases)
        EXPECT_EQ(FrameBitsOnWire(c.id, c.extended, c.remote, c.dlc, c.data.data()), c.bits) << c.name;
}

// The frame bit by bit as ISO 11898-1 lays it out, the CRC shifted one bit
// at a time, the stuff bits inserted into the sequence itself.
unsigned PlainEncoderBits(std::uint32_t id, bool extended, bool remote, std::uint8_t dlc, const std::uint8_t* data)
{
    std::vector<int> bits;
    auto put = [&](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits.push_back(static_cast<int>(value >> i & 1));
    };
    put(0, 1);
    if (extended) {
        put(id >> 18, 11);
        put(1, 1); // SRR
        put(1, 1); // IDE
        put(id & 0x3FFFF, 18);
        put(remote, 1);
        put(0, 2);
    } else {
        put(id, 11);
        put(remote, 1);
        put(0, 1); // IDE
        put(0, 1); // r0
    }
    put(dlc, 4);
    const int bytes = remote ? 0 : dlc > 8 ? 8 : dlc;
    for (int i = 0; i < bytes; ++i)
        put(data[i], 8);
    unsigned crc = 0;
    for (int bit : bits) {
        const unsigned next = static_cast<unsigned>(bit) ^ (crc >> 14 & 1);
        crc = (crc << 1) & 0x7FFF;
        if (next)
            crc ^= 0x4599;
    }
    put(crc, 15);
    std::vector<int> sent;
    int run = 0;
    for (int bit : bits) {
        run = !sent.empty() && sent.back() == bit ? run + 1 : 1;
        sent.push_back(bit);
        if (run == 5) {
            sent.push_back(1 - bit);
            run = 1;
        }
    }
    return static_cast<unsigned>(sent.size()) + 1 + 1 + 1 + 7 + 3;
}

TEST(FrameBits, RandomFramesAgreeWithAPlainEncoder)
{
    std::mt19937 random(26);
    for (int i = 0; i < 20000; ++i) {
        const bool extended = random() % 2;
        const bool remote = random() % 5 == 0;
        // Few distinct bits make long runs: the stuffing's hard cases.
        const std::uint32_t pattern = random() % 3 == 0 ? 0 : random() % 2 ? 0xFFFFFFFF : random();
        const std::uint32_t id = (pattern ^ (random() % 4 == 0 ? 1u << (random() % 29) : 0)) &
                                 (extended ? 0x1FFFFFFFu : 0x7FFu);
        const auto dlc = static_cast<std::uint8_t>(random() % 16);
        std::uint8_t data[8];
        for (auto& byte : data)
            byte = static_cast<std::uint8_t>(random() % 2 ? pattern >> (random() % 24) : random());
        EXPECT_EQ(FrameBitsOnWire(id, extended, remote, dlc, data), PlainEncoderBits(id, extended, remote, dlc, data))
            << std::hex << id << " ext " << extended << " rtr " << remote << " dlc " << int{dlc};
    }
}

} // namespace
} // namespace c2c
