#include "image/Forwarding.h"

#include <algorithm>

namespace c2c {

namespace {

bool FilterBit(const std::array<std::uint8_t, kFilterSize>& filter, std::uint32_t id)
{
    return ((filter[id / 8] >> (id % 8)) & 1) != 0;
}

} // namespace

ForwardingModel::ForwardingModel(const DecodedImage& image)
    : extended_(image.extended), positive_(image.IsPositive()), formatB_{image.can0.IsFormatB(), image.can1.IsFormatB()}
{
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        if (extended_)
            BuildExtended(image, direction);
        else
            BuildStandard(image, direction);
    }
}

void ForwardingModel::BuildStandard(const DecodedImage& image, int direction)
{
    Direction& table = directions_[static_cast<std::size_t>(direction)];
    const auto& filter = image.filters[static_cast<std::size_t>(direction)];
    std::array<bool, kStandardEntries> listed{};
    for (std::uint32_t id = 0; id < kStandardEntries; ++id)
        table.small[id].newId = id;
    // One translation per identifier that has an entry, its index.
    for (const Translation& t : image.translations[static_cast<std::size_t>(direction)]) {
        if (t.original >= kStandardEntries)
            continue;
        listed[t.original] = true;
        table.small[t.original].newId = t.modified;
        table.small[t.original].entries = 1;
    }
    for (std::uint32_t id = 0; id < kStandardEntries; ++id) {
        Lookup& lookup = table.small[id];
        lookup.pass = FilterBit(filter, id);
        // A build sets the bit of a listed identifier when Positive
        // Implementation is set and clears it otherwise; the bit decides
        // either way, and the reason says when it is not what a build writes.
        const bool asBuilt = lookup.pass == (listed[id] == positive_);
        lookup.reason = asBuilt ? (listed[id] ? RouteReason::Listed : RouteReason::NotListed)
                                : (lookup.pass ? RouteReason::FilterBitSet : RouteReason::FilterBitClear);
    }
    // Identifiers above 0x7FF come only in 29-bit frames, which no port of
    // this layout receives.
    table.unlisted = {!positive_, RouteReason::NotListed, 0, 0};
}

void ForwardingModel::BuildExtended(const DecodedImage& image, int direction)
{
    Direction& table = directions_[static_cast<std::size_t>(direction)];
    const Lookup unlisted{!positive_, RouteReason::NotListed, 0, 0};
    for (std::uint32_t id = 0; id < kStandardEntries; ++id) {
        table.small[id] = unlisted;
        table.small[id].newId = id;
    }
    table.unlisted = unlisted;

    // The first entry of each original identifier in stored order, counting
    // the others. A stable sort keeps the stored order among equal ones.
    std::vector<Translation> entries = image.translations[static_cast<std::size_t>(direction)];
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Translation& a, const Translation& b) { return a.original < b.original; });
    for (std::size_t i = 0; i < entries.size();) {
        std::size_t end = i + 1;
        while (end < entries.size() && entries[end].original == entries[i].original)
            ++end;
        const std::uint32_t id = entries[i].original;
        const Lookup lookup{positive_, RouteReason::Listed, static_cast<std::uint16_t>(end - i),
                            positive_ ? entries[i].modified : id};
        if (id < kStandardEntries)
            table.small[id] = lookup;
        else
            table.large.emplace_back(id, lookup);
        i = end;
    }
}

ForwardingModel::Lookup ForwardingModel::Find(const Direction& direction, std::uint32_t id) const noexcept
{
    if (id < kStandardEntries)
        return direction.small[id];
    auto it = std::lower_bound(direction.large.begin(), direction.large.end(), id,
                               [](const std::pair<std::uint32_t, Lookup>& entry, std::uint32_t value) {
                                   return entry.first < value;
                               });
    if (it != direction.large.end() && it->first == id)
        return it->second;
    Lookup lookup = direction.unlisted;
    lookup.newId = id;
    return lookup;
}

