#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
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
    if (fs::is_directory(ToPath(path), ec))
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

std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary)
{
#ifdef _WIN32
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
#else
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
#endif
}

bool FlushFileToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)))) != 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(ToPath(path), std::ios::binary);
    if (!in)
        throw Error("Cannot open file \"" + path + "\". " + SystemReason(errno));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        throw Error("Cannot read file \"" + path + "\". " + SystemReason(errno));
    return content.str();
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

#ifndef _WIN32
bool CanCreateFilesIn(const std::string& folder)
{
    // access() answers for this process's user, root included, and knows
    // read-only file systems.
    return DirectoryExists(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
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

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    auto fail = [&](DWORD error) -> void {
        throw Error("Cannot create file \"" + path + "\". " + WindowsReason(error));
    };
    if (path.empty())
        fail(ERROR_PATH_NOT_FOUND);
    if (DirectoryExists(path))
        fail(ERROR_ACCESS_DENIED);

    // A temporary name of this process's own beside the file; CREATE_NEW
    // never takes over a file that is there already.
    static unsigned counter = 0;
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = ToPath(path + ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(counter++)).wstring();
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = ::GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        fail(error);

    auto abandon = [&](DWORD reason) -> void {
        ::CloseHandle(file);
        ::DeleteFileW(temporary.c_str());
        fail(reason);
    };
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            abandon(::GetLastError());
        data += written;
        left -= written;
    }
    // Durable: the bytes are on the disk before the rename, and the rename
    // itself is written through, so a power loss leaves the old file or the
    // new one.
    if (!::FlushFileBuffers(file))
        abandon(::GetLastError());
    if (!::CloseHandle(file)) {
        error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        fail(error);
    }
    if (!::MoveFileExW(temporary.c_str(), ToPath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        fail(error);
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

} // namespace c2c
