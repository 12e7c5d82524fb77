// The traffic analysis over any two traces: frames out of time order, gaps
// of years, bursts, any identifiers and lengths. Every frame stays on its
// line, each line's trace is written in the order of the starts, the
// figures hold together, and memory stays small (the load series is
// bounded).

#include "FuzzCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "operations/LineTraffic.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

using namespace c2c;

class CollectedText final : public TextSink {
public:
    void Write(std::string_view text) override { text_.append(text); }
    std::string text_;
};

// The README's Line7 tables, and SYNC, NMT, LSS and SDO rows, so that every
// kind of conflict can arise.
const ForwardingModel& Model()
{
    static const std::unique_ptr<ForwardingModel> model = [] {
        CommSettings settings;
        settings.positive = 1;
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x181", "0x1C1", ""}, {"0x201", "", ""}, {"0x185", "0x1C1", ""}, {"0x080", "", ""},
                             {"0x7E5", "", ""}, {"0x585", "0x5A6", ""}, {"0x705", "0x725", ""}};
        tables.can1ToCan0 = {{"0x1C1", "0x181", ""}, {"0x000", "", ""}, {"0x625", "0x605", ""}};
        auto image = std::make_unique<BankImage>();
        BuildBankImage(settings, tables, *image);
        return std::make_unique<ForwardingModel>(DecodeBankImage(image->Bank(1), image->Bank(2)));
    }();
    return *model;
}

std::unique_ptr<CandumpFrameSource> Source(std::string_view text, int onPort)
{
    auto at = std::make_shared<std::size_t>(0);
    return std::make_unique<CandumpFrameSource>(
        "trace",
        [text, at](char* buffer, std::size_t size) {
            const std::size_t n = std::min({size, text.size() - *at, std::size_t{97}});
            if (n > 0) // an empty view may have no data at all
                std::memcpy(buffer, text.data() + *at, n);
            *at += n;
            return n;
        },
        InterfacePorts(), onPort, [](std::uint64_t, const char* problem) { fuzz::CheckMessage(problem); }, 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    // Two bytes of settings, then the trace of both lines by interface, and
    // after a NUL the trace of CAN1 alone.
    constexpr int kRates[] = {10, 20, 50, 100, 125, 250, 500, 800, 1000};
    TrafficSettings settings;
    settings.bitRateKbps = {kRates[data[0] % 9], kRates[data[0] / 9 % 9]};
    settings.windowMs = 1 + data[1] % 16 * 7;
    settings.latencyNs = std::int64_t{data[1] / 16} * 37000;
    if (data[0] >= 162)
        settings.queue = 1 + data[0] % 5;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t nul = std::min(text.find('\0'), text.size());
    const auto both = Source(text.substr(0, nul), -1);
    const auto can1 = Source(nul < text.size() ? text.substr(nul + 1) : std::string_view(), 1);

    std::array<CollectedText, 2> sinks;
    LineOutputs outputs;
    outputs.sinks = {&sinks[0], &sinks[1]};
    const TrafficReport report = AnalyseTraffic(Model(), settings, {both.get(), can1.get()}, outputs);

    std::uint64_t native = 0;
    for (int line : {0, 1}) {
        const LineFigures& f = report.lines[static_cast<std::size_t>(line)];
        native += f.framesNative;
        fuzz::Check(f.windowsOver100 <= f.windowsOver70, "a window over 100 % is over 70 %");
        fuzz::Check(f.maxDelayForwarded >= 0 && f.maxDelayNative >= 0, "no frame starts before it is ready");
        fuzz::Check(f.series.Points().size() <= 2048, "the load series stays small");
        fuzz::Check(f.lostFrames.size() == std::min<std::uint64_t>(f.lost, kListedLostFrames), "the first losses are named");
        fuzz::Check(!settings.queue || f.maxBacklog <= *settings.queue, "the backlog stays within the queue");
        fuzz::Check(f.bits == 0 || (f.loadMean > 0 && f.loadMean <= 1.0 + 1e-9), "a line is busy at most all the time");
        // The written trace: one frame a line, in the order of the starts.
        std::int64_t previous = -1;
        std::uint64_t frames = 0;
        std::size_t at = 0;
        const std::string& out = sinks[static_cast<std::size_t>(line)].text_;
        while (at < out.size()) {
            const std::size_t end = out.find('\n', at);
            fuzz::Check(end != std::string::npos, "the trace ends with a line break");
            const CandumpLine parsed = ParseCandumpLine(std::string_view(out).substr(at, end - at));
            fuzz::Check(parsed.kind == CandumpLineKind::Frame, "every line written is a frame");
            // "(SECONDS.MICROSECONDS)" as one number of microseconds.
            std::string digits(parsed.timestamp.substr(1, parsed.timestamp.size() - 2));
            digits.erase(digits.find('.'), 1);
            const std::int64_t time = std::stoll(digits);
            fuzz::Check(time >= previous, "frames are written in the order of their start");
            previous = time;
            ++frames;
            at = end + 1;
        }
        fuzz::Check(frames == f.framesNative + f.framesForwarded, "every frame sent is written");
    }
    fuzz::Check(native == report.frames, "every frame stays on its own line");
    for (const TrafficConflict& c : report.conflicts)
        fuzz::Check(!c.text.empty() && c.text.size() < 2000, "a conflict is said in a line");
    return 0;
}
