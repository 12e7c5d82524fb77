// Set CobID Access: the tables to and from a spreadsheet file, from the
// grids' context menu.

#include "dialogs/CobIdAccessLogic.h"

#include "dialogs/ProgramState.h"
#include "documents/CobIdCsv.h"
#include "platform/FileSystem.h"

namespace c2c {

CobIdEdit CobIdAccessLogic::ImportCsv()
{
    const auto path = services_.files.pickFile(kImportCsvCaption, state_.workspace.layout.ProjectDir(), kCsvFilter,
                                               kCsvPattern);
    if (!path)
        return {kEditImportCsv, {}};
    CobIdCsvReading reading = ReadCobIdCsv(ReadCobIdCsvFile(*path), formats);
    if (!reading.problems.empty()) {
        std::string text;
        for (std::size_t i = 0; i < reading.problems.size() && i < kShownCsvProblems; ++i)
            text += CobIdCsvProblemText(*path, reading.problems[i]) + "\n";
        if (reading.problems.size() > kShownCsvProblems)
            text += "... and " + std::to_string(reading.problems.size() - kShownCsvProblems) + " more lines\n";
        services_.messages.showError(text + "Nothing was imported.");
        return {kEditImportCsv, {}};
    }
    badCell.reset();
    // The file's rows beyond the tables, carried over as stored rows are.
    if (reading.carryOver.Any())
        services_.messages.showMessage(CobIdCarryOverText(reading.carryOver, CarryOverTime::Now, FileNameOf(*path)));
    return DiffCobIdTables(kEditImportCsv, tables, reading.tables);
}

void CobIdAccessLogic::ExportCsv()
{
    const auto path = services_.files.pickSaveFile(kExportCsvCaption, state_.workspace.layout.ProjectDir(),
                                                   kCsvSuggestedName, kCsvFilter, kCsvPattern);
    if (path)
        WriteFileAtomically(*path, CobIdCsvText(tables));
}

} // namespace c2c
