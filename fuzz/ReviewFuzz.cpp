// diff and the report's pieces over any two images: each is an image built
// from real tables, changed byte by byte as the input says. The comparison
// never faults, an image compared with itself behaves the same, the counts
// stay within the identifiers there are, and every text put into a page is
// escaped into well-formed UTF-8 without markup.

#include "FuzzCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "operations/ConfigurationDiff.h"
#include "operations/FilterMap.h"
#include "operations/ForwardingSource.h"
#include "operations/HtmlText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

// Images as builds make them: the standard and the extended layout.
const c2c::BankImage& Base(int layout)
{
    static const auto images = [] {
        std::array<std::unique_ptr<c2c::BankImage>, 2> built;
        for (int l = 0; l < 2; ++l) {
            c2c::CobIdTables tables;
            for (int id = 0x181; id < 0x400; id += 5)
                tables.can0ToCan1.push_back({std::to_string(id), std::to_string(id + 0x20), ""});
            tables.can1ToCan0.push_back({"0x7FF", "", ""});
            if (l == 1) // 29-bit identifiers in the extended layout alone
                tables.can1ToCan0.push_back({"0x18FF0701", "0x701", ""});
            c2c::CommSettings settings;
            settings.positive = 1;
            settings.format1 = l;
            built[static_cast<std::size_t>(l)] = std::make_unique<c2c::BankImage>();
            c2c::BuildBankImage(settings, tables, *built[static_cast<std::size_t>(l)]);
        }
        return built;
    }();
    return *images[static_cast<std::size_t>(layout)];
}

bool WellFormedPageText(std::string_view html)
{
    for (std::size_t i = 0; i < html.size();) {
        const auto c = static_cast<unsigned char>(html[i]);
        if (c == '<' || c == '>' || c == '"' || c == '\'' || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == 0x7F)
            return false;
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (c >= 0x80 && (c < 0xC2 || c > 0xF4 || i + length > html.size()))
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(html[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    fuzz::Check(WellFormedPageText(HtmlEscaped(std::string_view(reinterpret_cast<const char*>(data), size))),
                "escaped text holds no markup and is well-formed UTF-8");
    if (size < 2)
        return 0;
    static auto a = std::make_unique<ConfigurationSource>();
    static auto b = std::make_unique<ConfigurationSource>();
    const BankImage& baseA = Base(data[0] % 2);
    const BankImage& baseB = Base(data[1] % 2);
    a->banks = {baseA.Bank(1), baseA.Bank(2)};
    b->banks = {baseB.Bank(1), baseB.Bank(2)};
    // Each further group of four bytes: image and bank, offset (two bytes), new value.
    for (std::size_t i = 2; i + 4 <= size; i += 4) {
        ConfigurationSource& changed = data[i] & 2 ? *b : *a;
        const std::size_t offset = (static_cast<std::size_t>(data[i + 1]) << 8 | data[i + 2]) % kBankSize;
        changed.banks[data[i] % 2][offset] = data[i + 3];
    }
    a->image = DecodeBankImage(a->banks[0], a->banks[1]);
    b->image = DecodeBankImage(b->banks[0], b->banks[1]);

    const ConfigurationDiff diff = DiffConfigurations(*a, *b);
    for (const DirectionDiff& direction : diff.directions) {
        fuzz::Check(direction.changes.size() <= kStandardIdCount + 2 * kMaxListEntries,
                    "a direction's changes are at most the identifiers compared");
        fuzz::Check(direction.lines.size() <= direction.changes.size() + 1, "folding never adds lines");
    }
    const std::vector<std::string> lines = DiffTextLines(diff);
    fuzz::Check(diff.Same() == (lines.size() == 1 && lines[0].rfind("A and B behave the same", 0) == 0),
                "the text says the same exactly when nothing differs");
    const ConfigurationDiff self = DiffConfigurations(*a, *a);
    fuzz::Check(self.Same() && self.differingBytes == 0, "an image behaves as itself");

    const ForwardingModel model(a->image);
    const FilterMap map = FilterMapOf(model, data[1] & 1);
    fuzz::Check(CountOf(map, MapKind::Passed) + CountOf(map, MapKind::Translated) + CountOf(map, MapKind::Blocked) +
                        CountOf(map, MapKind::NotReceived) ==
                    kStandardIdCount,
                "every standard identifier is of one kind");
    fuzz::Check(FilterMapSvg(map, "m", "map").size() < 400000, "the picture stays small");
    return 0;
}
