#include "operations/FirmwareInspection.h"

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "documents/IntegerText.h"
#include "firmware/FirmwareWindows.h"
#include "operations/Operations.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HexDigits.h"
#include "project/ProjectLayout.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace c2c {

namespace {

using BankBytes = BankImage::BankBytes;

// A bank file: its first 16384 bytes, 0xFF past a short file's end.
BankBytes ReadBankFile(const std::string& path, std::vector<std::string>& warnings)
{
    if (!PathExists(path))
        throw Error("File \"" + path + "\" not found");
    // A FIFO or a device is refused here, never waited on.
    FileHandle file = OpenRegularFile(path);
    BankBytes bank;
    bank.fill(0xFF);
    const std::size_t got = std::fread(bank.data(), 1, bank.size(), file.get());
    if (std::ferror(file.get()))
        throw Error("Cannot read file \"" + path + "\"");
    if (got < bank.size())
        warnings.push_back("\"" + path + "\" holds " + std::to_string(got) +
                           " bytes, not a whole bank of 16384: the rest is taken as 0xFF");
    else if (std::fgetc(file.get()) != EOF)
        warnings.push_back("\"" + path + "\" is longer than a bank of 16384 bytes: the rest is not read");
    return bank;
}

std::uint32_t Number(const std::string& text)
{
    return static_cast<std::uint32_t>(ParseInteger(text));
}

// A translation of the project with the N° of the row it comes from.
struct RowTranslation {
    Translation translation;
    std::size_t row;
};

// The project's rows as the builder turns them into entries. Standard
// layout: by identifier, the later row of the same identifier winning.
// Extended layout: sorted by original identifier (stable), at most 2000.
std::vector<RowTranslation> ProjectEntries(const CobIdTable& table, bool extended)
{
    std::vector<RowTranslation> entries;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const CobIdRow& row = table[r];
        if (row.Orig_CobID.empty())
            continue;
        const std::uint32_t original = Number(row.Orig_CobID);
        const std::uint32_t modified = row.Mod_CobID.empty() ? original : Number(row.Mod_CobID);
        entries.push_back({{original, modified}, r});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const RowTranslation& a, const RowTranslation& b) {
        return a.translation.original < b.translation.original;
    });
    if (extended) {
        entries.resize(std::min(entries.size(), kMaxListEntries));
    } else {
        // Of equal identifiers the last one in table order (the last of each
        // run after the stable sort) is the one in the image.
        std::vector<RowTranslation> last;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (i + 1 == entries.size() || entries[i + 1].translation.original != entries[i].translation.original)
                last.push_back(entries[i]);
        entries = std::move(last);
    }
    return entries;
}

std::string Arrow(const Translation& t)
{
    return IdentifierText(t.original) + " -> " + IdentifierText(t.modified);
}

std::optional<std::string> SettingsDifference(const DecodedImage& project, const DecodedImage& firmware)
{
    if (project.extended != firmware.extended)
        return "The project builds " + LayoutText(project.extended) + ", the firmware holds " +
               LayoutText(firmware.extended);
    for (int port : {0, 1}) {
        const DecodedPort& p = project.Port(port);
        const DecodedPort& f = firmware.Port(port);
        const std::string name = PortCaption(PortAt(port));
        if (p.format != f.format)
            return name + " frame format: the project has " + FrameFormatByteText(p.format) + ", the firmware " +
                   FrameFormatByteText(f.format);
        if (p.bitRateCode != f.bitRateCode || p.bitRateFromDipSwitch != f.bitRateFromDipSwitch)
            return name + " bit rate: the project has " + BitRateText(p) + ", the firmware " + BitRateText(f);
    }
    if (project.positive != firmware.positive)
        return std::string("Positive Implementation: the project has it ") + (project.IsPositive() ? "set" : "clear") +
               ", the firmware " + (firmware.IsPositive() ? "set" : "clear");
    return std::nullopt;
}

std::string RowText(const std::string& table, const RowTranslation& entry)
{
    return table + ", row N\u00B0 " + std::to_string(entry.row) + " (" + Arrow(entry.translation) + ")";
}

std::optional<std::string> StandardDifference(const std::string& table, const std::vector<RowTranslation>& project,
                                              const std::vector<Translation>& firmware)
{
    std::map<std::uint32_t, const RowTranslation*> rows;
    for (const RowTranslation& entry : project)
        rows[entry.translation.original] = &entry;
    std::map<std::uint32_t, std::uint32_t> stored;
    for (const Translation& t : firmware)
        stored[t.original] = t.modified;
    for (std::uint32_t id = 0; id <= kMaxStandardId; ++id) {
        auto p = rows.find(id);
        auto f = stored.find(id);
        const bool inProject = p != rows.end();
        const bool inFirmware = f != stored.end();
        if (!inProject && !inFirmware)
            continue;
        if (inProject && inFirmware && p->second->translation.modified == f->second)
            continue;
        if (!inFirmware)
            return RowText(table, *p->second) + ": the firmware has no entry for " + IdentifierText(id);
        if (!inProject)
            return table + ", identifier " + IdentifierText(id) + ": the firmware translates it to " +
                   IdentifierText(f->second) + ", but no row of the project lists it";
        return RowText(table, *p->second) + ": the firmware translates " + IdentifierText(id) + " to " +
               IdentifierText(f->second);
    }
    return std::nullopt;
}

