// The twin against the real kernel: each case's rules are applied in a
// virtual machine (Debian's kernel, vcan0 and vcan1), a trace is played on
// both interfaces, and what the kernel's gateway sends must be what replay
// predicts for the same trace, frame for frame: for every frame played the
// same frames out (identifier, format, remote flag, length, data), nothing
// more, nothing less (CAN FD frames among those played: replay skips them,
// and the kernel must send nothing for them). The frames the gateway sends
// for one frame played are compared as a set. twin --check must then hold
// the rules, and count as handled exactly the frames that went out; a rule
// between other interfaces must outlive every --apply.
//
// Skipped, with the reason, where the machine cannot be built (no qemu,
// busybox-static, cpio, can-utils or kernel package). The machine is built
// by tools/twin-vm/build-vm.sh under the build folder; each test boots it
// once with many cases (tools/twin-vm/run-cases.sh).

#include "cli/CliRun.h"
#include "support/ProjectDocuments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace c2c {
namespace {

using namespace c2c::testing;
namespace fs = std::filesystem;

// ---------------------------------------------------------------- frames

struct Frame {
    std::string iface; // can0 or can1 (vcan0 and vcan1 are read as these)
    bool extended = false;
    std::uint32_t id = 0;
    bool remote = false;
    int length = 0;
    std::string data; // upper-case hexadecimal pairs
    std::string fdFlags; // a CAN FD frame: its flags digit

