#pragma once
// A message that lists warnings after work that was done all the same: the
// tables saved at OK in Set CobID Access, the bank files of Update Device.

#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

// A message shows this many warnings and counts the rest.
inline constexpr std::size_t kShownWarnings = 12;

// `heading`, then at most kShownWarnings of `lines` and a count of the rest,
// one a line. Empty without lines.
std::string WarningListText(const std::string& heading, const std::vector<std::string>& lines);

} // namespace c2c
