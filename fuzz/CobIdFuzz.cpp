// CanCanCobID.xml: both readings take any text; tables read strictly are
// written and read back unchanged, and build an image or stop with an
// Error with a short message; the rows beyond tables shorter than the
// document are all moved into empty rows or named as not fitting.

#include "FuzzCheck.h"
#include "documents/CobIdCarryOver.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "operations/CobIdWarnings.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CobIdTables shown{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    ParseCobIdLeniently(text, shown);
    fuzz::Check(shown.can0ToCan1.size() == kStandardTableLength, "the window's tables keep their length");

    CobIdTables few{CobIdTable(3), CobIdTable(3)};
    CobIdRowsBeyond beyond;
    ParseCobIdLeniently(text, few, &beyond);
    const CobIdTables before = few;
    const CobIdCarryOver carried = CarryOverRows(few, beyond);
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const auto& table = carried.tables[static_cast<std::size_t>(direction)];
        const auto& stored = beyond[static_cast<std::size_t>(direction)];
        fuzz::Check(table.moved.size() + table.dropped.size() == stored.size(), "every row beyond is moved or named");
        for (std::size_t i = 0; i < table.moved.size(); ++i)
            fuzz::Check(before.Table(direction)[table.moved[i].to] == CobIdRow{} &&
                            few.Table(direction)[table.moved[i].to] == stored[i].row,
                        "a row moves into an empty row, whole");
    }
    fuzz::Check(CobIdCarryOverText(carried, CarryOverTime::Now).empty() != carried.Any(), "a carry-over is told");
    try {
        const CobIdTables tables = ParseCobIdStrictly(text, "CanCanCobID.xml");
        for (const CobIdWarning& warning : FindCobIdWarnings(tables, size % 2 != 0 ? TableLayout::Extended : TableLayout::Standard))
            fuzz::Check(!warning.rows.empty() && !warning.text.empty(), "a warning names its rows");
        fuzz::Check(ParseCobIdStrictly(CobIdDocumentText(tables), "again") == tables, "tables read back unchanged");
        static auto image = std::make_unique<BankImage>();
        CommSettings settings;
        settings.format0 = size % 2 == 0 ? 0 : 1; // standard and extended layouts alike
        BuildBankImage(settings, tables, *image);
    } catch (const Error& error) {
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
