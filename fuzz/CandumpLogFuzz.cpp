// The candump log reader over any bytes, handed out in chunks of any size:
// every line is at most kMaxCandumpLine long and holds no CR or LF, a
// malformed one says why, and a frame written back as candump writes it
// reads as the same frame.

#include "FuzzCheck.h"
#include "documents/CandumpLog.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    if (size == 0)
        return 0;
    // The first byte sets the size of the chunks the reader gets.
    const std::size_t chunk = 1 + data[0] % 64 * 37;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;
    std::size_t at = 0;
    LineReader reader(
        [&](char* buffer, std::size_t room) {
            const std::size_t n = std::min({room, chunk, length - at});
            std::memcpy(buffer, text + at, n);
            at += n;
            return n;
        },
        kCandumpLineRules);

    std::string_view line;
    std::uint64_t lines = 0;
    std::string written;
    while (reader.Next(line)) {
        fuzz::Check(reader.LineNumber() == ++lines, "lines are numbered one by one");
        fuzz::Check(line.size() <= kMaxCandumpLine, "a line is at most kMaxCandumpLine long");
        fuzz::Check(line.find_first_of("\r\n") == std::string_view::npos, "a line holds no line end");
        fuzz::Check(!reader.Overlong() || line.size() == kMaxCandumpLine, "a line is cut at kMaxCandumpLine");
        const CandumpLine parsed = ParseCandumpLine(line);
        if (parsed.kind == CandumpLineKind::Malformed) {
            fuzz::CheckMessage(parsed.problem);
            fuzz::Check(*parsed.problem != '\0', "a malformed line says why");
            continue;
        }
        if (parsed.kind != CandumpLineKind::Frame)
            continue;
        const CandumpFrame& frame = parsed.frame;
        fuzz::Check(frame.length <= 8, "a classic frame has at most 8 bytes");
        fuzz::Check(frame.id <= (frame.extended ? 0x1FFFFFFFu : 0x7FFu), "the identifier fits its format");
        written.clear();
        AppendCandumpLine(written, parsed.timestamp, parsed.interface, frame, parsed.direction);
        fuzz::Check(written.find('\n') == written.size() - 1, "a written frame is one line");
        const CandumpLine again = ParseCandumpLine(std::string_view(written).substr(0, written.size() - 1));
        fuzz::Check(again.kind == CandumpLineKind::Frame && again.timestamp == parsed.timestamp &&
                        again.interface == parsed.interface && again.direction == parsed.direction &&
                        again.frame.id == frame.id && again.frame.extended == frame.extended &&
                        again.frame.remote == frame.remote && again.frame.length == frame.length &&
                        again.frame.rawDlc == frame.rawDlc &&
                        (frame.remote || std::equal(frame.data.begin(), frame.data.begin() + frame.length,
                                                    again.frame.data.begin())),
                    "a frame written back reads as the same frame");
    }
    fuzz::Check(at == length, "the reader reads to the end");
    return 0;
}
