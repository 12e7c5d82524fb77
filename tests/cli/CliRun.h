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

// A run that must succeed: its failure is reported with the command and
// what it wrote to standard error.
inline CliResult RunCliOk(const std::string& arguments)
{
    CliResult result = RunCli(arguments);
    EXPECT_EQ(result.status, 0) << arguments << "\n" << result.err;
    return result;
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
