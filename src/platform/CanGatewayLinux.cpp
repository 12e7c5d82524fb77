// The kernel's CAN gateway over rtnetlink: RTM_NEWROUTE, RTM_DELROUTE and
// RTM_GETROUTE messages of family AF_CAN, as linux/can/gw.h describes them.
// Rules are sent in batches, each message acknowledged, so thousands of
// rules take one process and a few system calls.

#include "platform/CanGateway.h"

#include "platform/Error.h"
#include "platform/SystemReason.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <system_error>

#include <linux/can.h>
#include <linux/can/gw.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace c2c {

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kBatch = 64;         // messages per send
constexpr std::uint16_t kArphrdCan = 280;  // the link type of a CAN interface

template <typename T>
void Put(Bytes& bytes, std::size_t offset, const T& value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T Get(const unsigned char* data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

void AddAttribute(Bytes& body, std::uint16_t type, const void* data, std::size_t size)
{
    const std::size_t offset = body.size();
    body.resize(offset + NLA_ALIGN(NLA_HDRLEN + size), 0);
    const nlattr attribute{static_cast<std::uint16_t>(NLA_HDRLEN + size), type};
    Put(body, offset, attribute);
    std::memcpy(body.data() + offset + NLA_HDRLEN, data, size);
}

// rtcanmsg and the attributes: the part of a message after its header.
Bytes RuleBody(const CanGatewayRule& rule, int source, int destination)
{
    Bytes body(sizeof(rtcanmsg), 0);
    const rtcanmsg header{AF_CAN, CGW_TYPE_CAN_CAN, static_cast<std::uint16_t>(rule.echo ? CGW_FLAGS_CAN_ECHO : 0)};
    Put(body, 0, header);
    auto modification = [&](std::uint16_t type, const std::optional<std::uint32_t>& id) {
        if (!id)
            return;
        unsigned char mod[CGW_MODATTR_LEN] = {};
        can_frame frame{};
        frame.can_id = *id;
        std::memcpy(mod, &frame, sizeof frame);
        mod[sizeof frame] = CGW_MOD_ID;
        AddAttribute(body, type, mod, sizeof mod);
    };
    modification(CGW_MOD_AND, rule.andId);
    modification(CGW_MOD_OR, rule.orId);
    const can_filter filter{rule.filterId, rule.filterMask};
    AddAttribute(body, CGW_FILTER, &filter, sizeof filter);
    const auto src = static_cast<std::uint32_t>(source), dst = static_cast<std::uint32_t>(destination);
    AddAttribute(body, CGW_SRC_IF, &src, sizeof src);
    AddAttribute(body, CGW_DST_IF, &dst, sizeof dst);
    return body;
}

void AppendMessage(Bytes& batch, std::uint16_t type, std::uint16_t flags, std::uint32_t sequence, const Bytes& body)
{
    const std::size_t offset = batch.size();
    batch.resize(offset + NLMSG_ALIGN(NLMSG_HDRLEN + body.size()), 0);
    const nlmsghdr header{static_cast<std::uint32_t>(NLMSG_HDRLEN + body.size()), type, flags, sequence, 0};
    Put(batch, offset, header);
    std::memcpy(batch.data() + offset + NLMSG_HDRLEN, body.data(), body.size());
}

bool GatewayLoaded()
{
    struct stat info;
    // Without sysfs nothing can be told: the kernel will say.
    return ::stat("/sys/module", &info) != 0 || ::stat("/sys/module/can_gw", &info) == 0;
}

std::string Reason(int error)
{
    switch (error) {
    case EPERM:
    case EACCES:
        return "changing the kernel's CAN gateway needs the CAP_NET_ADMIN capability (run it as root)";
    case EOPNOTSUPP:
    case EPROTONOSUPPORT:
    case EAFNOSUPPORT:
    case EPFNOSUPPORT:
        return "the kernel's CAN gateway is not loaded (modprobe can-gw)";
    default:
        return SystemReason(error);
    }
}

class Netlink {
public:
    Netlink()
    {
        fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (fd_ < 0)
            throw Error("Cannot reach the kernel's CAN gateway: " + Reason(errno));
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        // An answer that never comes ends the conversation instead of the
        // program waiting for ever.
        const timeval patience{10, 0};
        if (::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience) != 0 ||
            ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            const int error = errno;
            ::close(fd_);
            throw Error("Cannot reach the kernel's CAN gateway: " + Reason(error));
        }
    }
    ~Netlink() { ::close(fd_); }
    Netlink(const Netlink&) = delete;
    Netlink& operator=(const Netlink&) = delete;

    std::uint32_t NextSequence() { return ++sequence_; }

    // Sends the batch; returns the errno of each message the kernel refused,
    // by sequence number, after every message was answered.
    std::map<std::uint32_t, int> Exchange(const Bytes& batch, std::size_t messages)
    {
        Send(batch);
        std::map<std::uint32_t, int> refused;
        std::size_t answered = 0;
        while (answered < messages)
            Receive([&](const nlmsghdr& header, const unsigned char* payload) {
                if (header.nlmsg_type != NLMSG_ERROR)
                    return true;
                ++answered;
                const int error = Get<int>(payload);
                if (error != 0)
                    refused[header.nlmsg_seq] = -error;
                return answered < messages;
            });
        return refused;
    }

    // Sends a dump request and hands each message of the answer to `take`.
    template <typename Take>
    void Dump(const Bytes& request, Take take)
    {
        Send(request);
        bool more = true;
        while (more)
            Receive([&](const nlmsghdr& header, const unsigned char* payload) {
                if (header.nlmsg_type == NLMSG_DONE)
                    return more = false;
                if (header.nlmsg_type == NLMSG_ERROR) {
                    const int error = -Get<int>(payload);
                    if (error != 0)
                        throw Error("Cannot read the kernel's CAN gateway rules: " + Reason(error));
                    return true;
                }
                take(header, payload);
                return true;
            });
    }

private:
    void Send(const Bytes& bytes)
    {
        sockaddr_nl kernel{};
        kernel.nl_family = AF_NETLINK;
        ssize_t sent;
        do
            sent = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
        while (sent < 0 && errno == EINTR);
        if (sent != static_cast<ssize_t>(bytes.size()))
            throw Error("Cannot talk to the kernel's CAN gateway: " + Reason(sent < 0 ? errno : EIO));
    }

    // One datagram; `handle` is called per message until it returns false.
    template <typename Handle>
    void Receive(Handle handle)
    {
        ssize_t size;
        do
            size = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        while (size < 0 && errno == EINTR);
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            throw Error("The kernel's CAN gateway did not answer within 10 s");
        if (size < 0)
            throw Error("Cannot hear the kernel's CAN gateway: " + Reason(errno));
        std::size_t offset = 0;
        while (offset + NLMSG_HDRLEN <= static_cast<std::size_t>(size)) {
            const auto header = Get<nlmsghdr>(buffer_.data() + offset);
            if (header.nlmsg_len < NLMSG_HDRLEN || offset + header.nlmsg_len > static_cast<std::size_t>(size))
                throw Error("The kernel's CAN gateway answered with a broken message");
            if (!handle(header, buffer_.data() + offset + NLMSG_HDRLEN))
                return;
            offset += NLMSG_ALIGN(header.nlmsg_len);
        }
    }

    int fd_ = -1;
    std::uint32_t sequence_ = 0;
    std::vector<unsigned char> buffer_ = std::vector<unsigned char>(1 << 16);
};

// A job as the dump gives it, and what deleting exactly it takes.
struct ListedJob {
    CanGatewayJob job;
    int source = 0, destination = 0;
    Bytes body; // rtcanmsg and the attributes, without the counters
};

std::string InterfaceName(int index)
{
    char name[IF_NAMESIZE] = {};
    if (::if_indextoname(static_cast<unsigned>(index), name) == nullptr)
        return "#" + std::to_string(index);
    return name;
}

std::vector<ListedJob> ListJobs(Netlink& netlink)
{
    Bytes body(sizeof(rtcanmsg), 0);
    Put(body, 0, rtcanmsg{AF_CAN, 0, 0});
    Bytes request;
    AppendMessage(request, RTM_GETROUTE, NLM_F_REQUEST | NLM_F_DUMP, netlink.NextSequence(), body);
    std::vector<ListedJob> jobs;
    netlink.Dump(request, [&](const nlmsghdr& header, const unsigned char* payload) {
        const std::size_t size = header.nlmsg_len - NLMSG_HDRLEN;
        // Without the gateway loaded the kernel answers with the routes of
        // every family: only AF_CAN's are rules.
        if (header.nlmsg_type != RTM_NEWROUTE || size < sizeof(rtcanmsg) || payload[0] != AF_CAN)
            return;
        const auto message = Get<rtcanmsg>(payload);
        ListedJob listed;
        listed.body.assign(payload, payload + sizeof(rtcanmsg));
        CanGatewayJob& job = listed.job;
        job.rule.echo = (message.flags & CGW_FLAGS_CAN_ECHO) != 0;
        job.foreign = message.gwtype != CGW_TYPE_CAN_CAN || (message.flags & ~CGW_FLAGS_CAN_ECHO) != 0;
        for (std::size_t offset = sizeof(rtcanmsg); offset + NLA_HDRLEN <= size;) {
            const auto attribute = Get<nlattr>(payload + offset);
            if (attribute.nla_len < NLA_HDRLEN || offset + attribute.nla_len > size)
                break;
            const unsigned char* data = payload + offset + NLA_HDRLEN;
            const std::size_t length = attribute.nla_len - NLA_HDRLEN;
            const int type = attribute.nla_type & NLA_TYPE_MASK;
            auto u32 = [&] { return length >= 4 ? Get<std::uint32_t>(data) : 0u; };
            switch (type) {
            case CGW_HANDLED:
                job.handled = u32();
                break;
            case CGW_DROPPED:
                job.dropped = u32();
                break;
            case CGW_DELETED:
                job.deleted = u32();
                break;
            default: {
                const std::size_t at = listed.body.size();
                listed.body.insert(listed.body.end(), payload + offset, payload + offset + attribute.nla_len);
                listed.body.resize(at + NLA_ALIGN(attribute.nla_len), 0);
                break;
            }
            }
            switch (type) {
            case CGW_MOD_AND:
            case CGW_MOD_OR:
                if (length >= CGW_MODATTR_LEN && data[sizeof(can_frame)] == CGW_MOD_ID)
                    (type == CGW_MOD_AND ? job.rule.andId : job.rule.orId) = Get<can_frame>(data).can_id;
                else
                    job.foreign = true;
                break;
            case CGW_FILTER:
                if (length >= sizeof(can_filter)) {
                    const auto filter = Get<can_filter>(data);
                    job.rule.filterId = filter.can_id;
                    job.rule.filterMask = filter.can_mask;
                }
                break;
            case CGW_SRC_IF:
                listed.source = static_cast<int>(u32());
                job.rule.source = InterfaceName(listed.source);
                break;
            case CGW_DST_IF:
                listed.destination = static_cast<int>(u32());
                job.rule.destination = InterfaceName(listed.destination);
                break;
            case CGW_HANDLED:
            case CGW_DROPPED:
            case CGW_DELETED:
                break;
            default:
                job.foreign = true; // XOR, SET, checksums, a hop limit, a user id, CAN FD
                break;
            }
            offset += NLA_ALIGN(attribute.nla_len);
        }
        jobs.push_back(std::move(listed));
    });
    return jobs;
}

int InterfaceIndex(const std::string& name)
{
    const unsigned index = name.size() < IF_NAMESIZE ? ::if_nametoindex(name.c_str()) : 0;
    if (index == 0)
        throw Error("There is no network interface \"" + name + "\"");
    std::ifstream type("/sys/class/net/" + name + "/type");
    unsigned linkType = 0;
    if (type >> linkType && linkType != kArphrdCan)
        throw Error("\"" + name + "\" is no CAN interface");
    return static_cast<int>(index);
}

// Removes the jobs between the two interfaces: all of them at once when no
// other job is there, else one by one, each named by all it holds.
void RemoveJobsBetween(Netlink& netlink, int a, int b)
{
    const std::vector<ListedJob> jobs = ListJobs(netlink);
    auto between = [&](const ListedJob& job) {
        return (job.source == a || job.source == b) && (job.destination == a || job.destination == b);
    };
    std::vector<const ListedJob*> doomed;
    for (const ListedJob& job : jobs)
        if (between(job))
            doomed.push_back(&job);
    if (doomed.empty())
        return;
    Bytes batch;
    std::size_t messages = 0;
    auto flush = [&] {
        const auto refused = netlink.Exchange(batch, messages);
        if (!refused.empty())
            throw Error("Cannot remove the CAN gateway rules between \"" + InterfaceName(a) + "\" and \"" +
                        InterfaceName(b) + "\": " + Reason(refused.begin()->second));
        batch.clear();
        messages = 0;
    };
    if (doomed.size() == jobs.size()) {
        // Both interfaces 0: the kernel's "remove every rule".
        Bytes body(sizeof(rtcanmsg), 0);
        Put(body, 0, rtcanmsg{AF_CAN, CGW_TYPE_CAN_CAN, 0});
        const std::uint32_t none = 0;
        AddAttribute(body, CGW_SRC_IF, &none, sizeof none);
        AddAttribute(body, CGW_DST_IF, &none, sizeof none);
        AppendMessage(batch, RTM_DELROUTE, NLM_F_REQUEST | NLM_F_ACK, netlink.NextSequence(), body);
        messages = 1;
        flush();
        return;
    }
    for (const ListedJob* job : doomed) {
        AppendMessage(batch, RTM_DELROUTE, NLM_F_REQUEST | NLM_F_ACK, netlink.NextSequence(), job->body);
        if (++messages == kBatch)
            flush();
    }
    if (messages > 0)
        flush();
}

} // namespace

