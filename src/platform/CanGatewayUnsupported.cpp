// The kernel's CAN gateway is Linux's: other systems have none to reach.

#include "platform/CanGateway.h"

#include "platform/Error.h"

namespace c2c {

namespace {

const char* const kLinuxOnly = "The CAN gateway rules can only be applied or read on Linux (its kernel's can-gw)";

} // namespace

bool CanGatewaySupported()
{
    return false;
}

void ReplaceCanGatewayRules(const std::string&, const std::string&, const std::vector<CanGatewayRule>&)
{
    throw Error(kLinuxOnly);
}

std::vector<CanGatewayJob> ReadCanGatewayRules()
{
    throw Error(kLinuxOnly);
}

} // namespace c2c
