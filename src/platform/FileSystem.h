#pragma once
// File-system services: existence tests, folders, reads of regular files
// that never wait, and atomic, durable whole-file writes. Paths are plain
// strings joined with the native separator.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
// The separator as a string, for concatenation.
inline const std::string kSep(1, kPathSeparator);

bool FileExists(const std::string& path);      // an existing regular file (or other non-folder)
bool DirectoryExists(const std::string& path); // true only for an existing folder
bool PathExists(const std::string& path);      // anything at all
// True only for an existing regular file: not a folder, FIFO, device or socket
// (reading one of those could block or never end).
bool IsRegularFile(const std::string& path);

// Creates one folder level; false when it cannot (exists, parent missing, no rights).
bool CreateDirectory(const std::string& path);
// Creates a folder with every missing level; false when it does not exist afterwards.
bool CreateDirectories(const std::string& path);

// Deletes a file; false when there was nothing to delete or it could not be.
bool RemoveFile(const std::string& path);
// Renames a file, replacing any file of the new name; false on failure.
bool RenameFile(const std::string& from, const std::string& to);

// `name` in `folder`: folder + separator + name, or `name` alone when there
// is no folder.
std::string JoinPath(const std::string& folder, const std::string& name);

// The last component of a path (after the last separator of either kind).
std::string FileNameOf(const std::string& path);
// Everything before the last separator of either kind, without it.
std::string FolderOf(const std::string& path);

// The largest document read whole: far beyond any real one, small enough
// that a wrong file cannot exhaust the memory.
inline constexpr std::size_t kMaxDocumentSize = 64 * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file (a link to one included) for binary reading. A FIFO,
// a device, a socket or a folder is refused at once, never waited on.
// Throws Error("Cannot open file \"PATH\". REASON").
FileHandle OpenRegularFile(const std::string& path);

// Reads a whole regular file of at most `maxSize` bytes. Throws
// Error("Cannot open file \"PATH\". REASON") or Error("Cannot read file ...").
std::string ReadWholeFile(const std::string& path, std::size_t maxSize = kMaxDocumentSize);

// Writes a whole file through a temporary file in the same folder that is
// flushed to disk and renamed over the old one, then the folder is flushed:
// a failed write or a power loss leaves the old file or the new one, never a
// part. A link of that name is replaced, not followed; a FIFO, a device
// or a socket of that name is refused and left alone. Throws
// Error("Cannot create file \"PATH\". REASON") on any failure.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Flushes an open file's data to the disk. False on failure.
bool SyncFile(std::FILE* file);
// Sends what the system cached of the file `path` to the disk. False on
// failure. (Windows flushes only through a handle open for writing.)
bool SyncFileNamed(const std::string& path);
// Flushes the folder holding `path`, so a rename into it survives a power
// loss. False on failure (file systems that cannot flush folders count as
// done).
bool SyncFolderOf(const std::string& path);

// What a name stands for, a link not followed.
enum class PathKind { Missing, RegularFile, Folder, Link, Special };
PathKind KindOf(const std::string& path);

// Where a chain of links starting at `path` ends: the first name that is
// no link (which may not exist), with every link's target taken relative
// to the link's folder. `passed` receives every name of the chain, `path`
// and the end included. Nothing when the chain does not end (a loop).
std::optional<std::string> FollowLinks(const std::string& path, std::vector<std::string>* passed = nullptr);
// Whether `path` lies in a folder of the system's devices and processes
// (/dev, /proc, /sys on Linux), following links in its folders; a file
// written there is no file of the user's.
bool IsInDeviceFolder(const std::string& path);

// Creates a new file beside `path` under a temporary name of the program's
// own (set in `temporary`), with the rights of the regular file it will
// replace or else those an ordinary new file gets, and opens it for binary
// writing. While it is open, other runs see that it is in use. Nothing,
// with errno set, when it cannot.
std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary);
// Removes the temporary files that runs killed while saving `path` left
// beside it: only names CreateTemporaryFileBeside makes for `path`, and
// only those no running process has open. Never fails.
void RemoveStaleTemporaries(const std::string& path);
// The start of every temporary name CreateTemporaryFileBeside makes for
// `path`: its file name and ".tmp-c2c-".
std::string TemporaryNamePrefix(const std::string& path);

// Makes a write beyond a file-size limit (ulimit -f) fail with an error the
// program reports, instead of ending the process without a word. Nothing
// to do where there is no such limit.
void ReportFileSizeLimitAsError();

// Folder of the running executable, without a trailing separator.
std::string ExecutableDirectory();

// Whether this process may create files in `folder` (false for a missing
// folder, a read-only one, or one on a read-only file system).
bool CanCreateFilesIn(const std::string& folder);
// Whether `folder` belongs to the installed system, where a program never
// keeps the user's work: /usr and what is below it on Linux; nothing on
// Windows, where the rights on a folder tell.
bool IsSystemFolder(const std::string& folder);
// The folder for this program's data of the user running it, without a
// trailing separator: $XDG_DATA_HOME/drevanta-c2c, by default
// ~/.local/share/drevanta-c2c, on Linux; %LOCALAPPDATA%\Drevanta C2C on
// Windows. Empty when the system does not say where that is.
std::string UserDataDirectory();

} // namespace c2c
