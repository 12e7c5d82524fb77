// What replay takes from a trace and from --map: CR line ends, names a trace
// cannot hold, and interface names shown without their control bytes.

#include "cli/CliRun.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

TEST(TraceInput, LinesMappingsAndNames)
{
    TempDir dir;
    const std::string project = dir / "P";
    WriteProject(project, PargenXml(kStandardPargen), CobIdXml({{"0x181", ""}}, {}));
    const struct {
        const char* name;
        std::string log;
        std::string options;
        int status;
        std::string out;   // the trace written
        std::string error; // part of standard error
    } cases[] = {
        {"CrLineEnds", "(1.0) can0 181#11\r(1.1) can0 181#22\r\r", "", 0,
         "(1.0) can1 181#11\n(1.1) can1 181#22\n", "Frames read: 2\n"},
        {"CrLfLineEnds", "(1.0) can0 181#11\r\n", "", 0, "(1.0) can1 181#11\n", "Skipped lines: 0\n"},
        {"OneMapping", "(1.0) vcan0 181#11\n", "--map vcan0=can0", 0, "(1.0) can1 181#11\n", "Frames read: 1\n"},
        {"ListInOneMapping", "(1.0) vcan0 181#11\n", "--map vcan0=can0,vcan1=can1", 2, "",
         "takes IFACE=can0 or IFACE=can1, one interface per --map, not 'vcan0=can0,vcan1=can1'"},
        {"BlankInAName", "", "--map 'a b=can0'", 2, "", "one interface per --map"},
        {"NoName", "", "--map =can0", 2, "", "one interface per --map"},
        {"ControlByteInAName", "", "--map \"$(printf 'a\\033=can0')\"", 2, "", "'a\\x1B=can0'"},
        {"EscapeInTheTrace", "(1.0) \x1B]0;x\x07 181#11\n", "", 0, "",
         "(\\x1B]0;x\\x07, the first at line 1)"},
    };
    for (const auto& c : cases) {
        WriteText(dir / "in.log", c.log);
        const CliResult result = RunCli("replay '" + project + "' '" + (dir / "in.log") + "' " + c.options);
        EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.err;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.name;
        EXPECT_EQ(result.err.find('\x1B'), std::string::npos) << c.name << ": a raw escape reached the terminal";
    }
}

} // namespace
} // namespace c2c
