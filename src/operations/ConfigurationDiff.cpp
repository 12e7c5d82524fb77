#include "operations/ConfigurationDiff.h"

#include "documents/CanOpen.h"
#include "documents/CobIdTables.h"
#include "operations/ForwardingSource.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace c2c {

namespace {

// A run of at least this many consecutive identifiers with the same change
// is one line; shorter runs are shown identifier by identifier, where the
// CANopen grouping names them.
constexpr std::size_t kFoldedRun = 3;

// "set", "clear", or the byte when it is neither 0 nor 1 (the device may
// read a byte 2 otherwise than a 1; the diff does not assume it does not).
std::string PositiveText(std::uint8_t positive)
{
    return positive == 0 ? "clear" : positive == 1 ? "set" : "set (byte " + std::to_string(positive) + ")";
}

std::vector<SettingChange> SettingChanges(const DecodedImage& a, const DecodedImage& b)
{
    std::vector<SettingChange> changes;
    auto compare = [&](std::string setting, std::string textA, std::string textB) {
        if (textA != textB)
            changes.push_back({std::move(setting), std::move(textA), std::move(textB)});
    };
    compare("Layout", LayoutText(a.extended), LayoutText(b.extended));
    for (CanPort port : kCanPorts) {
        const int index = static_cast<int>(PortIndex(port));
        const std::string name = PortName(port);
        compare(name + " bit rate", BitRateText(a.Port(index)), BitRateText(b.Port(index)));
        compare(name + " frame format", FrameFormatByteText(a.Port(index).format),
                FrameFormatByteText(b.Port(index).format));
    }
    compare("Positive Implementation", PositiveText(a.positive), PositiveText(b.positive));
    return changes;
}

// Whether the device does the same with the frame: the same outcome and,
// for a passed frame, the same frame leaving and the same certainty.
bool SameBehaviour(const Route& a, const Route& b)
{
    if (a.outcome != b.outcome)
        return false;
    return !a.Passed() || (a.leaves == b.leaves && a.Ambiguous() == b.Ambiguous());
}

// What a route does to its frame, apart from the identifier: two frames of
// a run have the same change when this is equal for both routes.
struct Shape {
    RouteOutcome outcome;
    std::int64_t shift; // a passed frame's new identifier minus its own
    bool leavesExtended;
    bool ambiguous;
    bool operator==(const Shape&) const = default;
};

Shape ShapeOf(const CanFrameId& frame, const Route& route)
{
    if (!route.Passed())
        return {route.outcome, 0, false, false};
    return {route.outcome, static_cast<std::int64_t>(route.leaves.id) - static_cast<std::int64_t>(frame.id),
            route.leaves.extended, route.Ambiguous()};
}

bool SameChange(const RouteChange& x, const RouteChange& y)
{
    return ShapeOf(x.frame, x.a) == ShapeOf(y.frame, y.a) && ShapeOf(x.frame, x.b) == ShapeOf(y.frame, y.b);
}

// The route of a folded run: "passed as 0x1C1-0x23F" where it translates.
std::string RunPhrase(const RouteChange& first, const RouteChange& last, bool inA)
{
    const Route& from = inA ? first.a : first.b;
    const Route& to = inA ? last.a : last.b;
    if (!from.Passed() || !from.Changes(first.frame))
        return RoutePhrase(first.frame, from);
    return "passed as " + FrameIdText(from.leaves) + "-" + FrameIdText(to.leaves) +
           (from.Ambiguous() ? " (ambiguous)" : "");
}

std::string ChangeText(const RouteChange& change)
{
    return RoutePhrase(change.frame, change.a) + " -> " + RoutePhrase(change.frame, change.b);
}

// "(TPDO1 of nodes 1 to 127)" when a run lies within one service's identifiers.
std::string RunService(const RouteChange& first, const RouteChange& last)
{
    if (first.frame.extended)
        return "";
    const auto from = ClassifyCanOpenId(first.frame.id);
    const auto to = ClassifyCanOpenId(last.frame.id);
    if (!from || !to || !from->nodeService || from->nodeService != to->nodeService)
        return "";
    const NodeServiceFact& fact = FactOf(*from->nodeService);
    return std::string(" (") + fact.name + (fact.sentByNode ? " of nodes " : " to nodes ") +
           std::to_string(from->node) + " to " + std::to_string(to->node) + ")";
}

std::string CountText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " identifier" : " identifiers");
}

