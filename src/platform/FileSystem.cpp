#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>
// windows.h names its own CreateDirectory; ours is the one meant here.
#undef CreateDirectory
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace c2c {

namespace {

fs::path ToPath(const std::string& path)
{
    return fs::path(path);
}

std::string SystemReason(int error)
{
    return std::system_category().message(error);
}

} // namespace

bool FileExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    auto status = fs::status(ToPath(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool DirectoryExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(ToPath(path), ec);
}

bool PathExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::exists(ToPath(path), ec);
}

bool CreateDirectory(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::create_directory(ToPath(path), ec) && !ec;
}

bool CreateDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(ToPath(path), ec);
    return DirectoryExists(path);
}

bool RemoveFile(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    // A link is removed itself, whatever it points to.
    if (fs::is_directory(fs::symlink_status(ToPath(path), ec)))
        return false;
    return fs::remove(ToPath(path), ec) && !ec;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty())
        return false;
    std::error_code ec;
    fs::rename(ToPath(from), ToPath(to), ec);
    return !ec;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + kSep + name;
}

std::string FileNameOf(const std::string& path)
{
    auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path)
{
    auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ReadWholeFile(const std::string& path, std::size_t maxSize)
{
    FileHandle file = OpenRegularFile(path);
    std::string content;
    char block[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        if (content.size() + got > maxSize)
            throw Error("Cannot read file \"" + path + "\". It is larger than " + std::to_string(maxSize) + " bytes");
        content.append(block, got);
        if (got < sizeof block) {
            if (std::ferror(file.get()))
                throw Error("Cannot read file \"" + path + "\". " + SystemReason(errno));
            return content;
        }
    }
}

#ifndef _WIN32
FileHandle OpenRegularFile(const std::string& path)
{
    auto fail = [&](const std::string& reason) -> void {
        throw Error("Cannot open file \"" + path + "\". " + reason);
    };
    // Without O_NONBLOCK opening a FIFO would wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(SystemReason(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fail("It is not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FileHandle file(::fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        fail(SystemReason(error));
    }
    return file;
}

bool SyncFile(std::FILE* file)
{
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

bool SyncFolderOf(const std::string& path)
{
    std::string folder = FolderOf(path);
    if (folder.empty())
        folder = path.find('/') == 0 ? "/" : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return synced;
}

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    auto fail = [&](int error) -> void {
        throw Error("Cannot create file \"" + path + "\". " + SystemReason(error));
    };
    if (path.empty())
        fail(ENOENT);
    if (DirectoryExists(path))
        fail(EISDIR);

    std::string pattern = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        fail(errno);

    // mkstemp creates the file readable by the owner only; give it the mode
    // an ordinary new file would have, or keep the mode of the file replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            fail(error);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // A full disk may show only now, when the data is flushed.
    if (::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        fail(error);
    }
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(pattern.c_str());
        fail(error);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(pattern.c_str());
        fail(error);
    }
    if (!SyncFolderOf(path))
        fail(errno);
}

std::string ExecutableDirectory()
{
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    return exe.parent_path().string();
}
#else
void WriteFileAtomically(const std::string& path, std::string_view content)
{
    auto fail = [&](const std::string& reason) -> void {
        throw Error("Cannot create file \"" + path + "\". " + reason);
    };
    if (path.empty() || DirectoryExists(path))
        fail("Access is denied");
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(ToPath(temporary), std::ios::binary | std::ios::trunc);
        if (!out)
            fail(SystemReason(errno));
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            RemoveFile(temporary);
            fail(SystemReason(errno));
        }
    }
    std::error_code ec;
    fs::rename(ToPath(temporary), ToPath(path), ec);
    if (ec) {
        RemoveFile(temporary);
        fail(ec.message());
    }
}

std::string ExecutableDirectory()
{
    std::wstring buffer(32768, L'\0');
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) {
        std::error_code ec;
        return fs::current_path(ec).string();
    }
    buffer.resize(length);
    return fs::path(buffer).parent_path().string();
}
#endif

#ifdef _WIN32
FileHandle OpenRegularFile(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(ToPath(path), ec))
        throw Error("Cannot open file \"" + path + "\". " +
                    (fs::exists(ToPath(path), ec) ? std::string("It is not a regular file") : SystemReason(ENOENT)));
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw Error("Cannot open file \"" + path + "\". " + SystemReason(errno));
    return file;
}

bool SyncFile(std::FILE* file)
{
    return std::fflush(file) == 0 &&
           ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)))) != 0;
}

bool SyncFolderOf(const std::string&)
{
    // NTFS journals the rename itself; a replace made with write-through
    // needs no flush of the folder.
    return true;
}
#endif

} // namespace c2c
