// The one line reader: the line ends of each format, long lines cut or in
// pieces, the end-of-file mark, line numbers; the same lines whatever the
// size of the blocks the source hands out.

#include "platform/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace c2c {
namespace {

// A source handing out `text` at most `chunk` bytes at a time.
LineReader::Source Chunks(const std::string& text, std::size_t chunk)
{
    auto at = std::make_shared<std::size_t>(0);
    return [&text, chunk, at](char* buffer, std::size_t size) {
        const std::size_t n = std::min({size, chunk, text.size() - *at});
        std::memcpy(buffer, text.data() + *at, n);
        *at += n;
        return n;
    };
}

// Next(): each line as "N:text", with "+" after a cut line.
std::vector<std::string> Lines(const std::string& text, LineRules rules, std::size_t chunk)
{
    LineReader reader(Chunks(text, chunk), rules);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line))
        lines.push_back(std::to_string(reader.LineNumber()) + ":" + std::string(line) + (reader.Overlong() ? "+" : ""));
    return lines;
}

// NextPiece(): each piece as "N:text", with "~" after a piece that does not end its line.
std::vector<std::string> Pieces(const std::string& text, LineRules rules, std::size_t chunk)
{
    LineReader reader(Chunks(text, chunk), rules);
    std::vector<std::string> pieces;
    std::string_view piece;
    bool complete = true;
    while (reader.NextPiece(piece, complete))
        pieces.push_back(std::to_string(reader.LineNumber()) + ":" + std::string(piece) + (complete ? "" : "~"));
    return pieces;
}

constexpr LineRules kTrace{4, true, false, 0};    // CR ends a line; a buffer of two lines
constexpr LineRules kSRecord{4, false, true, 0}; // stray CRs dropped, 0x1A ends the input

struct Case {
    const char* name;
    std::string text;
    LineRules rules;
    std::vector<std::string> lines;
    std::vector<std::string> pieces;
};

TEST(LineReader, LinesWhateverTheBlocks)
{
    const Case cases[] = {
        {"AllLineEnds", "a\n\nb\r\nc\rd\r\r\n", kTrace, {"1:a", "2:", "3:b", "4:c", "5:d", "6:"},
         {"1:a", "2:", "3:b", "4:c", "5:d", "6:"}},
        {"CrOnly", "x\ry\rz", kTrace, {"1:x", "2:y", "3:z"}, {"1:x", "2:y", "3:z"}},
        {"LastLineWithoutEnd", "ab\ncd", kTrace, {"1:ab", "2:cd"}, {"1:ab", "2:cd"}},
        {"LongerLastLineWithoutEnd", "a\r\nbcdefgh", LineRules{16, true, false, 0}, {"1:a", "2:bcdefgh"},
         {"1:a", "2:bcdefgh"}},
        {"LongerLastLineWithoutEndOfARecord", "a\r\nbcdefgh", LineRules{16, false, true, 0}, {"1:a", "2:bcdefgh"},
         {"1:a", "2:bcdefgh"}},
        {"Empty", "", kTrace, {}, {}},
        {"OneLineEnd", "\n", kTrace, {"1:"}, {"1:"}},
        {"ExactlyTheLongest", "abcd\r\nefgh", kTrace, {"1:abcd", "2:efgh"}, {"1:abcd", "2:efgh"}},
        {"Overlong", "abcdefghi\nxy\n", kTrace, {"1:abcd+", "2:xy"}, {"1:abcd~", "1:efgh~", "1:i", "2:xy"}},
        {"OverlongUpToACr", "abcdef\rxy", kTrace, {"1:abcd+", "2:xy"}, {"1:abcd~", "1:ef", "2:xy"}},
        {"OverlongAtTheEnd", "abcdefgh", kTrace, {"1:abcd+"}, {"1:abcd~", "1:efgh"}},
        {"OverlongAtTheEndByALine", "abcdefgh\n", kTrace, {"1:abcd+"}, {"1:abcd~", "1:efgh"}},
        {"StrayCrsDropped", "a\r\nb\rc\r\n\rd\n", kSRecord, {"1:a", "2:bc", "3:d"}, {"1:a", "2:bc", "3:d"}},
        {"CrOnlyIsOneLine", "S0\rS9\r", kSRecord, {"1:S0S9"}, {"1:S0S9"}},
        {"CrsDoNotCountInALine", "ab\r\rcd\r\n\r\r\r\r\r\r", kSRecord, {"1:abcd"}, {"1:abcd"}},
        {"EndOfFileMark", "ab\ncd\x1A" "ef\n", kSRecord, {"1:ab", "2:cd"}, {"1:ab", "2:cd"}},
        {"EndOfFileMarkFirstOnALine", "ab\n\x1A" "cd", kSRecord, {"1:ab"}, {"1:ab"}},
        {"EndOfFileMarkInALongLine", "abcdef\x1A", kSRecord, {"1:abcd+"}, {"1:abcd~", "1:ef"}},
        {"EndOfFileMarkIsTextToATrace", "a\x1A" "b", kTrace, {"1:a\x1A" "b"}, {"1:a\x1A" "b"}},
    };
    for (const Case& c : cases)
        for (std::size_t chunk : {1u, 3u, 7u, 1000u}) {
            EXPECT_EQ(Lines(c.text, c.rules, chunk), c.lines) << c.name << ", blocks of " << chunk;
            EXPECT_EQ(Pieces(c.text, c.rules, chunk), c.pieces) << c.name << ", blocks of " << chunk;
        }
}

// Lines far longer than the buffer, and many short lines ended by CR: the
// memory stays that of the buffer and every line is found once.
TEST(LineReader, LongAndManyLines)
{
    const std::string longLine(5 << 20, 'x');
    const std::string text = longLine + "\nshort\r" + std::string(100000, '\r');
    LineReader reader(Chunks(text, 1 << 16), LineRules{4096, true, false});
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.size(), 4096u);
    EXPECT_TRUE(reader.Overlong());
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "short");
    std::uint64_t empty = 0;
    while (reader.Next(line))
        empty += line.empty() ? 1 : 0;
    EXPECT_EQ(empty, 100000u);
    EXPECT_EQ(reader.LineNumber(), 100002u);
}

} // namespace
} // namespace c2c