// The grouped and folded lines of one direction.
std::vector<std::string> DirectionLines(const DirectionDiff& diff)
{
    const std::vector<RouteChange>& changes = diff.changes;
    std::vector<std::string> network;
    std::map<int, std::vector<std::pair<std::size_t, std::string>>> nodes; // node -> (service, line)
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < changes.size();) {
        std::size_t end = i + 1;
        while (end < changes.size() && changes[end].frame.extended == changes[i].frame.extended &&
               changes[end].frame.id == changes[end - 1].frame.id + 1 && SameChange(changes[end - 1], changes[end]))
            ++end;
        if (end - i >= kFoldedRun) {
            const RouteChange& first = changes[i];
            const RouteChange& last = changes[end - 1];
            rest.push_back(FrameIdText(first.frame) + "-" + FrameIdText(last.frame) + ": " +
                           RunPhrase(first, last, true) + " -> " + RunPhrase(first, last, false) + ", " +
                           CountText(end - i) + RunService(first, last));
            i = end;
            continue;
        }
        for (; i < end; ++i) {
            const RouteChange& change = changes[i];
            const auto identity = change.frame.extended ? std::nullopt : ClassifyCanOpenId(change.frame.id);
            if (identity && identity->networkService)
                network.push_back(std::string(FactOf(*identity->networkService).name) + " " +
                                  FrameIdText(change.frame) + " " + ChangeText(change));
            else if (identity)
                nodes[identity->node].emplace_back(*identity->nodeService,
                                                   "node " + std::to_string(identity->node) + ": " +
                                                       FactOf(*identity->nodeService).name + " " +
                                                       FrameIdText(change.frame) + " " + ChangeText(change));
            else
                rest.push_back(FrameIdText(change.frame) + ": " + ChangeText(change));
        }
    }
    std::vector<std::string> lines = std::move(network);
    for (auto& [node, services] : nodes) {
        std::stable_sort(services.begin(), services.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (auto& [service, line] : services)
            lines.push_back(std::move(line));
    }
    lines.insert(lines.end(), rest.begin(), rest.end());
    if (diff.otherExtended)
        lines.push_back("every other 29-bit identifier: " + ChangeText(*diff.otherExtended));
    return lines;
}

DirectionDiff DiffDirection(const ForwardingModel& a, const ForwardingModel& b, const DecodedImage& imageA,
                            const DecodedImage& imageB, int direction)
{
    DirectionDiff diff;
    diff.direction = direction;
    const CanPort from = ArrivingPort(direction);
    auto compare = [&](const CanFrameId& frame) -> std::optional<RouteChange> {
        const Route routeA = a.RouteFrame(from, frame);
        const Route routeB = b.RouteFrame(from, frame);
        if (SameBehaviour(routeA, routeB))
            return std::nullopt;
        return RouteChange{frame, routeA, routeB, a.ReasonText(from, frame, routeA), b.ReasonText(from, frame, routeB)};
    };
    for (std::uint32_t id = 0; id <= kMaxStandardId; ++id)
        if (auto change = compare({id, false}))
            diff.changes.push_back(std::move(*change));

    std::set<std::uint32_t> listed;
    for (const DecodedImage* image : {&imageA, &imageB})
        for (const Translation& t : image->translations[static_cast<std::size_t>(direction)])
            if (FitsFrameFormat(t.original, FrameFormat::Extended))
                listed.insert(t.original);
    for (std::uint32_t id : listed)
        if (auto change = compare({id, true}))
            diff.changes.push_back(std::move(*change));
    // Every 29-bit identifier that neither image lists takes the same route
    // in each image: one of them stands for all.
    std::uint32_t other = kMaxExtendedId;
    while (listed.count(other) != 0)
        --other;
    diff.otherExtended = compare({other, true});
    diff.lines = DirectionLines(diff);
    return diff;
}

