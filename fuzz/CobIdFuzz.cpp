// CanCanCobID.xml: both readings take any text; tables read strictly are
// written and read back unchanged, and build an image or stop with an
// Error with a short message.

#include "FuzzCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
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
    try {
        const CobIdTables tables = ParseCobIdStrictly(text, "CanCanCobID.xml");
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
