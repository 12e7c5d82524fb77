// drevanta-c2c-cli: the command-line companion of the configuration tool,
// for batch work on project folders without the windows.

#include "cli/Commands.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
    const char* const* summary;
    const char* const* help;
};

const Command kCommands[] = {
    {"build", c2c::cli::RunBuildCommand, &c2c::cli::kBuildSummary, &c2c::cli::kBuildHelp},
    {"compose", c2c::cli::RunComposeCommand, &c2c::cli::kComposeSummary, &c2c::cli::kComposeHelp},
};

void PrintUsage(std::ostream& out)
{
    out << "usage: drevanta-c2c-cli COMMAND [ARGUMENTS]\n"
           "       drevanta-c2c-cli COMMAND --help\n"
           "       drevanta-c2c-cli --version\n\n"
           "Commands:\n";
    for (const Command& command : kCommands)
        out << "  " << command.name << "\t" << *command.summary << "\n";
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        PrintUsage(std::cerr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    if (name == "--version") {
        std::cout << "drevanta-c2c-cli " << C2C_VERSION << "\n";
        return 0;
    }
    std::vector<std::string> arguments(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        for (const std::string& argument : arguments) {
            if (argument == "--help" || argument == "-h") {
                std::cout << *command.help;
                return 0;
            }
        }
        return command.run(arguments, std::cout, std::cerr);
    }
    std::cerr << "drevanta-c2c-cli: unknown command '" << name << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
