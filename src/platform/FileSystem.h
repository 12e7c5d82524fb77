#pragma once
// File-system services: existence tests, folders, whole-file reads and
// atomic whole-file writes. Paths are plain strings joined with the native
// separator.

#include <cstdint>
#include <cstdio>
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

// Reads a whole file. Throws Error("Cannot open file \"PATH\". REASON").
std::string ReadWholeFile(const std::string& path);

// Writes a whole file through a temporary file in the same folder that is
// renamed over the old one, so a failed write leaves the old file as it was.
// Throws Error("Cannot create file \"PATH\". REASON") on any failure.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Creates a new file beside `path` under a temporary name of its own (set
// in `temporary`), with the rights an ordinary new file gets, and opens it
// for binary writing. Nothing, with errno set, when it cannot.
std::FILE* CreateTemporaryFileBeside(const std::string& path, std::string& temporary);

// Sends what the C library buffered for `file`, and what the system cached
// of it, to the disk. False when that fails.
bool FlushFileToDisk(std::FILE* file);

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
