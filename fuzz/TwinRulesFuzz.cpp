// The twin's rules from any image: an image built from real tables, changed
// byte by byte as the input says (formats, Positive Implementation, the
// filter bitmap, list entries and sizes), gives rules that make the kernel's
// gateway pass exactly what the forwarding model passes. The gateway is
// modelled here as the kernel documents it: every rule whose filter matches
// the can_id (flags included) sends one frame, its identifier ANDed, then
// ORed.

#include "FuzzCheck.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankDecoder.h"
#include "image/BankImage.h"
#include "image/Forwarding.h"
#include "operations/TwinRules.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr std::uint32_t kEff = 0x80000000, kRtr = 0x40000000;

const c2c::BankImage& Base(bool extended)
{
    static const auto images = [] {
        std::array<std::unique_ptr<c2c::BankImage>, 2> built;
        c2c::CobIdTables tables;
        for (int id = 0; id < 300; id += 7)
            tables.can0ToCan1.push_back({std::to_string(id), std::to_string(id * 3), ""});
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

std::uint32_t CanId(const c2c::CanFrameId& frame, bool remote)
{
    return (frame.extended ? kEff : 0) | frame.id | (remote ? kRtr : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    if (size == 0)
        return 0;
    static auto banks = std::make_unique<std::array<BankImage::BankBytes, 2>>();
    const BankImage& base = Base(data[0] % 2 == 1);
    (*banks)[0] = base.Bank(1);
    (*banks)[1] = base.Bank(2);
    // Each further group of four bytes: bank, offset (two bytes), new value.
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
        const std::size_t offset = (static_cast<std::size_t>(data[i + 1]) << 8 | data[i + 2]) % kBankSize;
        (*banks)[data[i] % 2][offset] = data[i + 3];
    }
    const DecodedImage image = DecodeBankImage((*banks)[0], (*banks)[1]);
    const ForwardingModel model(image);
    const TwinRules twin = MakeTwinRules(image, {"a", "b"});

    // Frames the image is about, and some of the input's choosing.
    std::vector<std::uint32_t> ids = {0x000, kMaxStandardId, kMaxStandardId + 1, kMaxExtendedId};
    for (const auto& list : image.translations)
        for (std::size_t i = 0; i < list.size() && i < 40; ++i)
            ids.insert(ids.end(), {list[i].original, list[i].original + 1, list[i].modified});
    for (std::size_t i = 1; i + 4 <= size && ids.size() < 200; i += 4)
        ids.push_back((std::uint32_t(data[i]) << 24 | std::uint32_t(data[i + 1]) << 16 | std::uint32_t(data[i + 2]) << 8 | data[i + 3]) & kMaxExtendedId);
    for (CanPort port : kCanPorts)
        for (std::uint32_t id : ids)
            for (bool extended : {false, true}) {
                if (id > (extended ? kMaxExtendedId : kMaxStandardId))
                    continue;
                const CanFrameId frame{id, extended};
                const Route route = model.RouteFrame(port, frame);
                const std::uint32_t in = CanId(frame, size % 2 == 0);
                std::size_t sent = 0;
                for (const TwinRule& r : twin.rules) {
                    const CanGatewayRule& rule = r.rule;
                    if (r.fromPort != port || (in & rule.filterMask) != (rule.filterId & rule.filterMask))
                        continue;
                    ++sent;
                    std::uint32_t out = in;
                    if (rule.andId)
                        out &= *rule.andId;
                    if (rule.orId)
                        out |= *rule.orId;
                    fuzz::Check(route.Passed() && out == CanId(route.leaves, size % 2 == 0),
                                "a rule sends a frame only as the model passes it");
                }
                fuzz::Check(sent == (route.Passed() ? 1u : 0u), "one frame for a frame passed, none for one blocked");
            }
    return 0;
}
