#include "dialogs/CobIdSearch.h"

#include "documents/IntegerText.h"

#include <algorithm>

namespace c2c {

namespace {

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` holds `lowered` (already in lower case), ASCII letter case aside.
bool HoldsText(const std::string& text, const std::string& lowered)
{
    auto at = std::search(text.begin(), text.end(), lowered.begin(), lowered.end(),
                          [](char a, char b) { return Lower(a) == b; });
    return at != text.end();
}

} // namespace

CobIdFound FindInCobIdTables(const CobIdTables& tables, std::string_view query, const std::optional<CobIdCellRef>& from,
                             bool forward)
{
    const std::string wanted = Trimmed(query);
    if (wanted.empty())
        return {};
    std::vector<CobIdCellRef> found;
    if (const std::optional<std::int32_t> value = TryParseInteger(wanted)) {
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            const CobIdTable& table = tables.Table(direction);
            for (std::size_t r = 0; r < table.size(); ++r)
                for (int column : {kOriginalColumn, kModifyColumn})
                    if (!table[r].Cell(column).empty() && TryParseInteger(table[r].Cell(column)) == value)
                        found.push_back({direction, r, column});
        }
    } else {
        std::string lowered = wanted;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
        for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
            const CobIdTable& table = tables.Table(direction);
            for (std::size_t r = 0; r < table.size(); ++r)
                if (HoldsText(table[r].Desc, lowered))
                    found.push_back({direction, r, kDescriptionColumn});
        }
    }
    if (found.empty())
        return {};
    std::size_t at;
    if (forward) {
        at = from ? static_cast<std::size_t>(std::upper_bound(found.begin(), found.end(), *from) - found.begin()) : 0;
        if (at == found.size())
            at = 0;
    } else {
        at = from ? static_cast<std::size_t>(std::lower_bound(found.begin(), found.end(), *from) - found.begin())
                  : found.size();
        at = at == 0 ? found.size() - 1 : at - 1;
    }
    return {found[at], at + 1, found.size()};
}

std::optional<std::size_t> CobIdRowOfNumber(const CobIdTable& table, std::string_view text)
{
    const std::optional<std::int32_t> number = TryParseInteger(Trimmed(text));
    if (!number || *number < 0 || static_cast<std::size_t>(*number) >= table.size())
        return std::nullopt;
    return static_cast<std::size_t>(*number);
}

} // namespace c2c
