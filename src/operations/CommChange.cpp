#include "operations/CommChange.h"

#include "operations/Operations.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

#include <optional>

namespace c2c {

namespace {

std::int32_t& BitRate(CommSettings& settings, int port) { return port == 1 ? settings.bitRate1 : settings.bitRate0; }
std::int32_t& Format(CommSettings& settings, int port) { return port == 1 ? settings.format1 : settings.format0; }
std::int32_t& DipSwitch(CommSettings& settings, int port)
{
    return port == 1 ? settings.dipSwitch1 : settings.dipSwitch0;
}

} // namespace

bool CommChanges::Any() const
{
    for (const PortChange& port : ports)
        if (port.bitRate || port.dipSwitch || port.formatB)
            return true;
    return positive.has_value();
}

CommSettings AsTheWindowShows(const CommSettings& stored)
{
    CommSettings shown = stored;
    for (int port : {0, 1}) {
        std::int32_t& rate = BitRate(shown, port);
        if (rate < 0 || rate >= static_cast<std::int32_t>(kBitRates.size()))
            rate = -1;
        Format(shown, port) = Format(shown, port) != 0 ? 1 : 0;
        DipSwitch(shown, port) = DipSwitch(shown, port) == 1 ? 1 : 0;
    }
    shown.positive = shown.positive == 1 ? 1 : 0;
    return shown;
}

CobIdCarryOver PlanCobIdCarryOver(const ProjectLayout& project, const CommSession& before, const CommSession& after)
{
    const std::size_t length = CobIdTableLength(after);
    if (length >= CobIdTableLength(before))
        return {};
    CobIdTables tables{CobIdTable(length), CobIdTable(length)};
    CobIdRowsBeyond beyond;
    ReadCobIdLeniently(project.CobIdFile(), tables, &beyond);
    return CarryOverRows(tables, beyond);
}

CommChangeOutcome ChangeCommSettings(const ProjectLayout& project, const CommChanges& changes)
{
    project.RequireProject();
    // What is changed is read under the lock the save holds: no other run's
    // save falls between the reading and the writing.
    std::optional<ProjectLock> lock;
    if (changes.Any())
        lock.emplace(project);
    const CommSettings stored = ReadPargenStrictly(project.PargenFile());
    if (!changes.Any())
        return {CommChangeResult::Unchanged, stored, {}};

    CommSettings settings = AsTheWindowShows(stored);
    for (int port : {0, 1}) {
        const PortChange& change = changes.ports[static_cast<std::size_t>(port)];
        if (change.bitRate) {
            BitRate(settings, port) = *change.bitRate;
            DipSwitch(settings, port) = 0;
        }
        if (change.dipSwitch)
            DipSwitch(settings, port) = 1;
        if (change.formatB)
            Format(settings, port) = *change.formatB ? 1 : 0;
    }
    if (changes.positive)
        settings.positive = *changes.positive ? 1 : 0;
    // The window's Positive rule: the flag is the user's only while both
    // ports run the same format.
    if (settings.format0 != settings.format1) {
        if (changes.positive == false)
            return {CommChangeResult::PositiveForced, stored, {}};
        settings.positive = 1;
    }
    SaveCommSettings(project, settings);
    return {CommChangeResult::Saved, settings,
            PlanCobIdCarryOver(project, SessionOf(stored), SessionOf(settings))};
}

} // namespace c2c
