#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
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
    if (fs::is_directory(ToPath(path), ec))
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

#ifndef _WIN32
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

} // namespace c2c
