#include "documents/CanOpenCheck.h"

#include "documents/CobIdRules.h"
#include "documents/IntegerText.h"

#include <set>

namespace c2c {

namespace {

constexpr std::uint32_t kTpdoBases[] = {0x180, 0x280, 0x380, 0x480};
constexpr std::uint32_t kSdoResponseBase = 0x580;
constexpr std::uint32_t kHeartbeatBase = 0x700;

std::set<std::uint32_t> Listed(const CobIdTable& table)
{
    std::set<std::uint32_t> listed;
    for (const CobIdRow& row : table)
        if (auto id = TryParseInteger(row.Orig_CobID); id && *id >= 0)
            listed.insert(static_cast<std::uint32_t>(*id));
    return listed;
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
        nmt = nmt || listed.count(0x000);
        sync = sync || listed.count(0x080);
        const std::string table = std::string("Table ") + kCobIdTableNames[static_cast<std::size_t>(direction)];
        for (std::uint32_t node = kMinNodeId; node <= kMaxNodeId; ++node) {
            std::string tpdos;
            for (std::uint32_t base : kTpdoBases)
                if (listed.count(base + node))
                    tpdos += (tpdos.empty() ? "" : ", ") + IdentifierText(base + node);
            const bool heartbeat = listed.count(kHeartbeatBase + node) != 0;
            anyNode = anyNode || !tpdos.empty() || heartbeat;
            if (tpdos.empty())
                continue;
            std::vector<std::string> missing;
            if (!heartbeat)
                missing.push_back("its heartbeat " + IdentifierText(kHeartbeatBase + node));
            if (!listed.count(kSdoResponseBase + node))
                missing.push_back("its SDO response " + IdentifierText(kSdoResponseBase + node));
            if (!missing.empty())
                findings.push_back(table + ": the TPDOs of node " + std::to_string(node) + " pass (" + tpdos +
                                   ") but " + missing[0] + (missing.size() > 1 ? " and " + missing[1] : "") +
                                   (missing.size() > 1 ? " have no row, so the device blocks them"
                                                       : " has no row, so the device blocks it") +
                                   " (Positive Implementation is set)");
        }
    }
    if (anyNode && !nmt)
        findings.push_back("No table lists NMT (0x000): with Positive Implementation set, the NMT master's commands "
                           "do not cross the device");
    if (anyNode && !sync)
        findings.push_back("No table lists SYNC (0x080): with Positive Implementation set, SYNC does not cross the "
                           "device");
    return findings;
}

} // namespace c2c
