#include "documents/CobIdPlacement.h"

#include <algorithm>
#include <map>

namespace c2c {

// ---------------------------------------------------------------- adding

namespace {

// Why `row` cannot travel its way, if it cannot.
std::optional<std::string> FormatRefusal(const RuleRow& row, const CommSession& session)
{
    const CanPort arriving = ArrivingPort(row.direction);
    const std::uint32_t leaving = row.modified.value_or(row.original);
    const std::string what = IdentifierText(row.original) + " (" + row.description + ")";
    if (row.original > kMaxExtendedId || leaving > kMaxExtendedId)
        return what + " is no CAN identifier: they end at " + IdentifierText(kMaxExtendedId);
    for (CanPort port : {arriving, OtherPort(arriving)}) {
        const std::optional<FrameFormat> format = CheckedFormatOf(PortType(session, port));
        if (!format)
            continue;
        const std::uint32_t identifier = port == arriving ? row.original : leaving;
        const std::string where =
            (port == arriving ? " cannot arrive on " : " cannot leave on ") + PortRunsText(port, *format);
        if (!FitsFrameFormat(identifier, *format))
            return what + where;
        if (row.extendedFrame && *format == FrameFormat::Standard)
            return what + where + ": it uses 29-bit frames";
    }
    return std::nullopt;
}

std::optional<std::string> FindRefusal(const CobIdTables& tables, const CommSession& session,
                                       const RuleExpansion& expansion)
{
    if (expansion.refusal)
        return expansion.refusal;
    if (!session.PositiveImpl) {
        for (const RuleRow& row : expansion.rows)
            if (row.modified)
                return "Positive Implementation is clear: the device then blocks the listed identifiers and "
                       "translates none, so " +
                       IdentifierText(row.original) + " -> " + IdentifierText(*row.modified) + " (" + row.description +
                       ") cannot be added. Rows without a new identifier, which block theirs, can be; or set "
                       "Positive Implementation";
    }
    for (const RuleRow& row : expansion.rows)
        if (auto refusal = FormatRefusal(row, session))
            return CobIdTableTitle(row.direction) + ": " + *refusal;

    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const CobIdTable& table = tables.Table(direction);
        std::map<std::uint32_t, std::size_t> listed; // identifier -> its first row's N°
        std::size_t used = 0;
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (IsCobIdRowInUse(table[r]))
                used = r + 1;
            const std::optional<std::int32_t> id = TryParseInteger(table[r].Orig_CobID);
            if (id && *id >= 0)
                listed.emplace(static_cast<std::uint32_t>(*id), r);
        }
        std::map<std::uint32_t, const RuleRow*> asked;
        std::size_t needed = 0;
        const RuleRow* firstListed = nullptr;
        std::size_t alsoListed = 0;
        for (const RuleRow& row : expansion.rows) {
            if (row.direction != direction)
                continue;
            ++needed;
            auto [at, fresh] = asked.emplace(row.original, &row);
            if (!fresh)
                return CobIdTableTitle(direction) + ": " + IdentifierText(row.original) + " is asked twice (" +
                       at->second->description + ", " + row.description + ")";
            if (listed.count(row.original)) {
                if (!firstListed)
                    firstListed = &row;
                else
                    ++alsoListed;
            }
        }
        if (firstListed) {
            std::string reason = CobIdTableTitle(direction) + " has a row for " + IdentifierText(firstListed->original) + " (" +
                                 firstListed->description + ") already: N\u00B0 " +
                                 std::to_string(listed[firstListed->original]);
            if (alsoListed)
                reason += "; " + std::to_string(alsoListed) + " more of the new identifiers have rows too";
            return reason;
        }
        const std::size_t room = table.size() - used;
        if (needed > room) {
            if (used == 0)
                return CobIdTableTitle(direction) + " has " + std::to_string(table.size()) + " rows; " +
                       std::to_string(needed) + " are needed";
            return CobIdTableTitle(direction) + " has room for " + std::to_string(room) +
                   " rows after its last row in use (N\u00B0 " + std::to_string(used - 1) + "); " +
                   std::to_string(needed) + " are needed";
        }
    }
    return std::nullopt;
}

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

} // namespace

CobIdAddition PlanCobIdAddition(const CobIdTables& tables, const CommSession& session, const RuleExpansion& expansion)
{
    CobIdAddition addition;
    addition.tables = tables;
    addition.notes = expansion.notes;
    if ((addition.refusal = FindRefusal(tables, session, expansion)))
        return addition;
    if (!session.PositiveImpl)
        addition.notes.push_back("Positive Implementation is clear: the device blocks the identifiers these rows "
                                 "list.");
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        std::vector<const RuleRow*> rows;
        for (const RuleRow& row : expansion.rows)
            if (row.direction == direction)
                rows.push_back(&row);
        std::stable_sort(rows.begin(), rows.end(),
                         [](const RuleRow* a, const RuleRow* b) { return a->original < b->original; });
        CobIdTable& table = addition.tables.Table(direction);
        std::size_t next = table.size();
        while (next > 0 && !IsCobIdRowInUse(table[next - 1]))
            --next;
        for (const RuleRow* row : rows) {
            CobIdRow cells{IdentifierText(row->original), row->modified ? IdentifierText(*row->modified) : "", row->description};
            table[next] = cells;
            addition.rows.push_back({direction, next, std::move(cells)});
            ++next;
        }
    }
    return addition;
}

std::vector<std::string> CobIdAdditionLines(const CobIdAddition& addition)
{
    std::vector<std::string> lines;
    if (addition.refusal) {
        lines.push_back("Nothing can be added: " + *addition.refusal + ".");
        return lines;
    }
    for (const PlacedRow& row : addition.rows)
        lines.push_back(Padded(std::string(kCobIdTableNames[static_cast<std::size_t>(row.direction)]) + "  N\u00B0 " +
                                   std::to_string(row.row),
                               22) +
                        Padded(row.cells.Orig_CobID + " -> " +
                                   (row.cells.Mod_CobID.empty() ? std::string("unchanged") : row.cells.Mod_CobID),
                               26) +
                        row.cells.Desc);
    for (const std::string& note : addition.notes)
        lines.push_back("Note: " + note);
    return lines;
}

} // namespace c2c
