// The part of the file-system services that is the same on every system;
// FileSystemPosix.cpp and FileSystemWindows.cpp hold the rest.

#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "platform/StagedFile.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace c2c {

bool FileExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    auto status = fs::status(fs::path(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool DirectoryExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(fs::path(path), ec);
}

bool PathExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

bool IsRegularFile(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

PathKind KindOf(const std::string& path)
{
    if (path.empty())
        return PathKind::Missing;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(fs::path(path), ec);
    switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::none:
        return PathKind::Missing;
    case fs::file_type::regular:
        return PathKind::RegularFile;
    case fs::file_type::directory:
        return PathKind::Folder;
    case fs::file_type::symlink:
        return PathKind::Link;
    default:
        return PathKind::Special;
    }
}

bool CreateDirectory(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::create_directory(fs::path(path), ec) && !ec;
}

bool CreateDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directories(fs::path(path), ec);
    return DirectoryExists(path);
}

bool RemoveFile(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    // A link is removed itself, whatever it points to.
    if (fs::is_directory(fs::symlink_status(fs::path(path), ec)))
        return false;
    return fs::remove(fs::path(path), ec) && !ec;
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

std::optional<std::string> FollowLinks(const std::string& path, std::vector<std::string>* passed)
{
    // As many links as the system follows itself before it gives up.
    constexpr int kMostLinks = 40;
    std::string at = path;
    for (int step = 0; step <= kMostLinks; ++step) {
        if (passed)
            passed->push_back(at);
        if (KindOf(at) != PathKind::Link)
            return at;
        std::error_code ec;
        const fs::path target = fs::read_symlink(fs::path(at), ec);
        if (ec)
            return std::nullopt;
        at = target.is_absolute() ? target.string() : (fs::path(at).parent_path() / target).string();
    }
    return std::nullopt;
}

std::string TemporaryNamePrefix(const std::string& path)
{
    return FileNameOf(path) + ".tmp-c2c-";
}

std::string ReadWholeFile(const std::string& path, std::size_t maxSize)
{
    FileHandle file = OpenRegularFile(path);
    std::string content;
    char block[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        if (content.size() + got > maxSize)
            throw CannotReadFile(path, "It is larger than " + std::to_string(maxSize) + " bytes");
        content.append(block, got);
        if (got < sizeof block) {
            if (std::ferror(file.get()))
                throw CannotReadFile(path, SystemReason(errno));
            return content;
        }
    }
}

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    StagedFile file(path, content);
    file.Install();
}

} // namespace c2c
