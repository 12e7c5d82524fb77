// The CAN frame facts: identifier limits and parsing, frame-format numbers
// and the one layout decision, ports and tables.

#include "documents/CanFrame.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace c2c {
namespace {

// A port is not a table direction: neither converts to the other.
static_assert(!std::is_convertible_v<int, CanPort>);
static_assert(!std::is_convertible_v<CanPort, int>);
static_assert(!std::is_convertible_v<CobIdDirection, CanPort>);

TEST(CanFrameTest, IdentifiersInTheProgramsSyntax)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> id;
        const char* problem;
    } cases[] = {
        {"0", 0u, nullptr},
        {"$7ff", 0x7FFu, nullptr},
        {"0x1FFFFFFF", 0x1FFFFFFFu, nullptr},
        {"536870911", 0x1FFFFFFFu, nullptr},
        {"0x20000000", std::nullopt, "'0x20000000' is no CAN identifier (0 to 0x1FFFFFFF)"},
        {"-1", std::nullopt, "'-1' is no CAN identifier (0 to 0x1FFFFFFF)"},
        {"0xFFFFFFFF", std::nullopt, "'0xFFFFFFFF' is no CAN identifier (0 to 0x1FFFFFFF)"},
        {"0x", std::nullopt, "'0x' is not a valid integer value"},
        {"", std::nullopt, "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCanIdentifier(c.text), c.id) << c.text;
        EXPECT_EQ(CanIdentifierProblem(c.text), c.problem ? std::optional<std::string>(c.problem) : std::nullopt)
            << c.text;
    }
}

TEST(CanFrameTest, FramesAndTheirFit)
{
    EXPECT_EQ(FrameIdText({0x181, false}), "0x181");
    EXPECT_EQ(FrameIdText({0x181, true}), "0x00000181");
    EXPECT_EQ(FrameIdText({0x1ABC0181, true}), "0x1ABC0181");
    EXPECT_EQ(AskedFrame(0x7FF, false), (CanFrameId{0x7FF, false}));
    EXPECT_EQ(AskedFrame(0x800, false), (CanFrameId{0x800, true}));
    EXPECT_EQ(AskedFrame(0x10, true), (CanFrameId{0x10, true}));

    const struct {
        std::int64_t value;
        bool standard, extended;
    } fits[] = {{-1, false, false}, {0, true, true}, {0x7FF, true, true}, {0x800, false, true},
                {0x1FFFFFFF, false, true}, {0x20000000, false, false}};
    for (const auto& c : fits) {
        EXPECT_EQ(FitsFrameFormat(c.value, FrameFormat::Standard), c.standard) << c.value;
        EXPECT_EQ(FitsFrameFormat(c.value, FrameFormat::Extended), c.extended) << c.value;
    }
    EXPECT_EQ(PortRunsText(CanPort::Can0, FrameFormat::Standard), "CAN0, which runs CAN 2.0A (0x000 to 0x7FF)");
    EXPECT_EQ(PortRunsText(CanPort::Can1, FrameFormat::Extended),
              "CAN1, which runs CAN 2.0B (0x00000000 to 0x1FFFFFFF)");
}

TEST(CanFrameTest, FrameFormatNumbersAndTheLayout)
{
    const std::optional<FrameFormat> none;
    const auto A = FrameFormat::Standard;
    const auto B = FrameFormat::Extended;
    const struct {
        std::int32_t type;
        std::optional<FrameFormat> checked;
        FrameFormat running;
        std::uint8_t byte;
        bool lost;
    } cases[] = {
        {0, A, A, 0, false},        {1, B, B, 1, false},         {2, none, B, 2, false},
        {256, none, B, 0, true},    {-256, none, B, 0, true},    {257, none, B, 1, false},
        {-1, none, B, 0xFF, false}, {65536, none, B, 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckedFormatOf(c.type), c.checked) << c.type;
        EXPECT_EQ(RunningFormatOf(c.type), c.running) << c.type;
        EXPECT_EQ(FrameFormatByte(c.type), c.byte) << c.type;
        EXPECT_EQ(IsLostFrameFormat(c.type), c.lost) << c.type;
        EXPECT_EQ(FrameFormatNumberText("Type", c.type).has_value(), !c.checked) << c.type;
        // One layout decision: standard only where both numbers are 0.
        EXPECT_EQ(LayoutOf(c.type, 0), c.type == 0 ? TableLayout::Standard : TableLayout::Extended) << c.type;
        EXPECT_EQ(LayoutOf(0, c.type), LayoutOf(c.type, 0)) << c.type;
    }
    EXPECT_EQ(FrameFormatNumberText("TypeC1", 256),
              "TypeC1 256 is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B), and the image keeps its low byte, 0: the device "
              "would run CAN 2.0A while the tables are sized for CAN 2.0B. Write 0 or 1");
    EXPECT_EQ(FrameFormatNumberText("Type", 2), "Type 2 is neither 0 (CAN 2.0A) nor 1 (CAN 2.0B): the device takes it "
                                                "as CAN 2.0B, and none of the port's identifiers is checked");
}

TEST(CanFrameTest, PortsAndTables)
{
    const struct {
        CanPort port;
        const char* name;
        const char* interface;
        CanPort other;
        int direction; // of the frames arriving on it
    } cases[] = {
        {CanPort::Can0, "CAN0", "can0", CanPort::Can1, kCan0ToCan1},
        {CanPort::Can1, "CAN1", "can1", CanPort::Can0, kCan1ToCan0},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(PortName(c.port), c.name);
        EXPECT_STREQ(PortInterfaceName(c.port), c.interface);
        EXPECT_EQ(PortOfInterfaceName(c.interface), c.port);
        EXPECT_EQ(OtherPort(c.port), c.other);
        EXPECT_EQ(DirectionFrom(c.port), c.direction);
        EXPECT_EQ(ArrivingPort(c.direction), c.port);
        EXPECT_EQ(LeavingPort(c.direction), c.other);
    }
    for (const char* name : {"CAN0", "can2", "", "can01"})
        EXPECT_FALSE(PortOfInterfaceName(name)) << name;
}

} // namespace
} // namespace c2c
