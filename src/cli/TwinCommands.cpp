// twin: the device's forwarding as rules of the Linux kernel's CAN gateway
// between two CAN interfaces, as a cangw script, a systemd unit, applied
// to the running kernel, and checked against what the kernel holds.

#include "cli/CommandLine.h"

#include "documents/CobIdTables.h"
#include "image/Forwarding.h"
#include "operations/ForwardingSource.h"
#include "operations/TwinRules.h"
#include "platform/CanGateway.h"
#include "platform/CountText.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

namespace c2c::cli {

namespace {

struct TwinOptions {
    std::string source;
    std::vector<std::string> interfaces; // can0=IFACE, can1=IFACE
    std::string script;
    std::string unit;
    bool apply = false;
    bool check = false;
    bool quiet = false;
};

// The port a name stands for ("can0", "can1"), or -1.
int PortNamed(const std::string& name)
{
    const auto port = PortOfInterfaceName(name);
    return port ? static_cast<int>(PortIndex(*port)) : -1;
}

// can0=IFACE or can1=IFACE.
const CLI::Validator& PortInterface()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos || PortNamed(value.substr(0, equals)) < 0)
                return "takes can0=IFACE or can1=IFACE, not " + QuotedValue(value);
            const std::string problem = TwinInterfaceProblem(value.substr(equals + 1));
            return problem.empty() ? problem : QuotedValue(value.substr(equals + 1)) + ": " + problem;
        },
        "");
    return validator;
}

const CLI::Validator& ServiceFileName()
{
    static const CLI::Validator validator(
        [](std::string& value) {
            const std::string name = FileNameOf(value);
            return name.size() > 8 && name.ends_with(".service") ? std::string()
                                                                 : "a systemd service's file name ends in .service";
        },
        "");
    return validator;
}

std::string CountText(const TwinRules& twin)
{
    std::string text = Plural(twin.rules.size(), "CAN gateway rule", "CAN gateway rules") + " between " +
                       twin.interfaces[0] + " (CAN0) and " + twin.interfaces[1] + " (CAN1):";
    for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
        const TwinDirectionCount& count = twin.counts[static_cast<std::size_t>(direction)];
        text += std::string(direction == kCan0ToCan1 ? " " : "; ") +
                kCobIdTableNames[static_cast<std::size_t>(direction)] + " " +
                Plural(count.listed, "listed identifier", "listed identifiers") + " and " +
                Plural(count.cover, "block", "blocks") + " of unlisted ones";
    }
    return text;
}

std::string Counters(const CanGatewayJob& job)
{
    std::string text = std::to_string(job.handled) + " handled";
    if (job.dropped)
        text += ", " + std::to_string(job.dropped) + " dropped";
    if (job.deleted)
        text += ", " + std::to_string(job.deleted) + " deleted";
    return text;
}

int PrintCheck(const TwinRules& twin, const TwinCheck& check, std::ostream& out)
{
    std::size_t idle = 0;
    for (const TwinCheck::Held& held : check.held) {
        if (held.job.handled == 0 && held.job.dropped == 0 && held.job.deleted == 0) {
            ++idle;
            continue;
        }
        out << CangwCommand(held.job.rule) << "  # " << held.twin->meaning << ": " << Counters(held.job) << "\n";
    }
    if (idle > 0)
        out << Plural(idle, "rule", "rules") << " of the twin handled no frame\n";
    for (CanPort from : kCanPorts) {
        const auto d = static_cast<std::size_t>(DirectionFrom(from));
        std::size_t rules = 0;
        for (const TwinCheck::Held& held : check.held)
            rules += held.twin->fromPort == from;
        out << kCobIdTableNames[d] << " (" << twin.interfaces[PortIndex(from)] << " -> "
            << twin.interfaces[PortIndex(OtherPort(from))] << "): " << Plural(rules, "rule", "rules")
            << "; frames handled " << check.handled[d] << ", dropped " << check.dropped[d] << ", deleted "
            << check.deleted[d] << "\n";
    }
    if (check.Same()) {
        out << "The kernel holds the twin's " << Plural(twin.rules.size(), "rule", "rules") << " between "
            << twin.interfaces[0] << " and " << twin.interfaces[1] << ", and no other.\n";
        return kExitSuccess;
    }
    for (const TwinRule* rule : check.missing)
        std::cerr << "Missing: " << CangwCommand(rule->rule) << "  # " << rule->meaning << "\n";
    for (const CanGatewayJob& job : check.foreign)
        std::cerr << "Not the twin's: " << CangwCommand(job.rule) << (job.foreign ? " (and more)" : "") << ": "
                  << Counters(job) << "\n";
    std::cerr << "The kernel's rules between " << twin.interfaces[0] << " and " << twin.interfaces[1]
              << " are not the twin's: " << check.missing.size() << " missing, " << check.foreign.size()
              << " not the twin's\n";
    return kExitFailed;
}

