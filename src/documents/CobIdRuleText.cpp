#include "documents/CobIdRuleText.h"

#include "documents/CanFrame.h"
#include "documents/CanOpen.h"

namespace c2c {

std::optional<int> ParseNodeId(std::string_view text)
{
    const std::optional<std::int32_t> value = TryParseInteger(text);
    if (!value || !IsNodeId(*value))
        return std::nullopt;
    return *value;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseIdentifierRange(std::string_view text)
{
    const std::size_t dash = text.empty() ? std::string_view::npos : text.find('-', 1);
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto first = ParseCanIdentifier(text.substr(0, dash));
    const auto last = ParseCanIdentifier(text.substr(dash + 1));
    if (!first || !last || *first > *last)
        return std::nullopt;
    return std::pair{*first, *last};
}

} // namespace c2c
