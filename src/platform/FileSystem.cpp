#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
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

// The text of an errno value. (On Windows the system's own error codes are
// another set of numbers, told by WindowsReason.)
std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

#ifdef _WIN32
std::string WindowsReason(DWORD error)
{
    return std::system_category().message(static_cast<int>(error));
}
#endif

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

bool IsRegularFile(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(ToPath(path), ec);
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
#ifdef _WIN32
    // Write-through: the call returns once the new name is on the disk.
    return ::MoveFileExW(ToPath(from).c_str(), ToPath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code ec;
    fs::rename(ToPath(from), ToPath(to), ec);
    return !ec;
#endif
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

bool IsSystemFolder(const std::string& folder)
{
#ifdef _WIN32
    (void)folder;
    return false;
#else
    return folder == "/usr" || folder.rfind("/usr/", 0) == 0;
#endif
}

std::string UserDataDirectory()
{
    auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
#ifdef _WIN32
    std::string base = variable("LOCALAPPDATA");
    if (base.empty())
        base = variable("APPDATA");
    return base.empty() ? std::string() : JoinPath(base, "Drevanta C2C");
#else
    // XDG: a relative XDG_DATA_HOME is to be ignored.
    std::string base = variable("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        const std::string home = variable("HOME");
        if (home.empty() || home.front() != '/')
            return "";
        base = JoinPath(home, ".local/share");
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return JoinPath(base, "drevanta-c2c");
#endif
}

StagedFile::~StagedFile()
{
    if (!temporary_.empty())
        RemoveFile(temporary_);
}

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    StagedFile file(path, content);
    file.Install();
    if (!SyncFolderOf(path))
        throw Error("Cannot create file \"" + path + "\". " + SystemReason(errno));
}

#ifndef _WIN32
bool CanCreateFilesIn(const std::string& folder)
{
    // access() answers for this process's user, root included, and knows
    // read-only file systems.
    return DirectoryExists(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary)
{
    temporary = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return nullptr;
    // mkstemp makes the file private to its owner; give it the mode of an
    // ordinary new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
    }
    return file;
}

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

bool SyncFileNamed(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
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

StagedFile::StagedFile(std::string target, std::string_view content) : target_(std::move(target))
{
    auto fail = [&](int error) -> void {
        throw Error("Cannot create file \"" + target_ + "\". " + SystemReason(error));
    };
    if (target_.empty())
        fail(ENOENT);
    struct stat old {};
    const bool exists = ::lstat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        fail(EISDIR);
    // A FIFO, a device or a socket is no file to replace: renaming over
    // /dev/null would put a regular file in its place.
    if (exists && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        throw Error("Cannot create file \"" + target_ + "\". It is not a regular file");

    std::string pattern = target_ + ".tmp-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        fail(errno);

    // mkstemp creates the file readable by the owner only; give it the mode
    // an ordinary new file would have, or keep the mode of the file replaced.
    if (exists && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(pattern.c_str());
        fail(error);
    };
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // A full disk may show only now, when the data is flushed.
    if (::fsync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(pattern.c_str());
        fail(error);
    }
    temporary_ = std::move(pattern);
}

void StagedFile::Install()
{
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        throw Error("Cannot create file \"" + target_ + "\". " + SystemReason(errno));
    temporary_.clear();
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
StagedFile::StagedFile(std::string target, std::string_view content) : target_(std::move(target))
{
    auto fail = [&](const std::string& reason) -> void {
        throw Error("Cannot create file \"" + target_ + "\". " + reason);
    };
    if (target_.empty() || DirectoryExists(target_))
        fail(WindowsReason(ERROR_ACCESS_DENIED));
    std::string temporary;
    FileHandle file(CreateTemporaryFileBeside(target_, temporary));
    if (!file)
        fail(SystemReason(errno));
    const bool written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size() &&
                         SyncFile(file.get());
    const int error = errno;
    if (std::fclose(file.release()) != 0 || !written) {
        RemoveFile(temporary);
        fail(SystemReason(written ? errno : error));
    }
    temporary_ = temporary;
}

void StagedFile::Install()
{
    const std::wstring from = ToPath(temporary_).wstring();
    const std::wstring to = ToPath(target_).wstring();
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Error("Cannot create file \"" + target_ + "\". " + WindowsReason(::GetLastError()));
    temporary_.clear();
}

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

bool CanCreateFilesIn(const std::string& folder)
{
    // The folder's rights (ACLs) decide, and only trying tells them.
    if (!DirectoryExists(folder))
        return false;
    const std::wstring probe =
        ToPath(JoinPath(folder, ".c2c-write-test-" + std::to_string(::GetCurrentProcessId()))).wstring();
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary)
{
    // O_EXCL: the name is never one that is there already.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
        const int fd = ::_open(temporary.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        std::FILE* file = ::_fdopen(fd, "wb");
        if (!file) {
            const int error = errno;
            ::_close(fd);
            ::_unlink(temporary.c_str());
            errno = error;
        }
        return file;
    }
    return nullptr;
}

bool SyncFileNamed(const std::string& path)
{
    HANDLE file = ::CreateFileW(ToPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = EACCES;
        return false;
    }
    const bool synced = ::FlushFileBuffers(file) != 0;
    ::CloseHandle(file);
    if (!synced)
        errno = EIO;
    return synced;
}

bool SyncFolderOf(const std::string&)
{
    // NTFS journals the rename itself; a replace made with write-through
    // needs no flush of the folder.
    return true;
}
#endif

} // namespace c2c
