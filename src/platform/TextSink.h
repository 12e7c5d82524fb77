#pragma once
// Where a stream of output goes: a file being written, standard output, a
// buffer in a test. A trace or any other long output is written through
// one, a block at a time.

#include <cstdint>
#include <string_view>

namespace c2c {

class TextSink {
public:
    virtual ~TextSink() = default;
    // Throws Error when the bytes cannot be written.
    virtual void Write(std::string_view text) = 0;
    // Writes `bytes` over what was written at `offset` (a header whose
    // sizes are known only at the end). False when this sink cannot go
    // back (a stream); throws Error when the bytes cannot be written.
    virtual bool Rewrite(std::uint64_t offset, std::string_view bytes)
    {
        (void)offset;
        (void)bytes;
        return false;
    }
};

// Standard output, binary on every system. Throws
// Error("Cannot write to standard output") when it refuses the bytes.
class StandardOutputSink final : public TextSink {
public:
    void Write(std::string_view text) override;
    // Everything written is out. Throws as Write does.
    void Flush();
};

} // namespace c2c
