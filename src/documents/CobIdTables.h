#pragma once
// The CobID translation tables: one table per direction, CanCanCobID.xml,
// the range check of the identifiers, and the logic of the Set CobID Access
// dialog.
//
// CanCanCobID.xml holds, under the root CanCanCobID, the sections
// Can0_to_Can1 and Can1_to_Can0 (found by name). Each section holds one
// `row` element per table row, in table order, with the attributes
// Orig_CobID, Mod_CobID and Desc; a row's number is its position in the
// section, so empty rows are written too.

#include "documents/CommSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

class MessageService;

// Grid columns. Column 0 shows the row number and is never edited.
enum CobIdColumn : int {
    kNumberColumn = 0,
    kOriginalColumn = 1,
    kModifyColumn = 2,
    kDescriptionColumn = 3,
};
inline constexpr int kCobIdColumnCount = 4;
inline constexpr std::array<const char*, kCobIdColumnCount> kCobIdHeaders = {"N\u00B0", "Original CobID",
                                                                             "Modify CobID", "Description"};

// The two directions, in the order of the tabs and of the document.
enum CobIdDirection : int {
    kCan0ToCan1 = 0,
    kCan1ToCan0 = 1,
};
inline constexpr std::array<const char*, 2> kCobIdTabCaptions = {"CAN0 to CAN1", "CAN1 to CAN0"};

// Table length: 2048 (one row per 11-bit identifier) when both ports run
// CAN 2.0A, 2000 otherwise.
inline constexpr std::size_t kStandardTableLength = 2048;
inline constexpr std::size_t kExtendedTableLength = 2000;

inline constexpr const char* kCobIdRoot = "CanCanCobID";
inline constexpr std::array<const char*, 2> kCobIdSections = {"Can0_to_Can1", "Can1_to_Can0"};
inline constexpr const char* kCobIdRowElement = "row";

inline constexpr const char* kMsgConfirmCompileAll = "Are you sure to cancel all the CobID just write?";
inline constexpr const char* kMsgConfirmCancelAll = "Are you sure to cancel all the CobID?";

// One table row: columns 1 to 3, as typed (no trimming, no length limit).
// Column 0 is the row's position in its table.
struct CobIdRow {
    std::string Orig_CobID;
    std::string Mod_CobID;
    std::string Desc;

    // Columns kOriginalColumn to kDescriptionColumn.
    std::string& Cell(int column);
    const std::string& Cell(int column) const;
    bool operator==(const CobIdRow&) const = default;
};
using CobIdTable = std::vector<CobIdRow>;

// The text of any cell, column 0 (the row number in decimal) included.
std::string CobIdCellText(const CobIdTable& table, std::size_t row, int column);

std::size_t CobIdTableLength(const CommSession& session);

// The accepted range of a frame format: 0 to `maximum`, and the tail of the
// message naming it. Type numbers other than 0 and 1 have no limit.
struct CobIdLimit {
    std::int32_t maximum;
    const char* tail;
};
std::optional<CobIdLimit> CobIdLimitOf(std::int32_t type);

// The frame format a cell's identifier must fit: the port it travels on,
// the arriving port for "Original CobID", the leaving port for "Modify CobID".
std::int32_t GoverningType(const CommSession& session, int direction, int column);

// The first identifier cell out of range, in checking order.
struct CobIdCellError {
    int direction;
    std::size_t row;
    int column;
    std::string message;
    bool operator==(const CobIdCellError&) const = default;
};

// Visits the CAN 0 to CAN 1 table row by row (column 1, then column 2 of each
// row), then the CAN 1 to CAN 0 table. An empty cell is skipped; any other
// text that is not an integer counts as -1. The message names the row by the
// number shown in its first column.
std::optional<CobIdCellError> FindCobIdError(const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0,
                                             const CommSession& session);

enum class CobIdLoad {
    Missing,  // no file: the tables are left as they are
    Complete, // every row of both tables was read
    Stopped,  // a failure ended the reading; rows read before it are kept
};

