#include "operations/AscTrace.h"

#include "documents/CanFrame.h"
#include "documents/CandumpLog.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace c2c {

namespace {

using trace_text::ParseDecimalTime;
using trace_text::ParseNumber;
using trace_text::SameWord;
using trace_text::Words;

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kMillisecond = 1000000;

// Month names as CANoe writes them, English and German.
int MonthOf(std::string_view word) noexcept
{
    static constexpr std::pair<const char*, int> kMonths[] = {
        {"jan", 1}, {"feb", 2},  {"mar", 3},  {"apr", 4},  {"may", 5},  {"jun", 6},        {"jul", 7},
        {"aug", 8}, {"sep", 9},  {"oct", 10}, {"nov", 11}, {"dec", 12}, {"m\xc3\xa4r", 3}, {"m\xe4r", 3},
        {"mrz", 3}, {"mai", 5},  {"okt", 10}, {"dez", 12}};
    for (const auto& [name, month] : kMonths)
        if (SameWord(word, name))
            return month;
    return 0;
}

// "Wed Dec 9 04:09:32.123 pm 2026" (the weekday, the fraction and am/pm
// may be missing), from words[first] on.
std::optional<std::int64_t> ParseAscDate(const Words& words, std::size_t first) noexcept
{
    std::size_t at = first;
    if (at < words.Size() && MonthOf(words.word[at]) == 0)
        ++at; // the weekday
    if (at + 3 > words.Size())
        return std::nullopt;
    const int month = MonthOf(words.word[at]);
    std::uint64_t day = 0, year = 0;
    if (month == 0 || !ParseNumber(words.word[at + 1], 10, 31, day) || day == 0)
        return std::nullopt;
    const std::string_view clock = words.word[at + 2];
    at += 3;
    int shift = -1; // am: 0, pm: 12
    if (at < words.Size() && (SameWord(words.word[at], "am") || SameWord(words.word[at], "pm")))
        shift = SameWord(words.word[at++], "pm") ? 12 : 0;
    if (at >= words.Size() || !ParseNumber(words.word[at], 10, 9999, year))
        return std::nullopt;
    // h:mm:ss[.fff]
    std::uint64_t hour = 0, minute = 0;
    const std::size_t colon1 = clock.find(':');
    const std::size_t colon2 = colon1 == clock.npos ? clock.npos : clock.find(':', colon1 + 1);
    std::int64_t seconds = 0;
    if (colon2 == clock.npos || !ParseNumber(clock.substr(0, colon1), 10, 23, hour) ||
        !ParseNumber(clock.substr(colon1 + 1, colon2 - colon1 - 1), 10, 59, minute) ||
        !ParseDecimalTime(clock.substr(colon2 + 1), kSecond, seconds) || seconds < 0 || seconds >= 61 * kSecond)
        return std::nullopt;
    if (shift >= 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + static_cast<unsigned>(shift);
    }
    return LocalTimeNs(static_cast<int>(year), month, static_cast<int>(day), static_cast<int>(hour),
                       static_cast<int>(minute), static_cast<int>(seconds / kSecond), seconds % kSecond);
}

bool IsDirection(std::string_view word) noexcept
{
    return SameWord(word, "Rx") || SameWord(word, "Tx");
}

bool IsChannel(std::string_view word) noexcept
{
    std::uint64_t channel = 0;
    return ParseNumber(word, 10, 65535, channel);
}

} // namespace

bool IsAscTraceText(std::string_view head) noexcept
{
    std::size_t at = 0;
    while (at < head.size()) {
        std::size_t end = head.find_first_of("\r\n", at);
        if (end == head.npos)
            end = head.size();
        const Words words = trace_text::SplitWords(head.substr(at, end - at));
        at = end + 1;
        if (words.count == 0 || words.word[0].substr(0, 2) == "//")
            continue;
        const std::string_view w = words.word[0];
        return SameWord(w, "date") || (SameWord(w, "base") && words.count > 1) ||
               (SameWord(w, "begin") && words.count > 1 && SameWord(words.word[1], "triggerblock"));
    }
    return false;
}

AscFrameSource::AscFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
                               MalformedLineReport report, std::size_t bufferSize)
    : name_(std::move(name)),
      reader_(
          [this, source = std::move(source)](char* buffer, std::size_t size) {
              const std::size_t got = source(buffer, size);
              bytes_ += got;
              return got;
          },
          LineRules{kMaxCandumpLine, true, false, bufferSize}),
      ports_(ports),
      onPort_(onPort),
      report_(std::move(report))
{
}

