#pragma once
// The one reader of text lines: a trace, an S-record firmware, a node's
// EDS/DCF. It reads from a source in blocks through a buffer of fixed size,
// so a file of any length, and a line of any length, costs the same memory.
//
// What ends a line, and what a line may hold, depends on the format; the
// reader is told (LineRules). A line longer than LineRules::longestLine is
// handed out in pieces of that length: NextPiece() gives every piece, for
// a reader that copies lines of any length; Next() gives the first piece
// with Overlong() set and skips the rest, for a reader that refuses them.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace c2c {

struct LineRules {
    // The longest line handed out whole; at least 1.
    std::size_t longestLine = 4096;
    // CR ends a line as LF and CR LF do (files of old Macs and of some
    // loggers). Otherwise every CR is left out as it is read: a line ends at
    // LF or CR LF, and a CR anywhere else is no part of the line, which goes
    // on (old editors leave stray CRs).
    bool crEndsLine = true;
    // A byte 0x1A ends the input: the end-of-file mark of old DOS tools.
    bool endOfFileMark = false;
    // The buffer the source fills; at least two longest lines. Large reads
    // are what make a trace read as fast as cat reads it.
    std::size_t bufferSize = 1 << 20;
};

class LineReader {
public:
    // Fills `buffer` with up to `size` bytes and returns how many; 0 at the
    // end of the input. Throws when it cannot read.
    using Source = std::function<std::size_t(char* buffer, std::size_t size)>;

    LineReader(Source source, LineRules rules);

    // The next line without its line end, or false at the end of the input.
    // The view stays valid until the next call. A line longer than
    // longestLine comes as its first longestLine bytes with Overlong() true;
    // the rest of it is skipped.
    bool Next(std::string_view& line);
    // The next piece of a line: a whole line (`complete` true) or a part of
    // a long one, at most longestLine bytes; `complete` is true for the
    // piece that ends its line. False at the end of the input.
    bool NextPiece(std::string_view& piece, bool& complete);

    // The number of the line of the last line or piece handed out, from 1.
    std::uint64_t LineNumber() const { return lineNumber_; }
    // Whether the last line Next() gave was cut.
    bool Overlong() const { return overlong_; }

private:
    bool Fill();
    std::size_t FindLf(std::size_t from);

    Source source_;
    LineRules rules_;
    std::unique_ptr<char[]> buffer_; // not cleared: only what was read is looked at
    std::size_t size_;
    std::size_t begin_ = 0; // the unread bytes: [begin_, end_)
    std::size_t end_ = 0;
    std::size_t lf_ = 0;          // where the next LF is, or end_ when none is in the buffer
    bool lfKnown_ = false;        // lf_ holds for the bytes from begin_
    bool atEnd_ = false;          // the source is exhausted, or the end-of-file mark was met
    bool skipLf_ = false;         // a line ended at CR: an LF right after it belongs to that end
    bool midLine_ = false;        // a piece of the current line has been handed out
    bool skipping_ = false;       // Next() is passing over the rest of an overlong line
    bool overlong_ = false;
    std::uint64_t lineNumber_ = 0;
};

// A source reading an open file in blocks of at most `blockSize` bytes.
// A read error throws Error("Cannot read file \"PATH\". REASON").
LineReader::Source FileSource(std::FILE* file, std::size_t blockSize, const std::string& path);

} // namespace c2c