    auto Key() const { return std::tie(iface, extended, id, remote, length, data, fdFlags); }
    bool operator<(const Frame& other) const { return Key() < other.Key(); }
    bool operator==(const Frame& other) const { return Key() == other.Key(); }
};

std::string Text(const Frame& f)
{
    char id[16];
    std::snprintf(id, sizeof id, f.extended ? "%08X" : "%03X", f.id);
    std::string text = f.iface + " " + id + "#";
    if (f.remote)
        return text + "R" + (f.length ? std::to_string(f.length) : "");
    return text + (f.fdFlags.empty() ? "" : "#" + f.fdFlags) + f.data;
}

// "(1700000000.000001) vcan1 1C1#0102" -> the timestamp and the frame.
bool ParseLine(const std::string& line, std::string& stamp, Frame& frame)
{
    std::istringstream in(line);
    std::string iface, body;
    if (!(in >> stamp >> iface >> body))
        return false;
    if (iface.rfind("vcan", 0) == 0)
        iface = iface.substr(1);
    const std::size_t hash = body.find('#');
    if (hash != 3 && hash != 8)
        return false;
    frame = {};
    frame.iface = iface;
    frame.extended = hash == 8;
    frame.id = static_cast<std::uint32_t>(std::stoul(body.substr(0, hash), nullptr, 16));
    std::string rest = body.substr(hash + 1);
    if (rest.size() >= 2 && rest[0] == '#') {
        // BRS and ESI; the kernel adds its own mark of a CAN FD frame (4).
        frame.fdFlags = std::to_string(std::stoi(rest.substr(1, 1), nullptr, 16) & 3);
        rest = rest.substr(2);
    }
    if (frame.fdFlags.empty() && !rest.empty() && rest[0] == 'R') {
        frame.remote = true;
        frame.length = rest.size() > 1 ? std::stoi(rest.substr(1)) : 0;
    } else {
        std::transform(rest.begin(), rest.end(), rest.begin(), ::toupper);
        frame.data = rest;
        frame.length = static_cast<int>(rest.size() / 2);
    }
    return true;
}

// ---------------------------------------------------------------- cases

struct TwinCase {
    std::string name;
    Texts pargen;
    CobIdRows can0ToCan1, can1ToCan0;
    std::vector<std::string> trace; // candump -l lines on can0 and can1
    // The cangw script is also run after the trace (a few rules: each is a
    // process), and must leave the same rules as --apply.
    bool script = false;
};

std::string Hex(std::uint32_t value, bool wide)
{
    char text[16];
    std::snprintf(text, sizeof text, wide ? "0x%08X" : "0x%03X", value);
    return text;
}

Texts Pargen(bool extended0, bool extended1, bool positive)
{
    return {"5", "5", extended0 ? "1" : "0", positive ? "1" : "0", "0", "0", extended1 ? "1" : "0"};
}

// A trace of `count` frames: identifiers the tables list (and their
// neighbours), the edges of both identifier spaces and random ones, in both
// formats, data and remote frames, every length; with `canFd`, a few CAN FD
// frames, which the device does not take and no rule of the twin passes.
std::vector<std::string> RandomTrace(std::mt19937& random, const TwinCase& c, int count, bool canFd = false)
{
    std::vector<std::uint32_t> known = {0x000, 0x001, 0x7FE, 0x7FF, 0x800, 0x801, 0x1FFFFFFE, 0x1FFFFFFF};
    for (const CobIdRows* rows : {&c.can0ToCan1, &c.can1ToCan0})
        for (const CobIdRow& row : *rows)
            if (!row.orig.empty()) {
                const auto id = static_cast<std::uint32_t>(std::stoul(row.orig, nullptr, 0));
                known.insert(known.end(), {id, id + 1, id - 1});
            }
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const unsigned pick = random() % 100;
        std::uint32_t id = pick < 55   ? known[random() % known.size()]
                           : pick < 80 ? random() % 0x800
                                       : random() % 0x20000000;
        id &= 0x1FFFFFFF;
        const bool extended = id > 0x7FF || random() % 4 == 0;
        const bool fd = canFd && random() % 30 == 0;
        const bool remote = !fd && random() % 10 == 0;
        const int length = fd ? static_cast<int>(random() % 65) : static_cast<int>(random() % 9);
        char head[64];
        std::snprintf(head, sizeof head, "(1700000000.%06d) can%u ", i + 1, static_cast<unsigned>(random() % 2));
        std::string line = head;
        char idText[16];
        std::snprintf(idText, sizeof idText, extended ? "%08X#" : "%03X#", id);
        line += idText;
        if (fd)
            line += random() % 2 ? "#1" : "#0"; // with or without a faster data phase
        if (remote) {
            line += "R" + (length ? std::to_string(length) : "");
        } else {
            // CAN FD lengths above 8 are 12, 16, 20, 24, 32, 48 and 64.
            const int bytes = length <= 8 ? length : length <= 12 ? 12 : length <= 16 ? 16 : length <= 20 ? 20
                                                   : length <= 24 ? 24 : length <= 32 ? 32 : length <= 48 ? 48 : 64;
            for (int b = 0; b < bytes; ++b) {
                char byte[3];
                std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(random() % 256));
                line += byte;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// Rows of random identifiers that fit the ports: duplicates, identity
// rows, rows without a Modify CobID, new identifiers of the other format.
CobIdRows RandomRows(std::mt19937& random, bool wideIn, bool wideOut, std::size_t length)
{
    auto id = [&](bool wide) -> std::uint32_t {
        const unsigned pick = random() % 10;
        if (pick == 0)
            return wide ? (random() % 2 ? 0x1FFFFFFF : 0x800) : (random() % 2 ? 0x7FF : 0x000);
        return wide && random() % 2 ? random() % 0x20000000 : random() % 0x800;
    };
    const std::size_t count = random() % 4 == 0 ? random() % std::min<std::size_t>(length, 600) : random() % 40;
    CobIdRows rows;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t original = !rows.empty() && random() % 20 == 0
                                           ? static_cast<std::uint32_t>(std::stoul(rows[random() % rows.size()].orig, nullptr, 0))
                                           : id(wideIn);
        const unsigned pick = random() % 10;
        const std::string modified = pick < 3 ? "" : pick < 4 ? Hex(original, original > 0x7FF) : Hex(id(wideOut), wideOut);
        rows.push_back({Hex(original, original > 0x7FF), modified});
    }
    return rows;
}

TwinCase RandomCase(int number)
{
    std::mt19937 random(static_cast<unsigned>(number) * 7919u + 17u);
    TwinCase c;
    c.name = "random-" + std::to_string(100 + number);
    const bool b0 = random() % 2, b1 = random() % 2;
    c.pargen = Pargen(b0, b1, random() % 3 != 0);
    const std::size_t length = b0 || b1 ? 2000 : 2048;
    c.can0ToCan1 = RandomRows(random, b0, b1, length);
    c.can1ToCan0 = RandomRows(random, b1, b0, length);
    c.trace = RandomTrace(random, c, 1500 + static_cast<int>(random() % 1500));
    return c;
}

// The cases a reader checks by eye: both layouts and polarities, the edges
// of both identifier spaces, remote frames, remapped CANopen nodes, ranges.
std::vector<TwinCase> EdgeCases()
{
    const CobIdRows edges = {{"0x000", "0x7FF"}, {"0x7FF", "0x000"}, {"0x181", ""}, {"0x182", "0x182"}};
    const CobIdRows wideEdges = {{"0x000", "0x1FFFFFFF"}, {"0x7FF", "0x800"}, {"0x800", "0x7FF"},
                                 {"0x1FFFFFFF", "0x000"}, {"0x18FF0701", ""}, {"0x18FF0701", "0x123"}};
    // Node 5 on CAN0 seen as node 0x25 on CAN1 (EMCY, TPDO1-4, SDO, heartbeat; RPDO1-4 and SDO back).
    CobIdRows node0, node1;
    for (std::uint32_t base : {0x080u, 0x180u, 0x280u, 0x380u, 0x480u, 0x580u, 0x700u})
        node0.push_back({Hex(base + 5, false), Hex(base + 0x25, false)});
    for (std::uint32_t base : {0x200u, 0x300u, 0x400u, 0x500u, 0x600u})
        node1.push_back({Hex(base + 0x25, false), Hex(base + 5, false)});
    // A range: 0x300-0x37F shifted to 0x400-0x47F, and NMT and SYNC as they are.
    CobIdRows range = {{"0x000", ""}, {"0x080", ""}};
    for (std::uint32_t id = 0x300; id < 0x380; ++id)
        range.push_back({Hex(id, false), Hex(id + 0x100, false)});

    std::vector<TwinCase> cases = {
        {"standard-pass", Pargen(false, false, true), edges, {{"0x1C1", "0x181"}}, {}},
        {"standard-block", Pargen(false, false, false), edges, {{"0x000", ""}, {"0x7FF", ""}}, {}},
        {"extended-pass", Pargen(true, true, true), wideEdges, {{"0x123", "0x18FF0701"}}, {}},
        {"extended-block", Pargen(true, true, false), wideEdges, {{"0x000", ""}, {"0x1FFFFFFF", ""}}, {}},
        {"a-to-b-pass", Pargen(false, true, true), edges, {{"0x1FFFFFFF", "0x7FF"}, {"0x123", "0x456"}}, {}},
        {"b-to-a-block", Pargen(true, false, false), {{"0x1FFFFFFF", ""}, {"0x7FF", ""}}, {{"0x100", ""}}, {}},
        {"node-remapped", Pargen(false, false, true), node0, node1, {}},
        {"range", Pargen(false, false, true), range, {}, {}},
    };
    std::mt19937 random(29);
    for (TwinCase& c : cases) {
        c.trace = RandomTrace(random, c, 1200, true);
        c.script = c.name != "range" && c.name != "extended-block";
    }
    // Both tables full: every identifier translated one way, every identifier but 0x555 blocked the other.
    TwinCase full{"standard-full", Pargen(false, false, true), {}, {}, {}};
    for (std::uint32_t id = 0; id < 2048; ++id) {
        full.can0ToCan1.push_back({Hex(id, false), Hex((id * 7 + 3) & 0x7FF, false)});
        full.can1ToCan0.push_back({Hex(id, false), id == 0x555 ? "" : Hex(0x7FF - id, false)});
    }
    full.trace = RandomTrace(random, full, 3000);
    cases.push_back(full);
    TwinCase fullBlock{"standard-full-block", Pargen(false, false, false), {}, {}, {}};
    for (std::uint32_t id = 0; id < 2048; ++id)
        if (id != 0x2AA)
            fullBlock.can0ToCan1.push_back({Hex(id, false), ""});
    fullBlock.trace = RandomTrace(random, fullBlock, 1000);
    cases.push_back(fullBlock);
    return cases;
}

// ---------------------------------------------------------------- running them

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

int Shell(const std::string& command, std::string& output)
{
    const fs::path log = fs::temp_directory_path() / ("twin-shell-" + std::to_string(::getpid()));
    const int status = std::system((command + " >'" + log.string() + "' 2>&1 </dev/null").c_str());
    output = ReadFile(log);
    fs::remove(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What replay predicts for each frame of the trace: the frames that leave.
std::vector<std::vector<Frame>> Predicted(const TwinCase& c, const fs::path& dir)
{
    const CliResult replay = RunCli("replay '" + (dir / "source").string() + "' '" + (dir / "trace.log").string() +
                                    "' --out '" + (dir / "expected.log").string() + "'");
    EXPECT_EQ(replay.status, 0) << c.name << ": " << replay.err;
    std::map<std::string, std::size_t> frameOf; // the timestamps are unique
    for (std::size_t i = 0; i < c.trace.size(); ++i)
        frameOf[c.trace[i].substr(0, c.trace[i].find(' '))] = i;
    std::vector<std::vector<Frame>> outputs(c.trace.size());
    for (const std::string& line : Lines(ReadFile(dir / "expected.log"))) {
        std::string stamp;
        Frame frame;
        EXPECT_TRUE(ParseLine(line, stamp, frame)) << line;
        outputs[frameOf.at(stamp)].push_back(frame);
    }
    return outputs;
}

// Holds the capture against the trace and the prediction; returns the number
// of frames the gateway sent, and says where they first differ. One socket
// on every interface keeps the kernel's order: each frame played comes
// before the frames the gateway sends for it, and those come before the next
// frame played, unless the kernel left the rest of its work for later (a
// busy machine): then they follow later frames played, still each after its
// own. Frames that look the same are the same to this comparison.
std::size_t Compare(const TwinCase& c, const std::vector<std::vector<Frame>>& predicted, const std::string& capture)
{
    std::vector<Frame> played;
    for (const std::string& line : c.trace) {
        std::string stamp;
        played.emplace_back();
        ParseLine(line, stamp, played.back());
    }
    // Per frame played, the frames still to come for it.
    std::map<std::size_t, std::multiset<Frame>> pending;
    std::size_t next = 0, sent = 0;
    auto describe = [&](std::size_t i) {
        std::string text = "frame " + std::to_string(i + 1) + " played, " + c.trace[i] + ", for which replay predicts {";
        for (const Frame& f : predicted[i])
            text += " " + Text(f);
        return text + " }";
    };
    for (const std::string& line : Lines(capture)) {
        std::string stamp;
        Frame frame;
        if (line.find(" vcan2 ") != std::string::npos)
            continue; // markers
        if (!ParseLine(line, stamp, frame)) {
            ADD_FAILURE() << c.name << ": the capture holds " << line;
            return sent;
        }
        if (next < played.size() && frame == played[next]) {
            if (!predicted[next].empty())
                pending[next].insert(predicted[next].begin(), predicted[next].end());
            ++next;
            continue;
        }
        auto owner = std::find_if(pending.begin(), pending.end(), [&](auto& p) { return p.second.contains(frame); });
        if (owner == pending.end()) {
            ADD_FAILURE() << c.name << ": the kernel sent " << Text(frame) << " after "
                          << (next ? describe(next - 1) : std::string("nothing played")) << " and no frame played before it is predicted to leave so";
            return sent;
        }
        owner->second.erase(owner->second.find(frame));
        if (owner->second.empty())
            pending.erase(owner);
        ++sent;
    }
    EXPECT_EQ(next, played.size()) << c.name << ": the capture lacks " << (next < played.size() ? describe(next) : "");
    if (!pending.empty())
        ADD_FAILURE() << c.name << ": the kernel did not send " << Text(*pending.begin()->second.begin()) << " for "
                      << describe(pending.begin()->first);
    return sent;
}

// "CAN0 to CAN1 (...): 2 rules; frames handled 120, ..." of twin --check, both directions.
std::uint64_t HandledByCheck(const std::string& check)
{
    std::uint64_t handled = 0;
    for (const std::string& line : Lines(check)) {
        const std::size_t at = line.find("; frames handled ");
        if (line.rfind("CAN", 0) == 0 && at != std::string::npos)
            handled += std::stoull(line.substr(at + 17));
    }
    return handled;
}

class TwinKernel : public ::testing::Test {
protected:
    void RunCases(const std::string& boot, const std::vector<TwinCase>& cases)
    {
        const fs::path vm = fs::path(C2C_BUILD_DIR) / "twin-vm";
        std::string output;
        const std::string tools = std::string(C2C_SOURCE_DIR) + "/tools/twin-vm";
        const int built = Shell("sh '" + tools + "/build-vm.sh' '" + CliProgram() + "' '" + vm.string() + "'", output);
        if (built == 77)
            GTEST_SKIP() << "the twin machine cannot be built here: " << output;
        ASSERT_EQ(built, 0) << output;

        const fs::path work = vm / ("work-" + boot);
        fs::remove_all(work);
        const fs::path casesDir = work / "cases";
        for (const TwinCase& c : cases) {
            const fs::path dir = casesDir / c.name;
            WriteProject((dir / "source").string(), PargenXml(c.pargen), CobIdXml(c.can0ToCan1, c.can1ToCan0));
            std::string trace;
            for (const std::string& line : c.trace)
                trace += line + "\n";
            WriteText((dir / "trace.log").string(), trace);
            if (c.script) {
                const CliResult script = RunCli("twin '" + (dir / "source").string() +
                                                "' --in can0=vcan0 --in can1=vcan1 --quiet --script '" +
                                                (dir / "script").string() + "'");
                EXPECT_EQ(script.status, 0) << c.name << ": " << script.err;
            }
        }
        std::vector<std::vector<std::vector<Frame>>> predicted;
        for (const TwinCase& c : cases)
            predicted.push_back(Predicted(c, casesDir / c.name));
        for (const TwinCase& c : cases)
            fs::remove(casesDir / c.name / "expected.log"); // not sent into the machine

        const fs::path results = work / "results";
        ASSERT_EQ(Shell("sh '" + tools + "/run-cases.sh' '" + vm.string() + "' '" + casesDir.string() + "' '" +
                            results.string() + "'",
                        output),
                  0)
            << output;
        for (std::size_t n = 0; n < cases.size(); ++n) {
            const TwinCase& c = cases[n];
            const fs::path dir = results / c.name;
            SCOPED_TRACE(c.name + " (" + dir.string() + ")");
            const bool applied = ReadFile(dir / "apply.status") == "0\n";
            EXPECT_TRUE(applied) << ReadFile(dir / "apply.txt");
            const bool played = ReadFile(dir / "canplayer.status") == "0\n";
            EXPECT_TRUE(played) << ReadFile(dir / "canplayer.txt") << ReadFile(dir / "candump.err");
            if (!applied || !played)
                continue;
            const std::size_t sent = Compare(c, predicted[n], ReadFile(dir / "capture.log"));
            const std::string check = ReadFile(dir / "check.txt");
            EXPECT_EQ(ReadFile(dir / "check.status"), "0\n") << check;
            EXPECT_EQ(HandledByCheck(check), sent) << check;
            EXPECT_EQ(ReadFile(dir / "others.txt").rfind("cangw -A -s vcan2 -d vcan1 -f 5A5:C00007FF", 0), 0u)
                << "the rule of other interfaces is gone";
            if (c.script) {
                EXPECT_EQ(ReadFile(dir / "script.status"), "0\n") << ReadFile(dir / "script.txt");
                EXPECT_EQ(ReadFile(dir / "check-script.status"), "0\n") << ReadFile(dir / "check-script.txt");
            }
        }
    }
};

TEST_F(TwinKernel, EdgeCasesAndFullTables)
{
    RunCases("edges", EdgeCases());
}

TEST_F(TwinKernel, RandomProjects)
{
    std::vector<TwinCase> cases;
    for (int n = 0; n < 56; ++n)
        cases.push_back(RandomCase(n));
    RunCases("random", cases);
}

} // namespace
} // namespace c2c
