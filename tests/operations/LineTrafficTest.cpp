// What each line carries: the arbitration order, a burst onto a slower line
// with its backlog, delays and losses worked out by hand, windows at their
// boundaries, traces out of time order, and each kind of conflict.

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "operations/LineTraffic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>

namespace c2c {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

// Both ports CAN 2.0A, Positive Implementation set: only the rows pass.
std::unique_ptr<ForwardingModel> Model(const Rows& can0ToCan1, const Rows& can1ToCan0)
{
    auto table = [](const Rows& rows) {
        CobIdTable t;
        for (const auto& [orig, mod] : rows)
            t.push_back({orig, mod, ""});
        return t;
    };
    CommSettings settings;
    settings.positive = 1;
    auto image = std::make_unique<BankImage>();
    BuildBankImage(settings, {table(can0ToCan1), table(can1ToCan0)}, *image);
    return std::make_unique<ForwardingModel>(DecodeBankImage(image->Bank(1), image->Bank(2)));
}

class CollectedText final : public TextSink {
public:
    void Write(std::string_view text) override { text_.append(text); }
    std::string text_;
};

// A trace in memory; every frame on `onPort` (0, 1), or by interface (-1).
std::unique_ptr<CandumpFrameSource> Trace(const std::string& text, int onPort = -1)
{
    auto held = std::make_shared<std::string>(text);
    auto at = std::make_shared<std::size_t>(0);
    return std::make_unique<CandumpFrameSource>(
        "trace" + std::to_string(onPort),
        [held, at](char* buffer, std::size_t size) {
            const std::size_t n = std::min(size, held->size() - *at);
            std::memcpy(buffer, held->data() + *at, n);
            *at += n;
            return n;
        },
        InterfacePorts(), onPort, [](std::uint64_t, const char*) {});
}

struct Analysed {
    TrafficReport report;
    std::array<std::string, 2> out;
};

Analysed Analyse(const ForwardingModel& model, const TrafficSettings& settings, const std::vector<std::string>& traces,
            bool onePortEach = false)
{
    std::vector<std::unique_ptr<CandumpFrameSource>> sources;
    std::vector<FrameSource*> frames;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        sources.push_back(Trace(traces[i], onePortEach ? static_cast<int>(i) : -1));
        frames.push_back(sources.back().get());
    }
    std::array<CollectedText, 2> sinks;
    LineOutputs outputs;
    outputs.sinks = {&sinks[0], &sinks[1]};
    Analysed run{AnalyseTraffic(model, settings, frames, outputs), {}};
    run.out = {sinks[0].text_, sinks[1].text_};
    return run;
}

TrafficSettings Rates(int kbps0, int kbps1, int windowMs = 100)
{
    TrafficSettings settings;
    settings.bitRateKbps = {kbps0, kbps1};
    settings.windowMs = windowMs;
    return settings;
}

// The frames of a written trace without their timestamps.
std::vector<std::string> Frames(const std::string& trace)
{
    std::vector<std::string> frames;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);)
        frames.push_back(line.substr(line.find(' ') + 1));
    return frames;
}

constexpr std::int64_t kSecond = 1000000000, kMicro = 1000;

// ---------------------------------------------------------------- arbitration

TEST(LineTraffic, ArbitrationOrder)
{
    const auto model = Model({{"0x181", ""}}, {});
    // All ready at once on an idle line: identifier, then format and remote flag.
    const Analysed all = Analyse(*model, Rates(1000, 1000),
                            {"(1.0) can0 04000001#11\n(1.0) can0 100#R\n(1.0) can0 04000000#R\n(1.0) can0 03FFFFFF#22\n"
                             "(1.0) can0 04000000#33\n(1.0) can0 100#44\n(1.0) can0 0FF#55\n(1.0) can0 100#66\n"});
    EXPECT_EQ(Frames(all.out[0]), (std::vector<std::string>{"can0 0FF#55", "can0 03FFFFFF#22", "can0 100#44", "can0 100#66",
                                                            "can0 100#R", "can0 04000000#33", "can0 04000000#R",
                                                            "can0 04000001#11"}));

    // One identifier: the earlier ready first, then the line's own frames
    // before forwarded ones, then the order of the trace. 7FF keeps CAN1
    // busy for 400 us while the others become ready.
    const Analysed ties = Analyse(*model, Rates(1000, 125),
                             {"(1.000000) can1 7FF#\n(1.000100) can0 181#01\n(1.000200) can1 181#02\n"
                              "(1.000200) can0 181#03\n(1.000200) can1 181#04\n"});
    EXPECT_EQ(Frames(ties.out[1]),
              (std::vector<std::string>{"can1 7FF#", "can1 181#01", "can1 181#02", "can1 181#04", "can1 181#03"}));
    EXPECT_EQ(ties.out[1].substr(0, 21), "(1.000000) can1 7FF#\n");
}

