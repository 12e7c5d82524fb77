#pragma once
// The texts an engineer types for a rule, in the program's integer syntax:
// an identifier (ParseCanIdentifier, documents/CanFrame.h), a node ID, and
// a range of identifiers.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace c2c {

// A node ID, 1 to 127.
std::optional<int> ParseNodeId(std::string_view text);

// FIRST-LAST: two identifiers (0 to 0x1FFFFFFF), FIRST not above LAST. The
// "-" is looked for after the first character, since a sign may lead FIRST.
std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseIdentifierRange(std::string_view text);

} // namespace c2c
