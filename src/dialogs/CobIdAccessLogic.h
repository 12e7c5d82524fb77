#pragma once
// The Set CobID Access window's logic: the two translation tables on two
// tabs, their check and save, "Compile All CobID" and "Cancel All CobID",
// the block editing of the grids (copy, paste and clear rectangles of cells
// as spreadsheets do), and what makes the grids a spreadsheet to work in:
// every change as one step to undo, find by identifier value or
// description, problems marked as the user types, and nothing lost without
// a word (rows carried over when the tables shrink, a paste that does not
// fit, changes thrown away only after a question).
//
// Every change of the tables in a showing is a CobIdEdit (CobIdEdit.h): the
// handlers below compute one from the user's action without changing
// anything, and Apply / Revert carry it out or take it back (the window
// keeps the edits on its undo stack). Block editing is CobIdClipboard.h,
// find and go to CobIdSearch.h, the marks CobIdLiveCheck.h.

#include "dialogs/CobIdClipboard.h"
#include "dialogs/CobIdEdit.h"
#include "dialogs/CobIdLiveCheck.h"
#include "dialogs/TrafficLogic.h"
#include "dialogs/CobIdSearch.h"
#include "documents/CobIdCarryOver.h"
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

inline constexpr const char* kMsgConfirmCompileAll = "Are you sure to cancel all the CobID just write?";
inline constexpr const char* kMsgConfirmCancelAll = "Are you sure to cancel all the CobID?";
inline constexpr const char* kMsgConfirmDiscard = "Discard the changes to the CobID tables?";

// The names of the edits, as Undo and Redo show them.
inline constexpr const char* kEditTyping = "Typing";
inline constexpr const char* kEditDelete = "Delete";
inline constexpr const char* kEditCut = "Cut";
inline constexpr const char* kEditPaste = "Paste";
inline constexpr const char* kEditCompileAll = "Compile All CobID";
inline constexpr const char* kEditCancelAll = "Cancel All CobID";
inline constexpr const char* kEditImportCsv = "Import CSV";

// A warning at OK shows this many lines and counts the rest.
inline constexpr std::size_t kShownOkWarnings = 12;

// The grids' context menu: both tables to and from a spreadsheet file.
inline constexpr const char* kImportCsvCaption = "Import CSV...";
inline constexpr const char* kExportCsvCaption = "Export CSV...";
inline constexpr const char* kCsvFilter = "CSV files";
inline constexpr const char* kCsvPattern = "*.csv";
inline constexpr const char* kCsvSuggestedName = "CobID.csv";
// An import with bad lines shows this many of them and counts the rest.
inline constexpr std::size_t kShownCsvProblems = 12;

// The message of the warnings at OK: a heading, then at most
// kShownOkWarnings of `lines` and a count of the rest. Empty without lines.
std::string CobIdOkWarningText(const std::vector<std::string>& lines);

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
    // The stored rows beyond the tables' length that the last showing moved
    // into empty rows, or could not keep.
    CobIdCarryOver carryOver;
    // Where Add rows' file chooser starts: the project's folder, then the
    // folder of the last file picked for this project.
    std::string addRowsFolder;

    CobIdTable& Table(int direction) { return tables.Table(direction); }
    CobIdTable& ShownTable() { return Table(shownTab); }
    bool IsEditable(int column) const { return IsCobIdColumnEditable(column, modifyEditable); }

    // Sizes and empties both tables by the session's formats, sets the
    // button and column states, then reads the open project's document.
    // Stored rows beyond the tables' length are moved into the first empty
    // rows (see carryOver and TellCarryOver). The tables as they are then
    // are what Cancel compares with.
    CobIdLoad Show();
    // The message about the rows the showing carried over, if any.
    void TellCarryOver();

    // True when every identifier cell is in range. Otherwise shows one error
    // box for the first bad cell, turns to its tab, records it in badCell
    // and returns false.
    bool CheckTables();

    // OK: checks, then saves. True when the window may close; a failed save
    // is shown and keeps the window open with the edits. Once the check has
    // passed, the lines of WarningsAtOk are shown in one message (they do
    // not stop the save).
    bool Ok();
    // The lines of the warning at OK, one per finding: what the tables hold
    // that the build takes otherwise than they seem to say
    // (FindCobIdWarnings). Checks of other kinds add their lines here.
    std::vector<std::string> WarningsAtOk() const;

    // Cancel and the close box: true when the window may close, which is at
    // once when the tables are as the showing left them and otherwise only
    // after a Yes to "Discard the changes to the CobID tables?".
    bool Cancel();
    bool HasChanges() const { return tables != shown_; }

    // ---- the changes of the tables, each one edit (empty: nothing to do)

    // A cell's new text, as typed.
    CobIdEdit TypeCell(const CobIdCellRef& cell, std::string text) const;
    // Every editable cell among `cells` set to `text` (Delete and Cut: empty).
    CobIdEdit FillCells(std::string name, const std::vector<CobIdCellRef>& cells, const std::string& text) const;
    // A block of tab-separated text with its first cell at (row, column).
    CobIdPaste Paste(int direction, std::size_t row, int column, std::string_view text) const;
    // "Compile All CobID": after a Yes, the shown table's identity
    // translation (original and modified := row number; descriptions kept).
    CobIdEdit CompileAll();
    // "Cancel All CobID": after a Yes, the shown table's identifiers emptied.
    CobIdEdit ClearAll();
    // "Import CSV...": both tables replaced by those of a file the user
    // picks, checked as OK checks them. A file with bad lines is shown, line
    // by line, and changes nothing. Throws Error when the file cannot be read.
    CobIdEdit ImportCsv();
    // Any other tool of the window: the tables it wants, as one edit.
    CobIdEdit TablesChange(std::string name, const CobIdTables& after) const;

    // Carries out an edit, or takes it back; the problem marks follow.
    void Apply(const CobIdEdit& edit);
    void Revert(const CobIdEdit& edit);

    // "Export CSV...": both tables as they are in the window, to a file the
    // user picks. Throws Error when it cannot be written.
    void ExportCsv();

    // ---- find and go to

    // An identifier in any integer syntax (0x1C1, $1c1, 449) finds the
    // Original and Modify cells of the same value; any other text the
    // descriptions holding it, letter case aside. Searches both tables from
    // the cell after `from` (before it, backwards), round the end; without
    // `from`, from the start (the end).
    // (FindInCobIdTables.)
    CobIdFound Find(std::string_view query, const std::optional<CobIdCellRef>& from, bool forward) const;
    // The row of a N° typed in any integer syntax, when the shown table has it.
    std::optional<std::size_t> RowOfNumber(std::string_view text) const;

    // ---- problems as the user types

    const CobIdLiveCheck& Problems() const { return live_; }
    // The first problem, else the first warning.
    std::optional<CobIdCellRef> FirstMarkedCell() const;

    const UiServices& Services() const { return services_; }

    // ---- Check routing

    // The inputs of its Traffic page, kept while the program runs; the bit
    // rates are the project's, where its settings give them (not where the
    // dip switch sets them: there the last one chosen stays).
    TrafficInputs& TrafficPage();

private:
    // Shows the recorded bad cell, if any, and turns to its tab.
    bool ReportBadCell();
    void SetCell(const CobIdCellRef& cell, const std::string& text);

    ProgramState& state_;
    UiServices services_;
    CobIdLiveCheck live_;
    CobIdTables shown_; // the tables as the showing left them
    TrafficInputs traffic_;
    std::string addRowsProject_; // the project addRowsFolder belongs to
};

} // namespace c2c
