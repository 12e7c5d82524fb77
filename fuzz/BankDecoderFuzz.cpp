// The bank-image decoder over any bytes: an image built from real tables,
// changed byte by byte as the input says, decodes without fault, with a
// bounded number of translations and every byte describable.

#include "FuzzCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankDecoder.h"
#include "image/BankImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Two images as builds make them: the standard and the extended layout.
const c2c::BankImage& Base(bool extended)
{
    static const auto images = [] {
        std::array<std::unique_ptr<c2c::BankImage>, 2> built;
        c2c::CobIdTables tables;
        for (int id = 0; id < 300; id += 3)
            tables.can0ToCan1.push_back({std::to_string(id), std::to_string(id + 1), ""});
        tables.can1ToCan0.push_back({"0x7FF", "", ""});
        for (int layout = 0; layout < 2; ++layout) {
            c2c::CommSettings settings;
            settings.format0 = layout;
            built[static_cast<std::size_t>(layout)] = std::make_unique<c2c::BankImage>();
            c2c::BuildBankImage(settings, tables, *built[static_cast<std::size_t>(layout)]);
        }
        return built;
    }();
    return *images[extended ? 1 : 0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    if (size == 0)
        return 0;
    const BankImage& base = Base(data[0] % 2 == 1);
    static auto banks = std::make_unique<std::array<BankImage::BankBytes, 2>>();
    (*banks)[0] = base.Bank(1);
    (*banks)[1] = base.Bank(2);
    // Each further group of four bytes: bank, offset (two bytes), new value.
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
        const std::size_t offset = (static_cast<std::size_t>(data[i + 1]) << 8 | data[i + 2]) % kBankSize;
        (*banks)[data[i] % 2][offset] = data[i + 3];
    }
    const DecodedImage image = DecodeBankImage((*banks)[0], (*banks)[1]);
    for (const auto& list : image.translations)
        fuzz::Check(list.size() <= kStandardEntries, "a list holds at most one entry per identifier or 2000");
    fuzz::Check(image.warnings.size() < 100000, "warnings stay bounded");
    fuzz::Check(!DescribeBankByte(1 + size % 2, size % kBankSize, image.extended).empty(), "every byte is described");
    return 0;
}