bool CanGatewaySupported()
{
    return true;
}

void ReplaceCanGatewayRules(const std::string& a, const std::string& b, const std::vector<CanGatewayRule>& rules)
{
    const int first = InterfaceIndex(a);
    const int second = InterfaceIndex(b);
    if (!GatewayLoaded())
        throw Error("Cannot apply the CAN gateway rules: " + Reason(EOPNOTSUPP));
    auto indexOf = [&](const std::string& name) {
        if (name == a)
            return first;
        if (name == b)
            return second;
        throw Error("A CAN gateway rule names \"" + name + "\", which is neither \"" + a + "\" nor \"" + b + "\"");
    };
    std::vector<Bytes> bodies;
    bodies.reserve(rules.size());
    for (const CanGatewayRule& rule : rules)
        bodies.push_back(RuleBody(rule, indexOf(rule.source), indexOf(rule.destination)));

    Netlink netlink;
    RemoveJobsBetween(netlink, first, second);
    Bytes batch;
    std::size_t messages = 0;
    std::map<std::uint32_t, std::size_t> ruleOf;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const std::uint32_t sequence = netlink.NextSequence();
        ruleOf[sequence] = i;
        AppendMessage(batch, RTM_NEWROUTE, NLM_F_REQUEST | NLM_F_ACK, sequence, bodies[i]);
        if (++messages < kBatch && i + 1 < bodies.size())
            continue;
        const auto refused = netlink.Exchange(batch, messages);
        if (!refused.empty()) {
            const auto& [sequence0, error] = *refused.begin();
            const std::size_t failed = ruleOf[sequence0];
            // No partial set of rules stays behind.
            try {
                RemoveJobsBetween(netlink, first, second);
            } catch (const Error&) {
            }
            throw Error("The kernel refused CAN gateway rule " + std::to_string(failed + 1) + " of " +
                        std::to_string(rules.size()) + ": " + Reason(error) + "; no rule is left between \"" + a +
                        "\" and \"" + b + "\"");
        }
        batch.clear();
        messages = 0;
        ruleOf.clear();
    }
}

std::vector<CanGatewayJob> ReadCanGatewayRules()
{
    Netlink netlink;
    std::vector<ListedJob> listed = ListJobs(netlink);
    if (listed.empty() && !GatewayLoaded())
        throw Error("Cannot read the CAN gateway rules: " + Reason(EOPNOTSUPP));
    std::vector<CanGatewayJob> jobs;
    jobs.reserve(listed.size());
    for (ListedJob& job : listed)
        jobs.push_back(std::move(job.job));
    return jobs;
}

} // namespace c2c
