#include "platform/FolderLock.h"

#include "platform/Error.h"
#include "platform/SystemReason.h"

#include <system_error>
#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <filesystem>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace c2c {

namespace {

[[noreturn]] void Fail(const std::string& folder, const std::string& reason)
{
    throw Error("Cannot lock folder \"" + folder + "\". " + reason);
}

} // namespace

#ifdef _WIN32

std::optional<FolderLock> FolderLock::TryLock(const std::string& folder)
{
    const std::wstring path = (std::filesystem::path(folder) / ".c2c-lock").wstring();
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Held: the file is open elsewhere, or still being deleted after its
        // holder closed it. A folder where it cannot even be made is an error.
        if (error == ERROR_SHARING_VIOLATION)
            return std::nullopt;
        if (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return std::nullopt;
        Fail(folder, std::system_category().message(static_cast<int>(error)));
    }
    FolderLock lock;
    lock.handle_ = handle;
    return lock;
}

void FolderLock::Release()
{
    if (handle_)
        ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

#else

std::optional<FolderLock> FolderLock::TryLock(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail(folder, SystemReason(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return std::nullopt;
        Fail(folder, SystemReason(error));
    }
    FolderLock lock;
    lock.fd_ = fd;
    return lock;
}

void FolderLock::Release()
{
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the lock
    fd_ = -1;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

#endif

FolderLock::~FolderLock()
{
    Release();
}

} // namespace c2c
