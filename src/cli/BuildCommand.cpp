// build PROJECT_DIR: the "Update Device" build without the window. Builds
// the configuration image from the project's pargen.xml and CanCanCobID.xml
// and writes bin/bank1.bin .. bank5.bin and bin/bankg.c.

#include "cli/Commands.h"

#include "app/Workspace.h"
#include "image/BankImage.h"
#include "image/BankOutputs.h"
#include "platform/Error.h"

#include <exception>
#include <memory>
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

    Workspace workspace;
    workspace.ProjectDir = arguments[0];
    // The project folder is kept without a trailing separator, as the
    // program holds it; a bare "/" becomes empty and is refused.
    while (!workspace.ProjectDir.empty() &&
           (workspace.ProjectDir.back() == '/' || workspace.ProjectDir.back() == '\\'))
        workspace.ProjectDir.pop_back();
    workspace.UpdateDocumentPaths();

    try {
        // 80 KiB: kept off the stack.
        auto image = std::make_unique<BankImage>();
        BuildBankImage(workspace, *image);
        WriteBankBinaries(workspace, *image);
        WriteBankSource(workspace, *image);
    } catch (const std::exception& error) {
        err << GeneralErrorText(error.what()) << "\n";
        return 1;
    }
    return 0;
}

} // namespace c2c::cli