int RunTwin(const TwinOptions& options)
{
    std::array<std::string, 2> interfaces;
    for (const std::string& value : options.interfaces) {
        const std::size_t equals = value.find('=');
        std::string& slot = interfaces[static_cast<std::size_t>(PortNamed(value.substr(0, equals)))];
        if (!slot.empty()) {
            std::cerr << "--in: " << value.substr(0, equals) << " is given twice\n";
            return kExitUsage;
        }
        slot = value.substr(equals + 1);
    }
    if (interfaces[0].empty() || interfaces[1].empty()) {
        std::cerr << "--in: give the interface of each port, --in can0=IFACE --in can1=IFACE\n";
        return kExitUsage;
    }
    if (interfaces[0] == interfaces[1]) {
        std::cerr << "--in: CAN0 and CAN1 cannot both be " << QuotedValue(interfaces[0]) << "\n";
        return kExitUsage;
    }

    const DecodedImage image = LoadForwardingImage(options.source);
    for (const std::string& warning : image.warnings)
        std::cerr << "Warning: " << warning << "\n";
    const TwinRules twin = MakeTwinRules(image, interfaces);
    for (const std::string& note : twin.notes)
        std::cerr << "Warning: ambiguous, the twin takes the first entry: " << note << "\n";

    const bool toStandardOutput = options.script.empty() && !options.apply && !options.check;
    if (toStandardOutput) {
        std::cout << TwinScript(twin, options.source) << std::flush;
        if (!std::cout)
            throw Error("Cannot write the script to standard output");
        if (!options.quiet)
            std::cerr << CountText(twin) << "\n";
        return kExitSuccess;
    }
    if (!options.script.empty()) {
        // Both made before either is written: a unit that cannot be made
        // leaves no script behind either.
        const std::string unit =
            options.unit.empty()
                ? std::string()
                : TwinSystemdUnit(twin, std::filesystem::absolute(options.script).lexically_normal().string());
        WriteFileAtomically(options.script, TwinScript(twin, options.source));
        std::error_code error;
        std::filesystem::permissions(options.script,
                                     std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                         std::filesystem::perms::others_exec,
                                     std::filesystem::perm_options::add, error);
        if (error)
            throw Error("Cannot make \"" + options.script + "\" executable. " + error.message());
        if (!options.quiet)
            std::cout << "Wrote " << options.script << ": " << CountText(twin) << "\n";
        if (!options.unit.empty()) {
            WriteFileAtomically(options.unit, unit);
            if (!options.quiet)
                std::cout << "Wrote " << options.unit << ": applies " << options.script << " when " << interfaces[0]
                          << " and " << interfaces[1] << " are there\n";
        }
    }
    if (options.apply) {
        const auto started = std::chrono::steady_clock::now();
        ReplaceCanGatewayRules(interfaces[0], interfaces[1], twin.GatewayRules());
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        if (!options.quiet)
            std::cout << "Applied " << CountText(twin) << ", in " << elapsed.count() << " ms\n";
    }
    if (options.check)
        return PrintCheck(twin, CheckTwinRules(twin, ReadCanGatewayRules()), std::cout);
    return kExitSuccess;
}

} // namespace

void AddTwinCommand(CLI::App& app, Commands& commands)
{
    auto options = std::make_shared<TwinOptions>();
    CLI::App* twin = app.add_subcommand("twin", "The device's forwarding as rules of the Linux kernel's CAN gateway");
    twin->add_option("SOURCE", options->source,
                     "A firmware (S-record file), a bin folder, a bank1.bin, or a project folder")
        ->required()
        ->check(NonEmpty());
    twin->add_option("--in", options->interfaces, "The CAN interface of a port: --in can0=IFACE --in can1=IFACE")
        ->option_text("can0|can1=IFACE ...")
        ->required()
        ->allow_extra_args(false)
        ->check(PortInterface());
    CLI::Option* script = twin->add_option("--script", options->script, "Write the rules as a shell script of cangw commands")
                              ->option_text("FILE")
                              ->check(NonEmpty())
                              ->check(NoProjectFileName());
    twin->add_option("--systemd", options->unit, "Write a systemd service that runs the script when the interfaces are there")
        ->option_text("UNIT.service")
        ->check(NonEmpty())
        ->check(ServiceFileName())
        ->check(NoProjectFileName())
        ->needs(script);
    twin->add_flag("--apply", options->apply, "Replace the kernel's rules between the two interfaces with these (Linux, root)")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    twin->add_flag("--check", options->check, "Read the kernel's rules back with their counters; fail unless they are these")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddQuietFlag(*twin, options->quiet, "Print nothing on success but what --check reads")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    twin->footer(
        "Without --script, --apply or --check the script goes to standard output. Rules: a listed identifier\n"
        "that passes gets one rule, data and remote frames, both formats where the port takes them; the\n"
        "unlisted identifiers that pass unchanged are covered by identifier/mask blocks that never overlap\n"
        "(the kernel fires every rule that matches); nothing matches a frame the device blocks or does not\n"
        "receive. --apply talks to the kernel directly (netlink, the can-gw module loaded) and removes only\n"
        "the rules between the two interfaces; the script's cangw -F removes every rule of the machine.");
    commands.push_back({twin, [options] { return Reporting([&] { return RunTwin(*options); }); }});
}

} // namespace c2c::cli
