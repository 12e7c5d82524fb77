#pragma once
// The CobID tables as a spreadsheet file (CSV): one line per non-empty table
// row, under the header
//
//     direction,row,original,modified,description
//
// where `direction` is can0-to-can1 or can1-to-can0 and `row` the row's N°.
// Fields are quoted as RFC 4180 says (a field holding a separator, a quote or
// a line break is enclosed in quotes, quotes doubled). Reading also accepts
// ";" as the separator, as spreadsheets write it in many locales, judged by
// the header line. Cell texts are kept exactly as written: "0x7FF" stays
// "0x7FF".
//
// Reading checks every line before anything is taken: a reading with bad
// lines is refused whole. Rows beyond the tables' length (N° 2000 to 2047,
// from tables of 2048 rows, while a port runs CAN 2.0B) are carried over
// into the first empty rows as Set CobID Access carries over stored rows
// (documents/CobIdCarryOver.h); one that finds no empty row is a bad line.

#include "documents/CobIdCarryOver.h"
#include "documents/CobIdTables.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

inline constexpr const char* kCobIdCsvHeader = "direction,row,original,modified,description";
inline constexpr std::array<const char*, 2> kCobIdCsvDirections = {"can0-to-can1", "can1-to-can0"};
// A spreadsheet file larger than this is refused before it is read: the two
// tables never need a fraction of it.
inline constexpr std::size_t kCobIdCsvLimit = 64 * 1024 * 1024;

// The header and one line per row that has any cell filled, the CAN0 to
// CAN1 table first, each in table order. Lines end in CR LF.
std::string CobIdCsvText(const CobIdTables& tables);

// A line that cannot be taken, by the number of the line it starts on
// (a quoted field may span lines).
struct CobIdCsvProblem {
    std::size_t line;
    std::string reason;
    bool operator==(const CobIdCsvProblem&) const = default;
};

struct CobIdCsvReading {
    CobIdTables tables;                    // valid only when problems is empty
    std::vector<CobIdCsvProblem> problems; // every bad line, in file order
    CobIdCarryOver carryOver;              // the rows moved from beyond the tables
};

// Reads a spreadsheet file's text into two tables of the length `session`
// calls for (rows not in the file are empty). Checks the header, each
// line's fields, that each row is named once, and every identifier against
// the frame formats of `session` as the Set CobID Access window checks them;
// then carries the rows beyond the tables over.
CobIdCsvReading ReadCobIdCsv(std::string_view text, const CommSession& session);

// The text of a spreadsheet file. Throws Error when the file is missing, is
// not a regular file, is larger than kCobIdCsvLimit or cannot be read.
std::string ReadCobIdCsvFile(const std::string& path);

// "FILE:LINE: reason"
std::string CobIdCsvProblemText(const std::string& file, const CobIdCsvProblem& problem);

} // namespace c2c
