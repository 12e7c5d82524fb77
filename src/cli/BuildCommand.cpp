#include "cli/Commands.h"

#include <ostream>

namespace c2c::cli {

const char* const kBuildSummary = "build PROJECT_DIR: write the bank files and bankg.c of a project";
const char* const kBuildHelp = "usage: drevanta-c2c-cli build PROJECT_DIR\n";

int RunBuildCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "build: not available yet\n";
    return 1;
}

} // namespace c2c::cli