bool AscFrameSource::TakeHeaderLine(const Words& words)
{
    const std::string_view w = words.word[0];
    if (w.substr(0, 2) == "//")
        return true;
    if (SameWord(w, "date")) {
        const auto date = ParseAscDate(words, 1);
        if (!date)
            return false;
        if (!triggerDate_)
            origin_ = *date;
        return true;
    }
    if (SameWord(w, "base")) {
        if (words.count < 2 || !(SameWord(words.word[1], "hex") || SameWord(words.word[1], "dec")))
            return false;
        base_ = SameWord(words.word[1], "hex") ? 16 : 10;
        if (words.count >= 4 && SameWord(words.word[2], "timestamps"))
            relative_ = SameWord(words.word[3], "relative");
        return true;
    }
    if (SameWord(w, "internal") || (SameWord(w, "no") && words.count > 1 && SameWord(words.word[1], "internal")))
        return true;
    if (SameWord(w, "begin") && words.count > 1 && SameWord(words.word[1], "triggerblock")) {
        if (!triggerDate_)
            if (const auto date = ParseAscDate(words, 2)) {
                origin_ = *date;
                triggerDate_ = true;
            }
        return true;
    }
    return SameWord(w, "end") && words.count > 1 && SameWord(words.word[1], "triggerblock");
}

bool AscFrameSource::TakeEventLine(const Words& words, std::uint64_t number, TraceFrame& frame)
{
    std::int64_t time = 0;
    if (!ParseDecimalTime(words.word[0], kSecond, time)) {
        counts_.CountMalformed(number, "neither a header line nor a line starting with its time in seconds", report_);
        return false;
    }
    if (relative_ && __builtin_add_overflow(time, last_, &time)) {
        counts_.CountMalformed(number, "a time beyond 9000000000 seconds", report_);
        return false;
    }
    last_ = time;
    if (words.count < 2) {
        counts_.CountMalformed(number, "a time and nothing after it", report_);
        return false;
    }
    const std::string_view first = words.word[1];
    if (SameWord(first, "CANFD")) {
        bool error = false;
        for (std::size_t i = 2; i < words.Size(); ++i)
            error = error || SameWord(words.word[i], "ErrorFrame");
        if (error)
            counts_.CountErrorFrame(number);
        else
            counts_.CountCanFd(number);
        return false;
    }
    if (!IsChannel(first)) {
        // "Start of measurement" opens every trigger block: no event of
        // the trace's own.
        const bool start = words.count == 4 && SameWord(first, "Start") && SameWord(words.word[2], "of") &&
                           SameWord(words.word[3], "measurement");
        if (!start)
            counts_.CountEvent(number); // CAN 1 Status:..., SV: ..., Log trigger event
        return false;
    }
    if (words.count >= 3 && SameWord(words.word[2], "ErrorFrame")) {
        counts_.CountErrorFrame(number);
        return false;
    }
    if (words.count < 4 || !IsDirection(words.word[3])) {
        counts_.CountEvent(number); // Statistic:, a transmit request, ...
        return false;
    }
    std::string_view id = words.word[2];
    const bool extended = !id.empty() && (id.back() == 'x' || id.back() == 'X');
    if (extended)
        id.remove_suffix(1);
    std::uint64_t value = 0;
    if (!ParseNumber(id, base_, kMaxExtendedId, value)) {
        counts_.CountMalformed(number,
                               base_ == 16 ? "an identifier that is no hexadecimal number up to 1FFFFFFF"
                                           : "an identifier that is no decimal number up to 536870911",
                               report_);
        return false;
    }
    if (!extended && value > kMaxStandardId) {
        counts_.CountMalformed(number, "a standard identifier beyond 7FF (an extended one ends in x)", report_);
        return false;
    }
    if (words.count < 5 || !(SameWord(words.word[4], "d") || SameWord(words.word[4], "r"))) {
        counts_.CountMalformed(number, "neither d (data frame) nor r (remote frame) after Rx or Tx", report_);
        return false;
    }
    const bool remote = SameWord(words.word[4], "r");
    std::uint64_t dlc = 0;
    const bool hasDlc = words.count > 5 && (ParseNumber(words.word[5], base_, 15, dlc) ||
                                            (words.word[5].size() == 1 && ParseNumber(words.word[5], 16, 15, dlc)));
    if (!remote && !hasDlc) {
        counts_.CountMalformed(number, "a data frame without its DLC (0 to F)", report_);
        return false;
    }
    frame.data = {};
    if (!remote) {
        const std::size_t length = dlc < 8 ? dlc : 8;
        if (words.count < 6 + length) {
            counts_.CountMalformed(number, "fewer data bytes than the DLC says", report_);
            return false;
        }
        for (std::size_t i = 0; i < length; ++i) {
            std::uint64_t byte = 0;
            if (!ParseNumber(words.word[6 + i], base_, 255, byte)) {
                counts_.CountMalformed(number,
                                       base_ == 16 ? "a data byte that is no hexadecimal number up to FF"
                                                   : "a data byte that is no decimal number up to 255",
                                       report_);
                return false;
            }
            frame.data[i] = static_cast<std::uint8_t>(byte);
        }
    }
    const int port = onPort_ == 0 || onPort_ == 1 ? onPort_ : channels_.PortOf(first);
    if (!PlaceTextFrame(port, first, origin_, time, number, counts_, report_, frame))
        return false;
    frame.id = static_cast<std::uint32_t>(value);
    frame.extended = extended;
    frame.remote = remote;
    frame.dlc = static_cast<std::uint8_t>(dlc);
    return true;
}

