#pragma once
// Runs drevanta-c2c-cli as a script would, capturing what it prints.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>

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
inline CliResult RunCli(const std::string& arguments, const std::string& program = CliProgram())
{
    TempDir streams;
    const std::string command =
        "'" + program + "' " + arguments + " >'" + (streams / "out") + "' 2>'" + (streams / "err") + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(streams / "out"), ReadText(streams / "err")};
}

} // namespace c2c::testing
