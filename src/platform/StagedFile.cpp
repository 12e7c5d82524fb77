#include "platform/StagedFile.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <utility>

namespace c2c {

namespace {

// Large blocks: a trace of millions of lines goes out in few writes.
constexpr std::size_t kWriteBuffer = 256 * 1024;

} // namespace

void StandardOutputSink::Write(std::string_view text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        throw Error("Cannot write to standard output");
}

void StandardOutputSink::Flush()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw Error("Cannot write to standard output");
}

StagedFile::StagedFile(std::string target, Durability durability)
    : target_(std::move(target)), durability_(durability)
{
    switch (KindOf(target_)) {
    case PathKind::Folder:
        Fail(EISDIR);
    case PathKind::Special:
        // Renaming over /dev/null would put a regular file in its place.
        throw CannotCreateFile(target_, "It is not a regular file");
    case PathKind::Missing:
        if (target_.empty())
            Fail(ENOENT);
        break;
    case PathKind::RegularFile:
    case PathKind::Link:
        break;
    }
    RemoveStaleTemporaries(target_);
    file_ = CreateTemporaryFileBeside(target_, temporary_);
    if (!file_) {
        temporary_.clear();
        Fail(errno);
    }
    std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
}

StagedFile::StagedFile(std::string target, std::string_view content) : StagedFile(std::move(target))
{
    Write(content);
    Finish();
}

StagedFile::~StagedFile()
{
    Discard();
}

void StagedFile::Discard()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty())
        RemoveFile(temporary_);
    temporary_.clear();
}

void StagedFile::Fail(int error)
{
    Discard();
    throw CannotCreateFile(target_, SystemReason(error));
}

void StagedFile::Write(std::string_view text)
{
    if (!file_)
        Fail(EBADF);
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        Fail(errno);
}

bool StagedFile::Rewrite(std::uint64_t offset, std::string_view bytes)
{
    if (!file_)
        Fail(EBADF);
    // Within the first bytes only (a header): a long is enough everywhere.
    if (offset > 0x7FFFFFFF)
        return false;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 ||
        (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) ||
        std::fseek(file_, 0, SEEK_END) != 0)
        Fail(errno);
    return true;
}

void StagedFile::Finish()
{
    if (!file_)
        return;
    // A full disk may show only now, when the data is flushed.
    if (std::fflush(file_) != 0 || (durability_ == Durability::Flushed && !SyncFile(file_)))
        Fail(errno);
    std::FILE* file = std::exchange(file_, nullptr);
    if (std::fclose(file) != 0)
        Fail(errno);
}

void StagedFile::Install()
{
    if (temporary_.empty())
        Fail(EBADF);
    Finish();
    if (!RenameFile(temporary_, target_))
        Fail(errno);
    temporary_.clear();
    if (durability_ == Durability::Flushed && !SyncFolderOf(target_))
        Fail(errno);
}

} // namespace c2c