// ---------------------------------------------------------------- a burst onto a slower line

// Five NMT frames (0x000, no data: 53 bits) recorded on CAN1 at 500 kbit/s
// 110 us apart, passed to CAN0 at 125 kbit/s, where each takes 53 x 8 =
// 424 us. By hand: they start on CAN0 at 0, 424, 848, 1272 and 1696 us
// (ready at 0, 110, 220, 330, 440: delays 0, 314, 628, 942, 1256 us); when
// the second starts the next three wait: a backlog of 3. CAN0 is busy from
// 0 to 2120 us: 265 bits in 2.12 ms at 125 kbit/s, a mean of 100 %. Windows
// of 1 ms (125 bits): the first holds the starts at 0, 424 and 848 (159
// bits, 127.2 %), the second those at 1272 and 1696 (106 bits, 84.8 %).
const char* const kBurst = "(1.000000) can1 000#\n(1.000110) can1 000#\n(1.000220) can1 000#\n"
                           "(1.000330) can1 000#\n(1.000440) can1 000#\n";

TEST(LineTraffic, BurstOntoASlowerLine)
{
    const auto model = Model({}, {{"0x000", ""}});
    const Analysed run = Analyse(*model, Rates(125, 500, 1), {kBurst});
    EXPECT_EQ(run.out[0], "(1.000000) can0 000#\n(1.000424) can0 000#\n(1.000848) can0 000#\n"
                          "(1.001272) can0 000#\n(1.001696) can0 000#\n");
    const LineFigures& slow = run.report.lines[0];
    EXPECT_EQ(slow.framesNative, 0u);
    EXPECT_EQ(slow.framesForwarded, 5u);
    EXPECT_EQ(slow.bits, 265u);
    EXPECT_EQ(slow.maxBacklog, 3u);
    EXPECT_EQ(slow.maxBacklogAt, kSecond + 424 * kMicro);
    EXPECT_EQ(slow.maxDelayForwarded, 1256 * kMicro);
    EXPECT_DOUBLE_EQ(slow.loadMean, 1.0);
    EXPECT_DOUBLE_EQ(slow.loadPeak, 1.272);
    EXPECT_EQ(slow.peakWindowStart, kSecond);
    EXPECT_EQ(slow.windowsOver70, 2u);
    EXPECT_EQ(slow.windowsOver100, 1u);
    EXPECT_EQ(slow.series.Points(), (std::vector<LoadSeries::Point>{{1.272, 3}, {0.848, 2}}));
    // CAN1 sent them 4 us apart, undelayed: 265 bits from 0 to 546 us.
    const LineFigures& fast = run.report.lines[1];
    EXPECT_EQ(fast.framesNative, 5u);
    EXPECT_EQ(fast.maxDelayNative, 0);
    EXPECT_DOUBLE_EQ(fast.loadMean, 265.0 / 273.0);
    EXPECT_DOUBLE_EQ(fast.loadPeak, 0.53);
    EXPECT_FALSE(run.report.Fits());

    // A queue of 2: the fourth frame (ready at 330 us) finds the second and
    // third waiting and is lost; the fifth (440 us) finds only the third.
    TrafficSettings queued = Rates(125, 500, 1);
    queued.queue = 2;
    const Analysed lost = Analyse(*model, queued, {kBurst});
    EXPECT_EQ(lost.out[0], "(1.000000) can0 000#\n(1.000424) can0 000#\n(1.000848) can0 000#\n(1.001272) can0 000#\n");
    EXPECT_EQ(lost.report.lines[0].lost, 1u);
    EXPECT_EQ(lost.report.lines[0].lostFrames, (std::vector<LostFrame>{{kSecond + 330 * kMicro, {0x000, false}}}));
    EXPECT_EQ(lost.report.lines[0].maxBacklog, 2u);

    // The device's latency: each copy is ready 100 us later.
    TrafficSettings late = Rates(125, 500, 1);
    late.latencyNs = 100 * kMicro;
    const Analysed delayed = Analyse(*model, late, {kBurst});
    EXPECT_EQ(delayed.out[0].substr(0, 42), "(1.000100) can0 000#\n(1.000524) can0 000#\n");
    EXPECT_EQ(delayed.report.lines[0].maxDelayForwarded, 1256 * kMicro);
}

