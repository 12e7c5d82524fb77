#include "documents/CobIdCsv.h"

#include "documents/CobIdChecks.h"
#include "documents/IntegerText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <map>
#include <optional>

namespace c2c {

namespace {

constexpr std::size_t kFieldCount = 5;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<const char*, kFieldCount> kHeaderFields = {"direction", "row", "original", "modified",
                                                                 "description"};

// A field is quoted when it holds a character that would end it or start a
// quoted field: either separator, a quote or a line break.
void AppendField(std::string& out, const std::string& field)
{
    if (field.find_first_of(",;\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

struct Record {
    std::size_t line = 0; // where it starts
    std::vector<std::string> fields;
    std::string error; // the record could not be split into fields
};

// Splits RFC 4180 text into records. Lines end in LF or CR LF; inside a
// quoted field every character is kept, line breaks included.
class RecordReader {
public:
    RecordReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool Next(Record& record)
    {
        if (pos_ >= text_.size())
            return false;
        record = Record{};
        record.line = line_;
        for (;;) {
            std::string& field = record.fields.emplace_back();
            if (pos_ < text_.size() && text_[pos_] == '"') {
                if (!ReadQuoted(field)) {
                    record.error = "a quoted field is not closed";
                    return true;
                }
                if (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd()) {
                    record.error = "text after the closing quote of a field";
                    SkipLine();
                    return true;
                }
            } else {
                while (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd())
                    field += text_[pos_++];
            }
            if (pos_ < text_.size() && text_[pos_] == separator_) {
                ++pos_;
                continue;
            }
            SkipLine(); // at a line end or at the end of the text
            return true;
        }
    }

private:
    bool AtLineEnd() const
    {
        return text_[pos_] == '\n' || (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ||
               (text_[pos_] == '\r' && pos_ + 1 == text_.size());
    }

    void SkipLine()
    {
        while (pos_ < text_.size() && text_[pos_] != '\n')
            ++pos_;
        if (pos_ < text_.size()) {
            ++pos_;
            ++line_;
        }
    }

    // From an opening quote to just after the closing one; false when the
    // text ends first.
    bool ReadQuoted(std::string& field)
    {
        ++pos_;
        for (;;) {
            std::size_t quote = text_.find('"', pos_);
            std::string_view part = text_.substr(pos_, quote == std::string_view::npos ? std::string_view::npos
                                                                                        : quote - pos_);
            line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
            field += part;
            if (quote == std::string_view::npos) {
                pos_ = text_.size();
                return false;
            }
            pos_ = quote + 1;
            if (pos_ < text_.size() && text_[pos_] == '"') {
                field += '"';
                ++pos_;
                continue;
            }
            return true;
        }
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

// "," unless the first line uses ";" and no ",".
char SeparatorOf(std::string_view text)
{
    const std::string_view first = text.substr(0, text.find('\n'));
    return first.find(';') != std::string_view::npos && first.find(',') == std::string_view::npos ? ';' : ',';
}

bool IsBlank(const Record& record)
{
    return record.error.empty() &&
           std::all_of(record.fields.begin(), record.fields.end(), [](const std::string& f) { return f.empty(); });
}

bool IsHeader(const Record& record)
{
    if (record.fields.size() != kFieldCount)
        return false;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        std::string field = record.fields[i];
        std::transform(field.begin(), field.end(), field.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (field != kHeaderFields[i])
            return false;
    }
    return true;
}

std::optional<int> DirectionOf(const std::string& text)
{
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        if (text == kCobIdCsvDirections[static_cast<std::size_t>(direction)])
            return direction;
    return std::nullopt;
}

// A row number: decimal digits only, below `length`.
std::optional<std::size_t> RowOf(const std::string& text, std::size_t length)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::size_t row = std::stoul(text);
    return row < length ? std::optional<std::size_t>(row) : std::nullopt;
}

// The window's check of one identifier cell: empty, or an integer within the
// range of the frame format it travels in.
std::optional<std::string> CellProblem(const std::string& text, int direction, int column, const CommSession& session)
{
    const auto failure = CobIdOkFailure(text, GoverningType(session, direction, column));
    if (!failure)
        return std::nullopt;
    return std::string(column == kOriginalColumn ? "original " : "modified ") + QuotedValue(text) + *failure;
}

} // namespace

std::string CobIdCsvText(const CobIdTables& tables)
{
    std::string out = std::string(kCobIdCsvHeader) + "\r\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& table = tables.Table(direction);
        for (std::size_t r = 0; r < table.size(); ++r) {
            const CobIdRow& row = table[r];
            if (row.Orig_CobID.empty() && row.Mod_CobID.empty() && row.Desc.empty())
                continue;
            out += kCobIdCsvDirections[static_cast<std::size_t>(direction)];
            out += ',' + std::to_string(r) + ',';
            AppendField(out, row.Orig_CobID);
            out += ',';
            AppendField(out, row.Mod_CobID);
            out += ',';
            AppendField(out, row.Desc);
            out += "\r\n";
        }
    }
    return out;
}

CobIdCsvReading ReadCobIdCsv(std::string_view text, const CommSession& session)
{
    if (text.starts_with(kByteOrderMark)) // spreadsheets mark UTF-8 so
        text.remove_prefix(kByteOrderMark.size());
    const std::size_t length = CobIdTableLength(session);
    CobIdCsvReading reading;
    reading.tables.can0ToCan1.assign(length, CobIdRow{});
    reading.tables.can1ToCan0.assign(length, CobIdRow{});

    RecordReader reader(text, SeparatorOf(text));
    std::map<std::pair<int, std::size_t>, std::size_t> seen; // (direction, row) -> line
    bool headerSeen = false;
    Record record;
    while (reader.Next(record)) {
        if (IsBlank(record))
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (record.error.empty() && IsHeader(record))
                continue;
            reading.problems.push_back(
                {record.line, std::string("the first line must be the header ") + kCobIdCsvHeader});
            continue;
        }
        auto bad = [&](const std::string& reason) { reading.problems.push_back({record.line, reason}); };
        if (!record.error.empty()) {
            bad(record.error);
            continue;
        }
        if (record.fields.size() != kFieldCount) {
            bad(std::to_string(record.fields.size()) + " fields where 5 are expected (" + kCobIdCsvHeader + ")");
            continue;
        }
        std::vector<std::string> reasons;
        const std::optional<int> direction = DirectionOf(record.fields[0]);
        if (!direction)
            reasons.push_back("direction " + QuotedValue(record.fields[0]) + " is neither " + kCobIdCsvDirections[0] +
                              " nor " + kCobIdCsvDirections[1]);
        const std::optional<std::size_t> row = RowOf(record.fields[1], length);
        if (!row)
            reasons.push_back("row " + QuotedValue(record.fields[1]) + " is no N\u00B0 of the tables (0 to " +
                              std::to_string(length - 1) + ")");
        if (direction && row) {
            auto [at, inserted] = seen.emplace(std::make_pair(*direction, *row), record.line);
            if (!inserted)
                reasons.push_back("row " + std::to_string(*row) + " of " +
                                  kCobIdCsvDirections[static_cast<std::size_t>(*direction)] +
                                  " is given twice (first on line " + std::to_string(at->second) + ")");
        }
        if (direction) {
            for (int column : {kOriginalColumn, kModifyColumn})
                if (auto problem = CellProblem(record.fields[static_cast<std::size_t>(column + 1)], *direction, column,
                                               session))
                    reasons.push_back(*problem);
        }
        if (!reasons.empty()) {
            std::string reason = reasons.front();
            for (std::size_t i = 1; i < reasons.size(); ++i)
                reason += "; " + reasons[i];
            bad(reason);
            continue;
        }
        CobIdRow& target = reading.tables.Table(*direction)[*row];
        target.Orig_CobID = std::move(record.fields[2]);
        target.Mod_CobID = std::move(record.fields[3]);
        target.Desc = std::move(record.fields[4]);
    }
    if (!headerSeen)
        reading.problems.push_back({1, std::string("the file is empty; it needs at least the header ") + kCobIdCsvHeader});
    return reading;
}

std::string ReadCobIdCsvFile(const std::string& path)
{
    if (!PathExists(path))
        throw Error("File \"" + path + "\" not found");
    // A FIFO, a device or a file beyond the limit is refused by the reading.
    return ReadWholeFile(path, kCobIdCsvLimit);
}

std::string CobIdCsvProblemText(const std::string& file, const CobIdCsvProblem& problem)
{
    return file + ":" + std::to_string(problem.line) + ": " + problem.reason;
}

} // namespace c2c
