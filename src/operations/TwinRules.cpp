#include "operations/TwinRules.h"

#include "documents/CobIdTables.h"
#include "image/Forwarding.h"
#include "platform/Error.h"
#include "platform/HexDigits.h"

#include <algorithm>
#include <bit>
#include <map>
#include <optional>
#include <tuple>

namespace c2c {

namespace {

constexpr std::uint32_t kEff = kCanIdExtendedFlag;
constexpr std::uint32_t kRtr = kCanIdRemoteFlag;
constexpr std::uint32_t kEffIds = kMaxExtendedId; // every bit of a 29-bit identifier
constexpr std::uint32_t kSffIds = kMaxStandardId; // every bit of an 11-bit identifier
constexpr int kEffBits = std::bit_width(kEffIds);
constexpr int kSffBits = std::bit_width(kSffIds);

// The can_id the kernel sees for a frame.
std::uint32_t CanId(const CanFrameId& frame, bool remote)
{
    return (frame.extended ? kEff : 0) | frame.id | (remote ? kRtr : 0);
}

struct Transform {
    std::optional<std::uint32_t> andId, orId;

    std::uint32_t Apply(std::uint32_t canId) const
    {
        if (andId)
            canId &= *andId;
        if (orId)
            canId |= *orId;
        return canId;
    }
    bool Identity() const { return !andId && !orId; }
    bool operator==(const Transform&) const = default;
};

// Every bit of the identifier and the remote flag kept, the 29-bit flag
// cleared: a 29-bit frame of an 11-bit identifier leaving as a standard one.
const Transform kClearExtended{0x5FFFFFFF, std::nullopt};

// Whether `t` makes `leaves` of `frame`, for data and remote frames alike.
bool Makes(const Transform& t, const CanFrameId& frame, const CanFrameId& leaves)
{
    for (bool remote : {false, true})
        if (t.Apply(CanId(frame, remote)) != CanId(leaves, remote))
            return false;
    return true;
}

// The frames of one identifier and what the model does with each.
struct Answer {
    CanFrameId frame;
    Route route;
};

// One transform that makes every answer's frame from its own, each passing;
// a transform keeps the remote flag and never more than AND and OR.
std::optional<Transform> CommonTransform(const std::vector<Answer>& answers)
{
    if (answers.empty() || !std::all_of(answers.begin(), answers.end(), [](const Answer& a) { return a.route.Passed(); }))
        return std::nullopt;
    const std::uint32_t newId = answers.front().route.leaves.id;
    const Transform candidates[] = {
        {},                                   // unchanged
        kClearExtended,                       // 29-bit in, standard out, same identifier
        {kEff | kRtr, newId},                 // new identifier, each frame keeps its format
        {kRtr, newId},                        // new identifier, a standard frame
        {kRtr, kEff | newId},                 // new identifier, a 29-bit frame
    };
    for (const Transform& t : candidates)
        if (std::all_of(answers.begin(), answers.end(),
                        [&](const Answer& a) { return Makes(t, a.frame, a.route.leaves); }))
            return t;
    return std::nullopt;
}

// The filter that matches data and remote frames of `id` in the formats
// given.
std::pair<std::uint32_t, std::uint32_t> IdentifierFilter(std::uint32_t id, bool standard, bool extended)
{
    if (standard && extended)
        return {id, kEffIds};
    if (standard)
        return {id, kEff | kSffIds};
    return {kEff | id, kEff | kEffIds};
}

// "0x000-0x17F" for a block that is a range, else "id & 0x780 = 0x100".
std::string BlockText(const IdentifierBlock& block, int bits)
{
    const std::uint32_t space = (std::uint32_t(1) << bits) - 1;
    const std::uint32_t free = space & ~block.mask;
    const int digits = bits > kSffBits ? 8 : 3;
    if ((free & (free + 1)) == 0) { // the free bits are the low ones: a range
        if (free == 0)
            return "0x" + HexText(block.value, digits);
        return "0x" + HexText(block.value, digits) + "-0x" + HexText(block.value | free, digits);
    }
    return "id & 0x" + HexText(block.mask, digits) + " = 0x" + HexText(block.value, digits);
}

// "CAN0 to CAN1": the table the frames arriving on `from` go through.
std::string TableName(CanPort from)
{
    return kCobIdTableNames[static_cast<std::size_t>(DirectionFrom(from))];
}

class Exporter {
public:
    Exporter(const DecodedImage& image, const std::array<std::string, 2>& interfaces, TwinRules& out)
        : image_(image), model_(image), interfaces_(interfaces), out_(out)
    {
    }