std::optional<std::string> ExtendedDifference(const std::string& table, const std::vector<RowTranslation>& project,
                                              const std::vector<Translation>& firmware)
{
    for (std::size_t i = 0; i < std::max(project.size(), firmware.size()); ++i) {
        if (i >= firmware.size())
            return RowText(table, project[i]) + ": missing from the firmware, whose list ends after " +
                   std::to_string(firmware.size()) + " entries";
        if (i >= project.size())
            return table + ": entry " + std::to_string(i) + " of the firmware's list (" +
                   Arrow(firmware[i]) + ") comes from no row of the project";
        if (project[i].translation != firmware[i])
            return RowText(table, project[i]) + ": entry " + std::to_string(i) + " of the firmware's list holds " +
                   Arrow(firmware[i]);
    }
    return std::nullopt;
}

// Banks that hold only 0xFF: an erased firmware, or windows without records.
bool Erased(const std::array<BankBytes, 2>& banks)
{
    return std::all_of(banks.begin(), banks.end(), [](const BankBytes& bank) {
        return std::all_of(bank.begin(), bank.end(), [](std::uint8_t byte) { return byte == 0xFF; });
    });
}

std::string ByteText(std::uint8_t value)
{
    std::string text = "0x00";
    PutHexByte(text.data() + 2, value);
    return text;
}

} // namespace

ConfigurationBanks ReadConfigurationBanks(const std::string& path)
{
    ConfigurationBanks read;
    std::vector<std::string>& warnings = read.warnings;
    const bool folder = DirectoryExists(path);
    read.bankFiles = folder || FileNameOf(path) == BankFileName(1);
    if (read.bankFiles) {
        const std::string bin = folder ? path : FolderOf(path);
        for (int bank : {1, 2})
            read.banks[static_cast<std::size_t>(bank - 1)] = ReadBankFile(JoinPath(bin, BankFileName(bank)), warnings);
    } else {
        FirmwareWindows windows = ReadFirmwareWindows(path);
        for (const std::string& problem : windows.problems)
            warnings.push_back("Left out, " + problem);
        if (windows.badLines > windows.problems.size())
            warnings.push_back("Left out, " + std::to_string(windows.badLines - windows.problems.size()) +
                               " more lines that are not well-formed records");
        for (int bank : {1, 2})
            if (!windows.WindowComplete(bank))
                warnings.push_back("The window of bank " + std::to_string(bank) + " is not complete: " +
                                   std::to_string(windows.uncovered[static_cast<std::size_t>(bank - 1)]) +
                                   " of its 16384 bytes are in no record and are taken as 0xFF");
        read.banks = windows.banks;
    }
    read.erased = Erased(read.banks);
    return read;
}

DecodedImage InspectConfiguration(const std::string& path)
{
    ConfigurationBanks read = ReadConfigurationBanks(path);
    // Decoded, such banks would read as two lists of 2000 entries
    // 0xFFFFFFFF -> 0xFFFFFFFF with settings no build writes.
    if (read.erased) {
        DecodedImage nothing;
        nothing.erased = true;
        nothing.warnings = std::move(read.warnings);
        return nothing;
    }
    DecodedImage image = DecodeBankImage(read.banks[0], read.banks[1]);
    image.warnings.insert(image.warnings.begin(), read.warnings.begin(), read.warnings.end());
    return image;
}

FirmwareVerdict VerifyFirmware(const ProjectLayout& project, const std::string& firmwarePath)
{
    const ProjectImage build = BuildProjectImage(project);
    const CobIdTables& tables = build.tables;
    const BankImage& built = *build.image;
    const FirmwareWindows windows = ReadFirmwareWindows(firmwarePath);
    // Said as inspect says it: decoded, erased banks would read as a layout.
    if (Erased(windows.banks))
        return {false, "\"" + firmwarePath + "\": " + kNoConfigurationText};

    for (int bank : {1, 2})
        if (!windows.WindowComplete(bank))
            return {false, "The window of bank " + std::to_string(bank) + " in \"" + firmwarePath +
                               "\" is not complete: " +
                               std::to_string(windows.uncovered[static_cast<std::size_t>(bank - 1)]) +
                               " of its 16384 bytes are in no record"};
    if (built.Bank(1) == windows.banks[0] && built.Bank(2) == windows.banks[1])
        return {true, ""};

    const DecodedImage expected = DecodeBankImage(built.Bank(1), built.Bank(2));
    const DecodedImage found = DecodeBankImage(windows.banks[0], windows.banks[1]);
    if (auto difference = SettingsDifference(expected, found))
        return {false, *difference};
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const std::string table = CobIdTableTitle(direction);
        const auto entries = ProjectEntries(tables.Table(direction), expected.extended);
        const auto& stored = found.translations[static_cast<std::size_t>(direction)];
        auto difference = expected.extended ? ExtendedDifference(table, entries, stored)
                                            : StandardDifference(table, entries, stored);
        if (difference)
            return {false, *difference};
    }
    for (int bank : {1, 2}) {
        const BankBytes& mine = built.Bank(bank);
        const BankBytes& theirs = windows.banks[static_cast<std::size_t>(bank - 1)];
        auto at = std::mismatch(mine.begin(), mine.end(), theirs.begin());
        if (at.first == mine.end())
            continue;
        const auto offset = static_cast<std::size_t>(at.first - mine.begin());
        return {false, "Bank " + std::to_string(bank) + " byte " + std::to_string(offset) + " (" +
                           DescribeBankByte(bank, offset, expected.extended) + "): the project builds " +
                           ByteText(*at.first) + ", the firmware holds " + ByteText(*at.second)};
    }
    return {false, "The bank windows differ from what the project builds"}; // not reached
}

} // namespace c2c
