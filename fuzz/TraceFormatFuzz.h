#pragma once
// The readers of Vector's and PEAK's traces over any bytes, handed out in
// chunks of any size: every frame is on a port, of a DLC up to 15, with an
// identifier of its format; a malformed line or object says why; and the
// frames written back in the same format read as the same frames.

#include "FuzzCheck.h"
#include "operations/TraceFormats.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace c2c::fuzz {

class HeldText final : public TextSink {
public:
    void Write(std::string_view text) override { text_.append(text); }
    bool Rewrite(std::uint64_t offset, std::string_view bytes) override
    {
        Check(offset + bytes.size() <= text_.size(), "a rewrite stays within what was written");
        text_.replace(offset, bytes.size(), bytes);
        return true;
    }
    std::string text_;
};

inline LineReader::Source ChunkSource(const char* text, std::size_t length, std::size_t chunk)
{
    auto at = std::make_shared<std::size_t>(0);
    return [=](char* buffer, std::size_t room) {
        const std::size_t n = std::min({room, chunk, length - *at});
        std::memcpy(buffer, text + *at, n);
        *at += n;
        return n;
    };
}

// `Source` is the reader's class; `format` what it reads.
template <class Source>
void FuzzTraceReader(const std::uint8_t* data, std::size_t size, TraceFormat format)
{
    if (size == 0)
        return;
    const std::size_t chunk = 1 + data[0] % 64 * 37;
    const char* text = reinterpret_cast<const char*>(data + 1);
    auto report = [](std::uint64_t, const char* problem) {
        CheckMessage(problem);
        Check(*problem != '\0', "a malformed line or object says why");
    };
    Source source("fuzz", ChunkSource(text, size - 1, chunk), InterfacePorts(), -1, report, 32768);
    std::vector<TraceFrame> frames;
    TraceFrame f;
    while (source.Next(f)) {
        Check(f.port == 0 || f.port == 1, "a frame is on a port");
        Check(f.dlc <= 15, "a DLC is at most 15");
        Check(f.id <= (f.extended ? 0x1FFFFFFFu : 0x7FFu), "the identifier fits its format");
        if (frames.size() < 1000)
            frames.push_back(f);
    }
    Check(!source.Next(f), "the end stays the end");

    HeldText out;
    auto writer = MakeTraceWriter(format, out, {"can0", "can1"});
    for (const TraceFrame& frame : frames)
        writer->Add(frame);
    writer->Finish();
    Source again("again", ChunkSource(out.text_.data(), out.text_.size(), 4096), InterfacePorts(), -1,
                 [](std::uint64_t, const char*) { Check(false, "a written trace reads without a malformed line"); },
                 32768);
    for (const TraceFrame& frame : frames) {
        Check(again.Next(f), "every frame written is read back");
        Check(f.port == frame.port && f.id == frame.id && f.extended == frame.extended && f.remote == frame.remote &&
                  f.dlc == frame.dlc && (frame.remote || f.data == frame.data),
              "a frame written back reads as the same frame");
    }
    Check(!again.Next(f), "no frame more is read back");
}

} // namespace c2c::fuzz
