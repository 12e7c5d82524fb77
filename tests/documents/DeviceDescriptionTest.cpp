// A node's EDS or DCF: the identifiers it gives, the values and formulas as
// such files write them, what is left out and said so, and broken files
// named by file, line and reason.

#include "documents/DeviceDescription.h"

#include "platform/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace c2c {

void PrintTo(const DescribedIdentifier& d, std::ostream* out)
{
    *out << NodeObjectName(d.object, d.number) << " " << std::hex << d.identifier << (d.extendedFrame ? " 29-bit" : "");
}

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Id = DescribedIdentifier;
using namespace std::string_literals;

const std::string kData = C2C_TEST_DATA "/canopen/";

TEST(DeviceDescriptionTest, ReadsAnEdsForTheGivenNode)
{
    const DeviceDescription pump = ReadDeviceDescription(kData + "pump.eds", 5);
    EXPECT_EQ(pump.node, 5);
    EXPECT_TRUE(pump.describesSdoServer);
    EXPECT_THAT(pump.identifiers, ElementsAre(Id{NodeObject::Emcy, 1, 0x085, false},
                                              Id{NodeObject::SdoRequest, 1, 0x605, false},
                                              Id{NodeObject::SdoResponse, 1, 0x585, false},
                                              Id{NodeObject::Rpdo, 1, 0x205, false},
                                              Id{NodeObject::Tpdo, 1, 0x185, false},
                                              Id{NodeObject::Tpdo, 2, 0x285, false}, // bit 30 is no part of it
                                              Id{NodeObject::Tpdo, 4, 0xABC005, true}));
    EXPECT_THAT(pump.notes, ElementsAre("TPDO3 ([1802SUB1]) is not valid (bit 31 of its COB-ID is set): left out."));
    EXPECT_THAT([] { ReadDeviceDescription(kData + "pump.eds", std::nullopt); },
                ::testing::ThrowsMessage<Error>(HasSubstr("pump.eds names no node ID ([DeviceComissioning] NodeID)")));
}

TEST(DeviceDescriptionTest, ReadsADcfWithItsNodeAndConfiguredValues)
{
    const DeviceDescription valve = ReadDeviceDescription(kData + "valve.dcf", std::nullopt);
    EXPECT_EQ(valve.node, 11);
    EXPECT_FALSE(valve.describesSdoServer);
    // ParameterValue wins; an empty one leaves the DefaultValue.
    EXPECT_THAT(valve.identifiers, ElementsAre(Id{NodeObject::Emcy, 1, 0x08B, false},
                                               Id{NodeObject::Rpdo, 1, 0x181, false},
                                               Id{NodeObject::Rpdo, 2, 0x30B, false},
                                               Id{NodeObject::Tpdo, 1, 0x310, false}));
    EXPECT_TRUE(valve.notes.empty());

    const DeviceDescription asGiven = ReadDeviceDescription(kData + "valve.dcf", 12);
    EXPECT_EQ(asGiven.identifiers[2].identifier, 0x30Cu);
    EXPECT_THAT(asGiven.notes, ElementsAre("The file's [DeviceComissioning] NodeID is 11; its identifiers are read "
                                           "for node 12 as given."));
}

// NodeID 0 and 0xFF (LSS "not configured") name no node: the number given
// stands, and the note says what the file holds; without one, the refusal does.
TEST(DeviceDescriptionTest, ANodeIdThatNamesNoNodeTakesTheNumberGiven)
{
    const DeviceDescription given = ReadDeviceDescription(kData + "unconfigured.dcf", 9);
    EXPECT_EQ(given.node, 9);
    EXPECT_THAT(given.identifiers, ElementsAre(Id{NodeObject::Tpdo, 1, 0x189, false}));
    EXPECT_THAT(given.notes, ElementsAre("The file's [DeviceComissioning] says NodeID 0xFF: not configured; its "
                                         "identifiers are read for node 9 as given."));
    EXPECT_THAT([] { ReadDeviceDescription(kData + "unconfigured.dcf", std::nullopt); },
                ::testing::ThrowsMessage<Error>(HasSubstr(
                    "unconfigured.dcf:4: [DeviceComissioning] NodeID 0xFF: not configured: give the node's number")));

    const struct {
        const char* nodeId;
        const char* note;
    } cases[] = {{"255", "NodeID 0xFF: not configured"}, {"0", "NodeID 0: no node ID"}, {"0x00", "NodeID 0: no node ID"}};
    for (const auto& c : cases) {
        const std::string text = std::string("[DeviceComissioning]\nNodeID=") + c.nodeId + "\n";
        EXPECT_THAT(ParseDeviceDescription(text, "x.dcf", 3).notes, ElementsAre(HasSubstr(c.note))) << c.nodeId;
        EXPECT_THAT([&] { ParseDeviceDescription(text, "x.dcf", std::nullopt); },
                    ::testing::ThrowsMessage<Error>(HasSubstr(std::string("x.dcf:2: [DeviceComissioning] ") + c.note)))
            << c.nodeId;
    }
}

