#include "documents/CandumpLog.h"

#include "platform/HexDigits.h"

#include <algorithm>
#include <cstring>

namespace c2c {

namespace {

constexpr std::uint32_t kErrorFlag = 0x20000000; // can-utils' CAN_ERR_FLAG in an eight-digit identifier
constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
constexpr std::uint32_t kMaxStandardId = 0x7FF;

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
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            return -1;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

CandumpLine Malformed(CandumpLine line, const char* problem)
{
    line.kind = CandumpLineKind::Malformed;
    line.problem = problem;
    return line;
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
// data length code after "_".
const char* ParseData(std::string_view rest, CandumpFrame& frame)
{
    std::size_t i = 0;
    while (i < rest.size()) {
        if (rest[i] == '.' && ++i == rest.size())
            break;
        if (rest[i] == '_') {
            const int dlc = rest.size() == i + 2 ? HexDigitValue(rest[i + 1]) : -1;
            if (frame.length != 8 || dlc < 9)
                return "a \"_\" and the data length code 9 to F may follow eight data bytes only";
            frame.rawDlc = static_cast<std::uint8_t>(dlc);
            return nullptr;
        }
        if (frame.length == 8)
            return "more than 8 data bytes in a classic CAN frame";
        const int high = HexDigitValue(rest[i]);
        const int low = i + 1 < rest.size() ? HexDigitValue(rest[i + 1]) : -1;
        if (high < 0 || low < 0)
            return "the data are not pairs of hexadecimal digits";
        frame.data[frame.length++] = static_cast<std::uint8_t>(high << 4 | low);
        i += 2;
    }
    return nullptr;
}

// The frame field: "181#11223344", "18FF0701#R", "123##1AABB".
CandumpLine ParseFrame(std::string_view text, CandumpLine line)
{
    const std::size_t hash = text.find('#');
    CandumpFrame& frame = line.frame;
    if (hash == 3 || hash == 8) {
        const std::int64_t id = HexValue(text.data(), hash);
        if (id < 0)
            return Malformed(line, "the identifier is not hexadecimal");
        frame.id = static_cast<std::uint32_t>(id);
        frame.extended = hash == 8;
        if (frame.extended && (frame.id & kErrorFlag)) {
            line.kind = CandumpLineKind::ErrorFrame;
            return line;
        }
        if (frame.id > (frame.extended ? kMaxExtendedId : kMaxStandardId))
            return Malformed(line, frame.extended ? "the identifier is above 1FFFFFFF"
                                                  : "a three-digit identifier above 7FF");
    } else if (hash == 5 && HexValue(text.data(), 5) >= 0) {
        line.kind = CandumpLineKind::CanXl;
        return line;
    } else {
        return Malformed(line, "no identifier of 3 or 8 hexadecimal digits and \"#\"");
    }

    const std::string_view rest = text.substr(hash + 1);
    if (!rest.empty() && rest[0] == '#') {
        line.kind = CandumpLineKind::CanFd;
        return line;
    }
    if (!rest.empty() && (rest[0] == 'R' || rest[0] == 'r')) {
        if (!ParseRemote(rest.substr(1), frame))
            return Malformed(line, "a remote frame is R and a length of 0 to 8");
    } else if (const char* problem = ParseData(rest, frame)) {
        return Malformed(line, problem);
    }
    line.kind = CandumpLineKind::Frame;
    return line;
}

// The next field from `at`: the characters up to a blank or the end.
std::string_view Field(std::string_view line, std::size_t& at)
{
    const std::size_t start = at;
    while (at < line.size() && !IsBlank(line[at]))
        ++at;
    return line.substr(start, at - start);
}

std::size_t SkipBlanks(std::string_view line, std::size_t at)
{
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    return at;
}

void AppendHex(std::string& out, std::uint32_t value, int digits)
{
    char text[8];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = kUpperHexDigits[value & 0xF];
        value >>= 4;
    }
    out.append(text, static_cast<std::size_t>(digits));
}

} // namespace

CandumpLine ParseCandumpLine(std::string_view text) noexcept
{
    CandumpLine line;
    std::size_t end = text.size();
    while (end > 0 && (IsBlank(text[end - 1]) || text[end - 1] == '\r'))
        --end;
    text = text.substr(0, end);
    std::size_t at = SkipBlanks(text, 0);
    if (at == text.size()) {
        line.kind = CandumpLineKind::Empty;
        return line;
    }
    if (text.substr(at, 10) == "DROPCOUNT:") {
        line.kind = CandumpLineKind::DropNote;
        return line;
    }

    // (SECONDS.FRACTION), as candump and python-can write it.
    const std::size_t open = at;
    if (text[at] != '(')
        return Malformed(line, "no timestamp in parentheses at the start");
    std::size_t digits = 0;
    for (++at; at < text.size() && IsDigit(text[at]); ++at)
        ++digits;
    if (digits > 0 && at < text.size() && text[at] == '.') {
        digits = 0;
        for (++at; at < text.size() && IsDigit(text[at]); ++at)
            ++digits;
    }
    if (digits == 0 || at == text.size() || text[at] != ')')
        return Malformed(line, "the timestamp is not (SECONDS.FRACTION)");
    line.timestamp = text.substr(open, ++at - open);

    if (at == text.size() || !IsBlank(text[at]))
        return Malformed(line, "no blank after the timestamp");
    at = SkipBlanks(text, at);
    line.interface = Field(text, at);
    at = SkipBlanks(text, at);
    const std::string_view frame = Field(text, at);
    if (frame.empty())
        return Malformed(line, "no frame after the interface name");
    at = SkipBlanks(text, at);
    if (at < text.size()) {
        line.direction = Field(text, at);
        const char d = line.direction[0];
        if (line.direction.size() != 1 || (d != 'R' && d != 'T' && d != 'r' && d != 't') || at < text.size())
            return Malformed(line, "more than R or T after the frame");
    }
    return ParseFrame(frame, line);
}

void AppendCandumpLine(std::string& out, std::string_view timestamp, std::string_view interface,
                       const CandumpFrame& frame, std::string_view direction)
{
    out.append(timestamp);
    out += ' ';
    out.append(interface);
    out += ' ';
    AppendHex(out, frame.id, frame.extended ? 8 : 3);
    out += '#';
    const bool rawDlc = frame.length == 8 && frame.rawDlc > 8 && frame.rawDlc <= 15;
    if (frame.remote) {
        out += 'R';
        // candump writes the length of a remote frame only when it is not 0.
        if (frame.length > 0 && frame.length <= 8)
            out += static_cast<char>('0' + frame.length);
    } else {
        char bytes[16];
        const std::size_t length = std::min<std::size_t>(frame.length, 8);
        for (std::size_t i = 0; i < length; ++i)
            PutHexByte(bytes + 2 * i, frame.data[i]);
        out.append(bytes, 2 * length);
    }
    if (rawDlc) {
        out += '_';
        out += kUpperHexDigits[frame.rawDlc];
    }
    if (!direction.empty()) {
        out += ' ';
        out.append(direction);
    }
    out += '\n';
}

CandumpLineReader::CandumpLineReader(Source source, std::size_t bufferSize)
    : source_(std::move(source)), buffer_(std::max(bufferSize, 2 * kMaxCandumpLine + 2))
{
}

bool CandumpLineReader::Fill()
{
    if (atEnd_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = source_(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    atEnd_ = got == 0;
    return got > 0;
}

bool CandumpLineReader::Next(std::string_view& line)
{
    overlong_ = false;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
        if (newline) {
            const auto length = static_cast<std::size_t>(newline - start);
            begin_ += length + 1;
            if (skipping_) {
                skipping_ = false;
                continue;
            }
            ++lineNumber_;
            overlong_ = length > kMaxCandumpLine;
            line = std::string_view(start, overlong_ ? kMaxCandumpLine : length);
            return true;
        }
        if (skipping_) {
            begin_ = end_;
        } else if (end_ - begin_ > kMaxCandumpLine) {
            // No line break in sight: report the line now, skip its rest.
            ++lineNumber_;
            overlong_ = true;
            skipping_ = true;
            line = std::string_view(start, kMaxCandumpLine);
            begin_ = end_;
            return true;
        }
        if (!Fill()) {
            if (skipping_ || begin_ == end_)
                return false;
            // The last line, without a line break.
            ++lineNumber_;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return true;
        }
    }
}

} // namespace c2c
