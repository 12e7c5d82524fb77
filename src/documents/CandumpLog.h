#pragma once
// CAN traces as can-utils' `candump -l` writes them, one frame a line:
//
//     (1436509052.249713) can0 181#11223344
//     (1436509052.250100) can1 18FF0701#0102 R
//     (1436509052.251000) can0 701#R1
//
// The timestamp in parentheses, blanks, the interface name, blanks, the
// frame: three hexadecimal digits of a standard identifier or eight of an
// extended one, "#", then up to eight data bytes as pairs of hexadecimal
// digits (a "." may stand between them), or "R" and an optional length
// (0-8) for a remote frame. Eight bytes (or R8) may be followed by "_" and
// the raw data length code 9-F. A last blank and "R" or "T" (received,
// transmitted: candump -x, python-can) may follow the frame.
//
// The rest are lines of other kinds that a trace may hold and that name no
// classic frame: CAN FD frames ("##", a flags digit, up to 64 data bytes),
// CAN XL frames ("45123#81:00:12345678#" and 1 to 2048 data bytes), error
// frames (an eight-digit identifier from 20000000 to 3FFFFFFF, the error
// flag and the error classes, with a classic frame's data), candump's
// "DROPCOUNT:" notes and empty lines. Anything else is malformed, with the
// reason.
//
// Lines are read through the LineReader with kCandumpLineRules, so a trace
// of any length is read in bounded memory; a line longer than
// kMaxCandumpLine is reported as such and skipped.

#include "platform/LineReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace c2c {

// Far longer than any line candump writes (a CAN XL frame with 2048 data
// bytes takes about 4150 characters).
inline constexpr std::size_t kMaxCandumpLine = 8192;
// What a longer line is called: "longer than 8192 characters".
const char* CandumpLineTooLongText();

enum class CandumpLineKind : std::uint8_t {
    Frame,      // a classic CAN frame
    Empty,      // nothing but blanks
    CanFd,      // a CAN FD frame
    CanXl,      // a CAN XL frame
    ErrorFrame, // an error frame
    DropNote,   // candump's note of frames it dropped
    Malformed,
};

struct CandumpFrame {
    std::uint32_t id = 0;
    bool extended = false; // eight digits: a 29-bit identifier
    bool remote = false;
    std::uint8_t length = 0; // data bytes; for a remote frame the length it asks for
    std::uint8_t rawDlc = 0; // 9 to 15 when "_" gives it (eight bytes); 0 otherwise
    std::array<std::uint8_t, 8> data{};
};

// One line taken apart; the views point into the line.
struct CandumpLine {
    CandumpLineKind kind = CandumpLineKind::Malformed;
    std::string_view timestamp; // "(1436509052.249713)", parentheses included
    std::string_view interface; // "can0"
    CandumpFrame frame;         // Frame only
    std::string_view direction; // "R", "T" (either case) or empty
    const char* problem = "";   // Malformed: why, in words
};

// Takes a line apart (without its line break; a CR at its end is ignored).
CandumpLine ParseCandumpLine(std::string_view line) noexcept;

// Appends the line of `frame` as candump -l writes it, with the given
// timestamp text, interface and direction (empty for none), and a line break.
void AppendCandumpLine(std::string& out, std::string_view timestamp, std::string_view interface,
                       const CandumpFrame& frame, std::string_view direction);

// Whether the first bytes of a file are a candump trace: its first line
// that is not empty is one of a trace (a frame, an error, CAN FD or CAN XL
// frame, a drop note).
bool IsCandumpTraceText(std::string_view head) noexcept;

// How a trace's lines are read (see LineReader): LF, CR LF and CR each end
// a line (a trace saved with CR line ends reads line by line), and a line
// longer than kMaxCandumpLine comes cut, with Overlong() set.
inline constexpr LineRules kCandumpLineRules{kMaxCandumpLine, true, false};

} // namespace c2c
