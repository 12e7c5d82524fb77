#include "operations/CanOpenIdentifiers.h"

#include <array>

namespace c2c {

namespace {

// The services of a node, by function code (the identifier's top four bits).
constexpr std::array<CanOpenService, 16> kNodeServices = {
    CanOpenService::None,        CanOpenService::Emcy,        CanOpenService::None,       CanOpenService::Tpdo1,
    CanOpenService::Rpdo1,       CanOpenService::Tpdo2,       CanOpenService::Rpdo2,      CanOpenService::Tpdo3,
    CanOpenService::Rpdo3,       CanOpenService::Tpdo4,       CanOpenService::Rpdo4,      CanOpenService::SdoResponse,
    CanOpenService::SdoRequest,  CanOpenService::None,        CanOpenService::Heartbeat,  CanOpenService::None,
};

} // namespace

CanOpenIdentifier ClassifyCanOpen(std::uint32_t id, bool extended) noexcept
{
    if (extended || id > 0x7FF)
        return {};
    switch (id) {
    case kNmtIdentifier:
        return {CanOpenService::Nmt, 0};
    case kSyncIdentifier:
        return {CanOpenService::Sync, 0};
    case kTimeIdentifier:
        return {CanOpenService::Time, 0};
    case kLssResponseIdentifier:
        return {CanOpenService::LssResponse, 0};
    case kLssRequestIdentifier:
        return {CanOpenService::LssRequest, 0};
    default:
        break;
    }
    const int node = static_cast<int>(id & 0x7F);
    const CanOpenService service = kNodeServices[id >> 7];
    if (node == 0 || service == CanOpenService::None)
        return {};
    return {service, node};
}

std::uint32_t CanOpenIdentifierOf(CanOpenService service, int node) noexcept
{
    for (std::uint32_t code = 0; code < kNodeServices.size(); ++code)
        if (kNodeServices[code] == service)
            return code << 7 | static_cast<std::uint32_t>(node & 0x7F);
    switch (service) {
    case CanOpenService::Nmt:
        return kNmtIdentifier;
    case CanOpenService::Sync:
        return kSyncIdentifier;
    case CanOpenService::Time:
        return kTimeIdentifier;
    case CanOpenService::LssResponse:
        return kLssResponseIdentifier;
    case CanOpenService::LssRequest:
        return kLssRequestIdentifier;
    default:
        return 0;
    }
}

const char* CanOpenServiceName(CanOpenService service) noexcept
{
    switch (service) {
    case CanOpenService::None:
        return "";
    case CanOpenService::Nmt:
        return "NMT";
    case CanOpenService::Sync:
        return "SYNC";
    case CanOpenService::Emcy:
        return "EMCY";
    case CanOpenService::Time:
        return "TIME";
    case CanOpenService::Tpdo1:
        return "TPDO1";
    case CanOpenService::Rpdo1:
        return "RPDO1";
    case CanOpenService::Tpdo2:
        return "TPDO2";
    case CanOpenService::Rpdo2:
        return "RPDO2";
    case CanOpenService::Tpdo3:
        return "TPDO3";
    case CanOpenService::Rpdo3:
        return "RPDO3";
    case CanOpenService::Tpdo4:
        return "TPDO4";
    case CanOpenService::Rpdo4:
        return "RPDO4";
    case CanOpenService::SdoResponse:
        return "SDO response";
    case CanOpenService::SdoRequest:
        return "SDO request";
    case CanOpenService::Heartbeat:
        return "heartbeat";
    case CanOpenService::LssResponse:
        return "LSS response";
    case CanOpenService::LssRequest:
        return "LSS request";
    }
    return "";
}

std::string CanOpenText(const CanOpenIdentifier& identifier)
{
    std::string text = CanOpenServiceName(identifier.service);
    if (identifier.node == 0)
        return text;
    // What a node sends is "of" it, what it receives "to" it.
    const bool received = identifier.service == CanOpenService::SdoRequest ||
                          identifier.service == CanOpenService::Rpdo1 || identifier.service == CanOpenService::Rpdo2 ||
                          identifier.service == CanOpenService::Rpdo3 || identifier.service == CanOpenService::Rpdo4;
    return text + (received ? " to node " : " of node ") + std::to_string(identifier.node);
}

} // namespace c2c
