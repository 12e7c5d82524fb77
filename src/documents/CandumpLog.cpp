#include "documents/CandumpLog.h"

#include "documents/CanFrame.h"
#include "platform/HexDigits.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace c2c {

namespace {

constexpr std::uint32_t kErrorFlag = 0x20000000; // can-utils' CAN_ERR_FLAG in an eight-digit identifier

// Hexadecimal digit values by character, -1 for any other: the data bytes
// of millions of lines go through this.
constexpr std::array<std::int8_t, 256> kHexValues = [] {
    std::array<std::int8_t, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(HexDigitValue(static_cast<char>(c)));
    return values;
}();

int Hex(char c)
{
    return kHexValues[static_cast<unsigned char>(c)];
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of `count` hexadecimal digits at `text`, or -1.
std::int64_t HexValue(const char* text, std::size_t count)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = Hex(text[i]);
        if (digit < 0)
            return -1;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

void Malformed(CandumpLine& line, const char* problem)
{
    line.kind = CandumpLineKind::Malformed;
    line.problem = problem;
}

// "R", "R5", "R8_F": what follows the "#" of a remote frame, after the R.
bool ParseRemote(std::string_view rest, CandumpFrame& frame)
{
    frame.remote = true;
    if (rest.empty())
        return true;
    if (rest[0] < '0' || rest[0] > '8')
        return false;
    frame.length = static_cast<std::uint8_t>(rest[0] - '0');
    if (rest.size() == 1)
        return true;
    const int dlc = rest.size() == 3 && rest[1] == '_' ? HexDigitValue(rest[2]) : -1;
    if (frame.length != 8 || dlc < 9)
        return false;
    frame.rawDlc = static_cast<std::uint8_t>(dlc);
    return true;
}

// The data bytes after the "#", "." allowed before each byte, and the raw
// data length code after "_". Digits first: they are nearly every character.
const char* ParseData(std::string_view rest, CandumpFrame& frame)
{
    const char* at = rest.data();
    const char* const end = at + rest.size();
    bool separated = false;
    while (at < end) {
        const int high = Hex(at[0]);
        if (high < 0) {
            if (at[0] == '.' && !separated) {
                separated = true;
                ++at;
                continue;
            }
            if (at[0] == '_') {
                const int dlc = end - at == 2 ? Hex(at[1]) : -1;
                if (frame.length != 8 || dlc < 9)
                    return "a \"_\" and the data length code 9 to F may follow eight data bytes only";
                frame.rawDlc = static_cast<std::uint8_t>(dlc);
                return nullptr;
            }
            return "the data are not pairs of hexadecimal digits";
        }
        if (frame.length == 8)
            return "more than 8 data bytes in a classic CAN frame";
        const int low = at + 1 < end ? Hex(at[1]) : -1;
        if (low < 0)
            return "the data are not pairs of hexadecimal digits";
        frame.data[frame.length++] = static_cast<std::uint8_t>(high << 4 | low);
        at += 2;
        separated = false;
    }
    return nullptr;
}

// How many bytes the hexadecimal pairs of `text` give ("." allowed before
// each), or -1 when it is not such pairs.
int DataBytes(std::string_view text)
{
    int bytes = 0;
    bool separated = false;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '.' && !separated) {
            separated = true;
            ++at;
            continue;
        }
        if (at + 1 >= text.size() || Hex(text[at]) < 0 || Hex(text[at + 1]) < 0)
            return -1;
        at += 2;
        ++bytes;
        separated = false;
    }
    return bytes;
}

// "45123#81:00:12345678#AABB": a CAN XL frame as can-utils writes it, the
// priority (and VCID) before the first "#", then flags, SDT and acceptance
// field, then 1 to 2048 data bytes.
bool IsCanXlFrame(std::string_view text)
{
    constexpr std::string_view kShape = "#FF:FF:FFFFFFFF#";
    if (text.size() < 5 + kShape.size() || HexValue(text.data(), 5) < 0)
        return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const char c = text[5 + i];
        if (kShape[i] == 'F' ? Hex(c) < 0 : c != kShape[i])
            return false;
    }
    const int bytes = DataBytes(text.substr(5 + kShape.size()));
    return bytes >= 1 && bytes <= 2048;
}

