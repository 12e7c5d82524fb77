#pragma once
// Runs drevanta-c2c-cli as a script would, capturing what it prints.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace c2c::testing {

struct CliResult {
    int status = -1;
    std::string out, err;
};

// The program as built, beside the other programs.
inline std::string CliProgram()
{
    const char* binDir = std::getenv("C2C_BIN_DIR");
    EXPECT_NE(binDir, nullptr) << "C2C_BIN_DIR must name the program folder";
    return std::string(binDir ? binDir : ".") + "/drevanta-c2c-cli";
}

// `arguments` are passed through the shell as they are (quote paths).
// `shellFirst` runs in the same shell before the program ("ulimit -f 2;").
inline CliResult RunCli(const std::string& arguments, const std::string& program = CliProgram(),
                        const std::string& shellFirst = "")
{
    TempDir streams;
    const std::string command = shellFirst + " exec '" + program + "' " + arguments + " >'" + (streams / "out") +
                                "' 2>'" + (streams / "err") + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(streams / "out"), ReadText(streams / "err")};
}

// A run that must succeed: its failure is reported with the command and
// what it wrote to standard error.
inline CliResult RunCliOk(const std::string& arguments)
{
    CliResult result = RunCli(arguments);
    EXPECT_EQ(result.status, 0) << arguments << "\n" << result.err;
    return result;
}

// Starts the program with `arguments` (no shell), its standard output and
// error going to the files named; returns at once.
inline pid_t StartCli(const std::vector<std::string>& arguments, const std::string& outFile,
                      const std::string& errFile)
{
    std::string program = CliProgram();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv = {program.data()};
        for (std::string& argument : copies)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (!std::freopen(outFile.c_str(), "w", stdout) || !std::freopen(errFile.c_str(), "w", stderr))
            ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

// The exit status of a started run; -1 when a signal ended it.
inline int WaitCli(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Original and modified identifiers, as inspect --json lists them.
using Translations = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
inline std::string TranslationsJson(const Translations& entries)
{
    std::string text = "[";
    for (const auto& [original, modified] : entries)
        text += (text.size() > 1 ? ", " : "") + std::string("{\"original\": ") + std::to_string(original) +
                ", \"modified\": " + std::to_string(modified) + "}";
    return text + "]";
}

} // namespace c2c::testing
