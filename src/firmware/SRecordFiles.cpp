#include "firmware/SRecordFiles.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <cstring>
#include <system_error>

namespace c2c {

namespace {

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
    return OpenRegularFile(path);
}

LineReader::LineReader(std::FILE* file, std::size_t blockSize)
    : file_(file), pieceSize_(std::max<std::size_t>(blockSize, 64)), buffer_(std::max<std::size_t>(blockSize, 1))
{
}

bool LineReader::Fill()
{
    begin_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ > 0)
        return true;
    if (std::ferror(file_))
        throw LineFileFailure(Reason(errno));
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
    midLine_ = false;
    carry_.clear();
}

bool LineReader::Next(std::string_view& line, bool& complete)
{
    carry_.clear();
    // Bytes of this line have been consumed, here or in a piece before.
    bool started = midLine_;
    complete = true;
    midLine_ = false;
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
            if (carry_.size() >= pieceSize_) {
                // Too long to keep whole: hand out what there is.
                line = carry_;
                complete = false;
                midLine_ = true;
                return true;
            }
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

LineWriter::LineWriter(std::FILE* file, std::size_t blockSize) : file_(file), buffer_(std::max<std::size_t>(blockSize, 2))
{
}

void LineWriter::WriteLine(std::string_view line)
{
    WritePart(line);
    EndLine();
}

void LineWriter::WritePart(std::string_view part)
{
    if (used_ + part.size() > buffer_.size()) {
        Flush();
        if (part.size() > buffer_.size()) {
            if (std::fwrite(part.data(), 1, part.size(), file_) != part.size())
                throw LineFileFailure(Reason(errno));
            return;
        }
    }
    if (!part.empty()) // memcpy must not be given the null pointer of an empty view
        std::memcpy(buffer_.data() + used_, part.data(), part.size());
    used_ += part.size();
}

void LineWriter::EndLine()
{
    if (used_ + 2 > buffer_.size())
        Flush();
    buffer_[used_++] = '\r';
    buffer_[used_++] = '\n';
}

void LineWriter::Flush()
{
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_)
        throw LineFileFailure(Reason(errno));
    used_ = 0;
    if (std::fflush(file_) != 0)
        throw LineFileFailure(Reason(errno));
}

ReplacingOutputFile::ReplacingOutputFile(std::string path, std::size_t blockSize) : path_(std::move(path))
{
    auto fail = [&](int error) { throw Error("Cannot create file \"" + path_ + "\". " + Reason(error)); };
    // A folder of that name is in the way; a link is not: it is replaced.
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path_, ec)))
        fail(EISDIR);
    file_.reset(CreateTemporaryFileBeside(path_, temporary_));
    if (!file_)
        fail(errno);
    writer_ = std::make_unique<LineWriter>(file_.get(), blockSize);
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

void ReplacingOutputFile::Commit(bool durable)
{
    try {
        writer_->Flush();
        if (durable && !SyncFile(file_.get()))
            throw LineFileFailure(Reason(errno));
    } catch (const LineFileFailure&) {
        Discard();
        throw;
    }
    writer_.reset();
    if (std::fclose(file_.release()) != 0) {
        const int error = errno;
        RemoveFile(temporary_);
        throw LineFileFailure(Reason(error));
    }
    std::error_code ec;
    std::filesystem::rename(temporary_, path_, ec);
    if (ec) {
        RemoveFile(temporary_);
        throw LineFileFailure(ec.message());
    }
    if (durable && !SyncFolderOf(path_))
        throw LineFileFailure(Reason(errno));
}

} // namespace c2c