// The frame field: "181#11223344", "18FF0701#R", "123##1AABB".
void ParseFrame(std::string_view text, CandumpLine& line)
{
    // As can-utils reads it: the "#" after three, eight (or five) digits.
    const std::size_t hash = text.size() > 3 && text[3] == '#'   ? 3
                             : text.size() > 8 && text[8] == '#' ? 8
                             : text.size() > 5 && text[5] == '#' ? 5
                                                                 : std::string_view::npos;
    CandumpFrame& frame = line.frame;
    if (hash == 3 || hash == 8) {
        const std::int64_t id = HexValue(text.data(), hash);
        if (id < 0)
            return Malformed(line, "the identifier is not hexadecimal");
        frame.id = static_cast<std::uint32_t>(id);
        frame.extended = hash == 8;
        // The error flag and the error classes below it; candump writes the
        // error's eight bytes as a classic frame's data.
        if (frame.extended && (frame.id & kErrorFlag) && frame.id <= (kErrorFlag | kMaxExtendedId)) {
            CandumpFrame error;
            if (const char* problem = ParseData(text.substr(hash + 1), error))
                return Malformed(line, problem);
            line.kind = CandumpLineKind::ErrorFrame;
            return;
        }
        if (!FitsFrameFormat(frame.id, frame.extended ? FrameFormat::Extended : FrameFormat::Standard))
            return Malformed(line, frame.extended ? "the identifier is above 1FFFFFFF"
                                                  : "a three-digit identifier above 7FF");
    } else if (hash == 5 && HexValue(text.data(), 5) >= 0) {
        if (!IsCanXlFrame(text))
            return Malformed(line, "a CAN XL frame is PRIO#FLAGS:SDT:AF# and 1 to 2048 data bytes");
        line.kind = CandumpLineKind::CanXl;
        return;
    } else {
        return Malformed(line, "no identifier of 3 or 8 hexadecimal digits and \"#\"");
    }

    const std::string_view rest = text.substr(hash + 1);
    if (!rest.empty() && rest[0] == '#') {
        // "##", the flags digit, at most 64 data bytes.
        const int bytes = rest.size() >= 2 && Hex(rest[1]) >= 0 ? DataBytes(rest.substr(2)) : -1;
        if (bytes < 0 || bytes > 64)
            return Malformed(line, "a CAN FD frame is ## and a flags digit, then at most 64 data bytes");
        line.kind = CandumpLineKind::CanFd;
        return;
    }
    if (!rest.empty() && (rest[0] == 'R' || rest[0] == 'r')) {
        if (!ParseRemote(rest.substr(1), frame))
            return Malformed(line, "a remote frame is R and a length of 0 to 8");
    } else if (const char* problem = ParseData(rest, frame)) {
        return Malformed(line, problem);
    }
    line.kind = CandumpLineKind::Frame;
    return;
}

// Pointers past the blanks from `at`, or to the next blank (or `end`).
const char* SkipBlanks(const char* at, const char* end)
{
    while (at < end && IsBlank(*at))
        ++at;
    return at;
}

const char* FieldEnd(const char* at, const char* end)
{
    while (at < end && !IsBlank(*at))
        ++at;
    return at;
}

std::string_view View(const char* from, const char* to)
{
    return {from, static_cast<std::size_t>(to - from)};
}

