#include "operations/ProjectCheck.h"

#include "documents/CanOpenCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "image/BankImage.h"
#include "operations/CobIdWarnings.h"
#include "platform/Error.h"
#include "project/ProjectLayout.h"

#include <optional>

namespace c2c {

namespace {

constexpr const char* kColumnNames[] = {"", "Original CobID", "Modify CobID"};

std::string CellName(int direction, std::size_t row, int column, const std::string& text)
{
    return std::string("Table ") + kCobIdTableNames[static_cast<std::size_t>(direction)] + ", N\u00B0 " +
           std::to_string(row) + ", " + kColumnNames[column] + " " + QuotedValue(text);
}

void CheckTable(const CobIdTable& table, int direction, const std::optional<CommSettings>& settings, bool extended,
                std::vector<std::string>& problems)
{
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (int column : {kOriginalColumn, kModifyColumn}) {
            const std::string& text = table[r].Cell(column);
            if (text.empty())
                continue;
            const std::optional<std::int32_t> value = TryParseInteger(text);
            if (!value) {
                problems.push_back(CellName(direction, r, column, text) + " is not an integer");
                continue;
            }
            if (!settings)
                continue;
            if (!extended && (*value < 0 || *value > static_cast<std::int32_t>(kMaxStandardCobId))) {
                problems.push_back(CellName(direction, r, column, text) +
                                   " lies outside 0x000-0x7FF, the range of the standard layout");
                continue;
            }
            const auto limit = CobIdLimitOf(GoverningType(SessionOf(*settings), direction, column));
            if (limit && (*value < 0 || *value > limit->maximum))
                problems.push_back(CellName(direction, r, column, text) + limit->tail);
        }
    }
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
    std::optional<CobIdTables> tables;
    try {
        tables = ReadCobIdStrictly(project.CobIdFile());
    } catch (const Error& error) {
        problems.push_back(error.what());
    }
    if (tables) {
        const bool extended = settings && IsExtendedLayout(static_cast<std::uint8_t>(settings->format0),
                                                           static_cast<std::uint8_t>(settings->format1));
        // The warnings depend on the layout: without readable settings
        // only the cells are checked.
        const std::vector<CobIdWarning> warnings =
            settings ? FindCobIdWarnings(*tables, extended) : std::vector<CobIdWarning>{};
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            CheckTable(tables->Table(direction), direction, settings, extended, problems);
            for (const CobIdWarning& warning : warnings)
                if (warning.direction == direction)
                    problems.push_back(warning.text);
        }
    }
    if (tables && settings)
        check.advice = CheckCanOpenTables(*tables, SessionOf(*settings));
    return check;
}

} // namespace c2c
