#pragma once
// The pieces the text trace readers (ASC, TRC) take their lines apart
// with: words split at blanks, hexadecimal and decimal numbers, times with
// a fraction. Each is asked once or more per frame: no allocation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace c2c::trace_text {

// The words of a line (split at blanks and tabs); the first kMax of them,
// `count` says how many there were in all.
struct Words {
    static constexpr std::size_t kMax = 24; // more than any frame line needs
    std::array<std::string_view, kMax> word;
    std::size_t count = 0;
    std::size_t Size() const { return count < kMax ? count : kMax; }
};

inline Words SplitWords(std::string_view line) noexcept
{
    Words words;
    std::size_t at = 0;
    const std::size_t n = line.size();
    while (at < n) {
        while (at < n && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        if (at == n)
            break;
        const std::size_t start = at;
        while (at < n && line[at] != ' ' && line[at] != '\t' && line[at] != '\r')
            ++at;
        if (words.count < Words::kMax)
            words.word[words.count] = line.substr(start, at - start);
        ++words.count;
    }
    return words;
}

inline int DigitValue(char c, int base) noexcept
{
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// An unsigned number of `base` (10 or 16), at most `max`.
inline bool ParseNumber(std::string_view text, int base, std::uint64_t max, std::uint64_t& value) noexcept
{
    if (text.empty() || text.size() > 20)
        return false;
    std::uint64_t v = 0;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (v > max)
            return false;
    }
    value = v;
    return true;
}

// A decimal number with an optional sign and fraction, "12.345678", times
// `unitNs` nanoseconds (1000000000 for seconds, 1000000 for
// milliseconds): exact to the nanosecond, digits beyond it cut. Nothing
// beyond 9000000000 seconds.
inline bool ParseDecimalTime(std::string_view text, std::int64_t unitNs, std::int64_t& ns) noexcept
{
    constexpr std::int64_t kMaxNs = 9000000000LL * 1000000000LL;
    bool negative = false;
    std::size_t at = 0;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        ++at;
    }
    std::int64_t whole = 0;
    const std::size_t first = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        whole = whole * 10 + (text[at] - '0');
        if (whole > kMaxNs / unitNs)
            return false;
    }
    bool digits = at > first;
    std::int64_t value = whole * unitNs;
    if (at < text.size()) {
        if (text[at] != '.')
            return false;
        std::int64_t scale = unitNs;
        for (++at; at < text.size(); ++at) {
            if (text[at] < '0' || text[at] > '9')
                return false;
            digits = true;
            scale /= 10;
            value += (text[at] - '0') * scale;
        }
    }
    if (!digits || value > kMaxNs)
        return false;
    ns = negative ? -value : value;
    return true;
}

inline bool SameWord(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The port of channel `channel` (1, 2, ...) through `portOf` (an
// InterfacePorts), remembered for the first channels.
template <class Ports>
class ChannelPorts {
public:
    explicit ChannelPorts(const Ports& ports) : ports_(ports) { known_.fill(-2); }
    int PortOf(std::string_view channel)
    {
        if (channel.size() == 1 && channel[0] >= '0' && channel[0] <= '9') {
            int& known = known_[static_cast<std::size_t>(channel[0] - '0')];
            if (known == -2)
                known = ports_.PortOf(channel);
            return known;
        }
        return ports_.PortOf(channel);
    }

private:
    const Ports& ports_;
    std::array<int, 10> known_;
};

} // namespace c2c::trace_text
