#pragma once
// Where an output named by the user goes (every --out of the command line):
// the rules that keep it from replacing what the user did not name.
//
// - "-" is standard output.
// - A link is followed to the file it leads to, which is written (staged
//   beside it) when it is a regular file or does not exist yet in an
//   existing folder; a chain that passes through /dev or /proc, or ends at
//   a folder, a FIFO, a device or a socket, or nowhere, is refused.
// - Nothing is written into the workspace's master folder.
// - An existing file is replaced only when it is empty or holds the format
//   being written, unless the user forces it.
// - A file the command reads is never its output.
// The file is then written as every save is (see StagedFile).

#include "platform/StagedFile.h"
#include "platform/TextSink.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// How much of an existing file is looked at to tell its format.
inline constexpr std::size_t kFormatSniffSize = 64 * 1024;

// A format written to a user's file.
struct OutputFormat {
    const char* name; // "a candump trace"
    // Whether the first bytes of a file (at most kFormatSniffSize) are of
    // this format.
    bool (*recognizes)(std::string_view head);
};

// A file the command reads, and what the refusal calls it ("the trace it reads").
struct OutputInput {
    std::string path;
    std::string what;
};

struct OutputRequest {
    std::string argument; // as the user gave it
    OutputFormat format;
    bool force = false;   // replace an existing file of another format
    std::vector<OutputInput> inputs;
};

struct OutputChoice {
    std::string refusal; // why nothing may be written there; empty when it may
    bool standardOutput = false;
    std::string path; // the file to write: the argument, or where its link leads

    bool Refused() const { return !refusal.empty(); }
};

// Applies the rules to `request` for the program in `programFolder`, whose
// workspace holds the master folder.
OutputChoice ChooseOutput(const OutputRequest& request, const std::string& programFolder);

// The output a choice names, opened: standard output, or the file staged
// beside its place until Finish().
class UserOutput {
public:
    // Throws Error when the file cannot be created.
    explicit UserOutput(const OutputChoice& choice);
    TextSink& Sink();
    // Everything is out: standard output flushed, or the file in its place
    // (flushed to the disk). Throws Error.
    void Finish();

private:
    StandardOutputSink standardOutput_;
    std::unique_ptr<StagedFile> file_;
};

} // namespace c2c
