// build PROJECT_DIR: the "Update Device" build without the window. Builds
// the configuration image from the project's pargen.xml and CanCanCobID.xml
// and writes bin/bank1.bin .. bank5.bin and bin/bankg.c.

#include "cli/Commands.h"

#include "operations/Operations.h"
#include "platform/Error.h"
#include "project/ProjectLayout.h"

#include <exception>
#include <ostream>

namespace c2c::cli {

const char* const kBuildSummary = "build PROJECT_DIR: write the bank files and bankg.c of a project";
const char* const kBuildHelp =
    "usage: drevanta-c2c-cli build PROJECT_DIR\n"
    "\n"
    "Builds the configuration image of the project in PROJECT_DIR from its\n"
    "pargen.xml and CanCanCobID.xml, exactly as \"Update Device\" does, and\n"
    "writes PROJECT_DIR/bin/bank1.bin .. bank5.bin and PROJECT_DIR/bin/bankg.c,\n"
    "replacing older files. The bin folder must exist.\n"
    "\n"
    "Exit status: 0 when every file is written; 1 on an error, whose text\n"
    "(as the program's error report shows it) goes to standard error;\n"
    "2 for a wrong command line.\n";

int RunBuildCommand(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    if (arguments.size() != 1) {
        err << kBuildHelp;
        return 2;
    }

    try {
        UpdateDevice(ProjectArgument(arguments[0]));
    } catch (const std::exception& error) {
        err << GeneralErrorText(error.what()) << "\n";
        return 1;
    }
    return 0;
}

} // namespace c2c::cli