    // The rules of the frames arriving on `from`.
    void RulesFrom(CanPort from)
    {
        const bool takesExtended = model_.PortTakesExtended(from);
        // The identifiers the model answers one by one: every 11-bit one, and
        // the 29-bit ones an entry lists. Every other 29-bit identifier gets
        // the answer of an unlisted one.
        std::vector<std::uint32_t> ids;
        for (std::uint32_t id = 0; id <= kSffIds; ++id)
            ids.push_back(id);
        std::vector<std::uint32_t> listedLarge;
        for (const Translation& t : image_.translations[static_cast<std::size_t>(DirectionFrom(from))])
            if (t.original > kSffIds && t.original <= kEffIds)
                listedLarge.push_back(t.original);
        std::sort(listedLarge.begin(), listedLarge.end());
        listedLarge.erase(std::unique(listedLarge.begin(), listedLarge.end()), listedLarge.end());
        if (takesExtended)
            ids.insert(ids.end(), listedLarge.begin(), listedLarge.end());

        std::vector<std::uint32_t> unchanged, toStandard; // unlisted, passing, 11-bit
        std::vector<std::uint32_t> notUnchanged;           // every other identifier answered one by one
        for (std::uint32_t id : ids) {
            std::vector<Answer> answers;
            if (id <= kSffIds)
                answers.push_back(Ask(from, {id, false}));
            if (takesExtended)
                answers.push_back(Ask(from, {id, true}));
            const bool listed = answers.front().route.entries > 0;
            if (listed && answers.front().route.Ambiguous())
                out_.notes.push_back(TableName(from) + ": " +
                                     model_.RouteText(from, answers.front().frame, answers.front().route));
            const auto common = CommonTransform(answers);
            if (!listed && common && common->Identity()) {
                unchanged.push_back(id);
                continue;
            }
            notUnchanged.push_back(id);
            if (!listed && common && *common == kClearExtended) {
                toStandard.push_back(id);
                continue;
            }
            if (common) {
                AddListed(from, answers, *common);
                continue;
            }
            // The formats go different ways: one rule per format that passes.
            for (const Answer& answer : answers)
                if (const auto own = CommonTransform({answer}))
                    AddListed(from, {answer}, *own);
        }

        // Any 29-bit identifier that no entry lists: all get one answer.
        bool unlistedPass = false;
        if (takesExtended) {
            std::uint32_t representative = kEffIds;
            while (std::binary_search(listedLarge.begin(), listedLarge.end(), representative))
                --representative;
            const Answer unlisted = Ask(from, {representative, true});
            unlistedPass = unlisted.route.Passed();
            if (unlistedPass && unlisted.route.Changes(unlisted.frame))
                throw Error("The twin cannot pass every unlisted 29-bit identifier as " +
                            model_.RouteText(from, unlisted.frame, unlisted.route));
        }

        if (unlistedPass) {
            // All 29-bit identifiers but the few answered otherwise: blocks
            // of the whole identifier space, matching both formats.
            for (const IdentifierBlock& block : CoverComplement(notUnchanged, kEffBits))
                AddCover(from, block, kEffBits, block.value, block.mask, {}, "unchanged");
        } else {
            AddSmallCover(from, unchanged, takesExtended, {}, "unchanged");
        }
        AddSmallCover(from, toStandard, takesExtended, kClearExtended, "unchanged, 29-bit frames leave as standard frames");
    }

private:
    Answer Ask(CanPort from, CanFrameId frame) const { return {frame, model_.RouteFrame(from, frame)}; }

    CanGatewayRule Rule(CanPort from, std::uint32_t filterId, std::uint32_t filterMask, const Transform& t) const
    {
        CanGatewayRule rule;
        rule.source = interfaces_[PortIndex(from)];
        rule.destination = interfaces_[PortIndex(OtherPort(from))];
        rule.filterId = filterId;
        rule.filterMask = filterMask;
        rule.andId = t.andId;
        rule.orId = t.orId;
        return rule;
    }

    void AddListed(CanPort from, const std::vector<Answer>& answers, const Transform& t)
    {
        bool standard = false, extended = false;
        for (const Answer& a : answers)
            (a.frame.extended ? extended : standard) = true;
        const std::uint32_t id = answers.front().frame.id;
        const auto [filterId, filterMask] = IdentifierFilter(id, standard, extended);
        std::string meaning;
        for (const Answer& a : answers)
            meaning += (meaning.empty() ? "" : "; ") + model_.RouteText(from, a.frame, a.route);
        out_.rules.push_back({Rule(from, filterId, filterMask, t), from, meaning, false});
        ++out_.counts[static_cast<std::size_t>(DirectionFrom(from))].listed;
    }

