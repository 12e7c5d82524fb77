#pragma once
// The CobID translation tables: one table per direction, the range check of
// their identifiers, and the one owner of CanCanCobID.xml.
//
// CanCanCobID.xml holds, under the root CanCanCobID, the sections
// Can0_to_Can1 and Can1_to_Can0 (found by name). Each section holds one
// `row` element per table row, in table order, with the attributes
// Orig_CobID, Mod_CobID and Desc; a row's number is its position in the
// section, so empty rows are written too.
//
// The program reads the document in two ways: leniently for the Set CobID
// Access window (into tables of a fixed length; a broken document ends the
// reading silently; rows beyond the tables' length can be collected apart,
// so that nothing stored is dropped without a word) and strictly for the build (every row; a broken
// document is an error naming what is wrong).

#include "documents/CanFrame.h"
#include "documents/CommSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

// The columns of a table: the row's number, then the three cells of a row.
enum CobIdColumn : int {
    kNumberColumn = 0,
    kOriginalColumn = 1,
    kModifyColumn = 2,
    kDescriptionColumn = 3,
};
inline constexpr int kCobIdColumnCount = 4;

// Table length: 2048 (one row per 11-bit identifier) when both ports run
// CAN 2.0A, 2000 otherwise.
inline constexpr std::size_t kStandardTableLength = 2048;
inline constexpr std::size_t kExtendedTableLength = 2000;

// The tables as the program names them to the user (the captions of their tabs).
inline constexpr std::array<const char*, 2> kCobIdTableNames = {"CAN0 to CAN1", "CAN1 to CAN0"};
// "Table CAN0 to CAN1", as messages name a table.
std::string CobIdTableTitle(int direction);

inline constexpr const char* kCobIdRoot = "CanCanCobID";
inline constexpr std::array<const char*, 2> kCobIdSections = {"Can0_to_Can1", "Can1_to_Can0"};
inline constexpr const char* kCobIdRowElement = "row";

// One table row as typed (no trimming, no length limit). Its number is its
// position in its table.
struct CobIdRow {
    std::string Orig_CobID;
    std::string Mod_CobID;
    std::string Desc;

    // kOriginalColumn, kModifyColumn or kDescriptionColumn.
    std::string& Cell(int column);
    const std::string& Cell(int column) const;
    bool operator==(const CobIdRow&) const = default;
};
using CobIdTable = std::vector<CobIdRow>;

// Whether a row holds anything; a description alone is the engineer's note,
// so such a row is in use too.
bool IsCobIdRowInUse(const CobIdRow& row);

// Both tables.
struct CobIdTables {
    CobIdTable can0ToCan1;
    CobIdTable can1ToCan0;

    CobIdTable& Table(int direction) { return direction == kCan1ToCan0 ? can1ToCan0 : can0ToCan1; }
    const CobIdTable& Table(int direction) const { return direction == kCan1ToCan0 ? can1ToCan0 : can0ToCan1; }
    bool operator==(const CobIdTables&) const = default;
};

// The text of any cell, column 0 (the row number in decimal) included.
std::string CobIdCellText(const CobIdTable& table, std::size_t row, int column);

// Row numbers as the user reads them, runs of three or more joined: "N° 5",
// "N° 5 and N° 6", "N° 2, N° 5 to 7 and N° 9". `rows` ascending.
std::string CobIdRowNumbersText(const std::vector<std::size_t>& rows);

// A stored row by its N°, its position in its section.
struct CobIdStoredRow {
    std::size_t number;
    CobIdRow row;
    bool operator==(const CobIdStoredRow&) const = default;
};
// Per direction, the stored rows beyond the tables' length that hold any text.
using CobIdRowsBeyond = std::array<std::vector<CobIdStoredRow>, 2>;

// The length of both tables for the session's frame formats: 2048 rows in
// the standard layout, 2000 otherwise (LayoutOf, documents/CanFrame.h).
std::size_t CobIdTableLength(const CommSession& session);
TableLayout CobIdLayout(const CommSession& session);

// The type number of a port in the session.
std::int32_t PortType(const CommSession& session, CanPort port);

// The tail of the message naming the accepted range of a type number's
// frame format (FitsFrameFormat). Type numbers other than 0 and 1 have no
// limit.
struct CobIdLimit {
    const char* tail;
};
std::optional<CobIdLimit> CobIdLimitOf(std::int32_t type);

// The port whose frame format a cell's identifier must fit: the arriving
// port for "Original CobID", the leaving port for "Modify CobID".
CanPort GoverningPort(int direction, int column);
std::int32_t GoverningType(const CommSession& session, int direction, int column);

// An identifier cell out of range.
struct CobIdCellError {
    int direction;
    std::size_t row;
    int column;
    std::string message;
    bool operator==(const CobIdCellError&) const = default;
};

// The first identifier cell out of range. Visits the CAN 0 to CAN 1 table
// row by row (column 1, then column 2 of each row), then the CAN 1 to CAN 0
// table. An empty cell is skipped; any other text that is not an integer
// counts as -1. The message names the row by the number shown in its first
// column.
std::optional<CobIdCellError> FindCobIdError(const CobIdTables& tables, const CommSession& session);

enum class CobIdLoad {
    Missing,  // no file: the tables are left as they are
    Complete, // every row of both tables was read
    Stopped,  // a failure ended the reading; rows read before it are kept
};

// The lenient reading: fills both tables, keeping their lengths. Row r of a
// table takes row element r of its section, or empty cells when the section
// is shorter; rows beyond the table's length are ignored. A missing Desc
// reads as empty. A document that does not parse, a missing root or
// section, or a row without Orig_CobID or Mod_CobID ends the reading.
// With `beyond`, the rows beyond the tables' length that hold any text are
// collected there (up to the first row that cannot be read).
CobIdLoad ReadCobIdLeniently(const std::string& path, CobIdTables& tables, CobIdRowsBeyond* beyond = nullptr);
// The same reading of a document's text (Complete or Stopped).
CobIdLoad ParseCobIdLeniently(std::string_view text, CobIdTables& tables, CobIdRowsBeyond* beyond = nullptr);

// The strict reading of the build: every child of each section is a row,
// whatever its name, and must carry Orig_CobID and Mod_CobID (Desc may be
// missing). Throws Error naming the file, and the section and row.
CobIdTables ReadCobIdStrictly(const std::string& path);
// The same reading of a document's text; errors name `fileName`.
CobIdTables ParseCobIdStrictly(std::string_view text, const std::string& fileName);

// The document that stores both tables, every row included.
std::string CobIdDocumentText(const CobIdTables& tables);

// Writes CanCanCobID.xml, replacing the file atomically.
// Throws Error when it cannot be written; the old file is kept then.
void WriteCobIdDocument(const std::string& path, const CobIdTables& tables);

} // namespace c2c