// A PDO on an identifier CiA 301 restricts would let that service cross the
// device as the PDO's row: it is left out, named with the reason.
TEST(DeviceDescriptionTest, PdosOnRestrictedIdentifiersAreLeftOut)
{
    const DeviceDescription node = ReadDeviceDescription(kData + "restricted.eds", 5);
    EXPECT_THAT(node.identifiers, ElementsAre(Id{NodeObject::Rpdo, 1, 0x205, false}, Id{NodeObject::Tpdo, 1, 0x185, false},
                                              Id{NodeObject::Tpdo, 9, 0x000, true}));
    EXPECT_THAT(node.notes,
                ElementsAre("RPDO5 ([1404sub1]) has COB-ID 0x601, which CiA 301 restricts (SDO request to node 1): "
                            "left out.",
                            "TPDO7 ([1806sub1]) has COB-ID 0x000, which CiA 301 restricts (NMT): left out.",
                            "TPDO8 ([1807sub1]) has COB-ID 0x6E0, which CiA 301 restricts: left out."));
}

TEST(DeviceDescriptionTest, ValuesAreNumbersOrNodeIdFormulas)
{
    const struct {
        const char* value;
        std::uint32_t identifier; // 0: not a value
    } cases[] = {
        {"0x185", 0x185},           {"0X185", 0x185},         {"389", 0x185},
        {"0605", 0x185},            {"0", 0},                 {"$NODEID+0x180", 0x185},
        {"$nodeid+0x180", 0x185},   {"0x180 + $NodeID", 0x185},
        {"0x20000000+$NODEID", 5},  {"0x185h", 0},            {"09", 0},
        {"$NODE+0x180", 0},         {"0x180+", 0},            {"0x1FFFFFFFF", 0},
        {"0xFFFFFFFF+$NODEID", 0},  {"-5", 0},                {"0x", 0},
        // $NODEID and one number, no more: as CiA 306 writes an object's value.
        {"$NODEID+256+128", 0},     {"0x200+$NODEID+$NODEID", 0}, {"$NODEID+$NODEID", 0},
        {"0x180+5", 0},             {"+$NODEID", 0},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("[1800sub1]\nDefaultValue=") + c.value + "\n";
        if (c.identifier == 0 && std::string(c.value) != "0") {
            EXPECT_THROW(ParseDeviceDescription(text, "x.eds", 5), Error) << c.value;
            continue;
        }
        const DeviceDescription description = ParseDeviceDescription(text, "x.eds", 5);
        if (c.identifier == 0) { // a number, but the COB-ID of NMT: left out
            EXPECT_TRUE(description.identifiers.empty());
            continue;
        }
        ASSERT_EQ(description.identifiers.size(), 1u) << c.value;
        EXPECT_EQ(description.identifiers[0].identifier, c.identifier) << c.value;
    }
}

