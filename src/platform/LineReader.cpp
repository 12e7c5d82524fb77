#include "platform/LineReader.h"

#include "platform/SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace c2c {

namespace {

constexpr char kEndOfFileMark = '\x1A';

} // namespace

LineReader::LineReader(Source source, LineRules rules)
    : source_(std::move(source)), rules_(rules),
      size_(std::max(rules.bufferSize, 2 * std::max<std::size_t>(rules.longestLine, 1) + 2))
{
    buffer_.reset(new char[size_]);
    rules_.longestLine = std::max<std::size_t>(rules_.longestLine, 1);
}

bool LineReader::Fill()
{
    if (atEnd_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    lfKnown_ = false;
    for (;;) {
        char* block = buffer_.get() + end_;
        const std::size_t got = source_(block, size_ - end_);
        if (got == 0) {
            atEnd_ = true;
            return false;
        }
        if (rules_.crEndsLine) {
            end_ += got;
            return true;
        }
        // Every CR goes as it is read: CR LF ends a line as LF does, and a
        // stray CR is no part of its line.
        char* kept = static_cast<char*>(std::memchr(block, '\r', got));
        if (!kept) {
            end_ += got;
            return true;
        }
        for (const char* at = kept; at < block + got; ++at)
            if (*at != '\r')
                *kept++ = *at;
        end_ = static_cast<std::size_t>(kept - buffer_.get());
        if (kept > block)
            return true;
    }
}

std::size_t LineReader::FindLf(std::size_t from)
{
    // A file without LFs (CR line ends) would otherwise be searched to the
    // end of the buffer once per line.
    if (!lfKnown_ || lf_ < from) {
        const auto* found = static_cast<const char*>(std::memchr(buffer_.get() + from, '\n', end_ - from));
        lf_ = found ? static_cast<std::size_t>(found - buffer_.get()) : end_;
        lfKnown_ = true;
    }
    return lf_;
}

bool LineReader::NextPiece(std::string_view& piece, bool& complete)
{
    for (;;) {
        if (skipLf_) {
            // Fill() moves the unread bytes: everything is looked at afresh after it.
            if (begin_ == end_ && !atEnd_) {
                Fill();
                continue;
            }
            if (begin_ < end_ && buffer_[begin_] == '\n')
                ++begin_;
            skipLf_ = false;
        }
        const char* data = buffer_.get() + begin_;
        const std::size_t available = end_ - begin_;
        std::size_t stop = FindLf(begin_) - begin_;
        char ending = stop < available ? '\n' : '\0';
        if (rules_.crEndsLine && stop > 0) {
            if (const void* cr = std::memchr(data, '\r', stop)) {
                stop = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
                ending = '\r';
            }
        }
        if (rules_.endOfFileMark && stop > 0) {
            if (const void* mark = std::memchr(data, kEndOfFileMark, stop)) {
                stop = static_cast<std::size_t>(static_cast<const char*>(mark) - data);
                ending = kEndOfFileMark;
            }
        }

        std::size_t length = stop;
        bool ends = true;
        if (stop > rules_.longestLine) {
            // Longer than a line may be, whether or not its end is in sight.
            length = rules_.longestLine;
            ends = false;
        } else if (ending == '\0') {
            // No line end in the buffer: read on, unless the input is over.
            if (!atEnd_) {
                Fill();
                continue;
            }
            if (available == 0 && !midLine_)
                return false;
        } else if (ending == kEndOfFileMark && length == 0 && !midLine_) {
            atEnd_ = true;
            begin_ = end_;
            return false;
        }

        if (!midLine_)
            ++lineNumber_;
        midLine_ = !ends;
        complete = ends;
        piece = std::string_view(data, length);
        if (!ends) {
            begin_ += length;
        } else if (ending == kEndOfFileMark) {
            atEnd_ = true;
            begin_ = end_;
        } else {
            begin_ += length + (ending == '\0' ? 0 : 1);
            skipLf_ = ending == '\r';
        }
        return true;
    }
}

bool LineReader::Next(std::string_view& line)
{
    overlong_ = false;
    bool complete = true;
    while (skipping_) {
        if (!NextPiece(line, complete))
            return false;
        skipping_ = !complete;
    }
    if (!NextPiece(line, complete))
        return false;
    overlong_ = skipping_ = !complete;
    return true;
}

LineReader::Source FileSource(std::FILE* file, std::size_t blockSize, const std::string& path)
{
    return [file, blockSize, path](char* buffer, std::size_t size) {
        const std::size_t got = std::fread(buffer, 1, std::min(size, std::max<std::size_t>(blockSize, 1)), file);
        if (got == 0 && std::ferror(file))
            throw CannotReadFile(path, SystemReason(errno));
        return got;
    };
}

} // namespace c2c
