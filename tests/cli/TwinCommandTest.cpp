// twin through the real executable: the script and the systemd unit it
// writes, what it refuses, and its errors where no gateway can be reached.

#include "cli/CliRun.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

class TwinCommand : public ::testing::Test {
protected:
    TwinCommand()
    {
        WriteProject(project, PargenXml({"5", "5", "0", "1", "0", "0", "0"}),
                     CobIdXml({{"0x181", "0x1C1"}, {"0x201", ""}}, {{"0x1C1", "0x181"}}));
    }
    TempDir dir;
    std::string project = dir / "Line7";
    std::string in = " --in can0=can0 --in can1=can-b";
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(TwinCommand, ScriptFlushesThenAddsEveryRuleEchoed)
{
    const CliResult result = RunCliOk("twin '" + project + "'" + in);
    EXPECT_EQ(result.err, "3 CAN gateway rules between can0 (CAN0) and can-b (CAN1): CAN0 to CAN1 2 listed identifiers and "
                          "0 blocks of unlisted ones; CAN1 to CAN0 1 listed identifier and 0 blocks of unlisted ones\n");
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "#!/bin/sh");
    std::vector<std::string> commands;
    for (const std::string& line : lines)
        if (line.rfind("cangw", 0) == 0 || line.rfind("modprobe", 0) == 0)
            commands.push_back(line.substr(0, line.find("  #")));
    const std::vector<std::string> expected = {
        "modprobe can-gw",
        "cangw -F",
        "cangw -A -s can0 -d can-b -e -f 181:800007FF -m AND:I:C0000000.0.0000000000000000 -m OR:I:000001C1.0.0000000000000000",
        "cangw -A -s can0 -d can-b -e -f 201:800007FF",
        "cangw -A -s can-b -d can0 -e -f 1C1:800007FF -m AND:I:C0000000.0.0000000000000000 -m OR:I:00000181.0.0000000000000000",
    };
    EXPECT_EQ(commands, expected);
}

TEST_F(TwinCommand, ScriptAndUnitFiles)
{
    const std::string script = dir / "twin.sh";
    const std::string unit = dir / "repeater-twin.service";
    const CliResult result = RunCliOk("twin '" + project + "'" + in + " --script '" + script + "' --systemd '" + unit + "'");
    EXPECT_THAT(result.out, HasSubstr("Wrote " + script + ": 3 CAN gateway rules"));
    EXPECT_THAT(result.out, HasSubstr("Wrote " + unit + ": applies " + script + " when can0 and can-b are there"));
    EXPECT_EQ(ReadText(script), RunCliOk("twin '" + project + "'" + in).out);
    EXPECT_NE(std::filesystem::status(script).permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);
    const std::string text = ReadText(unit);
    const std::string devices = "sys-subsystem-net-devices-can0.device sys-subsystem-net-devices-can\\x2db.device";
    EXPECT_THAT(text, HasSubstr("\nBindsTo=" + devices + "\n"));
    EXPECT_THAT(text, HasSubstr("\nAfter=" + devices + "\n"));
    EXPECT_THAT(text, HasSubstr("\nWantedBy=" + devices + "\n"));
    EXPECT_THAT(text, HasSubstr("\nType=oneshot\nRemainAfterExit=yes\nExecStart=/bin/sh \"" + script + "\"\n"));
    EXPECT_EQ(RunCli("twin '" + project + "'" + in + " --quiet --script '" + script + "'").out, "");
}

TEST_F(TwinCommand, RefusesWrongCommandLines)
{
    const struct {
        std::string arguments, message;
    } cases[] = {
        {" --in can0=can0", "give the interface of each port"},
        {" --in can0=a --in can0=b", "can0 is given twice"},
        {" --in can0=a --in can1=a", "CAN0 and CAN1 cannot both be 'a'"},
        {" --in can2=a --in can1=b", "takes can0=IFACE or can1=IFACE"},
        {" --in can0=a --in 'can1=b c'", "holds only letters, digits"},
        {" --in can0=a --in can1=abcdefghijklmnop", "1 to 15 characters"},
        {" --in can0=a --in can1=-x", "does not begin with '-'"},
        {in + " --systemd x.service", "--systemd requires --script"},
        {in + " --script s.sh --systemd x.unit", "ends in .service"},
        {in + " --script pargen.xml", "pargen.xml"},
        {in + " --apply --apply", "--apply"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli("twin '" + project + "'" + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.message)) << c.arguments;
    }
}

#ifdef __linux__
TEST_F(TwinCommand, ApplyNamesAMissingInterface)
{
    const CliResult result = RunCli("twin '" + project + "' --in can0=nosuch0 --in can1=nosuch1 --apply");
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr("There is no network interface \"nosuch0\""));
}
#endif

} // namespace
} // namespace c2c