    void AddCover(CanPort from, const IdentifierBlock& block, int bits, std::uint32_t filterId, std::uint32_t filterMask,
                  const Transform& t, const char* what)
    {
        out_.rules.push_back({Rule(from, filterId, filterMask, t), from,
                              "unlisted " + BlockText(block, bits) + ", " + what, true});
        ++out_.counts[static_cast<std::size_t>(DirectionFrom(from))].cover;
    }

    // Blocks of 11-bit identifiers covering `members`: standard frames, and
    // 29-bit frames of those identifiers where the port takes them.
    void AddSmallCover(CanPort from, const std::vector<std::uint32_t>& members, bool takesExtended, const Transform& t,
                       const char* what)
    {
        if (members.empty())
            return;
        std::vector<std::uint32_t> others;
        std::size_t next = 0;
        for (std::uint32_t id = 0; id <= kSffIds; ++id) {
            if (next < members.size() && members[next] == id)
                ++next;
            else
                others.push_back(id);
        }
        const std::uint32_t formats = takesExtended ? (kEffIds & ~kSffIds) : kEff;
        for (const IdentifierBlock& block : CoverComplement(others, kSffBits))
            AddCover(from, block, kSffBits, block.value, block.mask | formats, t, what);
    }

    const DecodedImage& image_;
    ForwardingModel model_;
    const std::array<std::string, 2>& interfaces_;
    TwinRules& out_;
};

std::string FilterText(std::uint32_t filterId)
{
    return filterId > kSffIds ? HexText(filterId, 8) : HexText(filterId, 3);
}

// A name in a comment line of the script: a control character (a line
// break above all) would end the comment and run the rest.
std::string CommentText(const std::string& text)
{
    std::string clean = text;
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return clean;
}

// A path as one argument of a systemd command line: quoted, with the
// characters systemd would read otherwise escaped ("\\", "\"", "%%", "$$").
std::string UnitArgument(const std::string& path)
{
    std::string text = "\"";
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw Error("The script's path " + QuotedValue(path) + " cannot go into a systemd unit");
        if (c == '\\' || c == '"')
            text += '\\';
        if (c == '%' || c == '$')
            text += c;
        text += c;
    }
    return text + "\"";
}

// systemd's name of a network interface's device unit.
std::string DeviceUnit(const std::string& name)
{
    std::string escaped;
    for (char c : name)
        escaped += c == '-' ? std::string("\\x2d") : std::string(1, c);
    return "sys-subsystem-net-devices-" + escaped + ".device";
}

} // namespace

std::vector<CanGatewayRule> TwinRules::GatewayRules() const
{
    std::vector<CanGatewayRule> list;
    list.reserve(rules.size());
    for (const TwinRule& rule : rules)
        list.push_back(rule.rule);
    return list;
}

TwinRules MakeTwinRules(const DecodedImage& image, const std::array<std::string, 2>& interfaces)
{
    TwinRules twin;
    twin.interfaces = interfaces;
    Exporter exporter(image, twin.interfaces, twin);
    for (CanPort from : kCanPorts)
        exporter.RulesFrom(from);
    return twin;
}

std::string TwinInterfaceProblem(const std::string& name)
{
    if (name.empty() || name.size() > 15)
        return "an interface name has 1 to 15 characters";
    if (name.front() == '-' || name.front() == '.')
        return "an interface name here does not begin with '" + std::string(1, name.front()) + "'";
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-'))
            return "an interface name here holds only letters, digits, '_', '.' and '-'";
    return {};
}

std::string CangwCommand(const CanGatewayRule& rule)
{
    std::string text = "cangw -A -s " + rule.source + " -d " + rule.destination + (rule.echo ? " -e" : "") + " -f " +
                       FilterText(rule.filterId) + ":" + HexText(rule.filterMask, 8);
    if (rule.andId)
        text += " -m AND:I:" + HexText(*rule.andId, 8) + ".0.0000000000000000";
    if (rule.orId)
        text += " -m OR:I:" + HexText(*rule.orId, 8) + ".0.0000000000000000";
    return text;
}