// ---------------------------------------------------------------- windows

struct WindowCase {
    const char* name;
    std::string trace; // CAN0 at 1000 kbit/s (1 us a bit), windows of 1 ms: 1000 bits
    std::uint64_t over70, over100;
    double peak;
    std::vector<double> loads;
};

// n frames 7FF# (50 bits each), all recorded at `time`.
std::string Many(int n, const char* time = "1.000000", const char* frame = "7FF#")
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::string("(") + time + ") can0 " + frame + "\n";
    return text;
}

TEST(LineTraffic, WindowsAtTheirBoundaries)
{
    const WindowCase cases[] = {
        {"exactly 70 % is not over 70 %", Many(14), 0, 0, 0.70, {0.70}},
        {"75 %", Many(15), 1, 0, 0.75, {0.75}},
        {"exactly 100 % is not over 100 %", Many(20), 1, 0, 1.0, {1.0}},
        // 53 + 19 x 50: the last starts at 953 us and counts wholly.
        {"a frame started in the window counts whole", Many(1, "1.000000", "000#") + Many(19), 1, 1, 1.003, {1.003}},
        {"a start at 999 us is in the first window, at 2000 us in the third",
         "(1.000000) can0 7FF#\n(1.000999) can0 7FF#\n(1.002000) can0 7FF#\n", 0, 0, 0.1, {0.1, 0.0, 0.05}},
    };
    const auto model = Model({}, {});
    for (const WindowCase& c : cases) {
        const Analysed run = Analyse(*model, Rates(1000, 1000, 1), {c.trace});
        const LineFigures& f = run.report.lines[0];
        EXPECT_EQ(f.windowsOver70, c.over70) << c.name;
        EXPECT_EQ(f.windowsOver100, c.over100) << c.name;
        EXPECT_DOUBLE_EQ(f.loadPeak, c.peak) << c.name;
        EXPECT_EQ(f.peakWindowStart, kSecond) << c.name;
        std::vector<double> loads;
        for (const LoadSeries::Point& p : f.series.Points())
            loads.push_back(p.load);
        EXPECT_EQ(loads, c.loads) << c.name;
    }
}

TEST(LineTraffic, LoadSeriesStaysSmall)
{
    LoadSeries series(4);
    for (double load : {0.1, 0.5, 0.2, 0.3, 0.4})
        series.Add(load, 0);
    // Full at four: neighbours merged, each point two windows.
    EXPECT_EQ(series.Points(), (std::vector<LoadSeries::Point>{{0.5, 0}, {0.3, 0}, {0.4, 0}}));
    EXPECT_EQ(series.WindowsPerPoint(), 2u);
    // Years of 1 ms windows without a frame: a few points all the same.
    series.AddEmpty(std::uint64_t{1} << 40);
    EXPECT_LE(series.Points().size(), 4u);
    EXPECT_GE(series.Points().size() * series.WindowsPerPoint(), (std::uint64_t{1} << 40) + 5);
    EXPECT_EQ(series.Points().front().load, 0.5);
}

// ---------------------------------------------------------------- traces