// Fills both tables, keeping their lengths, from CanCanCobID.xml: row r of a
// table takes row element r of its section, or empty cells when the section
// is shorter; rows beyond the table's length are ignored. A missing Desc
// reads as empty. A document that does not parse, a missing root or section,
// or a row without Orig_CobID or Mod_CobID ends the reading silently.
CobIdLoad LoadCobIdDocument(const std::string& path, CobIdTable& can0ToCan1, CobIdTable& can1ToCan0);

// The document that stores both tables, every row included.
std::string CobIdDocumentText(const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0);

// Writes CanCanCobID.xml, replacing the file atomically.
// Throws Error when it cannot be written; the old file is kept then.
void SaveCobIdDocument(const std::string& path, const CobIdTable& can0ToCan1, const CobIdTable& can1ToCan0);

// Block editing, as table editors do it.

// A rectangle of cells, bounds included.
struct CobIdCellRange {
    std::size_t top;
    int left;
    std::size_t bottom;
    int right;
    bool operator==(const CobIdCellRange&) const = default;
};

// Whether the user may change cells of `column`.
bool IsCobIdColumnEditable(int column, bool modifyEditable);

// Tab-separated text of a rectangle, one line per row, each line ending in
// "\n", the form spreadsheets paste. Tabs and line breaks inside a cell
// become blanks so that the block keeps its shape.
std::string CopyCobIdCells(const CobIdTable& table, const CobIdCellRange& range);

// Splits tab-separated text into lines of cells. Lines end in "\n" or
// "\r\n"; the line break after the last line is optional.
std::vector<std::vector<std::string>> SplitTabularText(std::string_view text);

// Writes a block of tab-separated text with its first cell at (row, column).
// Cells that fall outside the table or on a column the user may not edit are
// left alone. Returns the rectangle that was written to, if any.
std::optional<CobIdCellRange> PasteCobIdCells(CobIdTable& table, std::size_t row, int column, std::string_view text,
                                              bool modifyEditable);

// The state of the Set CobID Access dialog's controls, named after them, and
// its handlers. One instance lives for the whole run; every showing rebuilds
// the tables from CommSession and the document.
struct CobIdDialog {
    CobIdTable ASG_C0; // CAN 0 to CAN 1
    CobIdTable ASG_C1; // CAN 1 to CAN 0
    int PageControl1 = kCan0ToCan1; // the tab shown
    bool LbButton3Visible = true;   // "Compile All CobID": only when both ports run 2.0A
    bool ModifyEditable = false;    // "Modify CobID" is read-only unless PositiveImpl
    // The frame formats at the last showing: they size and check the tables.
    CommSession Session;
    // The cell that the last failed ValidateTables reported.
    std::optional<CobIdCellError> BadCell;

    CobIdTable& Table(int direction) { return direction == kCan1ToCan0 ? ASG_C1 : ASG_C0; }
    const CobIdTable& Table(int direction) const { return direction == kCan1ToCan0 ? ASG_C1 : ASG_C0; }
    CobIdTable& ShownTable() { return Table(PageControl1); }
    bool IsEditable(int column) const { return IsCobIdColumnEditable(column, ModifyEditable); }

    // Sizes and empties both tables by `session`, sets the button and
    // column states, then loads the document.
    void FormShow(const CommSession& session, const std::string& canCobIdFile);
    CobIdLoad LoadTables(const std::string& canCobIdFile);

    // True when every identifier cell is in range. Otherwise shows one error
    // box for the first bad cell, turns to its tab, records it in BadCell and
    // returns false.
    bool ValidateTables(MessageService& messages);

    // Writes both tables. False, with nothing shown, when the write failed;
    // the old file is then kept and the dialog stays open.
    bool SaveTables(const std::string& canCobIdFile) const;

    // OK: checks, then saves. True when the dialog may close.
    bool LbButton1Click(const std::string& canCobIdFile, MessageService& messages);

    // "Compile All CobID": after a Yes, fills the shown table with the
    // identity translation (columns 1 and 2 := row number; descriptions
    // kept). True when the table changed.
    bool LbButton3Click(MessageService& messages);

    // "Cancel All CobID": after a Yes, empties columns 1 and 2 of the shown
    // table. True when the table changed.
    bool LbButton4Click(MessageService& messages);
};

} // namespace c2c
