#include "documents/CobIdRules.h"

#include "documents/CobIdTables.h"

namespace c2c {

namespace {

RuleRow Row(int direction, std::uint32_t original, std::optional<std::uint32_t> modified, std::string description,
            bool extendedFrame = false)
{
    // A new identifier equal to the old one is no translation.
    if (modified == original)
        modified.reset();
    return RuleRow{direction, original, modified, extendedFrame, std::move(description)};
}

// The name of a node's row: "TPDO1 node 5 as node 37" for what it sends,
// "RPDO1 to node 5 (node 37 on CAN1)" for what is addressed to it.
std::string NodeRowName(const std::string& service, bool sentByNode, int node, int as, CanPort port)
{
    if (sentByNode)
        return service + " node " + std::to_string(node) + (as != node ? " as node " + std::to_string(as) : "");
    return service + " to node " + std::to_string(node) +
           (as != node ? " (node " + std::to_string(as) + " on " + PortName(OtherPort(port)) + ")" : "");
}

std::string NmtNote(int node, int as, CanPort port)
{
    return "NMT commands name their node in the data byte, which the device does not translate: NMT commands for "
           "node " +
           std::to_string(as) + " on " + PortName(OtherPort(port)) + " do not reach node " + std::to_string(node) + ".";
}

std::optional<std::string> NodeRefusal(int node, const std::optional<int>& as)
{
    for (int id : {node, as.value_or(node)})
        if (!IsNodeId(id))
            return "Node " + std::to_string(id) + " is no node ID (" + NodeIdRangeText() + ")";
    return std::nullopt;
}

// A row of what a node sends (from its port) or receives (from the other).
RuleRow NodeRow(bool sentByNode, CanPort port, std::uint32_t own, std::uint32_t other, std::string name,
                bool extendedFrame = false)
{
    if (sentByNode)
        return Row(DirectionFrom(port), own, other, std::move(name), extendedFrame);
    return Row(DirectionFrom(OtherPort(port)), other, own, std::move(name), extendedFrame);
}

RuleExpansion ExpandIdentifier(const IdentifierRule& rule)
{
    RuleExpansion expansion;
    const std::string name =
        "Identifier " + IdentifierText(rule.original) +
        (rule.modified && *rule.modified != rule.original ? " as " + IdentifierText(*rule.modified) : "");
    expansion.rows.push_back(Row(rule.direction, rule.original, rule.modified, name));
    return expansion;
}

RuleExpansion ExpandRange(const RangeRule& rule)
{
    RuleExpansion expansion;
    const std::string range = IdentifierText(rule.first) + "-" + IdentifierText(rule.last);
    if (rule.first > rule.last) {
        expansion.refusal = "The range " + range + " ends before it starts";
        return expansion;
    }
    const std::uint64_t count = std::uint64_t{rule.last} - rule.first + 1;
    // Checked before any row is made: a range may span every identifier.
    if (count > kStandardTableLength) {
        expansion.refusal = "The range " + range + " holds " + std::to_string(count) + " identifiers, more than the " +
                            std::to_string(kStandardTableLength) + " rows a table has";
        return expansion;
    }
    std::string name = "Range " + range;
    if (rule.newFirst) {
        const std::uint64_t newLast = std::uint64_t{*rule.newFirst} + count - 1;
        if (newLast > kMaxExtendedId) {
            expansion.refusal = "The range " + range + " as " + IdentifierText(*rule.newFirst) + " would end beyond " +
                                IdentifierText(kMaxExtendedId) + ", the largest identifier";
            return expansion;
        }
        name += " as " + IdentifierText(*rule.newFirst) + "-" + IdentifierText(static_cast<std::uint32_t>(newLast));
    }
    for (std::uint32_t offset = 0; offset < count; ++offset) {
        std::optional<std::uint32_t> modified;
        if (rule.newFirst)
            modified = *rule.newFirst + offset;
        expansion.rows.push_back(Row(rule.direction, rule.first + offset, modified, name));
    }
    return expansion;
}

RuleExpansion ExpandNode(const NodeRule& rule)
{
    RuleExpansion expansion;
    if ((expansion.refusal = NodeRefusal(rule.node, rule.as)))
        return expansion;
    if (rule.services.none()) {
        expansion.refusal = "No service of node " + std::to_string(rule.node) + " is chosen";
        return expansion;
    }
    const int as = rule.as.value_or(rule.node);
    for (std::size_t s = 0; s < kNodeServiceCount; ++s) {
        if (!rule.services[s])
            continue;
        const auto service = static_cast<NodeService>(s);
        const NodeServiceFact& fact = FactOf(service);
        expansion.rows.push_back(NodeRow(fact.sentByNode, rule.port, NodeServiceId(service, rule.node),
                                         NodeServiceId(service, as),
                                         NodeRowName(fact.name, fact.sentByNode, rule.node, as, rule.port)));
    }
    if (as != rule.node)
        expansion.notes.push_back(NmtNote(rule.node, as, rule.port));
    return expansion;
}

RuleExpansion ExpandNetwork(const NetworkRule& rule)
{
    RuleExpansion expansion;
    const int direction = DirectionFrom(rule.fromPort);
    const std::string from = std::string(" from ") + PortName(rule.fromPort);
    const std::pair<bool, NetworkService> chosen[] = {
        {rule.nmt, NetworkService::Nmt}, {rule.sync, NetworkService::Sync}, {rule.time, NetworkService::Time}};
    for (const auto& [wanted, service] : chosen)
        if (wanted)
            expansion.rows.push_back(Row(direction, NetworkServiceId(service), std::nullopt, FactOf(service).name + from));
    if (expansion.rows.empty())
        expansion.refusal = "No network service is chosen";
    if (rule.nmt)
        expansion.notes.push_back(std::string("NMT commands name their node in the data byte, which the device does "
                                              "not translate: a node that appears under another number on ") +
                                  PortName(rule.fromPort) + " is not reached by NMT commands for that number.");
    return expansion;
}

} // namespace

RuleExpansion ExpandDescribedNode(const DeviceDescription& description, const std::string& fileName, CanPort port,
                                  std::optional<int> as)
{
    RuleExpansion expansion;
    const int node = description.node;
    if ((expansion.refusal = NodeRefusal(node, as)))
        return expansion;
    const int m = as.value_or(node);
    expansion.notes.push_back("Read from " + fileName + " for node " + std::to_string(node) + ".");
    expansion.notes.insert(expansion.notes.end(), description.notes.begin(), description.notes.end());

    // What the node sends and receives: the file's objects, the predefined
    // SDO when the file has no SDO server, and the heartbeat.
    struct Service {
        std::string name;
        bool sent;
        std::uint32_t identifier;
        bool extendedFrame;
    };
    std::vector<Service> services;
    for (const DescribedIdentifier& described : description.identifiers)
        services.push_back({NodeObjectName(described.object, described.number), IsSentByNode(described.object),
                            described.identifier, described.extendedFrame});
    if (!description.describesSdoServer) {
        expansion.notes.push_back("The file describes no SDO server ([1200sub1], [1200sub2]): the SDO of the "
                                  "predefined set is added.");
        for (NodeService sdo : {kSdoRequest, kSdoResponse})
            services.push_back({FactOf(sdo).name, FactOf(sdo).sentByNode, NodeServiceId(sdo, node), false});
    }
    services.push_back({FactOf(kHeartbeat).name, true, NodeServiceId(kHeartbeat, node), false});

    const auto n = static_cast<std::uint32_t>(node);
    for (const Service& service : services) {
        std::string name = NodeRowName(service.name, service.sent, node, m, port);
        // The identifier on the node's own line, and on the other line.
        const std::uint32_t own = service.identifier;
        std::uint32_t other = own;
        if (m != node) {
            if ((own & kNodeIdBits) == n) {
                other = (own & ~kNodeIdBits) | static_cast<std::uint32_t>(m);
            } else {
                name = service.name + (service.sent ? " node " : " to node ") + std::to_string(node) + " (" +
                       IdentifierText(own) + " kept)";
                expansion.notes.push_back(service.name + " of node " + std::to_string(node) + ", " + IdentifierText(own) +
                                          ", does not end in the node's ID: listed unchanged.");
            }
        }
        expansion.rows.push_back(NodeRow(service.sent, port, own, other, name, service.extendedFrame));
    }
    if (m != node)
        expansion.notes.push_back(NmtNote(node, m, port));
    return expansion;
}

RuleExpansion ExpandRule(const CobIdRule& rule)
{
    struct Visitor {
        RuleExpansion operator()(const IdentifierRule& r) const { return ExpandIdentifier(r); }
        RuleExpansion operator()(const RangeRule& r) const { return ExpandRange(r); }
        RuleExpansion operator()(const NodeRule& r) const { return ExpandNode(r); }
        RuleExpansion operator()(const NetworkRule& r) const { return ExpandNetwork(r); }
        RuleExpansion operator()(const DescribedNodeRule& r) const
        {
            return ExpandDescribedNode(r.description, r.file, r.port, r.as);
        }
    };
    return std::visit(Visitor{}, rule);
}

} // namespace c2c
