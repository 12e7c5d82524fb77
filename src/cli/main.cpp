// drevanta-c2c-cli: the command-line companion of the configuration tool,
// for batch work on project folders without the windows.

#include "cli/CommandLine.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[])
{
#ifdef _WIN32
    // The CSV and JSON go out byte for byte, CR LF included.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // Under a file-size limit (ulimit -f) a write beyond it fails with a
    // message naming the file, the temporary file goes and the old file
    // stays, instead of the process ending without a word.
    c2c::ReportFileSizeLimitAsError();
    using namespace c2c::cli;
    CLI::App app("The command-line companion of the Drevanta C2C configuration tool: batch work on project\n"
                 "folders without the windows.",
                 "drevanta-c2c-cli");
    app.set_version_flag("--version", std::string("drevanta-c2c-cli ") + C2C_VERSION);
    // A path such as /home/plant/Line3 is a path, never a Windows-style
    // option, also in the Windows build (commands inherit this setting).
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.footer("Exit status: 0 success, 1 the work failed (the reason is on standard error), 2 a wrong\n"
               "command line. drevanta-c2c-cli COMMAND --help explains each command.");

    Commands commands;
    AddProjectCommands(app, commands);
    AddCobIdCommands(app, commands);
    AddFirmwareCommands(app, commands);
    AddImageCommands(app, commands);
    AddTrafficCommands(app, commands);
    AddTwinCommand(app, commands);
    AddTrafficLoadCommand(app, commands);
    AddReviewCommands(app, commands);

    // The parser would only say that a command is missing.
    const auto known = app.get_subcommands([&](const CLI::App* command) { return argc > 1 && command->check_name(argv[1]); });
    if (argc > 1 && argv[1][0] != '-' && known.empty()) {
        std::cerr << "Unknown command " << c2c::QuotedValue(argv[1]) << "\nRun with --help for more information.\n";
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version end the run well; anything else is a wrong command line.
        const int status = app.exit(error);
        return status == 0 ? kExitSuccess : kExitUsage;
    }
    for (const Command& command : commands)
        if (command.app->parsed())
            return command.run();
    return kExitUsage;
}
