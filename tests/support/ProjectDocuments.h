#pragma once
// Project documents for the image and build-command tests, in the shape the
// dialogs write them.

#include "support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace c2c::testing {

using Texts = std::vector<std::string>;
inline const Texts kStandardPargen = {"5", "5", "0", "1", "0", "0", "0"}; // both 2.0A, positive
inline const Texts kExtendedPargen = {"5", "5", "1", "1", "0", "0", "1"}; // both 2.0B

// ParametriGenerali holding the texts at positions 0, 1, ...
inline std::string PargenXml(const Texts& values)
{
    static const char* const names[] = {"Boud0", "Boud1", "Type", "Positive", "Baud_Dip_C0", "Baud_Dip_C1", "TypeC1"};
    std::string text = "<ParametriGenerali>";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += std::string("<") + names[i] + ">" + values[i] + "</" + names[i] + ">";
    return text + "</ParametriGenerali>";
}

struct CobIdRow {
    std::string orig, mod;
};
using CobIdRows = std::vector<CobIdRow>;

inline std::string CobIdXml(const CobIdRows& can0ToCan1, const CobIdRows& can1ToCan0)
{
    std::string text = "<CanCanCobID>";
    for (const auto* section : {&can0ToCan1, &can1ToCan0}) {
        const std::string name = section == &can0ToCan1 ? "Can0_to_Can1" : "Can1_to_Can0";
        text += "<" + name + ">";
        for (const CobIdRow& row : *section)
            text += "<row Orig_CobID=\"" + row.orig + "\" Mod_CobID=\"" + row.mod + "\" Desc=\"\"/>";
        text += "</" + name + ">";
    }
    return text + "</CanCanCobID>";
}

// Writes both documents into `dir` and makes its bin folder.
inline void WriteProject(const std::string& dir, const std::string& pargen, const std::string& cobId)
{
    std::filesystem::create_directories(dir + "/bin");
    WriteText(dir + "/pargen.xml", pargen);
    WriteText(dir + "/CanCanCobID.xml", cobId);
}

} // namespace c2c::testing
