#include "firmware/SRecordFiles.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace c2c {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr char kEndOfFileMark = '\x1A';

std::string Reason(int error)
{
    return std::generic_category().message(error);
}

// Appends `length` bytes to `line`, leaving out every CR.
void AppendWithoutCr(std::string& line, const char* data, std::size_t length)
{
    const char* end = data + length;
    while (data < end) {
        const char* cr = static_cast<const char*>(std::memchr(data, '\r', static_cast<std::size_t>(end - data)));
        const char* stop = cr ? cr : end;
        line.append(data, static_cast<std::size_t>(stop - data));
        data = cr ? cr + 1 : end;
    }
}

} // namespace

FileHandle OpenForReading(const std::string& path)
{
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw Error("Cannot open file \"" + path + "\". " + Reason(errno));
    return file;
}

LineReader::LineReader(std::FILE* file) : file_(file), buffer_(kBlockSize) {}

bool LineReader::Fill()
{
    begin_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ > 0)
        return true;
    if (std::ferror(file_))
        throw LineFileFailure("read failed");
    atEnd_ = true;
    return false;
}

void LineReader::Rewind()
{
    if (std::fseek(file_, 0, SEEK_SET) != 0)
        throw LineFileFailure("seek failed");
    std::clearerr(file_);
    begin_ = end_ = 0;
    atEnd_ = false;
    carry_.clear();
}

bool LineReader::Next(std::string_view& line)
{
    carry_.clear();
    bool started = false; // bytes of this line have been consumed
    for (;;) {
        if (begin_ == end_ && (atEnd_ || !Fill())) {
            line = carry_;
            return started;
        }
        const char* data = buffer_.data() + begin_;
        std::size_t available = end_ - begin_;
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', available));
        std::size_t length = lf ? static_cast<std::size_t>(lf - data) : available;

        if (const void* mark = std::memchr(data, kEndOfFileMark, length)) {
            std::size_t before = static_cast<std::size_t>(static_cast<const char*>(mark) - data);
            AppendWithoutCr(carry_, data, before);
            started = started || before > 0;
            begin_ = end_;
            atEnd_ = true;
            line = carry_;
            return started;
        }
        if (!lf) {
            AppendWithoutCr(carry_, data, length);
            started = true;
            begin_ = end_;
            continue;
        }
        begin_ += length + 1;
        if (!started) {
            // The usual case: the whole line lies in the buffer, with at most
            // the CR of a CR LF before its LF. Hand it out without a copy.
            const char* cr = static_cast<const char*>(std::memchr(data, '\r', length));
            if (!cr || cr == data + length - 1) {
                line = std::string_view(data, cr ? length - 1 : length);
                return true;
            }
        }
        AppendWithoutCr(carry_, data, length);
        line = carry_;
        return true;
    }
}

LineWriter::LineWriter(std::FILE* file) : file_(file), buffer_(kBlockSize) {}

void LineWriter::WriteLine(std::string_view line)
{
    if (used_ + line.size() + 2 > buffer_.size()) {
        Flush();
        if (line.size() + 2 > buffer_.size()) {
            if (std::fwrite(line.data(), 1, line.size(), file_) != line.size())
                throw LineFileFailure("write failed");
            line = {};
        }
    }
    if (!line.empty()) // memcpy must not be given the null pointer of an empty view
        std::memcpy(buffer_.data() + used_, line.data(), line.size());
    used_ += line.size();
    buffer_[used_++] = '\r';
    buffer_[used_++] = '\n';
}

void LineWriter::Flush()
{
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_)
        throw LineFileFailure("write failed");
    used_ = 0;
    if (std::fflush(file_) != 0)
        throw LineFileFailure("write failed");
}

ReplacingOutputFile::ReplacingOutputFile(std::string path) : path_(std::move(path))
{
    auto fail = [&](int error) { throw Error("Cannot create file \"" + path_ + "\". " + Reason(error)); };
    if (DirectoryExists(path_))
        fail(EISDIR);
    std::FILE* file = CreateTemporaryFileBeside(path_, temporary_);
    if (!file)
        fail(errno);
    file_.reset(file);
    writer_ = std::make_unique<LineWriter>(file_.get());
}

ReplacingOutputFile::~ReplacingOutputFile()
{
    if (file_)
        Discard();
}

void ReplacingOutputFile::Discard()
{
    writer_.reset();
    file_.reset();
    RemoveFile(temporary_);
}

void ReplacingOutputFile::Commit()
{
    try {
        writer_->Flush();
    } catch (const LineFileFailure&) {
        Discard();
        throw;
    }
    writer_.reset();
    // On the disk before the rename makes it the file: a power loss leaves
    // the old file or the new one.
    const bool flushed = FlushFileToDisk(file_.get());
    int closed = std::fclose(file_.release());
    if (!flushed || closed != 0 || !RenameFile(temporary_, path_)) {
        RemoveFile(temporary_);
        throw LineFileFailure("cannot complete " + path_);
    }
}

} // namespace c2c
