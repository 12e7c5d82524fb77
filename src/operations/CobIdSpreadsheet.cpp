#include "operations/CobIdSpreadsheet.h"

#include "documents/CommSettings.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

namespace c2c {

std::string ExportCobIdCsv(const ProjectLayout& project)
{
    project.RequireProject();
    // The window shows empty tables for a project without the document.
    if (!PathExists(project.CobIdFile()))
        return CobIdCsvText(CobIdTables{});
    return CobIdCsvText(ReadCobIdStrictly(project.CobIdFile()));
}

CobIdCsvReading ImportCobIdCsv(const ProjectLayout& project, std::string_view text)
{
    project.RequireProject();
    const CommSession session = SessionOf(ReadPargenStrictly(project.PargenFile()));
    CobIdCsvReading reading = ReadCobIdCsv(text, session);
    if (reading.problems.empty())
        SaveCobIdTables(project, reading.tables, session);
    return reading;
}

} // namespace c2c
