// The trace formats of Windows tools: hand-written ASC and TRC files of each
// layout and hand-built BLF files (objects across containers, a corrupt and
// a cut container) read frame for frame, with the lines of other kinds
// counted and the malformed ones named; each writer's output read back;
// the format told from the content. Times are local time: the tests run in
// UTC, and the expectations are the dates worked out by hand.

#include "operations/AscTrace.h"
#include "operations/BlfTrace.h"
#include "operations/TraceFormats.h"
#include "operations/TrcTrace.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

namespace c2c {
namespace {

constexpr std::int64_t kS = 1000000000;
constexpr std::int64_t kMs = 1000000;
// 9 Dec 2026 16:09:32 UTC.
constexpr std::int64_t kDec9 = 1796832572 * kS;

class InUtc : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        _putenv("TZ=UTC0");
        _tzset();
#else
        setenv("TZ", "UTC0", 1);
        tzset();
#endif
    }
};

LineReader::Source Memory(std::string text)
{
    auto held = std::make_shared<std::string>(std::move(text));
    auto at = std::make_shared<std::size_t>(0);
    return [held, at](char* buffer, std::size_t size) {
        // Small pieces: containers and lines cross the reads.
        const std::size_t n = std::min({size, held->size() - *at, std::size_t{7}});
        std::memcpy(buffer, held->data() + *at, n);
        *at += n;
        return n;
    };
}

struct Read {
    std::vector<TraceFrame> frames;
    TraceLineCounts counts;
    std::vector<std::pair<std::uint64_t, std::string>> problems;
};

template <class Source>
Read ReadAll(const std::string& text, const InterfacePorts& ports = InterfacePorts())
{
    Read read;
    Source source("t", Memory(text), ports, -1,
                  [&](std::uint64_t line, const char* problem) { read.problems.emplace_back(line, problem); });
    TraceFrame f;
    while (source.Next(f))
        read.frames.push_back(f);
    read.counts = source.Counts();
    return read;
}

// time, port, id, extended, remote, dlc, data (the first dlc bytes), line
struct Want {
    std::int64_t time;
    int port;
    std::uint32_t id;
    bool extended, remote;
    int dlc;
    std::vector<int> data;
    std::uint64_t line;
};

void ExpectFrames(const std::vector<TraceFrame>& got, const std::vector<Want>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const TraceFrame& g = got[i];
        const Want& w = want[i];
        EXPECT_EQ(g.time, w.time);
        EXPECT_EQ(g.port, w.port);
        EXPECT_EQ(g.id, w.id);
        EXPECT_EQ(g.extended, w.extended);
        EXPECT_EQ(g.remote, w.remote);
        EXPECT_EQ(g.dlc, w.dlc);
        for (std::size_t b = 0; b < w.data.size(); ++b)
            EXPECT_EQ(g.data[b], w.data[b]) << "byte " << b;
        EXPECT_EQ(g.line, w.line);
    }
}

using TraceFormatsTest = InUtc;

