#include "operations/CobIdWarnings.h"

#include "documents/CobIdChecks.h"
#include "image/BankImage.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace c2c {

namespace {

std::string TablePrefix(int direction)
{
    return CobIdTableTitle(direction) + ", ";
}

void FindInTable(const CobIdTable& table, int direction, TableLayout layout, std::vector<CobIdWarning>& warnings)
{
    // Identifier -> its rows, in row order; the 32-bit pattern, as the build stores it.
    std::map<std::uint32_t, std::vector<std::size_t>> rowsOf;
    std::vector<std::size_t> withoutOriginal;
    std::vector<std::pair<std::uint32_t, std::size_t>> listed; // identifier, N°
    std::size_t filled = 0;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const CobIdRow& row = table[r];
        if (IsModifyWithoutOriginal(row))
            withoutOriginal.push_back(r);
        if (!row.Orig_CobID.empty())
            ++filled;
        if (const auto id = ListedIdentifierOf(row)) {
            rowsOf[*id].push_back(r);
            listed.emplace_back(*id, r);
        }
    }

    std::vector<CobIdWarning> duplicates;
    for (const auto& [id, rows] : rowsOf) {
        if (rows.size() < 2)
            continue;
        duplicates.push_back({CobIdWarningKind::Duplicate, direction, rows,
                              TablePrefix(direction) + CobIdRowNumbersText(rows) +
                                  (rows.size() == 2 ? " both list " : " all list ") + IdentifierText(id) + "; " +
                                  CobIdDuplicateOutcome(layout, rows.size())});
    }
    std::sort(duplicates.begin(), duplicates.end(),
              [](const CobIdWarning& a, const CobIdWarning& b) { return a.rows.front() < b.rows.front(); });
    warnings.insert(warnings.end(), duplicates.begin(), duplicates.end());

    if (!withoutOriginal.empty()) {
        const bool one = withoutOriginal.size() == 1;
        warnings.push_back({CobIdWarningKind::ModifyWithoutOriginal, direction, withoutOriginal,
                            TablePrefix(direction) + CobIdRowNumbersText(withoutOriginal) +
                                (one ? " has" : " have") + " a Modify CobID but no Original CobID; the build ignores " +
                                (one ? "it" : "them")});
    }

    if (layout == TableLayout::Extended && listed.size() > kMaxListEntries) {
        // The build's order: by identifier, rows of one identifier in table order.
        std::stable_sort(listed.begin(), listed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::size_t> left;
        for (std::size_t i = kMaxListEntries; i < listed.size(); ++i)
            left.push_back(listed[i].second);
        std::sort(left.begin(), left.end());
        const bool one = left.size() == 1;
        warnings.push_back({CobIdWarningKind::BeyondDeviceList, direction, left,
                            TablePrefix(direction) + CobIdRowNumbersText(left) + (one ? " is" : " are") +
                                " left out of the image: " + std::to_string(filled) +
                                " rows have an Original CobID, and the device's list holds " +
                                std::to_string(kMaxListEntries) + " entries, dropping those of the largest identifiers"});
    }
}

} // namespace

std::vector<CobIdWarning> FindCobIdWarnings(const CobIdTables& tables, TableLayout layout)
{
    std::vector<CobIdWarning> warnings;
    FindInTable(tables.can0ToCan1, kCan0ToCan1, layout, warnings);
    FindInTable(tables.can1ToCan0, kCan1ToCan0, layout, warnings);
    return warnings;
}

std::vector<std::string> CobIdWarningLines(const std::vector<CobIdWarning>& warnings)
{
    std::vector<std::string> lines;
    for (const CobIdWarning& warning : warnings)
        lines.push_back(warning.text);
    return lines;
}

} // namespace c2c
