// The file-system services that take Windows calls: temporary files,
// flushes to the disk, the program's and the user's folders.

#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
// windows.h names its own CreateDirectory; ours is the one meant here.
#undef CreateDirectory

namespace fs = std::filesystem;

namespace c2c {

namespace {

// "PID-N", the part CreateTemporaryFileBeside adds to the prefix.
bool IsTemporarySuffix(const std::string& suffix)
{
    const std::size_t dash = suffix.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (i != dash && (suffix[i] < '0' || suffix[i] > '9'))
            return false;
    return true;
}

} // namespace

bool RenameFile(const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty())
        return false;
    // Write-through: the call returns once the new name is on the disk.
    if (::MoveFileExW(fs::path(from).c_str(), fs::path(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // The callers tell the reason by errno, as on other systems.
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EBUSY;
        break;
    default:
        errno = EIO;
        break;
    }
    return false;
}

bool IsSystemFolder(const std::string&)
{
    // The rights on a folder tell (see CanCreateFilesIn).
    return false;
}

std::string UserDataDirectory()
{
    auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    std::string base = variable("LOCALAPPDATA");
    if (base.empty())
        base = variable("APPDATA");
    return base.empty() ? std::string() : JoinPath(base, "Drevanta C2C");
}

bool IsInDeviceFolder(const std::string& path)
{
    // Device names (NUL, COM1) are no regular files, and refused as such;
    // the device namespace is named by its prefix.
    return path.rfind("\\\\.\\", 0) == 0;
}

bool CanCreateFilesIn(const std::string& folder)
{
    // The folder's rights (ACLs) decide, and only trying tells them.
    if (!DirectoryExists(folder))
        return false;
    const std::wstring probe =
        fs::path(JoinPath(folder, ".c2c-write-test-" + std::to_string(::GetCurrentProcessId()))).wstring();
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary)
{
    // O_EXCL: the name is never one that is there already. An open file
    // cannot be deleted on Windows, so a later run cannot take it for stale.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp-c2c-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
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

void RemoveStaleTemporaries(const std::string& path)
{
    std::string folder = FolderOf(path);
    if (folder.empty())
        folder = ".";
    const std::string prefix = TemporaryNamePrefix(path);
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) != 0 || !IsTemporarySuffix(name.substr(prefix.size())))
            continue;
        std::error_code status;
        if (!fs::is_regular_file(fs::symlink_status(it->path(), status)))
            continue;
        // Fails, and leaves the file, while another run has it open.
        ::DeleteFileW(it->path().c_str());
    }
}

void ReportFileSizeLimitAsError()
{
    // Windows has no per-process limit on file sizes.
}

FileHandle OpenRegularFile(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec))
        throw CannotOpenFile(path, fs::exists(fs::path(path), ec) ? std::string("It is not a regular file")
                                                                  : SystemReason(ENOENT));
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw CannotOpenFile(path, SystemReason(errno));
    return file;
}

bool SyncFile(std::FILE* file)
{
    return std::fflush(file) == 0 &&
           ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)))) != 0;
}

bool SyncFileNamed(const std::string& path)
{
    HANDLE file = ::CreateFileW(fs::path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
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

} // namespace c2c