bool AscFrameSource::Next(TraceFrame& frame)
{
    std::string_view text;
    while (reader_.Next(text)) {
        const std::uint64_t number = reader_.LineNumber();
        if (reader_.Overlong()) {
            counts_.CountMalformed(number, CandumpLineTooLongText(), report_);
            continue;
        }
        const Words words = trace_text::SplitWords(text);
        if (words.count == 0) {
            ++counts_.empty;
            continue;
        }
        const char c = words.word[0][0];
        if (!(c >= '0' && c <= '9') && c != '-' && c != '.') {
            if (!TakeHeaderLine(words))
                counts_.CountMalformed(number, "a header line that cannot be read (date, base, Begin Triggerblock)",
                                       report_);
            continue;
        }
        if (TakeEventLine(words, number, frame))
            return true;
    }
    return false;
}

namespace {

void AppendDate(std::string& out, std::int64_t ns)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::int64_t within = 0;
    const std::tm t = LocalTimeOf(ns, within);
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %d %02d:%02d:%02d.%03d %s %d", kDays[(t.tm_wday % 7 + 7) % 7],
                  kMonthNames[(t.tm_mon % 12 + 12) % 12], t.tm_mday, hour12, t.tm_min, t.tm_sec,
                  static_cast<int>(within / kMillisecond), t.tm_hour < 12 ? "am" : "pm", t.tm_year + 1900);
    out += text;
}

// Seconds with six decimals, right-aligned in eleven characters as CANoe
// writes them: "   0.001000".
void AppendSeconds(std::string& out, std::int64_t ns)
{
    // A frame's time is never before 1970 nor its trace's origin: -ns cannot
    // overflow.
    char text[kTraceTimeChars + 1];
    std::size_t length = 0;
    if (ns < 0)
        text[length++] = '-';
    length += FormatTraceTime(ns < 0 ? -ns : ns, text + length);
    if (length < 11)
        out.append(11 - length, ' ');
    out.append(text, length);
}

constexpr char kHex[] = "0123456789ABCDEF";

class AscWriter final : public TraceWriter {
public:
    explicit AscWriter(TextSink& sink) : sink_(sink) {}

    void Add(const TraceFrame& frame) override
    {
        if (!started_)
            Start(frame.time - (frame.time % kMillisecond + kMillisecond) % kMillisecond);
        AppendSeconds(block_, frame.time - origin_);
        block_ += ' ';
        block_ += std::to_string(frame.port + 1);
        block_ += "  ";
        const std::size_t idStart = block_.size();
        char id[12];
        int n = 0;
        std::uint32_t v = frame.id;
        do {
            id[n++] = kHex[v & 15];
            v >>= 4;
        } while (v);
        while (n > 0)
            block_ += id[--n];
        if (frame.extended)
            block_ += 'x';
        block_.append(15 - std::min<std::size_t>(15, block_.size() - idStart), ' ');
        block_ += " Rx   ";
        block_ += frame.remote ? 'r' : 'd';
        block_ += ' ';
        block_ += kHex[frame.dlc & 15];
        if (!frame.remote)
            for (std::size_t i = 0; i < std::min<std::size_t>(frame.dlc, 8); ++i) {
                block_ += ' ';
                block_ += kHex[frame.data[i] >> 4];
                block_ += kHex[frame.data[i] & 15];
            }
        block_ += '\n';
        if (block_.size() >= kBlock) {
            sink_.Write(block_);
            block_.clear();
        }
    }

    void Finish() override
    {
        if (!started_)
            Start(static_cast<std::int64_t>(std::time(nullptr)) * kSecond);
        block_ += "End TriggerBlock\n";
        sink_.Write(block_);
        block_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;

    void Start(std::int64_t origin)
    {
        started_ = true;
        origin_ = origin;
        block_ += "date ";
        AppendDate(block_, origin);
        block_ += "\nbase hex  timestamps absolute\ninternal events logged\n// version 9.0.0\nBegin Triggerblock ";
        AppendDate(block_, origin);
        block_ += "\n   0.000000 Start of measurement\n";
    }

    TextSink& sink_;
    std::string block_;
    bool started_ = false;
    std::int64_t origin_ = 0;
};

} // namespace

std::unique_ptr<TraceWriter> MakeAscWriter(TextSink& sink)
{
    return std::make_unique<AscWriter>(sink);
}

} // namespace c2c
