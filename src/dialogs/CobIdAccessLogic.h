#pragma once
// The Set CobID Access window's logic: the two translation tables on two
// tabs, their check and save, "Compile All CobID" and "Cancel All CobID",
// and the block editing of the grids (copy, paste and clear rectangles of
// cells as spreadsheets do).

#include "documents/CobIdTables.h"
#include "platform/UiServices.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c2c {

struct ProgramState;

inline constexpr const char* kCobIdAccessCaption = "Set CobID Access";
inline constexpr std::array<const char*, kCobIdColumnCount> kCobIdHeaders = {"N\u00B0", "Original CobID",
                                                                             "Modify CobID", "Description"};
inline constexpr std::array<const char*, 2> kCobIdTabCaptions = {"CAN0 to CAN1", "CAN1 to CAN0"};

inline constexpr const char* kMsgConfirmCompileAll = "Are you sure to cancel all the CobID just write?";
inline constexpr const char* kMsgConfirmCancelAll = "Are you sure to cancel all the CobID?";

// The grids' context menu: both tables to and from a spreadsheet file.
inline constexpr const char* kImportCsvCaption = "Import CSV...";
inline constexpr const char* kExportCsvCaption = "Export CSV...";
inline constexpr const char* kCsvFilter = "CSV files";
inline constexpr const char* kCsvPattern = "*.csv";
inline constexpr const char* kCsvSuggestedName = "CobID.csv";
// An import with bad lines shows this many of them and counts the rest.
inline constexpr std::size_t kShownCsvProblems = 12;

// ---------------------------------------------------------------- block editing

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

// ---------------------------------------------------------------- the window

class CobIdAccessLogic {
public:
    CobIdAccessLogic(ProgramState& state, UiServices services);

    CobIdTables tables;
    int shownTab = kCan0ToCan1;
    bool compileAllVisible = true; // "Compile All CobID": only when both ports run 2.0A
    bool modifyEditable = false;   // "Modify CobID" is read-only unless Positive Implementation
    // The frame formats at the last showing: they size and check the tables.
    CommSession formats;
    // The cell that the last failed check reported.
    std::optional<CobIdCellError> badCell;

    CobIdTable& Table(int direction) { return tables.Table(direction); }
    CobIdTable& ShownTable() { return Table(shownTab); }
    bool IsEditable(int column) const { return IsCobIdColumnEditable(column, modifyEditable); }

    // Sizes and empties both tables by the session's formats, sets the
    // button and column states, then reads the open project's document.
    CobIdLoad Show();

    // True when every identifier cell is in range. Otherwise shows one error
    // box for the first bad cell, turns to its tab, records it in badCell
    // and returns false.
    bool CheckTables();

    // OK: checks, then saves. True when the window may close; a failed save
    // is shown and keeps the window open with the edits.
    bool Ok();

    // "Compile All CobID": after a Yes, fills the shown table with the
    // identity translation (original and modified := row number;
    // descriptions kept). True when the table changed.
    bool CompileAll();

    // "Cancel All CobID": after a Yes, empties the identifiers of the shown
    // table. True when the table changed.
    bool ClearAll();

    // "Import CSV...": both tables replaced by those of a file the user
    // picks, checked as OK checks them. A file with bad lines is shown, line
    // by line, and changes nothing. True when the tables changed (they are
    // saved by OK, as any edit). Throws Error when the file cannot be read.
    bool ImportCsv();

    // "Export CSV...": both tables as they are in the window, to a file the
    // user picks. Throws Error when it cannot be written.
    void ExportCsv();

    const UiServices& Services() const { return services_; }

private:
    // Shows the recorded bad cell, if any, and turns to its tab.
    bool ReportBadCell();

    ProgramState& state_;
    UiServices services_;
};

} // namespace c2c
