#pragma once
// The one way the program writes a file: beside its target under a
// temporary name of the program's own, flushed to the disk, then renamed
// over the target, and the folder flushed after. A failed write, a killed
// run or a power loss leaves the old file or the new one, never a part;
// the temporary files of killed runs are removed at the next save of the
// same target.
//
// The target is taken as named: a link of that name is replaced, not
// followed (an output named by the user goes through the output-path
// rules first, which follow it). A folder, a FIFO, a device or a socket of
// that name is refused and left alone.

#include "platform/TextSink.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace c2c {

class StagedFile final : public TextSink {
public:
    enum class Durability {
        Flushed, // a document or an output: on the disk before it takes its name
        Scratch, // a working file that is read back and removed in the same run
    };

    // Creates the temporary file. Throws Error("Cannot create file
    // \"TARGET\". REASON"), as every failure of the file does.
    explicit StagedFile(std::string target, Durability durability = Durability::Flushed);
    // A whole file: `content` written and finished at once.
    StagedFile(std::string target, std::string_view content);
    // Without Install(), the temporary file goes and the target stays as it was.
    ~StagedFile() override;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void Write(std::string_view text) override;
    bool Rewrite(std::uint64_t offset, std::string_view bytes) override;
    // The content is complete: written out, flushed to the disk (Flushed),
    // closed. Several files can be finished before any is installed, so that
    // a set is replaced only once every one of them could be written.
    void Finish();
    // Finishes the file when that is still to do, renames it over the target
    // and flushes the folder (Flushed).
    void Install();

    const std::string& Target() const { return target_; }

private:
    [[noreturn]] void Fail(int error);
    void Discard();

    std::string target_;
    Durability durability_;
    std::string temporary_; // empty once installed
    std::FILE* file_ = nullptr; // open until finished
};

} // namespace c2c
