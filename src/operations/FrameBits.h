#pragma once
// How long a classic CAN frame takes on the wire, in bits, exactly.
//
// The frame as a controller sends it: start of frame, the arbitration field
// (standard: 11-bit identifier, RTR; extended: 11-bit base identifier, SRR,
// IDE, 18-bit extension, RTR), the control field (standard: IDE, r0, DLC;
// extended: r1, r0, DLC), the data bytes, the 15-bit CRC (polynomial 0x4599,
// register starting at 0, over everything from the start of frame to the
// last data bit), then a tail of fixed form: CRC delimiter, ACK slot, ACK
// delimiter, seven bits of end of frame and the three bits of intermission.
// From the start of frame to the last CRC bit, a complementary stuff bit
// follows every five bits of equal value (stuff bits count in the next run).
//
// Without stuff bits a standard frame is 47 + 8n bits and an extended one
// 67 + 8n, n the data bytes. A remote frame carries its DLC and no data; a
// data frame whose DLC is 9 to 15 carries 8 bytes.

#include <cstdint>

namespace c2c {

// The tail after the CRC: delimiter, ACK slot and delimiter, end of frame,
// intermission.
inline constexpr unsigned kFrameTailBits = 1 + 1 + 1 + 7 + 3;

// The data bytes a frame carries: none for a remote frame, else its DLC up to 8.
constexpr unsigned DataBytesOf(bool remote, std::uint8_t dlc)
{
    return remote ? 0 : dlc > 8 ? 8 : dlc;
}

// The bits from the start of frame through the intermission, stuff bits
// included. `dlc` is the data length code as sent (0 to 15); `data` holds
// DataBytesOf(remote, dlc) bytes.
unsigned FrameBitsOnWire(std::uint32_t id, bool extended, bool remote, std::uint8_t dlc,
                         const std::uint8_t* data) noexcept;

} // namespace c2c
