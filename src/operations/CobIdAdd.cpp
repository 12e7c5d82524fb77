#include "operations/CobIdAdd.h"

#include "documents/CommSettings.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

#include <optional>

namespace c2c {

namespace {

constexpr std::size_t kNamedRows = 8;

// Rows in use beyond `length` in the stored tables, named; empty when none.
std::string RowsBeyond(const CobIdTables& stored, std::size_t length)
{
    std::string named;
    std::size_t count = 0;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& table = stored.Table(direction);
        std::string rows;
        for (std::size_t r = length; r < table.size(); ++r) {
            if (!IsCobIdRowInUse(table[r]))
                continue;
            if (++count <= kNamedRows)
                rows += (rows.empty() ? "" : ", ") + std::to_string(r);
        }
        if (!rows.empty())
            named += std::string(named.empty() ? "" : "; ") + CobIdTableTitle(direction) + " N\u00B0 " + rows;
    }
    if (count > kNamedRows)
        named += " and " + std::to_string(count - kNamedRows) + " more";
    return named;
}

} // namespace

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
    const std::string beyond = RowsBeyond(tables, length);
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        tables.Table(direction).resize(length);

    CobIdAddition refused;
    refused.tables = tables;
    if (!beyond.empty()) {
        refused.refusal = "CanCanCobID.xml holds rows in use beyond N\u00B0 " + std::to_string(length - 1) +
                          ", the last row the tables have for these frame formats (" + beyond +
                          "); adding would drop them. Move them into rows up to N\u00B0 " + std::to_string(length - 1) +
                          " first";
        return refused;
    }
    if (auto bad = FindCobIdError(tables, session)) {
        refused.refusal = "The tables hold a cell that the OK of Set CobID Access refuses: " + bad->message;
        return refused;
    }

    CobIdAddition addition = PlanCobIdAddition(tables, session, ExpandRule(rule));
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
