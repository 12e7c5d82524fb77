// cobid export and cobid import: the CobID tables to and from a spreadsheet.

#include "cli/CommandLine.h"

#include "operations/CobIdSpreadsheet.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

struct ExportOptions {
    std::string projectDir;
    std::string out; // empty: standard output
};

struct ImportOptions {
    std::string projectDir;
    std::string file;
};

std::size_t FilledRows(const CobIdTable& table)
{
    return static_cast<std::size_t>(std::count_if(table.begin(), table.end(), [](const CobIdRow& row) {
        return !row.Orig_CobID.empty() || !row.Mod_CobID.empty() || !row.Desc.empty();
    }));
}

int RunExport(const ExportOptions& options)
{
    const std::string text = ExportCobIdCsv(ExistingProject(options.projectDir));
    if (options.out.empty())
        std::cout << text << std::flush;
    else
        WriteFileAtomically(options.out, text);
    return kExitSuccess;
}

int RunImport(const ImportOptions& options)
{
    const ProjectLayout project = ExistingProject(options.projectDir);
    const CobIdCsvReading reading = ImportCobIdCsv(project, ReadCobIdCsvFile(options.file));
    if (!reading.problems.empty()) {
        for (const CobIdCsvProblem& problem : reading.problems)
            std::cerr << CobIdCsvProblemText(options.file, problem) << "\n";
        std::cerr << "Nothing was imported: " << reading.problems.size()
                  << (reading.problems.size() == 1 ? " line is" : " lines are") << " not right.\n";
        return kExitFailed;
    }
    auto rows = [](std::size_t count) { return std::to_string(count) + (count == 1 ? " row" : " rows"); };
    std::cout << "Imported " << rows(FilledRows(reading.tables.can0ToCan1)) << " of " << kCobIdTableNames[0] << " and "
              << rows(FilledRows(reading.tables.can1ToCan0)) << " of " << kCobIdTableNames[1] << ".\n";
    return kExitSuccess;
}

} // namespace

void AddCobIdCommands(CLI::App& app, Commands& commands)
{
    CLI::App* cobid = app.add_subcommand("cobid", "The CobID tables to and from a spreadsheet file (CSV)");
    cobid->require_subcommand(1);
    cobid->footer(std::string("The file's header is ") + kCobIdCsvHeader +
                  "; direction is can0-to-can1 or\n"
                  "can1-to-can0, row the N\u00B0 that Set CobID Access shows. Fields are quoted as RFC 4180 says;\n"
                  "import also accepts \";\" as the separator.");

    auto exported = std::make_shared<ExportOptions>();
    CLI::App* out = cobid->add_subcommand("export", "Write both tables as CSV");
    out->add_option("PROJECT_DIR", exported->projectDir, "The project's folder")->required()->check(NonEmpty());
    out->add_option("--out", exported->out, "The CSV file to write (by default standard output)")
        ->option_text("FILE")
        ->check(NonEmpty())
        ->check(NoProjectFileName());
    out->footer("Writes the rows that hold anything, in table order, every cell as it is written.");
    commands.push_back({out, [exported] { return Reporting([&] { return RunExport(*exported); }); }});

    auto imported = std::make_shared<ImportOptions>();
    CLI::App* in = cobid->add_subcommand("import", "Replace both tables with those of a CSV file");
    in->add_option("PROJECT_DIR", imported->projectDir, "The project's folder")->required()->check(NonEmpty());
    in->add_option("FILE", imported->file, "The CSV file to read")->required()->check(NonEmpty());
    in->footer("Rows not in the file become empty. Every line is checked as Set CobID Access checks the\n"
               "cells, for the project's current frame formats; every bad line is reported as\n"
               "FILE:LINE: reason, and then nothing is written. Saved as the window's OK saves.");
    commands.push_back({in, [imported] { return Reporting([&] { return RunImport(*imported); }); }});
}

} // namespace c2c::cli
