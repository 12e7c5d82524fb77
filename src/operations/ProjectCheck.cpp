#include "operations/ProjectCheck.h"

#include "documents/CanOpenCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "documents/CobIdChecks.h"
#include "operations/CobIdWarnings.h"
#include "platform/Error.h"
#include "project/ProjectLayout.h"

#include <optional>

namespace c2c {

namespace {

constexpr const char* kColumnNames[] = {"", "Original CobID", "Modify CobID"};

std::string CellName(int direction, std::size_t row, int column, const std::string& text)
{
    return CobIdTableTitle(direction) + ", N\u00B0 " + std::to_string(row) + ", " + kColumnNames[column] + " " +
           QuotedValue(text);
}

// Each identifier cell that is a problem, in the table's order.
void CheckTables(const CobIdTables& tables, const CommSession& session, int direction,
                 const std::vector<CobIdCellProblem>& cells, std::vector<std::string>& problems)
{
    const bool standard = CobIdLayout(session) == TableLayout::Standard;
    for (const CobIdCellProblem& cell : cells) {
        if (cell.direction != direction)
            continue;
        const std::string name =
            CellName(direction, cell.row, cell.column, tables.Table(direction)[cell.row].Cell(cell.column));
        if (cell.check.state == CobIdCellState::NotInteger)
            problems.push_back(name + " is not an integer");
        else
            problems.push_back(name + (standard ? " lies outside 0x000-0x7FF, the range of the standard layout"
                                                : CobIdLimitOf(GoverningType(session, direction, cell.column))->tail));
    }
}

// The frame-format numbers other than 0 and 1: a problem when the build
// refuses the number, a warning otherwise.
void CheckFrameFormats(const CommSettings& settings, ProjectCheck& check)
{
    for (const auto& [element, type] : {std::pair{kPargenElements[kType], settings.format0},
                                        std::pair{kPargenElements[kTypeC1], settings.format1}})
        if (const auto text = FrameFormatNumberText(element, type))
            (IsLostFrameFormat(type) ? check.problems : check.advice).push_back(*text);
}

} // namespace

ProjectCheck CheckProjectDocuments(const ProjectLayout& project)
{
    project.RequireProject();
    ProjectCheck check;
    std::vector<std::string>& problems = check.problems;
    std::optional<CommSettings> settings;
    try {
        settings = ReadPargenStrictly(project.PargenFile());
    } catch (const Error& error) {
        problems.push_back(error.what());
    }
    if (settings)
        CheckFrameFormats(*settings, check);
    std::optional<CobIdTables> tables;
    try {
        tables = ReadCobIdStrictly(project.CobIdFile());
    } catch (const Error& error) {
        problems.push_back(error.what());
    }
    if (tables) {
        // The ranges and warnings depend on the formats: without readable
        // settings only the integers are checked (no type number has a range).
        const CommSession session = settings ? SessionOf(*settings) : CommSession{-1, -1, false};
        const std::vector<CobIdCellProblem> cells = FindCobIdCellProblems(*tables, session);
        const std::vector<CobIdWarning> warnings =
            settings ? FindCobIdWarnings(*tables, CobIdLayout(session)) : std::vector<CobIdWarning>{};
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            CheckTables(*tables, session, direction, cells, problems);
            for (const CobIdWarning& warning : warnings)
                if (warning.direction == direction)
                    problems.push_back(warning.text);
        }
    }
    if (tables && settings)
        for (std::string& advice : CheckCanOpenTables(*tables, SessionOf(*settings)))
            check.advice.push_back(std::move(advice));
    return check;
}

} // namespace c2c