Route ForwardingModel::RouteFrame(CanPort fromPort, CanFrameId frame) const noexcept
{
    const std::size_t from = PortIndex(fromPort);
    const std::size_t to = PortIndex(OtherPort(fromPort));
    Route route;
    if (!FitsFrameFormat(frame.id, frame.extended ? FrameFormat::Extended : FrameFormat::Standard)) {
        route.outcome = RouteOutcome::NotReceived;
        route.reason = RouteReason::NoIdentifier;
        return route;
    }
    if (frame.extended && !formatB_[from]) {
        route.outcome = RouteOutcome::NotReceived;
        route.reason = RouteReason::ExtendedOnStandardPort;
        return route;
    }
    const Lookup lookup = Find(directions_[static_cast<std::size_t>(DirectionFrom(fromPort))], frame.id);
    route.reason = lookup.reason;
    route.entries = lookup.entries;
    route.leaves.id = lookup.newId;
    if (!lookup.pass) {
        route.outcome = RouteOutcome::Blocked;
        route.leaves = frame;
        return route;
    }
    const std::uint32_t newId = lookup.newId;
    const FrameFormat leaving = formatB_[to] ? FrameFormat::Extended : FrameFormat::Standard;
    route.leaves.extended = formatB_[to] && (frame.extended || !FitsFrameFormat(newId, FrameFormat::Standard));
    route.outcome = FitsFrameFormat(newId, leaving) ? RouteOutcome::Passed : RouteOutcome::Blocked;
    if (route.outcome == RouteOutcome::Blocked)
        route.reason = RouteReason::TooWideForPort;
    return route;
}

std::string ForwardingModel::ReasonText(CanPort fromPort, const CanFrameId& frame, const Route& route) const
{
    const CanPort to = OtherPort(fromPort);
    const std::string positive = std::string("Positive Implementation ") + (positive_ ? "set" : "clear");
    std::string text;
    switch (route.reason) {
    case RouteReason::Listed:
        text = "listed, " + positive;
        break;
    case RouteReason::NotListed:
        text = "not listed, " + positive;
        break;
    case RouteReason::FilterBitSet:
        text = "its filter bit is set, against what the table and " + positive + " call for";
        break;
    case RouteReason::FilterBitClear:
        text = "its filter bit is clear, against what the table and " + positive + " call for";
        break;
    case RouteReason::TooWideForPort:
        text = IdentifierText(route.leaves.id) + " cannot leave on " +
               PortRunsText(to, PortTakesExtended(to) ? FrameFormat::Extended : FrameFormat::Standard);
        break;
    case RouteReason::ExtendedOnStandardPort:
        text = std::string("a 29-bit frame, and ") + PortName(fromPort) + " runs CAN 2.0A";
        break;
    case RouteReason::NoIdentifier:
        text = frame.extended ? "no CAN identifier (above 0x1FFFFFFF)" : "no 11-bit identifier (above 0x7FF)";
        break;
    }
    if (route.Ambiguous())
        text += "; ambiguous: " + std::to_string(route.entries) + " entries, the device may take " +
                (route.entries == 2 ? "either" : "any of them");
    if (route.Passed() && route.leaves.extended != frame.extended)
        text += route.leaves.extended ? "; leaves as an extended frame" : "; leaves as a standard frame";
    return text;
}

std::string ForwardingModel::RouteText(CanPort fromPort, const CanFrameId& frame, const Route& route) const
{
    std::string text = FrameIdText(frame);
    switch (route.outcome) {
    case RouteOutcome::Passed:
        text += " -> " + FrameIdText(route.leaves);
        break;
    case RouteOutcome::Blocked:
        text += " blocked";
        break;
    case RouteOutcome::NotReceived:
        text += " not received";
        break;
    }
    return text + " (" + ReasonText(fromPort, frame, route) + ")";
}

} // namespace c2c
