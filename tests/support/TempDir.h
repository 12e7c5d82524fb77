#pragma once
// A fresh temporary folder for one test, removed with everything in it.

#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <atomic>
#include <chrono>
#include <process.h>
#else
#include <csignal>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace c2c::testing {

// `path` with every "/" turned into the native separator: the form in which
// the program joins a path written here with "/".
inline std::string Native(std::string path)
{
#ifdef _WIN32
    for (char& c : path)
        if (c == '/')
            c = '\\';
#endif
    return path;
}

class TempDir {
public:
    TempDir()
    {
#ifdef _WIN32
        // No mkdtemp: try names made of the process, a counter and the clock
        // until a folder can be created afresh.
        static std::atomic<unsigned> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto name = "c2c-test-" + std::to_string(::_getpid()) + "-" + std::to_string(counter++) + "-" +
                              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
            std::error_code ec;
            if (std::filesystem::create_directory(base / name, ec) && !ec)
                path_ = (base / name).string();
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "c2c-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
#endif
    }
    ~TempDir()
    {
        std::error_code ec;
        // Give back write rights a test may have taken away, then remove.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + separator + relative, with the native separator throughout
    // (on Windows a "/" in `relative` becomes "\\"), as the program joins paths.
    std::string operator/(const std::string& relative) const
    {
        return path_ + Native("/" + relative);
    }

private:
    std::string path_;
};

// Makes `path` a FIFO, which a careless read would wait on for ever. False
// on Windows, which has none.
inline bool MakeFifo(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

inline void WriteText(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Root cannot be kept out of a read-only folder, so tests of write failures
// need to know whether permissions bite. On Windows the permission bits
// only set a file's read-only attribute and never keep anyone out of a folder.
inline bool PermissionsAreEnforced()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

#ifdef _WIN32
// Windows has no per-process limit on file sizes: the tests of a full disk
// are skipped there (they test the same code on Linux).
inline constexpr bool kFileSizeLimitWorks = false;
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long) {}
};
#else
inline constexpr bool kFileSizeLimitWorks = true;

// Makes every file write of this process beyond `bytes` fail (EFBIG), for
// as long as the object lives: a disk-full failure that also stops root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};
#endif

} // namespace c2c::testing
