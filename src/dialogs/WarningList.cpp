#include "dialogs/WarningList.h"

namespace c2c {

std::string WarningListText(const std::string& heading, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return {};
    std::string text = heading;
    for (std::size_t i = 0; i < lines.size() && i < kShownWarnings; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kShownWarnings)
        text += "\n... and " + std::to_string(lines.size() - kShownWarnings) + " more";
    return text;
}

} // namespace c2c
