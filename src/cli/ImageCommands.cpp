// inspect and verify: what a firmware or a set of bank files configures,
// and whether a firmware holds what a project builds now.

#include "cli/CommandLine.h"

#include "documents/CobIdTables.h"
#include "operations/FirmwareInspection.h"

#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

std::string FormatName(const DecodedPort& port)
{
    return port.IsFormatB() ? "2.0B" : "2.0A";
}

// ---------------------------------------------------------------- text

std::string PortText(const DecodedPort& port)
{
    const auto kbps = port.BitRateKbps();
    const std::string rate =
        kbps ? std::to_string(*kbps) + " kbit/s" : "no bit rate (code " + std::to_string(port.bitRateCode) + ")";
    return (port.bitRateFromDipSwitch ? "bit rate from the dip switch (" + rate + " stored)" : rate) + ", CAN " +
           FormatName(port);
}

constexpr const char* kNoConfiguration = kNoConfigurationText;

void PrintWarnings(const DecodedImage& image, std::ostream& out)
{
    if (!image.warnings.empty()) {
        out << "Warnings:\n";
        for (const std::string& warning : image.warnings)
            out << "  " << warning << "\n";
    }
}

void PrintText(const DecodedImage& image, std::ostream& out)
{
    if (image.erased) {
        out << kNoConfiguration << "\n";
        PrintWarnings(image, out);
        return;
    }
    out << "Layout: " << (image.extended ? "extended (a port runs CAN 2.0B)" : "standard (both ports run CAN 2.0A)")
        << "\n"
        << PortCaption(CanPort::Can0) << ": " << PortText(image.can0) << "\n"
        << PortCaption(CanPort::Can1) << ": " << PortText(image.can1) << "\n"
        << "Positive Implementation: " << (image.IsPositive() ? "set" : "clear") << "\n";
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const auto& list = image.translations[static_cast<std::size_t>(direction)];
        out << kCobIdTableNames[static_cast<std::size_t>(direction)] << ": " << list.size()
            << (list.size() == 1 ? " translation" : " translations") << "\n";
        for (const Translation& t : list)
            out << "  " << IdentifierText(t.original) << " -> " << IdentifierText(t.modified) << "\n";
    }
    PrintWarnings(image, out);
}

// ---------------------------------------------------------------- JSON

std::string PortJson(const DecodedPort& port)
{
    const auto kbps = port.BitRateKbps();
    return std::string("{\"bitrate_kbps\": ") + (kbps ? std::to_string(*kbps) : "null") +
           ", \"bitrate_from_dip_switch\": " + (port.bitRateFromDipSwitch ? "true" : "false") +
           ", \"format\": " + JsonString(FormatName(port)) + "}";
}

std::string TranslationsJson(const std::vector<Translation>& list)
{
    std::string out = "[";
    for (std::size_t i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + std::string("{\"original\": ") + std::to_string(list[i].original) +
               ", \"modified\": " + std::to_string(list[i].modified) + "}";
    return out + "]";
}

// An erased image has no layout, ports or flag: those are null, the lists
// empty, and "configured" false with the reason in "note".
void PrintJson(const DecodedImage& image, std::ostream& out)
{
    const bool erased = image.erased;
    out << "{\"configured\": " << (erased ? "false" : "true") << ",\n";
    if (erased)
        out << " \"note\": " << JsonString(kNoConfiguration) << ",\n";
    out << " \"layout\": " << (erased ? "null" : JsonString(image.extended ? "extended" : "standard")) << ",\n"
        << " \"can0\": " << (erased ? "null" : PortJson(image.can0)) << ",\n"
        << " \"can1\": " << (erased ? "null" : PortJson(image.can1)) << ",\n"
        << " \"positive\": " << (erased ? "null" : image.IsPositive() ? "true" : "false") << ",\n"
        << " \"can0_to_can1\": " << TranslationsJson(image.translations[kCan0ToCan1]) << ",\n"
        << " \"can1_to_can0\": " << TranslationsJson(image.translations[kCan1ToCan0]) << ",\n"
        << " \"warnings\": [";
    for (std::size_t i = 0; i < image.warnings.size(); ++i)
        out << (i ? ", " : "") << JsonString(image.warnings[i]);
    out << "]}\n";
}

// ---------------------------------------------------------------- commands

struct InspectOptions {
    std::string file;
    bool json = false;
};

struct VerifyOptions {
    std::string projectDir;
    std::string firmware;
};

int RunInspect(const InspectOptions& options)
{
    const DecodedImage image = InspectConfiguration(options.file);
    if (options.json)
        PrintJson(image, std::cout);
    else
        PrintText(image, std::cout);
    return kExitSuccess;
}

int RunVerify(const VerifyOptions& options)
{
    const FirmwareVerdict verdict = VerifyFirmware(ExistingProject(options.projectDir), options.firmware);
    if (!verdict.matches) {
        std::cerr << verdict.difference << "\n";
        return kExitFailed;
    }
    std::cout << "The firmware holds what the project builds now.\n";
    return kExitSuccess;
}

} // namespace

void AddImageCommands(CLI::App& app, Commands& commands)
{
    auto inspected = std::make_shared<InspectOptions>();
    CLI::App* inspect = app.add_subcommand("inspect", "Show the configuration in a firmware or in bank files");
    inspect->add_option("FILE", inspected->file, "A composed firmware (S-record file), a bin folder, or a bank1.bin")
        ->required()
        ->check(NonEmpty());
    inspect->add_flag("--json", inspected->json, "Print JSON instead of text")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    inspect->footer("Reads banks 1 and 2 (from the data records in their windows, or from bank1.bin and the\n"
                    "bank2.bin beside it) and prints each port's bit rate and frame format, Positive\n"
                    "Implementation, the layout and both translation lists, with warnings where the bytes\n"
                    "are not what a build writes. Banks that hold only 0xFF are said to hold no configuration\n"
                    "(in JSON: \"configured\": false).");
    commands.push_back({inspect, [inspected] { return Reporting([&] { return RunInspect(*inspected); }); }});

    auto verified = std::make_shared<VerifyOptions>();
    CLI::App* verify = app.add_subcommand("verify", "Check that a firmware holds what a project builds now");
    verify->add_option("PROJECT_DIR", verified->projectDir, "The project's folder")->required()->check(NonEmpty());
    verify->add_option("--firmware", verified->firmware, "The firmware to check (S-record file)")
        ->option_text("FILE REQUIRED")
        ->required()
        ->check(NonEmpty());
    verify->footer("Builds the project's image in memory (nothing is written) and compares it with the windows\n"
                   "of banks 1 and 2 in FILE. Exit status 1 names the first difference: a setting, or a table\n"
                   "and its row.");
    commands.push_back({verify, [verified] { return Reporting([&] { return RunVerify(*verified); }); }});
}

} // namespace c2c::cli
