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
