// The file-system services that take POSIX calls (Linux): temporary files
// and their locks, flushes to the disk, regular files opened without
// waiting, the program's and the user's folders.

#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace c2c {

namespace {

// The characters mkstemp puts in place of its six Xs.
bool IsTemporarySuffix(const char* suffix)
{
    std::size_t length = 0;
    for (; suffix[length] != '\0'; ++length)
        if (!((suffix[length] >= 'A' && suffix[length] <= 'Z') || (suffix[length] >= 'a' && suffix[length] <= 'z') ||
              (suffix[length] >= '0' && suffix[length] <= '9')))
            return false;
    return length == 6;
}

std::string FolderToOpen(const std::string& path)
{
    const std::string folder = FolderOf(path);
    if (!folder.empty())
        return folder;
    return path.find('/') == 0 ? "/" : ".";
}

} // namespace

bool RenameFile(const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty())
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool IsSystemFolder(const std::string& folder)
{
    return folder == "/usr" || folder.rfind("/usr/", 0) == 0;
}

std::string UserDataDirectory()
{
    auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
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
}

bool IsInDeviceFolder(const std::string& path)
{
    auto inside = [](const std::string& at) {
        for (const char* folder : {"/dev", "/proc", "/sys"}) {
            const std::size_t length = std::strlen(folder);
            if (at.compare(0, length, folder) == 0 && (at.size() == length || at[length] == '/'))
                return true;
        }
        return false;
    };
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        return false;
    // The name as given, and where its folders really are.
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), ec);
    return inside(absolute.lexically_normal().string()) || (!ec && inside(folder.string()));
}

bool CanCreateFilesIn(const std::string& folder)
{
    // access() answers for this process's user, root included, and knows
    // read-only file systems.
    return DirectoryExists(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary)
{
    // The file name of `path` starts the temporary's name.
    temporary = path + ".tmp-c2c-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // Held while the file is written: a later run that finds it locked
    // knows that it is in use, and one that finds it free, that its writer
    // is gone. The lock goes when the file is closed or its process ends.
    ::flock(fd, LOCK_EX | LOCK_NB);
    // mkstemp makes the file private to its owner; give it the mode of the
    // file it will replace, or that of an ordinary new file.
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
    }
    return file;
}

void RemoveStaleTemporaries(const std::string& path)
{
    const std::string folder = FolderToOpen(path);
    const std::string prefix = TemporaryNamePrefix(path);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0 ||
            !IsTemporarySuffix(entry->d_name + prefix.size()))
            continue;
        const std::string stale = JoinPath(folder, entry->d_name);
        // Never through a link, never a FIFO waited on.
        const int fd = ::open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(stale.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

void ReportFileSizeLimitAsError()
{
    // The write beyond the limit then fails with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
}

FileHandle OpenRegularFile(const std::string& path)
{
    auto fail = [&](const std::string& reason) -> void { throw CannotOpenFile(path, reason); };
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
    const int fd = ::open(FolderToOpen(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return synced;
}

std::string ExecutableDirectory()
{
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    return exe.parent_path().string();
}

} // namespace c2c
