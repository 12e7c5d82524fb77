// The CobID tables' spreadsheet file: any text is read or refused line by
// line; a file taken gives tables of the length its frame formats call
// for, rows beyond them moved into rows that were empty, and written and
// read back it gives the same tables.

#include "FuzzCheck.h"
#include "documents/CobIdCsv.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Both lengths of the tables, and a port whose type number has no range.
    const CommSession session = size % 3 == 0 ? CommSession{0, 0, true}
                                : size % 3 == 1 ? CommSession{0, 1, true}
                                                : CommSession{2, 0, false};
    const CobIdCsvReading reading = ReadCobIdCsv(text, session);
    for (const CobIdCsvProblem& problem : reading.problems)
        fuzz::Check(problem.line >= 1 && !problem.reason.empty(), "a bad line is named with a reason");
    if (!reading.problems.empty())
        return 0;
    const std::size_t length = CobIdTableLength(session);
    fuzz::Check(reading.tables.can0ToCan1.size() == length && reading.tables.can1ToCan0.size() == length,
                "the tables have the length of their frame formats");
    for (int direction : {kCan0ToCan1, kCan1ToCan0})
        fuzz::Check(reading.carryOver.tables[static_cast<std::size_t>(direction)].dropped.empty(),
                    "a file whose rows find no room is refused");
    const CobIdCsvReading again = ReadCobIdCsv(CobIdCsvText(reading.tables), session);
    fuzz::Check(again.problems.empty() && again.tables == reading.tables && !again.carryOver.Any(),
                "tables written and read back unchanged");
    return 0;
}
