// cobid add: CANopen lines joined by rule come out of the built banks as
// exactly the expected translations; refusals and wrong command lines
// change nothing.

#include "cli/CliRun.h"
#include "firmware/SRecordTestSupport.h"
#include "support/ProjectDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace c2c {
namespace {

using namespace c2c::testing;
using ::testing::HasSubstr;

const std::string kData = C2C_TEST_DATA "/canopen/";


class CobIdAddCommand : public ::testing::Test {
protected:
    CliResult Run(const std::string& arguments) { return RunCliOk(arguments); }

    TempDir dir;
    const std::string project = dir / "Lines";
    const std::string p = Quote(project);
};

TEST_F(CobIdAddCommand, JoinedLinesBuildExactlyTheExpectedTranslations)
{
    Run("new " + p);
    Run("comm " + p + " --format0 2.0A --format1 2.0A --positive on");
    Run("cobid add " + p + " network nmt,sync --from can1");
    EXPECT_EQ(Run("cobid add " + p + " node 5 --on can0 --as 0x25").out.substr(0, 71),
              "CAN0 to CAN1  N\u00B0 0   0x085 -> 0x0A5            EMCY node 5 as node 37\n");
    Run("cobid add " + p + " node 3 --on can1 --services tpdo1,sdo,heartbeat");
    Run("cobid add " + p + " node --dcf " + Quote(kData + "valve.dcf") + " --on can0");
    Run("cobid add " + p + " id 0x7E5 --direction can1-to-can0 --to 0x7E6");
    Run("cobid add " + p + " range 0x100-0x102 --direction can0-to-can1 --to 0x300");
    // The valve takes node 1's TPDO1 from CAN1, and nothing else of node 1 passes.
    const CliResult check = RunCli("check " + p);
    EXPECT_EQ(check.status, 0) << "a warning, not a problem";
    EXPECT_EQ(check.out, "Warning: Table CAN1 to CAN0: the TPDOs of node 1 pass (0x181) but its heartbeat 0x701 and its SDO "
                         "response 0x581 have no row, so the device blocks them (Positive Implementation is set)\n"
                         "No problem found; 1 warning.\n");
    Run("build " + p);

    const Translations can0ToCan1 = {{0x085, 0x0A5}, {0x08B, 0x08B}, {0x100, 0x300}, {0x101, 0x301},
                                     {0x102, 0x302}, {0x185, 0x1A5}, {0x285, 0x2A5}, {0x310, 0x310},
                                     {0x385, 0x3A5}, {0x485, 0x4A5}, {0x585, 0x5A5}, {0x58B, 0x58B},
                                     {0x603, 0x603}, {0x705, 0x725}, {0x70B, 0x70B}};
    const Translations can1ToCan0 = {{0x000, 0x000}, {0x080, 0x080}, {0x181, 0x181}, {0x183, 0x183},
                                     {0x225, 0x205}, {0x30B, 0x30B}, {0x325, 0x305}, {0x425, 0x405},
                                     {0x525, 0x505}, {0x583, 0x583}, {0x60B, 0x60B}, {0x625, 0x605}, {0x703, 0x703},
                                     {0x7E5, 0x7E6}};
    const std::string json = Run("inspect --json " + Quote(project + "/bin")).out;
    EXPECT_THAT(json, HasSubstr("\"can0_to_can1\": " + TranslationsJson(can0ToCan1) + ",\n \"can1_to_can0\": " +
                                TranslationsJson(can1ToCan0) + ",\n \"warnings\": []}\n"));
}

TEST_F(CobIdAddCommand, RefusalsAndWrongCommandLinesChangeNothing)
{
    WriteProject(project, PargenXml(kStandardPargen), CobIdXml({{"0x185", ""}}, {}));
    WriteText(dir / "broken.dcf", "[DeviceComissioning]\nNodeID=5\n[1800sub1]\nDefaultValue=0x18G\n");
    const std::string document = ReadText(project + "/CanCanCobID.xml");
    const struct {
        std::string arguments;
        int status;
        std::string error;
    } cases[] = {
        {"node 5 --on can0", 1,
         "Table CAN0 to CAN1 has a row for 0x185 already: N\u00B0 0. Nothing was added.\n"},
        {"id 0x800 --direction can0-to-can1", 1, "cannot arrive on CAN0, which runs CAN 2.0A"},
        {"node --dcf " + Quote(dir / "broken.dcf") + " --on can1", 1,
         "broken.dcf:4: [1800sub1] DefaultValue '0x18G' is neither a number"},
        {"range 0-0x7FF --direction can0-to-can1 --dry-run", 1, "has a row for 0x185 already: N\u00B0 0. Nothing"},
        {"node --on can0", 2, "N is required unless --dcf"},
        {"node 128 --on can0", 2, "a node ID from 1 to 127"},
        {"node 5 --on can0 --as 0", 2, "a node ID from 1 to 127"},
        {"node 5 --on can2", 2, "can2"},
        {"node 5 --on can0 --services pdo,sdo,nmt", 2, "a comma-separated list of emcy"},
        {"node 5 --on can0 --services sdo --dcf x.dcf", 2, "excludes"},
        {"range 0x10-0x5 --direction can0-to-can1", 2, "FIRST not above LAST"},
        {"range 0x10 --direction can0-to-can1", 2, "FIRST-LAST"},
        {"id 7FF --direction can0-to-can1", 2, "an identifier from 0 to 0x1FFFFFFF"},
        {"id 0x10 --direction both", 2, "both"},
        {"id 0x10", 2, "--direction"},
        {"network nmt,heartbeat --from can0", 2, "a comma-separated list of nmt, sync, time"},
        {"network nmt", 2, "--from"},
        {"", 2, "A subcommand is required"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli("cobid add " + p + " " + c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.err;
        EXPECT_THAT(result.err, HasSubstr(c.error)) << c.arguments;
        EXPECT_EQ(ReadText(project + "/CanCanCobID.xml"), document) << c.arguments;
    }

    // Positive Implementation clear: blocking rows only.
    WriteProject(project, PargenXml({"5", "5", "0", "0", "0", "0", "0"}), CobIdXml({}, {}));
    const CliResult translated = RunCli("cobid add " + p + " node 5 --on can0 --as 6");
    EXPECT_EQ(translated.status, 1);
    EXPECT_THAT(translated.err, HasSubstr("Positive Implementation is clear: the device then blocks the listed "
                                          "identifiers and translates none"));
    const CliResult dryRun = RunCli("cobid add " + p + " node 5 --on can0 --services heartbeat --dry-run");
    EXPECT_EQ(dryRun.status, 0) << dryRun.err;
    EXPECT_THAT(dryRun.out, HasSubstr("0x705 -> unchanged"));
    EXPECT_THAT(dryRun.out, HasSubstr("Note: Positive Implementation is clear: the device blocks the identifiers "
                                      "these rows list.\nDry run: 1 row would be added; nothing was written.\n"));
    EXPECT_EQ(ReadText(project + "/CanCanCobID.xml"), CobIdXml({}, {}));
}

} // namespace
} // namespace c2c