std::string BytesText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

} // namespace

bool ConfigurationDiff::Same() const
{
    return settings.empty() && directions[0].Same() && directions[1].Same();
}

std::string RoutePhrase(const CanFrameId& frame, const Route& route)
{
    switch (route.outcome) {
    case RouteOutcome::Passed: {
        const std::string text = route.Changes(frame) ? "passed as " + FrameIdText(route.leaves) : "passed unchanged";
        return route.Ambiguous() ? text + " (ambiguous)" : text;
    }
    case RouteOutcome::Blocked:
        return "blocked";
    case RouteOutcome::NotReceived:
        break;
    }
    return "not received";
}

ConfigurationDiff DiffConfigurations(const ConfigurationSource& a, const ConfigurationSource& b)
{
    ConfigurationDiff diff;
    diff.settings = SettingChanges(a.image, b.image);
    const auto modelA = std::make_unique<ForwardingModel>(a.image);
    const auto modelB = std::make_unique<ForwardingModel>(b.image);
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        diff.directions[static_cast<std::size_t>(direction)] =
            DiffDirection(*modelA, *modelB, a.image, b.image, direction);
    for (int bank : {1, 2}) {
        const auto& bytesA = a.banks[static_cast<std::size_t>(bank - 1)];
        const auto& bytesB = b.banks[static_cast<std::size_t>(bank - 1)];
        for (std::size_t offset = 0; offset < bytesA.size(); ++offset) {
            if (bytesA[offset] == bytesB[offset])
                continue;
            if (diff.differingBytes++ == 0)
                diff.firstDifferingByte = "bank " + std::to_string(bank) + " byte " + std::to_string(offset) + " (" +
                                          DescribeBankByte(bank, offset, a.image.extended) + ")";
        }
    }
    return diff;
}

std::string DirectionCountText(const DirectionDiff& direction)
{
    const std::string table = kCobIdTableNames[static_cast<std::size_t>(direction.direction)];
    const std::size_t count = direction.changes.size();
    std::string text = table + ": ";
    if (count == 0 && !direction.otherExtended)
        return text + "no identifier differs";
    if (count > 0)
        text += CountText(count) + (count == 1 ? " differs" : " differ");
    if (direction.otherExtended)
        text += count > 0 ? ", and every other 29-bit identifier" : "every 29-bit identifier that neither image lists differs";
    return text;
}

std::string SameBehaviourText(const ConfigurationDiff& diff)
{
    std::string text = "A and B behave the same";
    if (diff.differingBytes > 0)
        text += "; their banks 1 and 2 differ only where nothing reads them: " + BytesText(diff.differingBytes) +
                ", the first " + diff.firstDifferingByte;
    return text;
}

std::vector<std::string> DiffTextLines(const ConfigurationDiff& diff)
{
    if (diff.Same())
        return {SameBehaviourText(diff)};
    std::vector<std::string> lines;
    if (!diff.settings.empty()) {
        lines.emplace_back("Settings:");
        for (const SettingChange& change : diff.settings)
            lines.push_back("  " + change.setting + ": " + change.a + " -> " + change.b);
    }
    for (const DirectionDiff& direction : diff.directions) {
        if (direction.Same())
            continue;
        lines.push_back(std::string(kCobIdTableNames[static_cast<std::size_t>(direction.direction)]) + ":");
        for (const std::string& line : direction.lines)
            lines.push_back("  " + line);
    }
    for (const DirectionDiff& direction : diff.directions)
        lines.push_back(DirectionCountText(direction));
    return lines;
}

} // namespace c2c
