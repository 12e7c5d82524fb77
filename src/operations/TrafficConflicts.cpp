#include "operations/TrafficConflicts.h"

#include "documents/CanFrame.h"
#include "documents/CanOpen.h"
#include "platform/CountText.h"

#include <algorithm>
#include <tuple>

namespace c2c {

namespace {

// "0x1A5, TPDO1 of node 37, on CAN1: "
std::string Head(const CanFrameId& id, int line)
{
    const auto identity = ClassifyCanOpenId(id.id, id.extended);
    const std::string service = identity ? identity->Text() : std::string();
    return FrameIdText(id) + (service.empty() ? "" : ", " + service) + ", on " + PortName(PortAt(line)) + ": ";
}

// What the device makes of an identifier: "0x080 unchanged", "TPDO1 node 5
// as node 37", "0x185 as 0x1A5".
std::string TranslationText(const CanFrameId& original, const CanFrameId& leaves)
{
    if (original == leaves)
        return FrameIdText(original) + " unchanged";
    const auto from = ClassifyCanOpenId(original.id, original.extended);
    const auto to = ClassifyCanOpenId(leaves.id, leaves.extended);
    if (from && to && from->nodeService && from->nodeService == to->nodeService)
        return std::string(FactOf(*from->nodeService).name) + " node " + std::to_string(from->node) + " as node " +
               std::to_string(to->node);
    return FrameIdText(original) + " as " + FrameIdText(leaves);
}

std::string SourcesText(const TrafficConflict& c)
{
    std::string text;
    for (const ConflictSource& s : c.sources)
        text += (text.empty() ? "" : "; ") + TranslationText(s.original, c.id);
    return text;
}

std::string ProducersText(const TrafficConflict& c, const std::string& what)
{
    return Head(c.id, c.line) + what + ": " + Plural(c.native, "native frame", "native frames") + " and " +
           std::to_string(c.forwarded) + " forwarded from " + PortName(PortAt(1 - c.line)) + " (" + SourcesText(c) + ")";
}

std::string Describe(const TrafficConflict& c, std::uint64_t sourceCount)
{
    const std::string from = PortName(PortAt(1 - c.line));
    switch (c.kind) {
    case ConflictKind::TwoProducers:
        return ProducersText(c, "two producers");
    case ConflictKind::TwoSyncProducers:
        return ProducersText(c, "SYNC produced on both lines");
    case ConflictKind::TwoTimeProducers:
        return ProducersText(c, "TIME produced on both lines");
    case ConflictKind::NmtFromBothSides:
        return ProducersText(c, "NMT commands from both sides");
    case ConflictKind::HeartbeatFromBothSides:
        return ProducersText(c, "a heartbeat of node " + std::to_string(c.id.id & kNodeIdBits) + " from both sides");
    case ConflictKind::IdentifiersMadeOne: {
        std::string list;
        for (const ConflictSource& s : c.sources)
            list += (list.empty() ? "" : ", ") + TranslationText(s.original, c.id) + " (" +
                    Plural(s.frames, "frame", "frames") + ")";
        return Head(c.id, c.line) + (sourceCount > c.sources.size() ? "more than " : "") +
               std::to_string(c.sources.size()) + " identifiers from " + from + " made one: " + list;
    }
    case ConflictKind::LssCrossing:
        return Head(c.id, c.line) + "LSS crosses from " + from + ": " + Plural(c.forwarded, "frame", "frames") + " (" +
               SourcesText(c) + ")";
    case ConflictKind::SdoResponseBlocked:
    case ConflictKind::SdoRequestBlocked: {
        const bool request = c.kind == ConflictKind::SdoResponseBlocked;
        const CanFrameId original = c.sources.front().original;
        // The identifier the other line's node waits for, or sends.
        const int node = static_cast<int>(original.id & kNodeIdBits);
        const CanFrameId expected{NodeServiceId(request ? kSdoResponse : kSdoRequest, node), false};
        return Head(c.id, c.line) + (request ? "SDO requests cross from " : "SDO responses cross from ") + from + " (" +
               SourcesText(c) + "): " + Plural(c.forwarded, "frame", "frames") + ", but " +
               (request ? "the response " + FrameIdText(*c.counterpart) + " does not come back as " + FrameIdText(expected)
                        : "the request " + FrameIdText(*c.counterpart) + " does not reach " + from + " as " +
                              FrameIdText(expected)) +
               ": " + c.counterpartRoute;
    }
    }
    return "";
}

ConflictKind ProducersKind(const CanFrameId& id)
{
    const auto identity = ClassifyCanOpenId(id.id, id.extended);
    if (!identity)
        return ConflictKind::TwoProducers;
    if (identity->networkService == NetworkService::Sync)
        return ConflictKind::TwoSyncProducers;
    if (identity->networkService == NetworkService::Time)
        return ConflictKind::TwoTimeProducers;
    if (identity->networkService == NetworkService::Nmt)
        return ConflictKind::NmtFromBothSides;
    if (identity->nodeService == kHeartbeat)
        return ConflictKind::HeartbeatFromBothSides;
    return ConflictKind::TwoProducers;
}

// The node's service an identifier stands for, if any.
std::optional<NodeService> NodeServiceOf(const CanFrameId& id)
{
    const auto identity = ClassifyCanOpenId(id.id, id.extended);
    return identity ? identity->nodeService : std::nullopt;
}

} // namespace

const char* ConflictKindKey(ConflictKind kind)
{
    switch (kind) {
    case ConflictKind::TwoProducers:
        return "two_producers";
    case ConflictKind::TwoSyncProducers:
        return "two_sync_producers";
    case ConflictKind::TwoTimeProducers:
        return "two_time_producers";
    case ConflictKind::NmtFromBothSides:
        return "nmt_from_both_sides";
    case ConflictKind::HeartbeatFromBothSides:
        return "heartbeat_from_both_sides";
    case ConflictKind::IdentifiersMadeOne:
        return "identifiers_made_one";
    case ConflictKind::LssCrossing:
        return "lss_crossing";
    case ConflictKind::SdoResponseBlocked:
        return "sdo_response_blocked";
    case ConflictKind::SdoRequestBlocked:
        return "sdo_request_blocked";
    }
    return "";
}

ConflictFinder::ConflictFinder(const ForwardingModel& model) : model_(model)
{
    for (int line : {0, 1}) {
        standard_[static_cast<std::size_t>(line)].resize(kStandardEntries);
        passed_[static_cast<std::size_t>(line)].resize(kStandardEntries);
    }
}

ConflictFinder::WireEntry* ConflictFinder::Wire(int line, const CanFrameId& id)
{
    const auto l = static_cast<std::size_t>(line);
    if (!id.extended)
        return &standard_[l][id.id & kMaxStandardId];
    auto& map = extended_[l];
    auto it = map.find(id.id);
    if (it != map.end())
        return &it->second;
    if (map.size() >= kTrackedIdentifiers) {
        ++unexamined_;
        return nullptr;
    }
    return &map[id.id];
}

void ConflictFinder::Note(int port, const CanFrameId& frame, bool remote, std::int64_t time, const Route& route,
                          std::int64_t forwardedAt)
{
    if (!remote)
        if (WireEntry* native = Wire(port, frame))
            if (native->nativeData++ == 0)
                native->firstNativeData = time;
    if (!route.Passed())
        return;
    const int line = 1 - port;
    if (!frame.extended) {
        PassedEntry& passed = passed_[static_cast<std::size_t>(port)][frame.id & kMaxStandardId];
        if (passed.frames++ == 0) {
            passed.first = forwardedAt;
            passed.leaves = route.leaves;
        }
    }
    WireEntry* wire = Wire(line, route.leaves);
    if (!wire)
        return;
    ++wire->forwarded;
    if (!remote && wire->forwardedData++ == 0)
        wire->firstForwardedData = forwardedAt;
    for (std::uint8_t i = 0; i < wire->sourceCount; ++i)
        if (wire->sources[i].original == frame) {
            ++wire->sources[i].frames;
            return;
        }
    if (wire->sourceCount < kListedSources) {
        wire->sources[wire->sourceCount++] = {frame, 1};
        if (wire->sourceCount == 2)
            wire->secondSourceAt = forwardedAt;
    } else {
        ++wire->otherSources;
    }
}

void ConflictFinder::Collect(int line, const CanFrameId& id, const WireEntry& entry,
                             std::vector<TrafficConflict>& out) const
{
    if (entry.forwarded == 0)
        return;
    TrafficConflict c;
    c.line = line;
    c.id = id;
    c.native = entry.nativeData;
    c.forwarded = entry.forwarded;
    c.sources.assign(entry.sources.begin(), entry.sources.begin() + entry.sourceCount);
    std::sort(c.sources.begin(), c.sources.end(), [](const ConflictSource& a, const ConflictSource& b) {
        return std::tie(a.original.extended, a.original.id) < std::tie(b.original.extended, b.original.id);
    });
    const std::uint64_t sourceCount = entry.sourceCount + (entry.otherSources > 0 ? 1 : 0);
    if (entry.nativeData > 0 && entry.forwardedData > 0) {
        TrafficConflict producers = c;
        producers.kind = ProducersKind(id);
        producers.firstSeen = std::max(entry.firstNativeData, entry.firstForwardedData);
        producers.text = Describe(producers, sourceCount);
        out.push_back(std::move(producers));
    }
    if (entry.sourceCount >= 2) {
        c.kind = ConflictKind::IdentifiersMadeOne;
        c.firstSeen = entry.secondSourceAt;
        c.text = Describe(c, sourceCount);
        out.push_back(std::move(c));
    }
}

void ConflictFinder::CollectPassed(int port, std::vector<TrafficConflict>& out) const
{
    const int line = 1 - port;
    const auto& passed = passed_[static_cast<std::size_t>(port)];
    for (std::uint32_t id = 0; id < kStandardEntries; ++id) {
        const PassedEntry& p = passed[id];
        if (p.frames == 0)
            continue;
        TrafficConflict c;
        c.line = line;
        c.id = p.leaves;
        c.forwarded = p.frames;
        c.firstSeen = p.first;
        c.sources = {{CanFrameId{id, false}, p.frames}};
        if (id == NetworkServiceId(NetworkService::LssResponse) || id == NetworkServiceId(NetworkService::LssRequest)) {
            c.kind = ConflictKind::LssCrossing;
            c.text = Describe(c, 1);
            out.push_back(std::move(c));
            continue;
        }
        // An SDO request to node n that leaves as the request to node m
        // needs node m's response back as node n's; and the reverse.
        const std::optional<NodeService> service = NodeServiceOf({id, false});
        const bool request = service == kSdoRequest;
        if ((!request && service != kSdoResponse) || NodeServiceOf(p.leaves) != service)
            continue;
        const std::uint32_t base = FactOf(*service).base;
        const std::uint32_t otherBase = FactOf(request ? kSdoResponse : kSdoRequest).base;
        // Request: node m answers on this line, towards the port it came from.
        // Response: the request must come from this line to reach node m.
        const CanFrameId counterpart{p.leaves.id - base + otherBase, false};
        const CanFrameId wanted{id - base + otherBase, false};
        const Route back = model_.RouteFrame(PortAt(line), counterpart);
        if (back.Passed() && back.leaves == wanted)
            continue;
        c.kind = request ? ConflictKind::SdoResponseBlocked : ConflictKind::SdoRequestBlocked;
        c.counterpart = counterpart;
        c.counterpartRoute = model_.RouteText(PortAt(line), counterpart, back);
        c.text = Describe(c, 1);
        out.push_back(std::move(c));
    }
}

std::vector<TrafficConflict> ConflictFinder::Conflicts() const
{
    std::vector<TrafficConflict> out;
    for (int line : {0, 1}) {
        const auto l = static_cast<std::size_t>(line);
        for (std::uint32_t id = 0; id < kStandardEntries; ++id)
            Collect(line, {id, false}, standard_[l][id], out);
        for (const auto& [id, entry] : extended_[l])
            Collect(line, {id, true}, entry, out);
        CollectPassed(1 - line, out);
    }
    std::stable_sort(out.begin(), out.end(), [](const TrafficConflict& a, const TrafficConflict& b) {
        return std::tie(a.line, a.id.extended, a.id.id, a.kind) < std::tie(b.line, b.id.extended, b.id.id, b.kind);
    });
    return out;
}

} // namespace c2c
