#include "operations/TrcTrace.h"

#include "documents/CanFrame.h"
#include "documents/CandumpLog.h"

#include <cstdio>
#include <ctime>

namespace c2c {

namespace {

using trace_text::ParseDecimalTime;
using trace_text::ParseNumber;
using trace_text::SameWord;
using trace_text::Words;

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kMillisecond = 1000000;
// 30 December 1899, PEAK's day 0, is 25569 days before 1 January 1970.
constexpr std::int64_t kOleDayOf1970 = 25569;

// Days since 1 January 1970 of a date of the Gregorian calendar, and back
// (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) noexcept
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsDirection(std::string_view word) noexcept
{
    return SameWord(word, "Rx") || SameWord(word, "Tx");
}

} // namespace

std::optional<std::int64_t> ParseTrcStartTime(std::string_view text) noexcept
{
    const std::size_t point = text.find('.');
    std::uint64_t days = 0;
    if (!ParseNumber(text.substr(0, point), 10, 3000000, days))
        return std::nullopt;
    // The fraction of the day to 15 digits (a tenth of a nanosecond).
    std::int64_t fraction = 0;
    int digits = 0;
    if (point != text.npos) {
        for (char c : text.substr(point + 1)) {
            if (c < '0' || c > '9')
                return std::nullopt;
            if (digits < 15) {
                fraction = fraction * 10 + (c - '0');
                ++digits;
            }
        }
    }
    // ns = fraction * 86400e9 / 10^digits, rounded; 86400e9 = 864e11.
    std::int64_t ns = 0;
    if (digits <= 11) {
        std::int64_t scale = 864;
        for (int i = digits; i < 11; ++i)
            scale *= 10;
        ns = fraction * scale;
    } else {
        std::int64_t divisor = 1;
        for (int i = 11; i < digits; ++i)
            divisor *= 10;
        ns = (fraction * 864 + divisor / 2) / divisor;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(static_cast<std::int64_t>(days) - kOleDayOf1970, year, month, day);
    const std::int64_t seconds = ns / kSecond;
    return LocalTimeNs(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                       static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                       static_cast<int>(seconds % 60), ns % kSecond);
}

bool IsTrcTraceText(std::string_view head) noexcept
{
    std::size_t at = 0;
    while (at < head.size() && (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n'))
        ++at;
    return head.substr(at, 1) == ";";
}

TrcFrameSource::TrcFrameSource(std::string name, LineReader::Source source, const InterfacePorts& ports, int onPort,
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

void TrcFrameSource::TakeHeaderLine(std::string_view line, std::uint64_t number)
{
    if (started_)
        return; // a comment among the frames
    auto value = [&](std::string_view key) -> std::optional<std::string_view> {
        if (line.substr(0, key.size()) != key)
            return std::nullopt;
        std::string_view rest = line.substr(key.size());
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
            rest.remove_suffix(1);
        return rest;
    };
    if (const auto text = value(";$FILEVERSION=")) {
        const std::size_t point = text->find('.');
        std::uint64_t major = 0, minor = 0;
        if (point == text->npos || !ParseNumber(text->substr(0, point), 10, 9, major) ||
            !ParseNumber(text->substr(point + 1), 10, 9, minor) || major < 1) {
            counts_.CountMalformed(number, "a file version that is no number such as 1.1 or 2.1", report_);
            return;
        }
        version_ = static_cast<int>(major * 10 + minor);
        if (columns_.empty() && version_ >= 20)
            columns_ = version_ == 20 ? "NOTIdlD" : "NOTBIdRLD";
    } else if (const auto start = value(";$STARTTIME=")) {
        if (const auto time = ParseTrcStartTime(*start)) {
            origin_ = *time;
        } else {
            counts_.CountMalformed(number, "a start time that is no number of days such as 46000.5", report_);
        }
    } else if (const auto columns = value(";$COLUMNS=")) {
        columns_.clear();
        for (const char c : *columns)
            if (c != ',' && c != ' ')
                columns_ += c;
        if (columns_.find('D') != columns_.size() - 1 || columns_.find('I') == columns_.npos ||
            columns_.find('O') == columns_.npos) {
            counts_.CountMalformed(number, "columns without I and O, or with D not last", report_);
            columns_ = version_ == 20 ? "NOTIdlD" : "NOTBIdRLD";
        }
    }
}

bool TrcFrameSource::TakeFrame(std::string_view time, std::string_view bus, std::string_view id, std::uint64_t dlc,
                               bool remote, const Words& words, std::size_t data, std::uint64_t number,
                               TraceFrame& frame)
{
    std::int64_t offset = 0;
    if (!ParseDecimalTime(time, kMillisecond, offset)) {
        counts_.CountMalformed(number, "a time offset that is no number of milliseconds", report_);
        return false;
    }
    std::uint64_t value = 0;
    if (!ParseNumber(id, 16, kMaxExtendedId, value)) {
        counts_.CountMalformed(number, "an identifier that is no hexadecimal number up to 1FFFFFFF", report_);
        return false;
    }
    const bool extended = id.size() > 4;
    if (!extended && value > kMaxStandardId) {
        counts_.CountMalformed(number, "a standard identifier beyond 07FF", report_);
        return false;
    }
    frame.data = {};
    if (!remote) {
        const std::size_t length = dlc < 8 ? dlc : 8;
        if (words.count < data + length) {
            counts_.CountMalformed(number, "fewer data bytes than the length says", report_);
            return false;
        }
        for (std::size_t i = 0; i < length; ++i) {
            std::uint64_t byte = 0;
            if (data + i >= Words::kMax || !ParseNumber(words.word[data + i], 16, 255, byte)) {
                counts_.CountMalformed(number, "a data byte that is no hexadecimal number up to FF", report_);
                return false;
            }
            frame.data[i] = static_cast<std::uint8_t>(byte);
        }
    }
    const int port = onPort_ == 0 || onPort_ == 1 ? onPort_ : channels_.PortOf(bus);
    if (!PlaceTextFrame(port, bus, origin_, offset, number, counts_, report_, frame))
        return false;
    frame.id = static_cast<std::uint32_t>(value);
    frame.extended = extended;
    frame.remote = remote;
    frame.dlc = static_cast<std::uint8_t>(dlc);
    return true;
}

bool TrcFrameSource::TakeVersion1Line(const Words& words, std::uint64_t number, TraceFrame& frame)
{
    if (words.word[0].back() != ')') {
        counts_.CountMalformed(number, "no message number ending in \")\" first", report_);
        return false;
    }
    std::size_t at = 2;
    std::string_view bus = "1";
    if (version_ >= 12 && words.count > at)
        bus = words.word[at++];
    if (version_ >= 11) {
        if (words.count <= at) {
            counts_.CountMalformed(number, "no message type (Rx, Tx, Error, Warng)", report_);
            return false;
        }
        const std::string_view type = words.word[at++];
        if (SameWord(type, "Error")) {
            counts_.CountErrorFrame(number);
            return false;
        }
        if (!IsDirection(type)) {
            counts_.CountEvent(number);
            return false;
        }
    }
    if (words.count < at + 2 + (version_ >= 13 ? 1 : 0)) {
        counts_.CountMalformed(number, "no identifier and length", report_);
        return false;
    }
    const std::string_view id = words.word[at++];
    if (version_ < 11 && SameWord(id, "FFFFFFFF")) {
        counts_.CountEvent(number); // the bus's state
        return false;
    }
    if (version_ >= 13)
        ++at; // reserved
    std::uint64_t dlc = 0;
    if (!ParseNumber(words.word[at++], 10, 15, dlc)) {
        counts_.CountMalformed(number, "a data length that is no number from 0 to 15", report_);
        return false;
    }
    const bool remote = words.count > at && SameWord(words.word[at], "RTR");
    return TakeFrame(words.word[1], bus, id, dlc, remote, words, at, number, frame);
}

bool TrcFrameSource::TakeVersion2Line(const Words& words, std::uint64_t number, TraceFrame& frame)
{
    std::string_view time, bus = "1", id, type = "DT";
    std::uint64_t dlc = 0;
    bool hasLength = false;
    std::size_t data = words.count;
    const std::size_t typeColumn = columns_.find('T');
    if (typeColumn != columns_.npos && typeColumn < words.Size())
        type = words.word[typeColumn];
    if (SameWord(type, "FD") || SameWord(type, "FB") || SameWord(type, "FE") || SameWord(type, "BI")) {
        counts_.CountCanFd(number);
        return false;
    }
    if (SameWord(type, "ER")) {
        counts_.CountErrorFrame(number);
        return false;
    }
    const bool remote = SameWord(type, "RR");
    if (!remote && !SameWord(type, "DT")) {
        counts_.CountEvent(number); // ST, EC, EV and types of later versions
        return false;
    }
    for (std::size_t column = 0; column < columns_.size(); ++column) {
        const char c = columns_[column];
        if (c == 'D') {
            data = column;
            break;
        }
        if (column >= words.Size()) {
            if (remote && (c == 'L' || c == 'l'))
                break; // no length: a remote frame of length 0
            counts_.CountMalformed(number, "fewer columns than $COLUMNS names", report_);
            return false;
        }
        const std::string_view word = words.word[column];
        switch (c) {
        case 'O':
            time = word;
            break;
        case 'B':
            bus = word;
            break;
        case 'I':
            id = word;
            break;
        case 'L':
        case 'l':
            if (!ParseNumber(word, 10, c == 'L' ? 15 : 8, dlc)) {
                counts_.CountMalformed(number,
                                       c == 'L' ? "a DLC that is no number from 0 to 15"
                                                : "a data length that is no number from 0 to 8",
                                       report_);
                return false;
            }
            hasLength = true;
            break;
        default:
            break;
        }
    }
    if (!hasLength && !remote) {
        counts_.CountMalformed(number, "a data frame without its length", report_);
        return false;
    }
    return TakeFrame(time, bus, id, dlc, remote, words, data, number, frame);
}

bool TrcFrameSource::Next(TraceFrame& frame)
{
    std::string_view text;
    while (reader_.Next(text)) {
        const std::uint64_t number = reader_.LineNumber();
        if (reader_.Overlong()) {
            counts_.CountMalformed(number, CandumpLineTooLongText(), report_);
            continue;
        }
        const std::size_t first = text.find_first_not_of(" \t\r");
        if (first == text.npos) {
            ++counts_.empty;
            continue;
        }
        if (text[first] == ';') {
            TakeHeaderLine(text.substr(first), number);
            continue;
        }
        if (!started_) {
            started_ = true;
            if (version_ >= 20 && columns_.empty())
                columns_ = version_ == 20 ? "NOTIdlD" : "NOTBIdRLD";
        }
        const Words words = trace_text::SplitWords(text);
        if (words.count < 3) {
            counts_.CountMalformed(number, "fewer than three columns", report_);
            continue;
        }
        if (version_ >= 20 ? TakeVersion2Line(words, number, frame) : TakeVersion1Line(words, number, frame))
            return true;
    }
    return false;
}

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendRight(std::string& out, std::string_view text, std::size_t width)
{
    if (text.size() < width)
        out.append(width - text.size(), ' ');
    out += text;
}

class TrcWriter final : public TraceWriter {
public:
    TrcWriter(TextSink& sink, const std::array<std::string, 2>& interfaces) : sink_(sink), interfaces_(interfaces) {}

    void Add(const TraceFrame& frame) override
    {
        if (!started_)
            Start(frame.time);
        char number[24];
        std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(++count_));
        AppendRight(block_, number, 7);
        block_ += ' ';
        // Milliseconds with three decimals (microseconds).
        const std::int64_t offset = frame.time - origin_;
        const std::uint64_t micro = (offset < 0 ? static_cast<std::uint64_t>(-(offset + 1)) + 1
                                                : static_cast<std::uint64_t>(offset)) / 1000;
        char time[40];
        std::snprintf(time, sizeof time, "%s%llu.%03u", offset < 0 ? "-" : "",
                      static_cast<unsigned long long>(micro / 1000), static_cast<unsigned>(micro % 1000));
        AppendRight(block_, time, 13);
        block_ += frame.remote ? " RR " : " DT ";
        AppendRight(block_, frame.port == 1 ? "2" : "1", 2);
        block_ += ' ';
        char id[12];
        const int digits = frame.extended ? 8 : 4;
        for (int i = 0; i < digits; ++i)
            id[i] = kHex[frame.id >> (4 * (digits - 1 - i)) & 15];
        AppendRight(block_, std::string_view(id, static_cast<std::size_t>(digits)), 8);
        block_ += " Rx -  ";
        block_ += std::to_string(frame.dlc);
        block_.append(frame.dlc >= 10 ? 3 : 4, ' ');
        if (!frame.remote)
            for (std::size_t i = 0; i < std::min<std::size_t>(frame.dlc, 8); ++i) {
                block_ += kHex[frame.data[i] >> 4];
                block_ += kHex[frame.data[i] & 15];
                block_ += ' ';
            }
        block_ += "\r\n";
        if (block_.size() >= kBlock) {
            sink_.Write(block_);
            block_.clear();
        }
    }

    void Finish() override
    {
        if (!started_)
            Start(static_cast<std::int64_t>(std::time(nullptr)) * kSecond);
        sink_.Write(block_);
        block_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;

    void Start(std::int64_t origin)
    {
        started_ = true;
        origin_ = origin;
        std::int64_t within = 0;
        const std::tm t = LocalTimeOf(origin, within);
        const std::int64_t days =
            DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday)) +
            kOleDayOf1970;
        const std::int64_t ofDay = (std::int64_t{t.tm_hour} * 3600 + t.tm_min * 60 + t.tm_sec) * kSecond + within;
        // The fraction of the day to 15 digits: ofDay * 10^15 / 864e11.
        const std::int64_t fraction = (ofDay * 10000 + 432) / 864;
        char text[512];
        std::snprintf(text, sizeof text,
                      ";$FILEVERSION=2.1\r\n;$STARTTIME=%lld.%015lld\r\n;$COLUMNS=N,O,T,B,I,d,R,L,D\r\n;\r\n"
                      ";   Start time: %02d.%02d.%04d %02d:%02d:%02d.%03d.%d\r\n"
                      ";   Generated by drevanta-c2c\r\n",
                      static_cast<long long>(days), static_cast<long long>(fraction), t.tm_mday, t.tm_mon + 1,
                      t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(within / kMillisecond),
                      static_cast<int>(within / 100000 % 10));
        block_ += text;
        block_ += ";-------------------------------------------------------------------------------\r\n"
                  ";   Bus  Name\r\n";
        for (int bus : {0, 1})
            block_ += ";   " + std::to_string(bus + 1) + "    " + interfaces_[static_cast<std::size_t>(bus)] + "\r\n";
        block_ += ";-------------------------------------------------------------------------------\r\n"
                  ";   Message   Time    Type ID     Rx/Tx\r\n"
                  ";   Number    Offset  |  Bus  [hex]  |  Reserved\r\n"
                  ";   |         [ms]    |  |    |      |  |  Data Length Code\r\n"
                  ";   |         |       |  |    |      |  |  |    Data [hex] ...\r\n"
                  ";   |         |       |  |    |      |  |  |    |\r\n"
                  ";---+-- ------+------ +- +- --+----- +- +- +--- +- -- -- -- -- -- -- --\r\n";
    }

    TextSink& sink_;
    std::array<std::string, 2> interfaces_;
    std::string block_;
    bool started_ = false;
    std::int64_t origin_ = 0;
    std::uint64_t count_ = 0;
};

} // namespace

std::unique_ptr<TraceWriter> MakeTrcWriter(TextSink& sink, const std::array<std::string, 2>& interfaces)
{
    return std::make_unique<TrcWriter>(sink, interfaces);
}

} // namespace c2c
