#pragma once
// An exclusive lock on a folder between processes. The system releases it
// when the holding process ends in any way, a crash included, so a lock can
// never be left behind.
//
// On Linux the folder itself is locked (flock on the opened folder); on
// Windows a hidden lock file in the folder is held open without sharing and
// goes when it is closed.

#include <optional>
#include <string>

namespace c2c {

class FolderLock {
public:
    // Takes the lock without waiting. Nothing when it is held elsewhere, by
    // another process or by another FolderLock of this one. Throws
    // Error("Cannot lock folder \"PATH\". REASON") when the folder cannot be
    // opened.
    static std::optional<FolderLock> TryLock(const std::string& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    FolderLock() = default;
    void Release();

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace c2c
