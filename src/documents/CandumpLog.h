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
// classic frame: CAN FD frames ("##"), CAN XL frames (five digits before the
// "#"), error frames (the error flag 0x20000000 in an eight-digit
// identifier), candump's "DROPCOUNT:" notes and empty lines. Anything else is
// malformed, with the reason.
//
// Lines are read in chunks through a buffer of fixed size, so a trace of any
// length is read in bounded memory; a line longer than kMaxCandumpLine is
// reported as such and skipped.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// Far longer than any line candump writes (a CAN FD frame with 64 bytes and
// separators takes about 230 characters).
inline constexpr std::size_t kMaxCandumpLine = 4096;

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

// The lines of a trace, read in chunks from `source`, which fills a buffer
// and returns how many bytes it put there (0 at the end; it throws Error when
// it cannot read).
class CandumpLineReader {
public:
    using Source = std::function<std::size_t(char* buffer, std::size_t size)>;
    explicit CandumpLineReader(Source source, std::size_t bufferSize = 1 << 20);

    // The next line, without its line break, or false at the end. The view
    // stays valid until the next call. A line longer than kMaxCandumpLine
    // comes as its first kMaxCandumpLine characters with Overlong() true;
    // the rest of it is skipped.
    bool Next(std::string_view& line);
    // The number of the line Next() returned last, counted from 1.
    std::uint64_t LineNumber() const { return lineNumber_; }
    bool Overlong() const { return overlong_; }

private:
    bool Fill();

    Source source_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // the unread bytes: [begin_, end_)
    std::size_t end_ = 0;
    std::uint64_t lineNumber_ = 0;
    bool atEnd_ = false;
    bool overlong_ = false;
    bool skipping_ = false; // inside the rest of an overlong line
};

} // namespace c2c
