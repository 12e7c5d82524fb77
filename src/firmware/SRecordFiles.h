#pragma once
// Line-by-line reading and writing of S-record text files, with buffers of a
// fixed size: a file of any length, and a line of any length, costs one
// block of input, one block of output and at most two blocks of a line.

#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// The size of the reading and writing blocks.
inline constexpr std::size_t kBlockSize = 256 * 1024;

// A read or write that failed inside the copy loop of a stage. The stage
// reports it with its own message; the text names the cause.
class LineFileFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens a regular file for binary reading (see OpenRegularFile).
FileHandle OpenForReading(const std::string& path);

// Reads the lines of a text file. A line ends at LF or CR LF; a CR anywhere
// else is dropped and the line goes on (old editors leave stray CRs); a byte
// 0x1A ends the input, as the end-of-file mark of old DOS tools; a last line
// without a line end is still a line. A line longer than a block is handed
// out in pieces (the first at least 64 bytes long, enough to tell a record
// by its type and address), so no line can fill the memory.
class LineReader {
public:
    explicit LineReader(std::FILE* file, std::size_t blockSize = kBlockSize);

    // The next line, or the next piece of a long line, without its line end;
    // valid until the next call. `complete` tells whether it ends its line.
    // False at the end of the input. Throws LineFileFailure when a read fails.
    bool Next(std::string_view& line, bool& complete);

    // Starts again from the beginning of the file.
    void Rewind();

private:
    bool Fill();

    std::FILE* file_;
    std::size_t pieceSize_; // a line this long is handed out in pieces
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool midLine_ = false; // a piece of the current line has been handed out
    std::string carry_;    // a line that spans buffer refills, CRs taken out
};

// Writes lines, each followed by CR LF, through a fixed-size buffer.
class LineWriter {
public:
    explicit LineWriter(std::FILE* file, std::size_t blockSize = kBlockSize);
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Throws LineFileFailure when the file refuses the bytes.
    void WriteLine(std::string_view line);
    // A part of a line, and the line end after its last part.
    void WritePart(std::string_view part);
    void EndLine();
    void Flush();

private:
    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

// An output file that appears under its name only when it is complete: the
// lines go to a temporary file in the same folder, which Commit() renames
// over the target (a link of that name is replaced, not followed). Dropped
// without Commit(), the temporary file is removed and an older file of the
// target's name is left as it was.
class ReplacingOutputFile {
public:
    // Throws Error("Cannot create file \"PATH\". REASON").
    explicit ReplacingOutputFile(std::string path, std::size_t blockSize = kBlockSize);
    ~ReplacingOutputFile();
    ReplacingOutputFile(const ReplacingOutputFile&) = delete;
    ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

    LineWriter& writer() { return *writer_; }
    // Flushes, closes and renames; `durable` flushes the file to the disk
    // before the rename and the folder after it. Throws LineFileFailure
    // naming the cause on failure (the temporary file is then removed).
    void Commit(bool durable = false);

private:
    void Discard();

    std::string path_;
    std::string temporary_;
    FileHandle file_;
    std::unique_ptr<LineWriter> writer_;
};

} // namespace c2c
