#pragma once
// Project documents for the image tests: pargen.xml from its texts and
// CanCanCobID.xml from rows, in the shape the dialogs write them.

#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace c2c::testing {

// Both ports 2.0A, 250 kbit/s, positive flag set.
inline const std::vector<std::string> kStandardPargen = {"5", "5", "0", "1", "0", "0", "0"};
// Both ports 2.0B.
inline const std::vector<std::string> kExtendedPargen = {"5", "5", "1", "1", "0", "0", "1"};

// ParametriGenerali holding the given texts at positions 0, 1, ...
inline std::string PargenXml(const std::vector<std::string>& values)
{
    static const char* const names[] = {"Boud0", "Boud1", "Type", "Positive", "Baud_Dip_C0", "Baud_Dip_C1", "TypeC1"};
    std::string text = "<ParametriGenerali>";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += std::string("<") + names[i] + ">" + values[i] + "</" + names[i] + ">";
    return text + "</ParametriGenerali>";
}

struct CobIdRow {
    std::string orig;
    std::string mod;
};
using CobIdRows = std::vector<CobIdRow>;

inline std::string RowsXml(const CobIdRows& rows)
{
    std::string text;
    for (const CobIdRow& row : rows)
        text += "<row Orig_CobID=\"" + row.orig + "\" Mod_CobID=\"" + row.mod + "\" Desc=\"\"/>";
    return text;
}

inline std::string CobIdXml(const CobIdRows& can0ToCan1, const CobIdRows& can1ToCan0)
{
    return "<CanCanCobID><Can0_to_Can1>" + RowsXml(can0ToCan1) + "</Can0_to_Can1><Can1_to_Can0>" +
           RowsXml(can1ToCan0) + "</Can1_to_Can0></CanCanCobID>";
}

// Writes both documents into `dir` and makes its bin folder.
inline void WriteProject(const std::string& dir, const std::string& pargen, const std::string& cobId)
{
    std::filesystem::create_directories(dir + "/bin");
    WriteText(dir + "/pargen.xml", pargen);
    WriteText(dir + "/CanCanCobID.xml", cobId);
}

// 2 x `rows` rows with distinct identifiers in descending order, the worst
// case for the sort.
inline std::string LargeExtendedTables(std::size_t rows)
{
    CobIdRows table;
    for (std::size_t i = 0; i < rows; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%zX", 0x100000 + (rows - i) * 7);
        table.push_back({id, id});
    }
    return CobIdXml(table, table);
}

} // namespace c2c::testing
