#pragma once
// One S-record line (Motorola S-records), as the composer and the reader of
// firmware windows both take it: "S", the record type 0-9, then pairs of
// hexadecimal digits: the byte count, the address (2, 3 or 4 bytes by
// type), the data and the checksum. The count covers address, data and
// checksum; the checksum is the low byte of the sum of count, address and
// data bytes, complemented.
//
// Data records are S1, S2 and S3, with addresses of 16, 24 and 32 bits: a
// bank window holds whichever kind the master was written with, and the
// composer replaces all three alike. The type letter is upper case, as the
// format has it; the digits may be of either case.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// The longest well-formed record: a byte count of 255 as hex pairs.
inline constexpr std::size_t kLongestRecord = 4 + 2 * 255;

// The address bytes of record type `type` ('0'..'9'); 0 for S4, which does
// not exist, and for anything else.
int AddressBytesOf(char type);

// Where a data record starts, read from the first characters of its line.
struct RecordStart {
    enum class Kind {
        Other,          // not a data record (another type, or no record at all)
        TooShort,       // a data record's type, but too short to hold its address
        NotHexadecimal, // the address field holds a character that is no digit
        Data,
    };
    Kind kind = Kind::Other;
    std::uint32_t address = 0;
};
RecordStart DataRecordStart(std::string_view line);

// A whole record taken apart.
struct SRecord {
    char type = '0';
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};
// Decodes `line` into `record`. Nothing when it is a well-formed record,
// else what is wrong with it, in words ("wrong checksum").
const char* DecodeSRecord(std::string_view line, SRecord& record);

// Completes a record whose last two characters are placeholders: the sum of
// the bytes written as hex pairs from the third character up to the
// placeholders, low 8 bits, complemented. Returns the two upper-case
// checksum digits when `checksumOnly` is set, otherwise the whole line with
// them in place. Throws Error when a pair is not hexadecimal.
std::string CheckSumSx(std::string_view line, bool checksumOnly);

// The S2 record of `count` bytes (at most 252) at the 24-bit `address`,
// checksum included.
std::string S2Record(std::uint32_t address, const std::uint8_t* data, std::size_t count);

} // namespace c2c
