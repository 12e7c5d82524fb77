#pragma once
// Line-by-line reading and writing of S-record text files, with buffers of a
// fixed size: a file of any length costs one block of input, one block of
// output and the longest line.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// A read or write that failed inside the copy loop of a stage. The stage
// reports it with its own message, so the text here is for tests only.
class LineFileFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for binary reading. Throws Error("Cannot open file ...").
FileHandle OpenForReading(const std::string& path);

// Reads the lines of a text file. A line ends at LF or CR LF; a CR anywhere
// else is dropped and the line goes on (old editors leave stray CRs); a byte
// 0x1A ends the input, as the end-of-file mark of old DOS tools; a last line
// without a line end is still a line.
class LineReader {
public:
    explicit LineReader(std::FILE* file);

    // The next line without its line end, valid until the next call; false
    // at the end of the input. Throws LineFileFailure when a read fails.
    bool Next(std::string_view& line);

    // Starts again from the beginning of the file.
    void Rewind();

private:
    bool Fill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::string carry_; // a line that spans buffer refills, CRs taken out
};

// Writes lines, each followed by CR LF, through a fixed-size buffer.
class LineWriter {
public:
    explicit LineWriter(std::FILE* file);
    ~LineWriter() = default;
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Throws LineFileFailure when the file refuses the bytes.
    void WriteLine(std::string_view line);
    void Flush();

private:
    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

// An output file that appears under its name only when it is complete: the
// lines go to a temporary file in the same folder, which Commit() renames
// over the target. Dropped without Commit(), the temporary file is removed
// and an older file of the target's name is left as it was.
class ReplacingOutputFile {
public:
    // Throws Error("Cannot create file \"PATH\". REASON").
    explicit ReplacingOutputFile(std::string path);
    ~ReplacingOutputFile();
    ReplacingOutputFile(const ReplacingOutputFile&) = delete;
    ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

    LineWriter& writer() { return *writer_; }
    // Flushes, closes and renames. Throws LineFileFailure on failure (the
    // temporary file is then removed).
    void Commit();

private:
    void Discard();

    std::string path_;
    std::string temporary_;
    FileHandle file_;
    std::unique_ptr<LineWriter> writer_;
};

} // namespace c2c