TEST_F(TraceFormatsTest, AscOfCanoeIsReadFrameForFrame)
{
    const Read r = ReadAll<AscFrameSource>("date Wed Dec 9 04:09:32.123 pm 2026\n"                          // 1
                                           "base hex  timestamps absolute\n"                                // 2
                                           "internal events logged\n"                                       // 3
                                           "// version 9.0.0\n"                                             // 4
                                           "Begin Triggerblock Wed Dec 9 04:09:32.123 pm 2026\n"            // 5
                                           "   0.000000 Start of measurement\n"                             // 6
                                           "   0.001000 1  181             Rx   d 8 11 22 33 44 55 66 77 88\n" // 7
                                           "   0.002500 2  18FF0701x       Tx   d 2 01 0A  Length = 1 BitCount = 2\n" // 8
                                           "   0.003000 1  701             Rx   r 1\n"                      // 9
                                           "   0.003100 1  702             Rx   r\n"                        // 10
                                           "   0.004000 1  ErrorFrame\n"                                    // 11
                                           "   0.005000 CANFD   1 Rx  123  1 0 8  8 11 22 33 44 55 66 77 88\n" // 12
                                           "   0.006000 1  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\n"  // 13
                                           "   0.007000 3  181             Rx   d 1 00\n"                   // 14
                                           "   0.008000 1  800             Rx   d 1 00\n"                   // 15
                                           "   0.009000 1  181             Rx   d 3 01 02\n"                // 16
                                           "   0.010000 1  1G1             Rx   d 1 00\n"                   // 17
                                           "   0.011000 1  181             Rx   d 9 01 02 03 04 05 06 07 08\n" // 18
                                           "End TriggerBlock\n");
    const std::int64_t t0 = kDec9 + 123 * kMs;
    ExpectFrames(r.frames, {{t0 + 1 * kMs, 0, 0x181, false, false, 8, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}, 7},
                            {t0 + 2500000, 1, 0x18FF0701, true, false, 2, {1, 10}, 8},
                            {t0 + 3 * kMs, 0, 0x701, false, true, 1, {}, 9},
                            {t0 + 3100000, 0, 0x702, false, true, 0, {}, 10},
                            {t0 + 11 * kMs, 0, 0x181, false, false, 9, {1, 2, 3, 4, 5, 6, 7, 8}, 18}});
    EXPECT_EQ(r.counts.errorFrames, 1u);
    EXPECT_EQ(r.counts.canFd, 1u);
    EXPECT_EQ(r.counts.events, 1u); // not Start of measurement
    EXPECT_EQ(r.counts.otherInterfaces, 1u);
    EXPECT_EQ(r.counts.otherInterfaceNames, std::vector<std::string>{"3"});
    EXPECT_EQ(r.counts.malformedLines, (std::vector<std::uint64_t>{15, 16, 17}));
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_NE(r.problems[0].second.find("beyond 7FF"), std::string::npos);
    EXPECT_NE(r.problems[1].second.find("fewer data bytes"), std::string::npos);
}

TEST_F(TraceFormatsTest, AscOfDecimalBaseAndRelativeTimes)
{
    // 24-hour time without a fraction and weekday, German month; each time
    // counts from the line before.
    const Read r = ReadAll<AscFrameSource>("date Dez 9 16:09:32 2026\n"
                                           "base dec  timestamps relative\n"
                                           "no internal events logged\n"
                                           "   0.500000 1  385             Rx   d 2 17 255\n"
                                           "   0.000250 2  419430401x      Rx   d 1 0\n"
                                           "   1.000000 1  Statistic: D 0\n"
                                           "   0.000001 1  385             Rx   d 1 300\n"
                                           "   0.000001 1  2047            Rx   r 8\n");
    ExpectFrames(r.frames, {{kDec9 + 500 * kMs, 0, 385, false, false, 2, {17, 255}, 4},
                            {kDec9 + 500250000, 1, 419430401, true, false, 1, {0}, 5},
                            {kDec9 + 1500252000, 0, 2047, false, true, 8, {}, 8}});
    EXPECT_EQ(r.counts.malformedLines, std::vector<std::uint64_t>{7});
    EXPECT_EQ(r.counts.events, 1u);
}

TEST_F(TraceFormatsTest, AscClockStartsAtTheFirstTriggerBlock)
{
    // As python-can 4.1 writes it: the time of writing in "date", the first
    // frame's in the trigger block, times from the trigger block. A second
    // block does not move the clock.
    const Read r = ReadAll<AscFrameSource>("date Wed Dec 9 05:00:00.000 pm 2026\n"
                                           "base hex  timestamps absolute\n"
                                           "Begin Triggerblock Wed Dec 9 04:09:32.500 pm 2026\n"
                                           "   0.000000 1  181             Rx   d 0\n"
                                           "End TriggerBlock\n"
                                           "Begin Triggerblock Wed Dec 9 04:20:00.000 pm 2026\n"
                                           "   2.000000 1  181             Rx   d 0\n");
    ExpectFrames(r.frames, {{kDec9 + 500 * kMs, 0, 0x181, false, false, 0, {}, 4},
                            {kDec9 + 2500 * kMs, 0, 0x181, false, false, 0, {}, 7}});
}

