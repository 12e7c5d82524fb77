#include "firmware/SpliceStage.h"

#include "firmware/SRecordLine.h"
#include "platform/Error.h"
#include "platform/LineReader.h"
#include "platform/TextSink.h"

namespace c2c {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

StageResult SpliceBank(LineReader& input, TextSink& out, SpliceWindow window, const SpliceHooks& hooks)
{
    bool pending = true;
    // Fixed at the "S9" line; without one the output is no firmware.
    StageResult result = StageResult::NoEndRecord;
    auto insertBank = [&] {
        hooks.insertBank();
        pending = false;
    };

    std::string_view line;
    bool complete = true;
    while (input.NextPiece(line, complete)) {
        hooks.lineCopied();
        // A piece is at least as long as a record's type and address, so the
        // first piece of a line tells what it is.
        bool copy = true;
        const RecordStart start = DataRecordStart(line);
        if (start.kind == RecordStart::Kind::NotHexadecimal)
            throw Error("A record's address is not hexadecimal");
        if (start.kind == RecordStart::Kind::Data && start.address >= window.first && start.address <= window.last) {
            copy = false;
            // The first record of the window gives way to the bank; the
            // later ones go.
            if (pending)
                insertBank();
        } else if (line.starts_with("S9")) {
            if (pending && hooks.insertAtEnd())
                insertBank();
            result = pending ? StageResult::WindowNotFound : StageResult::Inserted;
        }
        if (copy)
            out.Write(line);
        // The rest of a line longer than a piece, copied or passed over.
        while (!complete && input.NextPiece(line, complete))
            if (copy)
                out.Write(line);
        if (copy)
            out.Write(kLineEnd);
    }
    return result;
}

} // namespace c2c
