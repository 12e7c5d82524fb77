#include "operations/FrameBits.h"

#include <array>

namespace c2c {

namespace {

constexpr std::uint16_t kCrcPolynomial = 0x4599; // x^15 + x^14 + x^10 + x^8 + x^7 + x^4 + x^3 + 1
constexpr std::uint16_t kCrcMask = 0x7FFF;

// The CRC register after eight more bits, for each value of the top eight
// register bits xor the byte: the usual byte-at-a-time form of the
// bit-serial register.
constexpr std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reg = i << 7;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x4000) ? ((reg << 1) ^ kCrcPolynomial) : (reg << 1);
        table[i] = static_cast<std::uint16_t>(reg & kCrcMask);
    }
    return table;
}
constexpr auto kCrcTable = MakeCrcTable();

std::uint16_t CrcBit(std::uint16_t crc, unsigned bit)
{
    const unsigned next = bit ^ (crc >> 14 & 1);
    crc = static_cast<std::uint16_t>((crc << 1) & kCrcMask);
    return next ? static_cast<std::uint16_t>(crc ^ kCrcPolynomial) : crc;
}

// Stuffing as a state machine over whole bytes: the state is the value of
// the last bit sent (stuff bits included) and how many equal bits end the
// stream (0 before the first bit). One table entry per state and byte gives
// the stuff bits the byte needs and the state after it.
struct StuffState {
    std::uint8_t last = 0; // 0 or 1
    std::uint8_t run = 0;  // 0 to 4 after a byte: a run of five is stuffed at once
};

constexpr unsigned StateIndex(StuffState s)
{
    return s.last * 8u + s.run;
}

constexpr void StuffBit(StuffState& s, unsigned bit, unsigned& stuffed)
{
    if (s.run > 0 && bit == s.last) {
        if (++s.run == 5) {
            // The complementary stuff bit starts the next run.
            ++stuffed;
            s.last = static_cast<std::uint8_t>(bit ^ 1);
            s.run = 1;
        }
    } else {
        s.last = static_cast<std::uint8_t>(bit);
        s.run = 1;
    }
}

struct StuffStep {
    std::uint8_t stuffed = 0;
    std::uint8_t next = 0; // StateIndex of the state after the byte
};

constexpr std::array<std::array<StuffStep, 256>, 16> MakeStuffTable()
{
    std::array<std::array<StuffStep, 256>, 16> table{};
    for (std::uint8_t last = 0; last < 2; ++last)
        for (std::uint8_t run = 0; run < 5; ++run)
            for (unsigned byte = 0; byte < 256; ++byte) {
                StuffState s{last, run};
                unsigned stuffed = 0;
                for (int bit = 7; bit >= 0; --bit)
                    StuffBit(s, byte >> bit & 1, stuffed);
                table[StateIndex({last, run})][byte] = {static_cast<std::uint8_t>(stuffed),
                                                        static_cast<std::uint8_t>(StateIndex(s))};
            }
    return table;
}
constexpr auto kStuffTable = MakeStuffTable();

// The frame's bits from the start of frame, most significant first, into bytes.
class BitStream {
public:
    void Put(std::uint32_t value, unsigned bits)
    {
        accumulator_ = accumulator_ << bits | value;
        pending_ += bits;
        while (pending_ >= 8) {
            pending_ -= 8;
            bytes_[size_++] = static_cast<std::uint8_t>(accumulator_ >> pending_);
        }
    }
    // The whole bytes so far, and the bits of the last one not yet whole
    // (right-aligned, `Pending()` of them).
    const std::uint8_t* Bytes() const { return bytes_.data(); }
    unsigned Size() const { return size_; }
    unsigned Pending() const { return pending_; }
    unsigned PendingBits() const { return static_cast<unsigned>(accumulator_ & ((1u << pending_) - 1)); }

private:
    std::array<std::uint8_t, 16> bytes_{}; // at most 118 bits
    unsigned size_ = 0;
    std::uint64_t accumulator_ = 0;
    unsigned pending_ = 0;
};

} // namespace

unsigned FrameBitsOnWire(std::uint32_t id, bool extended, bool remote, std::uint8_t dlc,
                         const std::uint8_t* data) noexcept
{
    dlc &= 0x0F;
    BitStream bits;
    bits.Put(0, 1); // start of frame, dominant
    const unsigned rtr = remote ? 1 : 0;
    if (extended) {
        bits.Put(id >> 18 & 0x7FF, 11);
        bits.Put(0b11, 2); // SRR and IDE, recessive
        bits.Put(id & 0x3FFFF, 18);
        bits.Put(rtr, 1);
        bits.Put(0, 2); // r1, r0
    } else {
        bits.Put(id & 0x7FF, 11);
        bits.Put(rtr, 1);
        bits.Put(0, 2); // IDE (dominant: a standard frame), r0
    }
    bits.Put(dlc, 4);
    const unsigned bytes = DataBytesOf(remote, dlc);
    for (unsigned i = 0; i < bytes; ++i)
        bits.Put(data[i], 8);

    // The CRC over everything so far, and the stuffing of the whole bytes
    // of it in the same pass (two chains of table look-ups that do not
    // wait for each other).
    std::uint16_t crc = 0;
    unsigned stuffed = 0;
    unsigned state = 0;
    const unsigned whole = bits.Size();
    for (unsigned i = 0; i < whole; ++i) {
        const std::uint8_t byte = bits.Bytes()[i];
        crc = static_cast<std::uint16_t>(((crc << 8) ^ kCrcTable[((crc >> 7) ^ byte) & 0xFF]) & kCrcMask);
        const StuffStep step = kStuffTable[state][byte];
        stuffed += step.stuffed;
        state = step.next;
    }
    for (unsigned i = bits.Pending(); i-- > 0;)
        crc = CrcBit(crc, bits.PendingBits() >> i & 1);
    bits.Put(crc, 15);

    // The stuffing of the rest, through the end of the CRC.
    for (unsigned i = whole; i < bits.Size(); ++i) {
        const StuffStep step = kStuffTable[state][bits.Bytes()[i]];
        stuffed += step.stuffed;
        state = step.next;
    }
    StuffState s{static_cast<std::uint8_t>(state / 8), static_cast<std::uint8_t>(state % 8)};
    for (unsigned i = bits.Pending(); i-- > 0;)
        StuffBit(s, bits.PendingBits() >> i & 1, stuffed);

    const unsigned unstuffed = bits.Size() * 8 + bits.Pending();
    return unstuffed + stuffed + kFrameTailBits;
}

} // namespace c2c