TEST(LineTraffic, TracesMergedByTimeAndOutOfOrder)
{
    const auto model = Model({}, {});
    // Two traces, one per line, merged; a frame earlier than the one before
    // it in its trace is named and taken as ready then.
    const Analysed run = Analyse(*model, Rates(1000, 1000),
                            {"(2.000000) x 7FF#\n(1.000000) x 7FF#\n(3.000000) x 7FF#\n", "(1.500000) y 7FF#\n"}, true);
    EXPECT_EQ(run.out[0], "(2.000000) can0 7FF#\n(2.000050) can0 7FF#\n(3.000000) can0 7FF#\n");
    EXPECT_EQ(run.out[1], "(1.500000) can1 7FF#\n");
    EXPECT_EQ(run.report.start, 3 * kSecond / 2);
    ASSERT_EQ(run.report.traces.size(), 2u);
    const TraceOrder& order = run.report.traces[0];
    EXPECT_EQ(order.frames, 3u);
    EXPECT_EQ(order.outOfOrder, 1u);
    EXPECT_EQ(order.firstLine, 2u);
    EXPECT_EQ(order.firstTime, kSecond);
    EXPECT_EQ(order.timeBefore, 2 * kSecond);
    EXPECT_EQ(run.report.traces[1].outOfOrder, 0u);
}

TEST(LineTraffic, Timestamps)
{
    const struct {
        const char* text;
        bool ok;
        std::int64_t ns;
    } cases[] = {
        {"(1436509052.249713)", true, 1436509052249713000},
        {"(12)", true, 12 * kSecond},
        {"(0.0000000019)", true, 1},
        {"(9000000000.999999999)", true, 9000000000999999999},
        {"(9000000001.0)", false, 0},
        {"(99999999999999999999.0)", false, 0},
        {"1.0", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t ns = 0;
        EXPECT_EQ(ParseTraceTimestamp(c.text, ns), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ns, c.ns) << c.text;
        }
    }
}

// ---------------------------------------------------------------- conflicts

struct Expected {
    ConflictKind kind;
    int line;
    std::uint32_t id;
    std::uint64_t native, forwarded;
    std::int64_t firstUs; // after 1 s
};

struct ConflictCase {
    const char* name;
    Rows can0ToCan1, can1ToCan0;
    std::string can0, can1; // traces, "(TIME) x FRAME" lines
    std::vector<Expected> conflicts;
};

void PrintTo(const ConflictCase& c, std::ostream* out) { *out << c.name; }

class TrafficConflicts : public ::testing::TestWithParam<ConflictCase> {};

TEST_P(TrafficConflicts, Found)
{
    const ConflictCase& c = GetParam();
    const auto model = Model(c.can0ToCan1, c.can1ToCan0);
    const Analysed run = Analyse(*model, Rates(250, 500), {c.can0, c.can1}, true);
    std::vector<std::string> found, expected;
    for (const TrafficConflict& f : run.report.conflicts)
        found.push_back(std::string(ConflictKindKey(f.kind)) + " can" + std::to_string(f.line) + " " +
                        FrameIdText(f.id) + " native " + std::to_string(f.native) + " forwarded " +
                        std::to_string(f.forwarded) + " at " + std::to_string((f.firstSeen - kSecond) / kMicro));
    for (const Expected& e : c.conflicts)
        expected.push_back(std::string(ConflictKindKey(e.kind)) + " can" + std::to_string(e.line) + " " +
                           FrameIdText({e.id, false}) + " native " + std::to_string(e.native) + " forwarded " +
                           std::to_string(e.forwarded) + " at " + std::to_string(e.firstUs));
    EXPECT_EQ(found, expected);
}

