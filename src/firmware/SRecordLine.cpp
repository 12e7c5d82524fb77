#include "firmware/SRecordLine.h"

#include "platform/Error.h"
#include "platform/HexDigits.h"

namespace c2c {

namespace {

// Address bytes of record types S0..S9; 0 for the type that does not exist.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool IsDataType(char type)
{
    return type == '1' || type == '2' || type == '3';
}

} // namespace

int AddressBytesOf(char type)
{
    return type >= '0' && type <= '9' ? kAddressBytes[type - '0'] : 0;
}

RecordStart DataRecordStart(std::string_view line)
{
    RecordStart start;
    if (line.size() < 2 || line[0] != 'S' || !IsDataType(line[1]))
        return start;
    const std::size_t digits = 2 * static_cast<std::size_t>(AddressBytesOf(line[1]));
    // A line too short for its address is no record of ours: it is copied.
    if (line.size() < 4 + digits) {
        start.kind = RecordStart::Kind::TooShort;
        return start;
    }
    for (char c : line.substr(4, digits)) {
        const int value = HexDigitValue(c);
        if (value < 0) {
            start.kind = RecordStart::Kind::NotHexadecimal;
            return start;
        }
        start.address = start.address << 4 | static_cast<std::uint32_t>(value);
    }
    start.kind = RecordStart::Kind::Data;
    return start;
}

const char* DecodeSRecord(std::string_view line, SRecord& record)
{
    if (line.size() < 4 || line[0] != 'S' || AddressBytesOf(line[1]) == 0)
        return "not an S-record";
    if (line.size() % 2 != 0)
        return "odd number of characters";
    if (line.size() > kLongestRecord)
        return "too long for an S-record";
    std::uint8_t bytes[(kLongestRecord - 2) / 2];
    std::size_t count = 0;
    for (std::size_t i = 2; i < line.size(); i += 2) {
        const int high = HexDigitValue(line[i]);
        const int low = HexDigitValue(line[i + 1]);
        if (high < 0 || low < 0)
            return "characters that are not hexadecimal digits";
        bytes[count++] = static_cast<std::uint8_t>(high * 16 + low);
    }
    const auto addressBytes = static_cast<std::size_t>(AddressBytesOf(line[1]));
    if (bytes[0] != count - 1 || count < addressBytes + 2)
        return "byte count does not match the record's length";
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < count; ++i)
        sum += bytes[i];
    if (static_cast<std::uint8_t>(~sum) != bytes[count - 1])
        return "wrong checksum";
    record.type = line[1];
    record.address = 0;
    for (std::size_t i = 1; i <= addressBytes; ++i)
        record.address = (record.address << 8) | bytes[i];
    record.data.assign(bytes + 1 + addressBytes, bytes + count - 1);
    return nullptr;
}

std::string CheckSumSx(std::string_view line, bool checksumOnly)
{
    unsigned sum = 0;
    // Pairs start at the odd positions 3, 5, ... (counted from 1) as long as
    // the start is at most length - 2: count, address and data, not the
    // placeholders. Here `start` counts from 0.
    for (std::size_t start = 2; start + 3 <= line.size(); start += 2) {
        int high = HexDigitValue(line[start]);
        int low = HexDigitValue(line[start + 1]);
        if (high < 0 || low < 0)
            throw Error("'" + std::string(line.substr(start, 2)) + "' is not a valid integer value");
        sum += static_cast<unsigned>(high << 4 | low);
    }
    std::string digits(2, '0');
    PutHexByte(digits.data(), (sum & 0xFF) ^ 0xFF);
    if (checksumOnly)
        return digits;
    std::string completed(line);
    if (completed.size() < 2)
        return digits;
    completed.replace(completed.size() - 2, 2, digits);
    return completed;
}

std::string S2Record(std::uint32_t address, const std::uint8_t* data, std::size_t count)
{
    std::string record(4 + 6 + 2 * count + 2, '0');
    record[0] = 'S';
    record[1] = '2';
    PutHexByte(&record[2], static_cast<unsigned>(3 + count + 1));
    PutHexByte(&record[4], (address >> 16) & 0xFF);
    PutHexByte(&record[6], (address >> 8) & 0xFF);
    PutHexByte(&record[8], address & 0xFF);
    for (std::size_t i = 0; i < count; ++i)
        PutHexByte(&record[10 + 2 * i], data[i]);
    record.replace(record.size() - 2, 2, CheckSumSx(record, true));
    return record;
}

} // namespace c2c
