#include "operations/CobIdSpreadsheet.h"

#include "documents/CommSettings.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

#include <algorithm>

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
    // The formats the rows are checked against are read under the lock that
    // the save holds, so no other run's change of them falls between.
    ProjectLock lock(project);
    const CommSession session = SessionOf(ReadPargenStrictly(project.PargenFile()));
    CobIdCsvReading reading = ReadCobIdCsv(text, session);
    if (reading.problems.empty())
        SaveCobIdTables(project, reading.tables, session);
    return reading;
}

bool IsCobIdCsvText(std::string_view head)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (head.starts_with(kByteOrderMark))
        head.remove_prefix(kByteOrderMark.size());
    std::string line(head.substr(0, head.find_first_of("\r\n")));
    std::transform(line.begin(), line.end(), line.begin(), [](char c) {
        return c == ';' ? ',' : c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return line == kCobIdCsvHeader;
}

} // namespace c2c
