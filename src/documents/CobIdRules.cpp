#include "documents/CobIdRules.h"

#include "documents/IntegerText.h"

#include <algorithm>
#include <array>
#include <map>

namespace c2c {

namespace {

// The predefined connection set: each service's name, function code and
// whether the node sends it.
struct ServiceCode {
    const char* name;
    std::uint32_t base;
    bool sentByNode;
};
constexpr std::array<ServiceCode, kNodeServiceCount> kServiceCodes = {{
    {"EMCY", 0x080, true},
    {"TPDO1", 0x180, true},
    {"TPDO2", 0x280, true},
    {"TPDO3", 0x380, true},
    {"TPDO4", 0x480, true},
    {"RPDO1", 0x200, false},
    {"RPDO2", 0x300, false},
    {"RPDO3", 0x400, false},
    {"RPDO4", 0x500, false},
    {"SDO response", 0x580, true},
    {"SDO request", 0x600, false},
    {"Heartbeat", 0x700, true},
}};

constexpr std::uint32_t kNmt = 0x000;
constexpr std::uint32_t kSync = 0x080;
constexpr std::uint32_t kTime = 0x100;
constexpr std::uint32_t kNodeBits = 0x7F;

std::string TableName(int direction)
{
    return std::string("Table ") + kCobIdTableNames[static_cast<std::size_t>(direction)];
}

std::string NodeRange()
{
    return std::to_string(kMinNodeId) + " to " + std::to_string(kMaxNodeId);
}

bool IsNodeId(int node)
{
    return node >= kMinNodeId && node <= kMaxNodeId;
}

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
std::string NodeRowName(const std::string& service, bool sentByNode, int node, int as, int port)
{
    if (sentByNode)
        return service + " node " + std::to_string(node) + (as != node ? " as node " + std::to_string(as) : "");
    return service + " to node " + std::to_string(node) +
           (as != node ? " (node " + std::to_string(as) + " on " + CanPortName(OtherPort(port)) + ")" : "");
}

std::string NmtNote(int node, int as, int port)
{
    return "NMT commands name their node in the data byte, which the device does not translate: NMT commands for "
           "node " +
           std::to_string(as) + " on " + CanPortName(OtherPort(port)) + " do not reach node " + std::to_string(node) + ".";
}

std::optional<std::string> NodeRefusal(int node, const std::optional<int>& as)
{
    if (!IsNodeId(node))
        return "Node " + std::to_string(node) + " is no node ID (" + NodeRange() + ")";
    if (as && !IsNodeId(*as))
        return "Node " + std::to_string(*as) + " is no node ID (" + NodeRange() + ")";
    return std::nullopt;
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
        if (newLast > kMaxCanIdentifier) {
            expansion.refusal = "The range " + range + " as " + IdentifierText(*rule.newFirst) + " would end beyond " +
                                IdentifierText(kMaxCanIdentifier) + ", the largest identifier";
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
    const auto n = static_cast<std::uint32_t>(rule.node);
    const auto m = static_cast<std::uint32_t>(as);
    for (std::size_t service = 0; service < kNodeServiceCount; ++service) {
        if (!rule.services[service])
            continue;
        const ServiceCode& code = kServiceCodes[service];
        const std::string name = NodeRowName(code.name, code.sentByNode, rule.node, as, rule.port);
        if (code.sentByNode)
            expansion.rows.push_back(Row(DirectionFrom(rule.port), code.base + n, code.base + m, name));
        else
            expansion.rows.push_back(Row(DirectionFrom(OtherPort(rule.port)), code.base + m, code.base + n, name));
    }
    if (as != rule.node)
        expansion.notes.push_back(NmtNote(rule.node, as, rule.port));
    return expansion;
}

RuleExpansion ExpandNetwork(const NetworkRule& rule)
{
    RuleExpansion expansion;
    const int direction = DirectionFrom(rule.fromPort);
    const std::string from = " from " + CanPortName(rule.fromPort);
    if (rule.nmt)
        expansion.rows.push_back(Row(direction, kNmt, std::nullopt, "NMT" + from));
    if (rule.sync)
        expansion.rows.push_back(Row(direction, kSync, std::nullopt, "SYNC" + from));
    if (rule.time)
        expansion.rows.push_back(Row(direction, kTime, std::nullopt, "TIME" + from));
    if (expansion.rows.empty())
        expansion.refusal = "No network service is chosen";
    if (rule.nmt)
        expansion.notes.push_back("NMT commands name their node in the data byte, which the device does not "
                                  "translate: a node that appears under another number on " +
                                  CanPortName(rule.fromPort) + " is not reached by NMT commands for that number.");
    return expansion;
}

} // namespace

std::string CanPortName(int port)
{
    return port == 1 ? "CAN1" : "CAN0";
}

std::optional<std::uint32_t> ParseRuleIdentifier(std::string_view text)
{
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value || *value < 0 || static_cast<std::uint32_t>(*value) > kMaxCanIdentifier)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<int> ParseNodeId(std::string_view text)
{
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value || *value < kMinNodeId || *value > kMaxNodeId)
        return std::nullopt;
    return *value;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseIdentifierRange(std::string_view text)
{
    const std::size_t dash = text.empty() ? std::string_view::npos : text.find('-', 1);
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto first = ParseRuleIdentifier(text.substr(0, dash));
    const auto last = ParseRuleIdentifier(text.substr(dash + 1));
    if (!first || !last || *first > *last)
        return std::nullopt;
    return std::pair{*first, *last};
}

std::optional<NodeServices> ParseNodeServices(std::string_view list)
{
    static const std::map<std::string_view, NodeServices> kWords = [] {
        std::map<std::string_view, NodeServices> words;
        auto one = [](std::size_t service) { return NodeServices().set(service); };
        words["emcy"] = one(kEmcy);
        words["tpdo1"] = one(kTpdo1);
        words["tpdo2"] = one(kTpdo2);
        words["tpdo3"] = one(kTpdo3);
        words["tpdo4"] = one(kTpdo4);
        words["rpdo1"] = one(kRpdo1);
        words["rpdo2"] = one(kRpdo2);
        words["rpdo3"] = one(kRpdo3);
        words["rpdo4"] = one(kRpdo4);
        words["pdo"] = one(kTpdo1) | one(kTpdo2) | one(kTpdo3) | one(kTpdo4) | one(kRpdo1) | one(kRpdo2) | one(kRpdo3) |
                       one(kRpdo4);
        words["sdo"] = one(kSdoResponse) | one(kSdoRequest);
        words["heartbeat"] = one(kHeartbeat);
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

RuleExpansion ExpandDescribedNode(const DeviceDescription& description, const std::string& fileName, int port,
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
    const auto n = static_cast<std::uint32_t>(node);
    if (!description.describesSdoServer) {
        expansion.notes.push_back("The file describes no SDO server ([1200sub1], [1200sub2]): the SDO of the "
                                  "predefined set is added.");
        services.push_back({"SDO request", false, 0x600 + n, false});
        services.push_back({"SDO response", true, 0x580 + n, false});
    }
    services.push_back({"Heartbeat", true, 0x700 + n, false});

    for (const Service& service : services) {
        std::string name = NodeRowName(service.name, service.sent, node, m, port);
        // The identifier on the node's own line, and on the other line.
        const std::uint32_t own = service.identifier;
        std::uint32_t other = own;
        if (m != node) {
            if ((own & kNodeBits) == n) {
                other = (own & ~kNodeBits) | static_cast<std::uint32_t>(m);
            } else {
                name = service.name + (service.sent ? " node " : " to node ") + std::to_string(node) + " (" +
                       IdentifierText(own) + " kept)";
                expansion.notes.push_back(service.name + " of node " + std::to_string(node) + ", " + IdentifierText(own) +
                                          ", does not end in the node's ID: listed unchanged.");
            }
        }
        if (service.sent)
            expansion.rows.push_back(Row(DirectionFrom(port), own, other, name, service.extendedFrame));
        else
            expansion.rows.push_back(Row(DirectionFrom(OtherPort(port)), other, own, name, service.extendedFrame));
    }
    if (m != node)
        expansion.notes.push_back(NmtNote(node, m, port));
    return expansion;
}

bool IsCobIdRowInUse(const CobIdRow& row)
{
    return !row.Orig_CobID.empty() || !row.Mod_CobID.empty() || !row.Desc.empty();
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
            if (auto refusal = NodeRefusal(r.node.value_or(kMinNodeId), r.as))
                return RuleExpansion{{}, {}, refusal};
            return ExpandDescribedNode(ReadDeviceDescription(r.file, r.node), r.file, r.port, r.as);
        }
    };
    return std::visit(Visitor{}, rule);
}

// ---------------------------------------------------------------- adding

namespace {

std::string FormatName(std::int32_t type)
{
    return type == 0 ? "CAN 2.0A" : "CAN 2.0B";
}

// Why `row` cannot travel its way, if it cannot.
std::optional<std::string> FormatRefusal(const RuleRow& row, const CommSession& session)
{
    const int arriving = row.direction == kCan0ToCan1 ? 0 : 1;
    const std::uint32_t leaving = row.modified.value_or(row.original);
    const std::string what = IdentifierText(row.original) + " (" + row.description + ")";
    if (row.original > kMaxCanIdentifier || leaving > kMaxCanIdentifier)
        return what + " is no CAN identifier: they end at " + IdentifierText(kMaxCanIdentifier);
    for (int port : {arriving, OtherPort(arriving)}) {
        const int column = port == arriving ? kOriginalColumn : kModifyColumn;
        const std::int32_t type = GoverningType(session, row.direction, column);
        const std::uint32_t identifier = port == arriving ? row.original : leaving;
        const std::string verb = port == arriving ? " cannot arrive on " : " cannot leave on ";
        const auto limit = CobIdLimitOf(type);
        if (!limit)
            continue;
        const std::string portText = CanPortName(port) + ", which runs " + FormatName(type);
        if (identifier > static_cast<std::uint32_t>(limit->maximum))
            return what + verb + portText + " (" + IdentifierText(identifier) + " is above " +
                   IdentifierText(static_cast<std::uint32_t>(limit->maximum)) + ")";
        if (row.extendedFrame && type == 0)
            return what + verb + portText + ": it uses 29-bit frames";
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
            return TableName(row.direction) + ": " + *refusal;

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
                return TableName(direction) + ": " + IdentifierText(row.original) + " is asked twice (" +
                       at->second->description + ", " + row.description + ")";
            if (listed.count(row.original)) {
                if (!firstListed)
                    firstListed = &row;
                else
                    ++alsoListed;
            }
        }
        if (firstListed) {
            std::string reason = TableName(direction) + " has a row for " + IdentifierText(firstListed->original) + " (" +
                                 firstListed->description + ") already: N\u00B0 " +
                                 std::to_string(listed[firstListed->original]);
            if (alsoListed)
                reason += "; " + std::to_string(alsoListed) + " more of the new identifiers have rows too";
            return reason;
        }
        const std::size_t room = table.size() - used;
        if (needed > room) {
            if (used == 0)
                return TableName(direction) + " has " + std::to_string(table.size()) + " rows; " +
                       std::to_string(needed) + " are needed";
            return TableName(direction) + " has room for " + std::to_string(room) +
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
