#include "documents/CanOpen.h"

#include "documents/IntegerText.h"

#include <map>

namespace c2c {

std::string NodeIdRangeText()
{
    return std::to_string(kMinNodeId) + " to " + std::to_string(kMaxNodeId);
}

std::optional<NodeServices> ParseNodeServices(std::string_view list)
{
    static const std::map<std::string_view, NodeServices> kWords = [] {
        std::map<std::string_view, NodeServices> words;
        for (std::size_t s = 0; s < kNodeServiceCount; ++s)
            words[kNodeServiceFacts[s].word].set(s);
        for (NodeService pdo : {kTpdo1, kTpdo2, kTpdo3, kTpdo4, kRpdo1, kRpdo2, kRpdo3, kRpdo4})
            words[kAllPdosWord].set(pdo);
        return words;
    }();
    NodeServices services;
    for (;;) {
        const std::size_t comma = list.find(',');
        const auto word = kWords.find(list.substr(0, comma));
        if (word == kWords.end())
            return std::nullopt;
        services |= word->second;
        if (comma == std::string_view::npos)
            return services;
        list.remove_prefix(comma + 1);
    }
}

std::string NodeServiceListText(bool sentByNode, const char* node)
{
    std::string text;
    for (const NodeServiceFact& fact : kNodeServiceFacts)
        if (fact.sentByNode == sentByNode)
            text += std::string(text.empty() ? "" : ", ") + fact.name + " " + IdentifierText(fact.base) + "+" + node;
    return text;
}

std::string NetworkServiceLabel(NetworkService service)
{
    return std::string(FactOf(service).name) + " (" + IdentifierText(FactOf(service).id) + ")";
}

bool IsRestrictedCanId(std::uint32_t id, bool extendedFrame)
{
    if (extendedFrame)
        return false;
    for (const CanIdRange& range : kRestrictedCanIds)
        if (id >= range.first && id <= range.last)
            return true;
    return false;
}

std::string CanOpenIdentity::Text() const
{
    if (networkService)
        return FactOf(*networkService).name;
    if (!nodeService)
        return "";
    const NodeServiceFact& fact = FactOf(*nodeService);
    return std::string(fact.name) + (fact.sentByNode ? " of node " : " to node ") + std::to_string(node);
}

std::optional<CanOpenIdentity> ClassifyCanOpenId(std::uint32_t id, bool extendedFrame)
{
    if (extendedFrame)
        return std::nullopt;
    for (std::size_t s = 0; s < kNetworkServiceFacts.size(); ++s)
        if (kNetworkServiceFacts[s].id == id)
            return CanOpenIdentity{std::nullopt, static_cast<NetworkService>(s), 0};
    // Every base is a multiple of 0x80: the node ID is the low seven bits.
    const int node = static_cast<int>(id & kNodeIdBits);
    if (!IsNodeId(node))
        return std::nullopt;
    for (std::size_t s = 0; s < kNodeServiceCount; ++s)
        if (kNodeServiceFacts[s].base == (id & ~kNodeIdBits))
            return CanOpenIdentity{static_cast<NodeService>(s), std::nullopt, node};
    return std::nullopt;
}

} // namespace c2c
