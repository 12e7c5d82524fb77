#include "documents/CanOpenCheck.h"

#include "documents/CanOpen.h"
#include "documents/CobIdChecks.h"

#include <set>

namespace c2c {

namespace {

constexpr NodeService kTpdos[] = {kTpdo1, kTpdo2, kTpdo3, kTpdo4};

std::set<std::uint32_t> Listed(const CobIdTable& table)
{
    std::set<std::uint32_t> listed;
    for (const CobIdRow& row : table)
        if (auto id = ListedIdentifierOf(row))
            listed.insert(*id);
    return listed;
}

// "No table lists NMT (0x000): with Positive Implementation set, ..."
std::string Unlisted(NetworkService service, const char* outcome)
{
    return "No table lists " + NetworkServiceLabel(service) + ": with Positive Implementation set, " + outcome;
}

} // namespace

std::vector<std::string> CheckCanOpenTables(const CobIdTables& tables, const CommSession& session)
{
    std::vector<std::string> findings;
    if (!session.PositiveImpl)
        return findings;
    bool anyNode = false;
    bool nmt = false;
    bool sync = false;
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const std::set<std::uint32_t> listed = Listed(tables.Table(direction));
        nmt = nmt || listed.count(NetworkServiceId(NetworkService::Nmt));
        sync = sync || listed.count(NetworkServiceId(NetworkService::Sync));
        const std::string table = CobIdTableTitle(direction);
        for (int node = kMinNodeId; node <= kMaxNodeId; ++node) {
            std::string tpdos;
            for (NodeService tpdo : kTpdos)
                if (listed.count(NodeServiceId(tpdo, node)))
                    tpdos += (tpdos.empty() ? "" : ", ") + IdentifierText(NodeServiceId(tpdo, node));
            const std::uint32_t heartbeatId = NodeServiceId(kHeartbeat, node);
            const std::uint32_t sdoResponseId = NodeServiceId(kSdoResponse, node);
            const bool heartbeat = listed.count(heartbeatId) != 0;
            anyNode = anyNode || !tpdos.empty() || heartbeat;
            if (tpdos.empty())
                continue;
            std::vector<std::string> missing;
            if (!heartbeat)
                missing.push_back("its heartbeat " + IdentifierText(heartbeatId));
            if (!listed.count(sdoResponseId))
                missing.push_back("its SDO response " + IdentifierText(sdoResponseId));
            if (!missing.empty())
                findings.push_back(table + ": the TPDOs of node " + std::to_string(node) + " pass (" + tpdos +
                                   ") but " + missing[0] + (missing.size() > 1 ? " and " + missing[1] : "") +
                                   (missing.size() > 1 ? " have no row, so the device blocks them"
                                                       : " has no row, so the device blocks it") +
                                   " (Positive Implementation is set)");
        }
    }
    if (anyNode && !nmt)
        findings.push_back(Unlisted(NetworkService::Nmt, "the NMT master's commands do not cross the device"));
    if (anyNode && !sync)
        findings.push_back(Unlisted(NetworkService::Sync, "SYNC does not cross the device"));
    return findings;
}

} // namespace c2c
