#include "cli/Commands.h"

#include <ostream>

namespace c2c::cli {

const char* const kComposeSummary = "compose PROJECT_DIR --master FILE: compose a project's new firmware";
const char* const kComposeHelp = "usage: drevanta-c2c-cli compose PROJECT_DIR --master FILE [--out NAME] [--banks LIST]\n";

int RunComposeCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "compose: not available yet\n";
    return 1;
}

} // namespace c2c::cli