TEST(DeviceDescriptionTest, BrokenFilesAreNamedByFileLineAndReason)
{
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"[FileInfo]\nFileName=x\n[1800sub1\nDefaultValue=1\n", "x.dcf:3: the section name '[1800sub1' lacks"},
        {"; fine\n\n[1800sub1]\nDefaultValue=0x181\nthis is no entry\n", "x.dcf:5: neither a [section]"},
        {"[1800sub1]\nDefaultValue=$NODEID+0x18G\n",
         "x.dcf:2: [1800sub1] DefaultValue '$NODEID+0x18G' is neither a number nor a $NODEID formula"},
        {"[1400sub1]\nParameterValue=0x201\nDefaultValue=x\nParameterValue=0x202\n",
         "x.dcf:4: [1400sub1] ParameterValue is given a second time (first on line 2)"},
        {"[1800sub1]\nDefaultValue=0x12345\n", "x.dcf:2: [1800sub1] DefaultValue '0x12345' is above 0x7FF without bit 29"},
        {"[DeviceComissioning]\nNodeID=128\n", "x.dcf:2: [DeviceComissioning] NodeID '128' is not a node ID (1 to 127)"},
        {"[DeviceComissioning]\nNodeID=\n", "x.dcf:2: [DeviceComissioning] NodeID '' is not a node ID"},
        {"\x01\x02\x03\n", "x.dcf:1: neither"},
        // Nothing of a file is passed over without a word.
        {"[1800sub1]ParameterValue=0x1A0\nDefaultValue=0x181\n",
         "x.dcf:1: text after the \"]\" of a section name: '[1800sub1]ParameterValue=0x1A0'; a key=value goes on "
         "a line of its own"},
        {"[1400sub1]\nDefaultValue=0x201\n[1401sub1]\n[1400sub1]\nDefaultValue=0x202\n",
         "x.dcf:4: [1400sub1] is given a second time (first on line 1)"},
        {"[1800sub1]\nParameterName=x\n[1800SUB01]\nDefaultValue=0x190\n",
         "x.dcf:3: [1800SUB01] is given a second time (first on line 1, as [1800sub1])"},
        {"[DeviceComissioning]\nNodeID=5\n\n[devicecomissioning]\n",
         "x.dcf:4: [devicecomissioning] is given a second time (first on line 1, as [DeviceComissioning])"},
        {"[DeviceComissioning]\nNodeID=$NODEID+5\n", "x.dcf:2: [DeviceComissioning] NodeID '$NODEID+5' is not a node ID"},
        {"[1800sub1]\nParameterName=" + std::string(5000, 'x') + "\n", "x.dcf:2: longer than 4096 characters"},
        {"[" + std::string(100000, 's') + "]\n" + std::string(3000, 'a') + "=\n", "x.dcf:1: longer than 4096"},
        // A message quotes what it shows: no byte cuts it off or reaches the terminal.
        {"[1800sub1]\nDefaultValue=0x18\0G\n"s,
         "x.dcf:2: [1800sub1] DefaultValue '0x18\\x00G' is neither a number"},
        {"[1800sub1]\nDefaultValue=\x1B[2J\x9B" "31m\n", "DefaultValue '\\x1B[2J\\x9B31m' is neither"},
    };
    for (const auto& c : cases)
        EXPECT_THAT([&] { ParseDeviceDescription(c.text, "x.dcf", 5); },
                    ::testing::ThrowsMessage<Error>(HasSubstr(c.error)))
            << c.text;
}

// The same description whatever ends its lines, with or without the mark
// Windows editors put first.
TEST(DeviceDescriptionTest, LineEndsAndAByteOrderMark)
{
    const std::string lf = "[DeviceComissioning]\nNodeID=11\n[1014]\nDefaultValue=$NODEID+0x80\n"
                           "[1400sub1]\nDefaultValue=0x181\n[1800sub1]\nDefaultValue=$NODEID+0x180\n"
                           "[1802sub1]\nParameterValue=0x3A0\n";
    const std::vector<Id> identifiers = {Id{NodeObject::Emcy, 1, 0x08B, false}, Id{NodeObject::Rpdo, 1, 0x181, false},
                                         Id{NodeObject::Tpdo, 1, 0x18B, false}, Id{NodeObject::Tpdo, 3, 0x3A0, false}};
    auto replaced = [&](const std::string& end) {
        std::string text;
        for (char c : lf)
            text += c == '\n' ? end : std::string(1, c);
        return text;
    };
    for (const std::string& text : {lf, replaced("\r"), replaced("\r\n"), "\xEF\xBB\xBF" + replaced("\r\n")}) {
        const DeviceDescription description = ParseDeviceDescription(text, "x.dcf", std::nullopt);
        EXPECT_EQ(description.node, 11);
        EXPECT_EQ(description.identifiers, identifiers) << ::testing::PrintToString(text);
    }
}

TEST(DeviceDescriptionTest, OtherSectionsAndKeysAreLeftAlone)
{
    // Values that are no numbers elsewhere, a sub-index written in another
    // way, a PDO mapping's sub-index 1, and a COB-ID section without a value.
    const DeviceDescription description =
        ParseDeviceDescription("[1018sub1]\nDefaultValue=not a number\n[1A00sub1]\nDefaultValue=0x60000108\n"
                               "[1800SUB01]\nParameterName=x\nDefaultValue=0x190\n"
                               "[1801sub1]\nParameterName=no value\n[1801sub2]\nDefaultValue=x\n",
                               "x.eds", 16);
    EXPECT_THAT(description.identifiers, ElementsAre(Id{NodeObject::Tpdo, 1, 0x190, false}));
    EXPECT_THAT(description.notes, ElementsAre("TPDO2 ([1801sub1]) gives no COB-ID: left out."));
}

} // namespace
} // namespace c2c
