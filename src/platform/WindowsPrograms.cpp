#include "platform/WindowsPrograms.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace c2c {

bool IsWindowsExecutable(const std::string& path)
{
    if (!FileExists(path))
        return false;
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

std::string FindWine(const std::string& searchPath)
{
#ifdef _WIN32
    (void)searchPath;
    return "";
#else
    for (const char* name : {"wine", "wine64"}) {
        std::size_t start = 0;
        while (start <= searchPath.size()) {
            std::size_t end = searchPath.find(':', start);
            if (end == std::string::npos)
                end = searchPath.size();
            // An empty entry is the current folder, which is never searched
            // here: a Wine lying in some project folder is not started.
            const std::string folder = searchPath.substr(start, end - start);
            if (!folder.empty() && folder.front() == '/') {
                const std::string candidate = JoinPath(folder, name);
                if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0)
                    return candidate;
            }
            start = end + 1;
        }
    }
    return "";
#endif
}

std::optional<ProgramStart> HowToStart(const std::string& program, std::vector<std::string> arguments)
{
#ifndef _WIN32
    if (IsWindowsExecutable(program)) {
        const char* path = std::getenv("PATH");
        const std::string wine = FindWine(path ? path : "");
        if (wine.empty())
            return std::nullopt;
        arguments.insert(arguments.begin(), program);
        return ProgramStart{wine, std::move(arguments)};
    }
#endif
    return ProgramStart{program, std::move(arguments)};
}

} // namespace c2c
