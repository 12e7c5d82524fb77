// The twin's rules held against the forwarding model, through a small
// model of the kernel's gateway written from its documented rules: a rule
// fires for every frame whose can_id (flags included) matches its filter,
// and sends one frame with the identifier ANDed, then ORed. For every
// identifier the model answers one by one (and 29-bit ones around and far
// from them), data and remote, both formats, the rules must send exactly
// the frame the model says leaves, or nothing.

#include "operations/TwinRules.h"

#include "image/Forwarding.h"
#include "operations/ForwardingSource.h"
#include "platform/Error.h"
#include "support/ProjectDocuments.h"

#include <gtest/gtest.h>

#include <random>

namespace c2c {
namespace {

using namespace c2c::testing;

constexpr std::uint32_t kEff = 0x80000000, kRtr = 0x40000000;

std::uint32_t CanId(const CanFrameId& frame, bool remote)
{
    return (frame.extended ? kEff : 0) | frame.id | (remote ? kRtr : 0);
}

// What the gateway sends for a frame on `source`.
std::vector<std::pair<std::string, std::uint32_t>> Sent(const TwinRules& twin, const std::string& source, std::uint32_t canId)
{
    std::vector<std::pair<std::string, std::uint32_t>> sent;
    for (const TwinRule& r : twin.rules) {
        const CanGatewayRule& rule = r.rule;
        if (rule.source != source || (canId & rule.filterMask) != (rule.filterId & rule.filterMask))
            continue;
        std::uint32_t out = canId;
        if (rule.andId)
            out &= *rule.andId;
        if (rule.orId)
            out |= *rule.orId;
        sent.emplace_back(rule.destination, out);
    }
    return sent;
}

DecodedImage ImageOf(const Texts& pargen, const CobIdRows& can0ToCan1, const CobIdRows& can1ToCan0)
{
    TempDir dir;
    WriteProject(dir.path(), PargenXml(pargen), CobIdXml(can0ToCan1, can1ToCan0));
    return LoadForwardingImage(dir.path());
}

Texts Pargen(bool extended0, bool extended1, bool positive)
{
    return {"5", "5", extended0 ? "1" : "0", positive ? "1" : "0", "0", "0", extended1 ? "1" : "0"};
}

void ExpectTwinIsModel(const DecodedImage& image, std::uint32_t seed)
{
    const TwinRules twin = MakeTwinRules(image, {"c0", "c1"});
    const ForwardingModel model(image);
    std::mt19937 random(seed);
    std::vector<std::uint32_t> ids = {0x800, 0x801, 0x1FFFFFFE, 0x1FFFFFFF};
    for (std::uint32_t id = 0; id < 0x800; ++id)
        ids.push_back(id);
    for (const auto& table : image.translations)
        for (const Translation& t : table)
            ids.insert(ids.end(), {t.original, t.original + 1, t.original - 1});
    for (int i = 0; i < 300; ++i)
        ids.push_back(random() % 0x20000000);
    for (int port : {0, 1})
        for (std::uint32_t id : ids)
            for (bool extended : {false, true}) {
                if ((!extended && id > 0x7FF) || id > 0x1FFFFFFF)
                    continue;
                const CanFrameId frame{id, extended};
                const Route route = model.RouteFrame(PortAt(port), frame);
                for (bool remote : {false, true}) {
                    const auto sent = Sent(twin, port ? "c1" : "c0", CanId(frame, remote));
                    if (!route.Passed()) {
                        ASSERT_TRUE(sent.empty()) << model.RouteText(PortAt(port), frame, route);
                        continue;
                    }
                    ASSERT_EQ(sent.size(), 1u) << model.RouteText(PortAt(port), frame, route) << (remote ? " remote" : "");
                    EXPECT_EQ(sent[0].first, port ? "c0" : "c1");
                    ASSERT_EQ(sent[0].second, CanId(route.leaves, remote))
                        << model.RouteText(PortAt(port), frame, route) << (remote ? " remote" : "");
                }
            }
}

CobIdRows RandomRows(std::mt19937& random, bool wideIn, bool wideOut)
{
    auto id = [&](bool wide) {
        return wide && random() % 2 ? random() % 0x20000000 : random() % 0x800;
    };
    auto text = [](std::uint32_t v) { return "0x" + (std::ostringstream() << std::hex << v).str(); };
    CobIdRows rows;
    for (int i = static_cast<int>(random() % 60); i > 0; --i) {
        const std::uint32_t original = !rows.empty() && random() % 10 == 0 ? std::stoul(rows.back().orig, nullptr, 16) : id(wideIn);
        rows.push_back({text(original), random() % 3 == 0 ? "" : text(id(wideOut))});
    }
    return rows;
}

TEST(TwinRules, PassExactlyWhatTheModelPasses)
{
    std::mt19937 random(5);
    for (int round = 0; round < 16; ++round) {
        const bool b0 = round & 1, b1 = round & 2, positive = round & 4;
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectTwinIsModel(ImageOf(Pargen(b0, b1, positive), RandomRows(random, b0, b1), RandomRows(random, b1, b0)),
                          static_cast<std::uint32_t>(round));
        if (HasFatalFailure())
            return;
    }
}

struct CountCase {
    const char* name;
    Texts pargen;
    CobIdRows can0ToCan1;
    TwinDirectionCount can0, can1; // listed, cover
};

TEST(TwinRules, OneRulePerListedIdentifierAndTheFewestBlocksWhereKnown)
{
    CobIdRows range;
    for (int id = 0x100; id <= 0x1FF; ++id)
        range.push_back({std::to_string(id), ""});
    const CountCase cases[] = {
        {"pass-list", Pargen(false, false, true), {{"0x181", "0x1C1"}, {"0x201", ""}}, {2, 0}, {0, 0}},
        {"pass-list of a 29-bit port", Pargen(true, true, true), {{"0x181", "0x18FF0701"}, {"0x1ABC0181", ""}}, {2, 0}, {0, 0}},
        {"block one of 11 bits", Pargen(false, false, false), {{"0x123", ""}}, {0, 11}, {0, 1}},
        {"block one of 29 bits", Pargen(true, true, false), {{"0x18FF0701", ""}}, {0, 29}, {0, 1}},
        {"block an aligned range", Pargen(true, true, false), range, {0, 21}, {0, 1}},
        {"block nothing, 2.0B to 2.0A", Pargen(true, false, false), {}, {0, 1}, {0, 1}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedImage image = ImageOf(c.pargen, c.can0ToCan1, {});
        const TwinRules twin = MakeTwinRules(image, {"c0", "c1"});
        EXPECT_EQ(twin.counts[0].listed, c.can0.listed);
        EXPECT_EQ(twin.counts[0].cover, c.can0.cover);
        EXPECT_EQ(twin.counts[1].listed, c.can1.listed);
        EXPECT_EQ(twin.counts[1].cover, c.can1.cover);
        EXPECT_EQ(twin.rules.size(), c.can0.listed + c.can0.cover + c.can1.listed + c.can1.cover);
        ExpectTwinIsModel(image, 1);
    }
}

// Names from outside go into a shell script and a unit file: neither may
// run what a name holds.
TEST(TwinRules, NamesCannotBreakOutOfTheScriptOrTheUnit)
{
    const TwinRules twin = MakeTwinRules(ImageOf(Pargen(false, false, true), {{"0x181", ""}}, {}), {"c0", "c1"});
    const std::string script = TwinScript(twin, "Line7\nreboot\r");
    EXPECT_NE(script.find("\n# Made by drevanta-c2c-cli twin from Line7?reboot?\n"), std::string::npos) << script;
    const std::string unit = TwinSystemdUnit(twin, "/srv/a b/50% \"$HOME\"\\x.sh");
    EXPECT_NE(unit.find("\nExecStart=/bin/sh \"/srv/a b/50%% \\\"$$HOME\\\"\\\\x.sh\"\n"), std::string::npos) << unit;
    EXPECT_THROW(TwinSystemdUnit(twin, "/srv/a\nb.sh"), Error);
}

TEST(TwinRules, TheKernelsListIsHeldAgainstTheTwin)
{
    const TwinRules twin = MakeTwinRules(ImageOf(Pargen(false, false, true), {{"0x181", "0x1C1"}, {"0x201", ""}}, {}),
                                         {"c0", "c1"});
    ASSERT_EQ(twin.rules.size(), 2u);
    CanGatewayJob first{twin.rules[0].rule, 7, 0, 1};
    CanGatewayJob second{twin.rules[1].rule, 5, 0, 0};
    CanGatewayJob otherInterfaces{twin.rules[0].rule, 0, 0, 0};
    otherInterfaces.rule.source = "can5";
    CanGatewayJob foreign = second;
    foreign.foreign = true; // say, an XOR besides

    const TwinCheck same = CheckTwinRules(twin, {second, otherInterfaces, first});
    EXPECT_TRUE(same.Same());
    EXPECT_EQ(same.handled[0], 12u);
    EXPECT_EQ(same.deleted[0], 1u);

    const TwinCheck differs = CheckTwinRules(twin, {first, first, foreign});
    EXPECT_FALSE(differs.Same());
    ASSERT_EQ(differs.missing.size(), 1u);
    EXPECT_EQ(differs.missing[0], &twin.rules[1]);
    EXPECT_EQ(differs.foreign.size(), 2u); // the second copy and the one that does more
}

} // namespace
} // namespace c2c
