#pragma once
// The copy at the heart of a composer stage: the lines of the firmware in,
// the same lines out (each ended with CR LF), with a bank's records in
// place of the first data record that starts inside the bank's window and
// without the window's later data records. Lines of any length are copied
// piece by piece.

#include "firmware/SRecordComposer.h"

#include <cstdint>
#include <functional>

namespace c2c {

class LineReader;
class TextSink;

struct SpliceWindow {
    std::uint32_t first = 0;
    std::uint32_t last = 0; // included
};

struct SpliceHooks {
    // Writes the bank's records, each line ended, to the output.
    std::function<void()> insertBank;
    // Asked at an "S9" line while the window has not been met: whether to
    // insert the bank there all the same.
    std::function<bool()> insertAtEnd;
    // Called once per input line, for the progress.
    std::function<void()> lineCopied;
};

// Copies `input` to `out`. Returns Inserted or WindowNotFound, as fixed at
// the "S9" line, or NoEndRecord without one. Throws Error when a window
// record's address is not hexadecimal or when reading or writing fails.
StageResult SpliceBank(LineReader& input, TextSink& out, SpliceWindow window, const SpliceHooks& hooks);

} // namespace c2c