// Takes `text` apart into `line`, which starts as a default CandumpLine.
// Pointers rather than views: millions of lines a second go through here.
void ParseLine(std::string_view text, CandumpLine& line)
{
    const char* at = text.data();
    const char* end = at + text.size();
    while (end > at && (IsBlank(end[-1]) || end[-1] == '\r'))
        --end;
    at = SkipBlanks(at, end);
    if (at == end) {
        line.kind = CandumpLineKind::Empty;
        return;
    }
    if (*at == 'D' && View(at, end).substr(0, 10) == "DROPCOUNT:") {
        line.kind = CandumpLineKind::DropNote;
        return;
    }

    // (SECONDS.FRACTION), as candump and python-can write it.
    const char* open = at;
    if (*at != '(')
        return Malformed(line, "no timestamp in parentheses at the start");
    const char* digits = ++at;
    while (at < end && IsDigit(*at))
        ++at;
    if (at > digits && at < end && *at == '.') {
        digits = ++at;
        while (at < end && IsDigit(*at))
            ++at;
    }
    if (at == digits || at == end || *at != ')')
        return Malformed(line, "the timestamp is not (SECONDS.FRACTION)");
    line.timestamp = View(open, ++at);

    if (at == end || !IsBlank(*at))
        return Malformed(line, "no blank after the timestamp");
    at = SkipBlanks(at, end);
    const char* field = at;
    at = FieldEnd(at, end);
    line.interface = View(field, at);
    // The frame runs to the end of the line, or to a last field R or T;
    // found from the end, so the frame's characters are read once, by its parse.
    at = SkipBlanks(at, end);
    const char* frameEnd = end;
    const char d = end[-1];
    if (end - at >= 3 && IsBlank(end[-2]) && (d == 'R' || d == 'T' || d == 'r' || d == 't')) {
        line.direction = View(end - 1, end);
        frameEnd = end - 2;
        while (IsBlank(frameEnd[-1]))
            --frameEnd;
    }
    const std::string_view frame = View(at, frameEnd);
    if (frame.empty())
        return Malformed(line, "no frame after the interface name");
    ParseFrame(frame, line);
    // A blank inside: more fields than the frame and R or T.
    if (line.kind != CandumpLineKind::Frame && std::memchr(at, ' ', frame.size()) != nullptr)
        Malformed(line, "more than R or T after the frame");
    else if (line.kind != CandumpLineKind::Frame && std::memchr(at, '\t', frame.size()) != nullptr)
        Malformed(line, "more than R or T after the frame");
}

} // namespace

CandumpLine ParseCandumpLine(std::string_view text) noexcept
{
    CandumpLine line;
    ParseLine(text, line);
    return line;
}

const char* CandumpLineTooLongText()
{
    static const std::string text = "longer than " + std::to_string(kMaxCandumpLine) + " characters";
    return text.c_str();
}

bool IsCandumpTraceText(std::string_view head) noexcept
{
    while (!head.empty()) {
        const std::size_t end = head.find_first_of("\r\n");
        // A line cut off at the end of what was read tells nothing.
        if (end == std::string_view::npos && head.size() >= kMaxCandumpLine)
            return false;
        const CandumpLine line = ParseCandumpLine(head.substr(0, end));
        if (line.kind != CandumpLineKind::Empty)
            return line.kind != CandumpLineKind::Malformed;
        if (end == std::string_view::npos)
            return false;
        head.remove_prefix(end + 1);
    }
    return false;
}

void AppendCandumpLine(std::string& out, std::string_view timestamp, std::string_view interface,
                       const CandumpFrame& frame, std::string_view direction)
{
    out.append(timestamp);
    out += ' ';
    out.append(interface);
    // The frame and direction are at most 8 + 1 + 16 + 2 + 1 + 2 + 1 characters.
    char text[40];
    char* at = text;
    *at++ = ' ';
    const int digits = frame.extended ? 8 : 3;
    for (int i = digits - 1; i >= 0; --i)
        at[i] = kUpperHexDigits[(frame.id >> (4 * (digits - 1 - i))) & 0xF];
    at += digits;
    *at++ = '#';
    if (frame.remote) {
        *at++ = 'R';
        // candump writes the length of a remote frame only when it is not 0.
        if (frame.length > 0 && frame.length <= 8)
            *at++ = static_cast<char>('0' + frame.length);
    } else {
        const std::size_t length = std::min<std::size_t>(frame.length, 8);
        for (std::size_t i = 0; i < length; ++i, at += 2)
            PutHexByte(at, frame.data[i]);
    }
    if (frame.length == 8 && frame.rawDlc > 8 && frame.rawDlc <= 15) {
        *at++ = '_';
        *at++ = kUpperHexDigits[frame.rawDlc];
    }
    if (direction.size() == 1) {
        *at++ = ' ';
        *at++ = direction[0];
    }
    *at++ = '\n';
    out.append(text, static_cast<std::size_t>(at - text));
}

} // namespace c2c
