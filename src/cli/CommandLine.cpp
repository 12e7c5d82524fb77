#include "cli/CommandLine.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"

#include <exception>
#include <filesystem>
#include <iostream>

namespace c2c::cli {

namespace {

// A project's documents and the composition's working files, which it
// deletes; bank files are refused where they matter (report, replay).
std::string ProjectFileProblem(const std::string& name)
{
    const ProjectFileRole role = ProjectFileRoleOf(name);
    if (role == ProjectFileRole::Document)
        return "cannot be " + name + ", " + ProjectFileRoleText(role);
    if (role == ProjectFileRole::WorkingFile)
        return "cannot be " + name + ", " + ProjectFileRoleText(role) + ", which deletes it";
    return "";
}

std::optional<std::array<bool, kBankCount>> TryParseBankList(const std::string& list)
{
    std::array<bool, kBankCount> banks{};
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.size() != 1 || item[0] < '1' || item[0] > '0' + kBankCount)
            return std::nullopt;
        banks[static_cast<std::size_t>(item[0] - '1')] = true;
        if (comma == std::string::npos)
            return banks;
        start = comma + 1;
    }
}

} // namespace

ProjectLayout ProjectArgument(const std::string& argument)
{
    std::string folder = argument;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    if (!folder.empty()) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(folder, ec);
        if (!ec)
            folder = absolute.string();
    }
    ProjectLayout project(ExecutableDirectory());
    project.SetProjectDir(folder);
    return project;
}

ProjectLayout ExistingProject(const std::string& argument)
{
    ProjectLayout project = ProjectArgument(argument);
    project.RequireProject();
    if (!PathExists(project.ProjectDir()))
        throw Error("Project folder \"" + project.ProjectDir() + "\" not found");
    if (!DirectoryExists(project.ProjectDir()))
        throw Error("\"" + project.ProjectDir() + "\" is not a folder");
    if (!PathExists(project.PargenFile()))
        throw Error("\"" + project.ProjectDir() + "\" is no project: it holds no pargen.xml");
    if (!IsRegularFile(project.PargenFile()))
        throw Error("\"" + project.PargenFile() + "\" is not a regular file");
    return project;
}

int Reporting(const std::function<int()>& work, int failed)
{
    try {
        return work();
    } catch (const std::exception& error) {
        std::cerr << GeneralErrorText(error.what()) << "\n";
        return failed;
    }
}

CLI::Option* AddQuietFlag(CLI::App& command, bool& quiet, const std::string& help)
{
    return command.add_flag("-q,--quiet", quiet, help);
}

const CLI::Validator& NonEmpty()
{
    static const CLI::Validator validator(
        [](std::string& value) { return value.empty() ? std::string("an empty value names nothing") : std::string(); },
        "");
    return validator;
}

const CLI::Validator& NoProjectFileName()
{
    static const CLI::Validator validator([](std::string& value) { return ProjectFileProblem(FileNameOf(value)); },
                                          "");
    return validator;
}

const CLI::Validator& FirmwareFileName()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            if (value.find_first_of("/\\") != std::string::npos || value == "." || value == "..")
                return std::string("takes a file name without a folder: the firmware goes into the project folder");
            return ProjectFileProblem(value);
        },
        "");
    return validator;
}

const CLI::Validator& BankList()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            return TryParseBankList(value) ? std::string()
                                           : "takes bank numbers 1 to 5 separated by commas, not " + QuotedValue(value);
        },
        "");
    return validator;
}

std::array<bool, kBankCount> ParseBankList(const std::string& list)
{
    return TryParseBankList(list).value_or(std::array<bool, kBankCount>{});
}

const char* OutcomeName(RouteOutcome outcome)
{
    switch (outcome) {
    case RouteOutcome::Passed:
        return "passed";
    case RouteOutcome::Blocked:
        return "blocked";
    case RouteOutcome::NotReceived:
        return "not_received";
    }
    return "";
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            out += kUpperHexDigits[(c >> 4) & 0xF];
            out += kUpperHexDigits[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void StreamMessages::showMessage(const std::string& text)
{
    err_ << text << "\n";
}

void StreamMessages::showError(const std::string& text)
{
    err_ << text << "\n";
}

bool StreamMessages::confirm(const std::string& text)
{
    err_ << text << "\n";
    return false;
}

bool StreamMessages::askAlert(const std::string& text)
{
    err_ << text << "\n";
    return false;
}

} // namespace c2c::cli
