#include "documents/CobIdChecks.h"

namespace c2c {

CobIdCellCheck CheckCobIdCell(std::string_view text, std::int32_t governingType)
{
    if (text.empty())
        return {};
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value)
        return {CobIdCellState::NotInteger, 0};
    const std::optional<FrameFormat> format = CheckedFormatOf(governingType);
    const bool fits = !format || FitsFrameFormat(*value, *format);
    return {fits ? CobIdCellState::Fine : CobIdCellState::OutOfRange, *value};
}

std::optional<const char*> CobIdOkFailure(std::string_view text, std::int32_t governingType)
{
    const std::optional<CobIdLimit> limit = CobIdLimitOf(governingType);
    if (!limit || !CheckCobIdCell(text, governingType).IsProblem())
        return std::nullopt;
    return limit->tail;
}

std::vector<CobIdCellProblem> FindCobIdCellProblems(const CobIdTables& tables, const CommSession& session)
{
    std::vector<CobIdCellProblem> problems;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& table = tables.Table(direction);
        const std::int32_t types[] = {GoverningType(session, direction, kOriginalColumn),
                                      GoverningType(session, direction, kModifyColumn)};
        for (std::size_t r = 0; r < table.size(); ++r)
            for (int column : {kOriginalColumn, kModifyColumn}) {
                const CobIdCellCheck check = CheckCobIdCell(table[r].Cell(column), types[column - kOriginalColumn]);
                if (check.IsProblem())
                    problems.push_back({direction, r, column, check});
            }
    }
    return problems;
}

std::optional<std::uint32_t> ListedIdentifierOf(const CobIdRow& row)
{
    if (row.Orig_CobID.empty())
        return std::nullopt;
    const std::optional<std::int32_t> value = TryParseInteger(row.Orig_CobID);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

bool IsModifyWithoutOriginal(const CobIdRow& row)
{
    return row.Orig_CobID.empty() && !row.Mod_CobID.empty();
}

std::string CobIdDuplicateOutcome(TableLayout layout, std::size_t rows)
{
    if (layout == TableLayout::Extended)
        return rows == 2 ? "the device may take either" : "the device may take any of them";
    return rows == 2 ? "the later row wins" : "the last of them wins";
}

} // namespace c2c
