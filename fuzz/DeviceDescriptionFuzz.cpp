// A node's EDS or DCF: any text is read or refused with a short message
// naming the file; what is read holds only CAN identifiers, and the rows
// made of it are added whole or refused whole.

#include "FuzzCheck.h"
#include "documents/CobIdPlacement.h"
#include "documents/DeviceDescription.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    if (size == 0)
        return 0;
    // The first byte chooses the node (0: from the file) and the remapping.
    const int choice = data[0] % (kMaxNodeId + 1);
    const std::optional<int> node = choice == 0 ? std::nullopt : std::optional<int>(choice);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const DeviceDescription description = ParseDeviceDescription(text, "node.dcf", node);
        fuzz::Check(description.node >= kMinNodeId && description.node <= kMaxNodeId, "the node is a node ID");
        for (const DescribedIdentifier& identifier : description.identifiers)
            fuzz::Check(identifier.identifier <= (identifier.extendedFrame ? kMaxExtendedId : kMaxStandardId),
                        "identifiers fit their frames");
        const int as = (data[0] / 2) % kMaxNodeId + 1;
        const RuleExpansion expansion = ExpandDescribedNode(description, "node.dcf", PortAt(data[0] % 2), as);
        static const CobIdTables empty{CobIdTable(kExtendedTableLength), CobIdTable(kExtendedTableLength)};
        const CobIdAddition addition = PlanCobIdAddition(empty, CommSession{1, 1, true}, expansion);
        fuzz::Check(addition.Accepted() ? addition.rows.size() == expansion.rows.size()
                                        : addition.rows.empty() && addition.tables == empty,
                    "rows are added whole or not at all");
    } catch (const Error& error) {
        fuzz::Check(std::string_view(error.what()).substr(0, 8) == "node.dcf", "errors name the file");
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
