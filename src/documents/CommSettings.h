#pragma once
// Communication settings: the one owner of pargen.xml.
//
// pargen.xml holds, under the root ParametriGenerali, seven text elements
// read by position (comments and other nodes count): Boud0, Boud1, Type,
// Positive, Baud_Dip_C0, Baud_Dip_C1, TypeC1. Documents of older projects
// end before TypeC1; CAN 1 then runs the frame format of CAN 0.
//
// The program reads the document in two ways: leniently for the windows
// (a value that is missing or no number is a value the window skips) and
// strictly for the build (every value must be there and be a number).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace c2c {

// The bit-rate list in kbit/s; documents store the index.
inline constexpr std::array<const char*, 9> kBitRates = {"10", "20", "50", "100", "125", "250", "500", "800", "1000"};

inline constexpr const char* kPargenRoot = "ParametriGenerali";

// The positions of the values, named after their elements.
enum PargenPosition : std::size_t {
    kBoud0 = 0,
    kBoud1 = 1,
    kType = 2,
    kPositive = 3,
    kBaudDipC0 = 4,
    kBaudDipC1 = 5,
    kTypeC1 = 6,
};
inline constexpr std::array<const char*, 7> kPargenElements = {"Boud0",       "Boud1",       "Type",  "Positive",
                                                               "Baud_Dip_C0", "Baud_Dip_C1", "TypeC1"};

// The seven values as numbers, as stored. The windows write 0 and 1 for
// the flags and formats; a hand-made document may hold other numbers, and
// the build takes them as they are.
struct CommSettings {
    std::int32_t bitRate0 = 5;   // index into kBitRates; -1 for none
    std::int32_t bitRate1 = 5;
    std::int32_t format0 = 0;    // 0 = CAN 2.0A, 1 = CAN 2.0B
    std::int32_t positive = 0;   // 1 = only the listed identifiers pass
    std::int32_t dipSwitch0 = 0; // 1 = the bit rate is set by the dip switch
    std::int32_t dipSwitch1 = 0;
    std::int32_t format1 = 0;
    bool operator==(const CommSettings&) const = default;
};

// The frame formats of the open project's two ports and its Positive
// Implementation flag, as the windows need them (0 = CAN 2.0A, 1 = CAN 2.0B;
// a document may hold other numbers).
struct CommSession {
    std::int32_t CanType0 = 0;
    std::int32_t CanType1 = 0;
    bool PositiveImpl = false;
};

// The session that saving `settings` makes current.
CommSession SessionOf(const CommSettings& settings);

enum class DocumentState {
    Missing,    // no file
    Unreadable, // the file does not parse or has no root element
    Read,
};

// The lenient reading: each position by name, nothing for a position the
// document does not reach. The bit rates are also nothing when their text is
// not an integer; any other text that is not an integer reads as 0.
struct PargenReading {
    DocumentState state = DocumentState::Missing;
    std::optional<std::int32_t> bitRate0, bitRate1, format0, positive, dipSwitch0, dipSwitch1, format1;
};
// A file that cannot be read (no rights, not a regular file) is Unreadable.
PargenReading ReadPargenLeniently(const std::string& pargenFile);
// The same reading of a document's text (Read or Unreadable).
PargenReading ParsePargenLeniently(std::string_view text);

// The strict reading of the build: positions 0 to 5 of the first top-level
// node are required and must each hold a single integer text; a missing
// position 6 (or one that is no number) makes CAN 1 follow CAN 0. Throws
// Error naming the file and the position.
CommSettings ReadPargenStrictly(const std::string& pargenFile);
// The same reading of a document's text; errors name `fileName`.
CommSettings ParsePargenStrictly(std::string_view text, const std::string& fileName);

// Fills `session` from pargen.xml. A missing file gives 0, 0, true; a broken
// document stops the reading silently, keeping the fields set before.
void LoadCommSession(const std::string& pargenFile, CommSession& session);

// Writes pargen.xml, replacing the file atomically. Throws Error when it
// cannot be written; the old file is kept then.
void WritePargen(const std::string& pargenFile, const CommSettings& settings);

} // namespace c2c
