// Starting the flasher from the command line: a process of its own that
// outlives this one and is not waited for.

#include "cli/CommandLine.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace c2c::cli {

#ifdef _WIN32

namespace {

// One argument as the C runtime of the started program splits the command line.
std::string QuotedArgument(const std::string& argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

} // namespace

bool ProcessShell::startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& workingDirectory)
{
    std::string commandLine = QuotedArgument(program);
    for (const std::string& argument : arguments)
        commandLine += " " + QuotedArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

#else

bool ProcessShell::startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& workingDirectory)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The started program reports a failed chdir or exec through this pipe;
    // a successful exec closes it without a word.
    int report[2];
    if (::pipe(report) != 0)
        return false;
    ::fcntl(report[1], F_SETFD, FD_CLOEXEC);

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // The child starts the program from a second child and ends at once,
        // so the program belongs to no one here and leaves no zombie.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        int error = 0;
        if (workingDirectory.empty() || ::chdir(workingDirectory.c_str()) == 0)
            ::execv(program.c_str(), argv.data());
        error = errno;
        [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

#endif

bool ProcessShell::openUrl(const std::string&)
{
    return false;
}

} // namespace c2c::cli