TEST_F(TraceFormatsTest, TrcOfEachFileVersionIsReadFrameForFrame)
{
    // 46000.25: 9 Dec 2025 06:00 (UTC here).
    const std::int64_t start = 1765260000 * kS;
    struct Case {
        const char* name;
        std::string text;
        std::vector<Want> frames;
        std::uint64_t errors, events, canFd;
    };
    const std::vector<Case> cases = {
        {"1.0 (no version line)",
         ";##########\n;   Start time: 09.12.2025 06:00:00.000.0\n"
         "     1)      1841  0181  2  0A FF\n"
         "     2)      1842  00000701  0\n"
         "     3)      1843  FFFFFFFF  4  00 00 00 08\n",
         {{1841 * kMs, 0, 0x181, false, false, 2, {0x0A, 0xFF}, 3}, {1842 * kMs, 0, 0x701, true, false, 0, {}, 4}},
         0, 1, 0},
        {"1.1",
         ";$FILEVERSION=1.1\n;$STARTTIME=46000.25\n;\n"
         "     1)      1841.5  Rx         0181  8  01 02 03 04 05 06 07 08\n"
         "     2)      1850.0  Rx         18FF0701  4  RTR\n"
         "     3)      1851.0  Warng  FFFFFFFF  4  00 00 00 08  BUSHEAVY\n"
         "     4)      1852.0  Error      0001  8  00 00 00 00 00 00 00 00\n",
         {{start + 1841500000, 0, 0x181, false, false, 8, {1, 2, 3, 4, 5, 6, 7, 8}, 4},
          {start + 1850 * kMs, 0, 0x18FF0701, true, true, 4, {}, 5}},
         1, 1, 0},
        {"1.3",
         ";$FILEVERSION=1.3\r\n;$STARTTIME=46000.25\r\n"
         "     1)      1.1 2  Rx        0181 -  1  7F\r\n",
         {{start + 1100000, 1, 0x181, false, false, 1, {0x7F}, 3}}, 0, 0, 0},
        {"2.0",
         ";$FILEVERSION=2.0\n;$STARTTIME=46000.25\n"
         "      1      1059.900 DT     0300 Rx 7  00 00 00 00 04 00 00\n"
         "      2      1060.000 FD     0301 Rx 12 00 00 00 00 00 00 00 00 00 00 00 00\n"
         "      3      1061.000 RR     0302 Rx 2\n"
         "      4      1062.000 ST        Rx    00 00 00 08\n",
         {{start + 1059900000, 0, 0x300, false, false, 7, {0, 0, 0, 0, 4, 0, 0}, 3},
          {start + 1061 * kMs, 0, 0x302, false, true, 2, {}, 5}},
         0, 1, 1},
        {"2.1 with its own columns",
         ";$FILEVERSION=2.1\n;$STARTTIME=46000.250000000011574\n;$COLUMNS=N,O,T,B,I,d,R,L,D\n"
         "      1         0.001 DT  2 18FF0701 Tx -  8    01 02 03 04 05 06 07 08\n"
         "      2         0.002 ER  1        - Rx -  5    00 00 00 00 00\n"
         "      3         0.003 EV  1 user event\n"
         "      4         0.004 DT  1     07FF Rx -  9    01 02 03 04 05 06 07 08\n"
         "      5         0.005 DT  1     0800 Rx -  0\n",
         // The start is 1 us past 06:00 (0.000000000011574 days).
         {{start + 1000 + 1000, 1, 0x18FF0701, true, false, 8, {1, 2, 3, 4, 5, 6, 7, 8}, 4},
          {start + 1000 + 4000, 0, 0x7FF, false, false, 9, {1, 2, 3, 4, 5, 6, 7, 8}, 7}},
         1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = ReadAll<TrcFrameSource>(c.text);
        ExpectFrames(r.frames, c.frames);
        EXPECT_EQ(r.counts.errorFrames, c.errors);
        EXPECT_EQ(r.counts.events, c.events);
        EXPECT_EQ(r.counts.canFd, c.canFd);
    }
    const Read bad = ReadAll<TrcFrameSource>(cases[4].text);
    EXPECT_EQ(bad.counts.malformedLines, std::vector<std::uint64_t>{8}); // 0800 is no standard identifier
}

// ---------------------------------------------------------------- BLF

void Put(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

// An object: the base header, a version 1 header (ns) or 2, the body.
std::string Object(std::uint32_t type, std::uint64_t ns, const std::string& body, int version = 1)
{
    const std::size_t header = version == 1 ? 32 : 40;
    std::string o = "LOBJ";
    Put(o, header, 2);
    Put(o, static_cast<std::uint64_t>(version), 2);
    Put(o, header + body.size(), 4);
    Put(o, type, 4);
    Put(o, 2, 4); // ns
    Put(o, 0, 4);
    Put(o, ns, 8);
    if (version == 2)
        Put(o, 0, 8);
    o += body;
    o.append(o.size() % 4, '\0');
    return o;
}

std::string CanMessage(int channel, int flags, int dlc, std::uint32_t id, const std::string& data)
{
    std::string b;
    Put(b, static_cast<std::uint64_t>(channel), 2);
    Put(b, static_cast<std::uint64_t>(flags), 1);
    Put(b, static_cast<std::uint64_t>(dlc), 1);
    Put(b, id, 4);
    b += data;
    b.resize(16, '\0');
    return b;
}

std::string Container(const std::string& objects, bool corrupt = false)
{
    uLongf length = compressBound(static_cast<uLong>(objects.size()));
    std::string packed(length, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(objects.data()),
              static_cast<uLong>(objects.size()), 6);
    packed.resize(length);
    if (corrupt)
        packed[packed.size() / 2] = static_cast<char>(packed[packed.size() / 2] ^ 0x55);
    std::string c = "LOBJ";
    Put(c, 16, 2);
    Put(c, 1, 2);
    Put(c, 32 + packed.size(), 4);
    Put(c, 10, 4);
    Put(c, 2, 2);
    c.append(6, '\0');
    Put(c, objects.size(), 4);
    c.append(4, '\0');
    c += packed;
    c.append(c.size() % 4, '\0');
    return c;
}

// The file header: start 9 Dec 2026 16:09:32.123.
std::string FileHeader()
{
    std::string h = "LOGG";
    Put(h, 144, 4);
    h.append(8, '\0');
    h.append(24, '\0'); // sizes and counts
    for (int v : {2026, 12, 3, 9, 16, 9, 32, 123})
        Put(h, static_cast<std::uint64_t>(v), 2);
    h.resize(144, '\0');
    return h;
}

TEST_F(TraceFormatsTest, BlfObjectsAreReadAcrossContainers)
{
    std::string fd64; // a classic frame logged on a CAN FD channel: EDL clear
    Put(fd64, 2, 1);
    Put(fd64, 3, 1);
    Put(fd64, 3, 1);
    Put(fd64, 0, 1);
    Put(fd64, 0x123, 4);
    Put(fd64, 0, 4);
    Put(fd64, 0, 4); // flags
    fd64.resize(40, '\0');
    fd64 += std::string("\x0A\x0B\x0C\x00", 4);
    std::string fdFrame = fd64;
    fdFrame[12] = 0x00;
    fdFrame[13] = 0x10; // EDL
    const std::string objects = Object(1, 1000, CanMessage(1, 0, 2, 0x181, "\x11\x22")) +
                                Object(86, 2000, CanMessage(2, 0x80, 4, 0x80000701, "") + std::string(8, '\0'), 2) +
                                Object(101, 3000, fd64) + Object(101, 4000, fdFrame) +
                                Object(73, 5000, std::string(32, '\0')) + Object(96, 6000, std::string(40, '\0')) +
                                Object(1, 7000, CanMessage(5, 0, 1, 0x100, "\x01")) +
                                Object(1, 8000, CanMessage(1, 0, 8, 0x7FF, "12345678"));
    // The objects cut in two containers in the middle of the third one.
    const std::size_t cut = 48 + 56 + 20;
    const std::string first = Container(objects.substr(0, cut));
    const std::string file = FileHeader() + first + Container(objects.substr(cut));
    const Read r = ReadAll<BlfFrameSource>(file);
    const std::int64_t t0 = kDec9 + 123 * kMs;
    const std::uint64_t firstAt = 144, secondAt = 144 + first.size();
    ExpectFrames(r.frames, {{t0 + 1000, 0, 0x181, false, false, 2, {0x11, 0x22}, firstAt},
                            {t0 + 2000, 1, 0x701, true, true, 4, {}, firstAt},
                            {t0 + 3000, 1, 0x123, false, false, 3, {0x0A, 0x0B, 0x0C}, firstAt},
                            {t0 + 8000, 0, 0x7FF, false, false, 8, {'1', '2', '3', '4', '5', '6', '7', '8'}, secondAt}});
    EXPECT_EQ(r.counts.canFd, 1u);
    EXPECT_EQ(r.counts.errorFrames, 1u);
    EXPECT_EQ(r.counts.events, 1u);
    EXPECT_EQ(r.counts.otherInterfaces, 1u);
    EXPECT_EQ(r.counts.malformed, 0u);
}

TEST_F(TraceFormatsTest, BlfCorruptAndCutContainersAreNamedByOffset)
{
    const std::string good = Container(Object(1, 0, CanMessage(1, 0, 1, 0x181, "\x01")));
    const std::string corrupt = Container(Object(1, 0, CanMessage(1, 0, 1, 0x182, "\x02")), true);
    const std::string last = Container(Object(1, 0, CanMessage(1, 0, 1, 0x183, "\x03")));
    const std::string file = FileHeader() + good + corrupt + "JUNK" + last + last.substr(0, 40);
    const Read r = ReadAll<BlfFrameSource>(file);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.frames[0].id, 0x181u);
    EXPECT_EQ(r.frames[1].id, 0x183u);
    const std::uint64_t corruptAt = 144 + good.size(), junkAt = corruptAt + corrupt.size();
    const std::uint64_t cutAt = junkAt + 4 + last.size();
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_EQ(r.problems[0].first, corruptAt);
    EXPECT_NE(r.problems[0].second.find("corrupt"), std::string::npos);
    EXPECT_EQ(r.problems[1].first, junkAt);
    EXPECT_EQ(r.problems[2].first, cutAt);
    EXPECT_NE(r.problems[2].second.find("ends inside"), std::string::npos);
    EXPECT_TRUE(r.counts.atOffsets);
}

// ---------------------------------------------------------------- writers

class Collected final : public TextSink {
public:
    void Write(std::string_view text) override { text_.append(text); }
    bool Rewrite(std::uint64_t offset, std::string_view bytes) override
    {
        text_.replace(offset, bytes.size(), bytes);
        return true;
    }
    std::string text_;
};

TEST_F(TraceFormatsTest, WrittenTracesReadBackFrameForFrame)
{
    std::vector<TraceFrame> frames;
    for (int i = 0; i < 3000; ++i) {
        TraceFrame f;
        f.time = 1700000000 * kS + 123456789 + std::int64_t{i} * 1237000; // to the microsecond after the first
        f.port = i % 2;
        f.extended = i % 3 == 1;
        f.id = f.extended ? 0x1FFFFFFFu - static_cast<std::uint32_t>(i) : static_cast<std::uint32_t>(i) & 0x7FF;
        f.remote = i % 7 == 3;
        f.dlc = static_cast<std::uint8_t>(i % 16);
        if (!f.remote)
            for (std::size_t b = 0; b < std::min<std::size_t>(f.dlc, 8); ++b)
                f.data[b] = static_cast<std::uint8_t>(i * 7 + b);
        frames.push_back(f);
    }
    for (TraceFormat format : {TraceFormat::Candump, TraceFormat::Asc, TraceFormat::Trc, TraceFormat::Blf}) {
        SCOPED_TRACE(TraceFormatKey(format));
        Collected out;
        auto writer = MakeTraceWriter(format, out, {"can0", "can1"});
        for (const TraceFrame& f : frames)
            writer->Add(f);
        writer->Finish();
        EXPECT_EQ(SniffTraceFormat(out.text_), format);
        Read r;
        auto report = [&](std::uint64_t line, const char* problem) { r.problems.emplace_back(line, problem); };
        std::unique_ptr<FrameSource> source;
        switch (format) {
        case TraceFormat::Candump:
            source = std::make_unique<CandumpFrameSource>("t", Memory(out.text_), InterfacePorts(), -1, report);
            break;
        case TraceFormat::Asc:
            source = std::make_unique<AscFrameSource>("t", Memory(out.text_), InterfacePorts(), -1, report);
            break;
        case TraceFormat::Trc:
            source = std::make_unique<TrcFrameSource>("t", Memory(out.text_), InterfacePorts(), -1, report);
            break;
        case TraceFormat::Blf:
            source = std::make_unique<BlfFrameSource>("t", Memory(out.text_), InterfacePorts(), -1, report);
            break;
        }
        TraceFrame f;
        std::size_t i = 0;
        while (source->Next(f) && i < frames.size()) {
            const TraceFrame& w = frames[i++];
            // candump and ASC hold microseconds; BLF holds nanoseconds, TRC
            // its start time to the nanosecond and microseconds after it.
            const bool exact = format == TraceFormat::Blf || format == TraceFormat::Trc;
            ASSERT_EQ(f.time, exact ? w.time : w.time / 1000 * 1000) << "frame " << i;
            ASSERT_EQ(f.port, w.port);
            ASSERT_EQ(f.id, w.id);
            ASSERT_EQ(f.extended, w.extended);
            ASSERT_EQ(f.remote, w.remote);
            ASSERT_EQ(f.dlc, w.dlc);
            ASSERT_EQ(f.data, w.data) << "frame " << i;
        }
        EXPECT_EQ(i, frames.size());
        EXPECT_TRUE(r.problems.empty());
        EXPECT_EQ(source->Counts().Skipped(), 0u);
    }
}

TEST_F(TraceFormatsTest, FormatIsToldByContent)
{
    const std::vector<std::pair<std::string, std::optional<TraceFormat>>> cases = {
        {"LOGG\x90\0\0\0", TraceFormat::Blf},
        {";$FILEVERSION=2.1\r\n", TraceFormat::Trc},
        {"\n;##########\n;   Start time: 09.12.2025\n", TraceFormat::Trc},
        {"date Wed Dec 9 04:09:32.123 pm 2026\n", TraceFormat::Asc},
        {"// version 9.0.0\nbase hex  timestamps absolute\n", TraceFormat::Asc},
        {"Begin Triggerblock Wed Dec 9 04:09:32.123 pm 2026\n", TraceFormat::Asc},
        {"(1700000000.000100) can0 181#11\n", TraceFormat::Candump},
        {"hello\n", std::nullopt},
    };
    for (const auto& [head, format] : cases)
        EXPECT_EQ(SniffTraceFormat(head), format) << head;
    EXPECT_EQ(TraceFormatOfExtension("x/trace.ASC"), TraceFormat::Asc);
    EXPECT_EQ(TraceFormatOfExtension("x.blf/trace"), std::nullopt);
}

TEST_F(TraceFormatsTest, ChannelsAreMappedAsInterfaces)
{
    const std::string trc = ";$FILEVERSION=2.1\n      1 1.000 DT  1 0181 Rx -  0\n      2 2.000 DT  2 0182 Rx -  0\n"
                            "      3 3.000 DT  3 0183 Rx -  0\n";
    struct Case {
        std::vector<std::pair<std::string, int>> map;
        std::vector<int> ports; // of channels 1, 2, 3 (-1: on neither)
        std::string can0Name;
    };
    for (const Case& c : std::vector<Case>{{{}, {0, 1, -1}, "can0"},
                                           {{{"1", 1}, {"2", 0}}, {1, 0, -1}, "can0"},
                                           {{{"3", 0}}, {0, 1, 0}, "can0"},
                                           {{{"vcan5", 0}}, {0, 1, -1}, "vcan5"}}) {
        const InterfacePorts ports(c.map);
        const Read r = ReadAll<TrcFrameSource>(trc, ports);
        std::vector<int> got;
        for (std::uint32_t id : {0x181u, 0x182u, 0x183u}) {
            auto it = std::find_if(r.frames.begin(), r.frames.end(), [&](const TraceFrame& f) { return f.id == id; });
            got.push_back(it == r.frames.end() ? -1 : it->port);
        }
        EXPECT_EQ(got, c.ports);
        EXPECT_EQ(ports.NameOf(0), c.can0Name);
    }
}

} // namespace
} // namespace c2c