using K = ConflictKind;
INSTANTIATE_TEST_SUITE_P(
    Kinds, TrafficConflicts,
    ::testing::Values(
        ConflictCase{"TwoProducers",
                     {{"0x185", "0x1A5"}},
                     {},
                     "(1.001000) x 185#01\n(1.002000) x 185#02\n(1.003000) x 185#03\n",
                     "(1.002500) x 1A5#11\n(1.004000) x 1A5#12\n(1.005000) x 1A5#R\n",
                     {{K::TwoProducers, 1, 0x1A5, 2, 3, 2500}}},
        ConflictCase{"RemoteFramesProduceNothing", {{"0x185", "0x1A5"}}, {}, "(1.001000) x 185#01\n",
                     "(1.002500) x 1A5#R\n", {}},
        ConflictCase{"BlockedFramesMeetNobody", {}, {}, "(1.001000) x 181#01\n", "(1.001000) x 181#01\n", {}},
        ConflictCase{"IdentifiersMadeOne",
                     {{"0x181", ""}, {"0x185", "0x181"}},
                     {},
                     "(1.001000) x 181#01\n(1.002000) x 181#02\n(1.003000) x 185#03\n",
                     "",
                     {{K::IdentifiersMadeOne, 1, 0x181, 0, 3, 3000}}},
        ConflictCase{"SyncOnBothLines",
                     {{"0x080", ""}},
                     {},
                     "(1.001000) x 080#\n",
                     "(1.000500) x 080#\n",
                     {{K::TwoSyncProducers, 1, 0x080, 1, 1, 1000}}},
        ConflictCase{"TimeOnBothLines",
                     {},
                     {{"0x100", ""}},
                     "(1.000200) x 100#000102030405\n",
                     "(1.000100) x 100#000102030405\n",
                     {{K::TwoTimeProducers, 0, 0x100, 1, 1, 200}}},
        ConflictCase{"NmtFromBothSides",
                     {},
                     {{"0x000", ""}},
                     "(1.000300) x 000#0100\n",
                     "(1.000100) x 000#8000\n",
                     {{K::NmtFromBothSides, 0, 0x000, 1, 1, 300}}},
        ConflictCase{"HeartbeatOfOneNodeFromBothSides",
                     {{"0x705", "0x725"}},
                     {},
                     "(1.000100) x 705#05\n",
                     "(1.000200) x 725#05\n",
                     {{K::HeartbeatFromBothSides, 1, 0x725, 1, 1, 200}}},
        ConflictCase{"LssCrossing",
                     {{"0x7E5", ""}},
                     {},
                     "(1.000100) x 7E5#4C00000000000000\n(1.000200) x 7E5#4C00000000000000\n",
                     "",
                     {{K::LssCrossing, 1, 0x7E5, 0, 2, 100}}},
        // A master on CAN1 asks node 37 there, which is node 5 on CAN0; the
        // answer 0x585 has no row back.
        ConflictCase{"SdoRequestWhoseResponseIsBlocked",
                     {},
                     {{"0x625", "0x605"}},
                     "",
                     "(1.000100) x 625#4000100000000000\n",
                     {{K::SdoResponseBlocked, 0, 0x605, 0, 1, 100}}},
        ConflictCase{"SdoRequestAndItsResponse",
                     {{"0x585", "0x5A5"}},
                     {{"0x625", "0x605"}},
                     "",
                     "(1.000100) x 625#4000100000000000\n",
                     {}},
        // The answer comes back as 0x5A6: not the one the master waits for.
        ConflictCase{"SdoResponseOfAnotherNode",
                     {{"0x585", "0x5A6"}},
                     {{"0x625", "0x605"}},
                     "",
                     "(1.000100) x 625#4000100000000000\n",
                     {{K::SdoResponseBlocked, 0, 0x605, 0, 1, 100}}},
        ConflictCase{"SdoResponseWhoseRequestIsBlocked",
                     {{"0x585", "0x5A5"}},
                     {},
                     "(1.000100) x 585#4300100000000000\n",
                     "",
                     {{K::SdoRequestBlocked, 1, 0x5A5, 0, 1, 100}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineTraffic, ConflictTexts)
{
    const auto model = Model({{"0x185", "0x1A5"}}, {{"0x625", "0x605"}});
    const Analysed run = Analyse(*model, Rates(250, 500),
                            {"(1.001000) x 185#01\n(1.002000) x 185#02\n", "(1.000500) x 1A5#11\n(1.000600) x 625#40\n"},
                            true);
    ASSERT_EQ(run.report.conflicts.size(), 2u);
    EXPECT_EQ(run.report.conflicts[0].text,
              "0x605, SDO request to node 5, on CAN0: SDO requests cross from CAN1 (SDO request node 37 as node 5): "
              "1 frame, but the response 0x585 does not come back as 0x5A5: 0x585 blocked (not listed, Positive "
              "Implementation set)");
    EXPECT_EQ(run.report.conflicts[1].text, "0x1A5, TPDO1 of node 37, on CAN1: two producers: 1 native frame and 2 "
                                            "forwarded from CAN0 (TPDO1 node 5 as node 37)");
    EXPECT_EQ(run.report.conflicts[1].sources, (std::vector<ConflictSource>{{{0x185, false}, 2}}));
}

} // namespace
} // namespace c2c
