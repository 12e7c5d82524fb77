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

void CheckTable(const CobIdTable& table, int direction, const std::optional<CommSettings>& settings,
                std::vector<std::string>& problems)
{
    // Without readable settings only the integers are checked.
    const CommSession session = settings ? SessionOf(*settings) : CommSession{-1, -1, false};
    const bool standard = CobIdLayout(session) == TableLayout::Standard;
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (int column : {kOriginalColumn, kModifyColumn}) {
            const std::string& text = table[r].Cell(column);
            const std::int32_t type = GoverningType(session, direction, column);
            switch (CheckCobIdCell(text, type).state) {
            case CobIdCellState::Empty:
            case CobIdCellState::Fine:
                break;
            case CobIdCellState::NotInteger:
                problems.push_back(CellName(direction, r, column, text) + " is not an integer");
                break;
            case CobIdCellState::OutOfRange:
                problems.push_back(CellName(direction, r, column, text) +
                                   (standard ? " lies outside 0x000-0x7FF, the range of the standard layout"
                                             : CobIdLimitOf(type)->tail));
                break;
            }
        }
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
        // The warnings depend on the layout: without readable settings
        // only the cells are checked.
        const std::vector<CobIdWarning> warnings =
            settings ? FindCobIdWarnings(*tables, LayoutOf(settings->format0, settings->format1))
                     : std::vector<CobIdWarning>{};
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            CheckTable(tables->Table(direction), direction, settings, problems);
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
