#include "platform/ProfileFile.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace c2c {

namespace {

std::string Trim(const std::string& text)
{
    auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

struct Line {
    std::string text;   // without its line end
    std::string ending; // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& content)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t newline = content.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({content.substr(start), ""});
            break;
        }
        std::size_t end = newline;
        bool crlf = end > start && content[end - 1] == '\r';
        if (crlf)
            --end;
        lines.push_back({content.substr(start, end - start), crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
    return lines;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string> SectionName(const std::string& line)
{
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    auto close = trimmed.find(']');
    std::string name = trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    return Trim(name);
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string> KeyName(const std::string& line)
{
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    auto equals = trimmed.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return Trim(trimmed.substr(0, equals));
}

std::string ValueOf(const std::string& line)
{
    std::string value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue)
{
    std::string content;
    try {
        if (!FileExists(path))
            return defaultValue;
        content = ReadWholeFile(path);
    } catch (const Error&) {
        return defaultValue;
    }
    bool inSection = false;
    for (const Line& line : SplitLines(content)) {
        if (auto name = SectionName(line.text)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        auto lineKey = KeyName(line.text);
        if (lineKey && EqualNoCase(*lineKey, key)) {
            std::string value = ValueOf(line.text);
            if (value.size() > kProfileValueLimit)
                value.resize(kProfileValueLimit);
            return value;
        }
    }
    return defaultValue;
}

void ReadProfileLines(LineReader& lines, const ProfileLineVisitor& visit)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    auto trim = [&](std::string_view text) {
        while (!text.empty() && isBlank(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isBlank(text.back()))
            text.remove_suffix(1);
        return text;
    };
    std::string section;
    std::string_view text;
    while (lines.Next(text)) {
        ProfileLine line{ProfileLineKind::Other, lines.LineNumber(), section, {}, {}};
        if (lines.Overlong()) {
            line.kind = ProfileLineKind::TooLong;
            visit(line);
            continue;
        }
        if (line.number == 1 && text.starts_with(kByteOrderMark))
            text.remove_prefix(kByteOrderMark.size());
        const std::string_view trimmed = trim(text);
        if (trimmed.empty() || trimmed.front() == ';')
            continue;
        if (trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            section = trim(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            line.section = section;
            if (close == std::string_view::npos) {
                line.kind = ProfileLineKind::UnclosedSection;
            } else {
                const std::string_view after = trim(trimmed.substr(close + 1));
                line.kind = after.empty() || after.front() == ';' ? ProfileLineKind::Section
                                                                  : ProfileLineKind::SectionAndText;
                line.value = after;
            }
        } else if (const std::size_t equals = trimmed.find('='); equals != std::string_view::npos) {
            line.kind = ProfileLineKind::Entry;
            line.key = trim(trimmed.substr(0, equals));
            std::string_view value = trim(trimmed.substr(equals + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            line.value = value;
        }
        visit(line);
    }
}

void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value)
{
    std::string content;
    if (PathExists(path)) {
        try {
            content = ReadWholeFile(path);
        } catch (const Error&) {
            throw Error("Unable to write to " + path);
        }
    }
    std::vector<Line> lines = SplitLines(content);
    // New lines take the line end the file already uses; a new file gets CR LF.
    std::string ending = "\r\n";
    if (!lines.empty() && !lines.front().ending.empty())
        ending = lines.front().ending;
    const std::string entry = key + "=" + value;

    std::optional<std::size_t> sectionLine;
    std::optional<std::size_t> lastKeyLine;
    bool inSection = false;
    bool replaced = false;
    for (std::size_t i = 0; i < lines.size() && !replaced; ++i) {
        if (auto name = SectionName(lines[i].text)) {
            if (inSection)
                break; // the section ended without the key
            inSection = EqualNoCase(*name, section);
            if (inSection)
                sectionLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (auto lineKey = KeyName(lines[i].text)) {
            if (EqualNoCase(*lineKey, key)) {
                lines[i].text = entry;
                replaced = true;
            } else {
                lastKeyLine = i;
            }
        }
    }

    if (!replaced) {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = ending;
        if (sectionLine) {
            std::size_t after = lastKeyLine.value_or(*sectionLine) + 1;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), Line{entry, ending});
        } else {
            lines.push_back({"[" + section + "]", ending});
            lines.push_back({entry, ending});
        }
    }

    std::string output;
    for (const Line& line : lines)
        output += line.text + line.ending;
    try {
        WriteFileAtomically(path, output);
    } catch (const Error&) {
        throw Error("Unable to write to " + path);
    }
}

} // namespace c2c
