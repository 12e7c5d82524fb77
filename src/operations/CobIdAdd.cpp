#include "operations/CobIdAdd.h"

#include "documents/CommSettings.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

#include <optional>

namespace c2c {

CobIdAddition AddCobIdRows(const ProjectLayout& project, const CobIdRule& rule, bool write)
{
    project.RequireProject();
    // The lock spans reading and writing, so no other run's save falls between.
    std::optional<ProjectLock> lock;
    if (write)
        lock.emplace(project);
    const CommSession session = SessionOf(ReadPargenStrictly(project.PargenFile()));
    const std::size_t length = CobIdTableLength(session);

    CobIdTables tables;
    if (PathExists(project.CobIdFile()))
        tables = ReadCobIdStrictly(project.CobIdFile());
    const CobIdCarryOver carriedOver = CarryOverStoredRows(tables, length);

    CobIdAddition refused;
    refused.tables = tables;
    refused.carriedOver = carriedOver;
    std::string lost;
    for (const CobIdCarryOverFinding& finding : CobIdCarryOverFindings(carriedOver))
        if (!finding.fits)
            lost += (lost.empty() ? "" : "; ") + finding.text;
    if (!lost.empty()) {
        refused.refusal = lost;
        return refused;
    }
    if (auto bad = FindCobIdError(tables, session)) {
        refused.refusal = "The tables hold a cell that the OK of Set CobID Access refuses: " + bad->message;
        return refused;
    }

    CobIdAddition addition = PlanCobIdAddition(tables, session, ExpandRule(rule, length));
    addition.carriedOver = carriedOver;
    if (write && addition.Accepted()) {
        // The plan's cells fit the formats, so the save's check passes; were
        // it to refuse, nothing would be written and the add is refused.
        if (auto bad = SaveCobIdTables(project, addition.tables, session)) {
            refused.refusal = bad->message;
            return refused;
        }
    }
    return addition;
}

} // namespace c2c