std::string TwinScript(const TwinRules& twin, const std::string& source)
{
    const std::string& can0 = twin.interfaces[0];
    const std::string& can1 = twin.interfaces[1];
    std::string text = "#!/bin/sh\n"
                       "# The repeater's forwarding as rules of the Linux kernel's CAN gateway:\n"
                       "# " + can0 + " is its port CAN0, " + can1 + " its port CAN1.\n"
                       "# Made by drevanta-c2c-cli twin from " + CommentText(source) + "\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const TwinDirectionCount& count = twin.counts[static_cast<std::size_t>(direction)];
        text += std::string("# ") + kCobIdTableNames[static_cast<std::size_t>(direction)] + ": " +
                std::to_string(count.listed) + (count.listed == 1 ? " rule" : " rules") + " of listed identifiers, " +
                std::to_string(count.cover) + (count.cover == 1 ? " block" : " blocks") + " of unlisted identifiers that pass unchanged\n";
    }
    for (const std::string& note : twin.notes)
        text += "# Ambiguous, the first entry taken: " + note + "\n";
    text += "# cangw -F removes every rule of the kernel's CAN gateway first, those of\n"
            "# other interfaces too. -e: the frames sent are also seen on the interface\n"
            "# they leave on (candump, and anything at all on vcan).\n"
            "set -e\n"
            "modprobe can-gw\n"
            "cangw -F\n";
    std::optional<CanPort> from;
    for (const TwinRule& rule : twin.rules) {
        if (rule.fromPort != from) {
            from = rule.fromPort;
            text += "# " + TableName(*from) + "\n";
        }
        text += CangwCommand(rule.rule) + "  # " + rule.meaning + "\n";
    }
    return text;
}

std::string TwinSystemdUnit(const TwinRules& twin, const std::string& scriptPath)
{
    const std::string devices = DeviceUnit(twin.interfaces[0]) + " " + DeviceUnit(twin.interfaces[1]);
    return "# The repeater's twin: its forwarding as CAN gateway rules between " + twin.interfaces[0] + " (CAN0)\n"
           "# and " + twin.interfaces[1] + " (CAN1), applied when both interfaces are there and again whenever\n"
           "# one comes back (the kernel drops the rules of an interface that goes away,\n"
           "# and no rule survives a reboot). Stopping it removes every CAN gateway rule\n"
           "# of the machine (cangw -F), as the script does before it adds its own.\n"
           "#   cp THIS_FILE /etc/systemd/system/ && systemctl daemon-reload\n"
           "#   systemctl enable --now THIS_FILE_NAME\n"
           "[Unit]\n"
           "Description=Repeater twin: CAN gateway rules between " + twin.interfaces[0] + " and " + twin.interfaces[1] + "\n"
           "BindsTo=" + devices + "\n"
           "After=" + devices + "\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "RemainAfterExit=yes\n"
           "ExecStart=/bin/sh " + UnitArgument(scriptPath) + "\n"
           "ExecStop=cangw -F\n"
           "\n"
           "[Install]\n"
           "WantedBy=" + devices + "\n";
}

TwinCheck CheckTwinRules(const TwinRules& twin, const std::vector<CanGatewayJob>& kernel)
{
    using Key = std::tuple<std::string, std::string, std::uint32_t, std::uint32_t, std::optional<std::uint32_t>,
                           std::optional<std::uint32_t>, bool>;
    auto key = [](const CanGatewayRule& r) {
        return Key(r.source, r.destination, r.filterId, r.filterMask, r.andId, r.orId, r.echo);
    };
    std::multimap<Key, const TwinRule*> expected;
    for (const TwinRule& rule : twin.rules)
        expected.emplace(key(rule.rule), &rule);
    auto ours = [&](const std::string& name) { return name == twin.interfaces[0] || name == twin.interfaces[1]; };

    TwinCheck check;
    std::map<const TwinRule*, CanGatewayJob> found;
    for (const CanGatewayJob& job : kernel) {
        if (!ours(job.rule.source) || !ours(job.rule.destination))
            continue;
        const auto it = job.foreign ? expected.end() : expected.find(key(job.rule));
        if (it == expected.end()) {
            check.foreign.push_back(job);
            continue;
        }
        found.emplace(it->second, job);
        expected.erase(it);
    }
    for (const TwinRule& rule : twin.rules) {
        const auto it = found.find(&rule);
        if (it == found.end()) {
            check.missing.push_back(&rule);
            continue;
        }
        const auto d = static_cast<std::size_t>(DirectionFrom(rule.fromPort));
        check.handled[d] += it->second.handled;
        check.dropped[d] += it->second.dropped;
        check.deleted[d] += it->second.deleted;
        check.held.push_back({&rule, it->second});
    }
    return check;
}

} // namespace c2c
