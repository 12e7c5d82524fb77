#pragma once
// The logic of Add rows, opened from Set CobID Access: a rule of one of four
// kinds (a CANopen node, from the predefined connection set or from its
// EDS/DCF; a range; one identifier; the network services), typed into
// fields, previewed against the window's tables as every field changes, and
// the window's tables with the rows added once the user presses Add.
// Nothing is saved here: the window's OK saves the tables.
//
// A node's EDS or DCF is read once, when it is chosen, and again only when
// the user asks (Reload); the preview works on what was read.

#include "documents/CobIdPlacement.h"
#include "platform/UiServices.h"

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace c2c {

inline constexpr const char* kAddRowsCaption = "Add rows";
// The button and the grids' context menu entry of Set CobID Access.
inline constexpr const char* kAddRowsButtonCaption = "Add rows...";

enum AddRowsKind : int { kAddNode, kAddRange, kAddIdentifier, kAddNetwork };
inline constexpr std::array<const char*, 4> kAddRowsKindCaptions = {
    "CANopen node", "Range of identifiers", "One identifier", "Network services (NMT, SYNC, TIME)"};

// The services the dialog offers, one check box each ("SDO" is request and
// response together), with the services each stands for.
struct AddRowsServiceBox {
    const char* caption;
    NodeServices services;
};
const std::vector<AddRowsServiceBox>& AddRowsServiceBoxes();

inline constexpr const char* kDescriptionFilter = "EDS and DCF files";
inline constexpr const char* kDescriptionPattern = "*.eds *.dcf";
inline constexpr const char* kPickDescriptionCaption = "The node's EDS or DCF";

class AddRowsLogic {
public:
    // `tables` and `session` as Set CobID Access holds them; `folder` is
    // where the file chooser starts.
    AddRowsLogic(const CobIdTables& tables, const CommSession& session, UiServices services, std::string folder);

    // The fields, as typed. Tables are kCan0ToCan1 and kCan1ToCan0.
    int kind = kAddNode;
    std::string node; // N; empty: from the DCF
    CanPort nodePort = CanPort::Can0;
    std::string nodeAs; // M; empty: N
    std::vector<bool> serviceBoxes = std::vector<bool>(AddRowsServiceBoxes().size(), true);
    std::string range; // FIRST-LAST
    int rangeTable = kCan0ToCan1;
    std::string rangeTo; // NEW_FIRST; empty: unchanged
    std::string identifier;
    int identifierTable = kCan0ToCan1;
    std::string identifierTo; // MOD; empty: unchanged
    bool nmt = true;
    bool sync = true;
    bool time = false;
    CanPort networkPort = CanPort::Can0;

    // The node's EDS or DCF; empty: the predefined set.
    const std::string& NodeFile() const { return nodeFile_; }
    // The service boxes only count without a file.
    bool ServicesApply() const { return nodeFile_.empty(); }

    // The preview of the fields as they are now: the rows with their N°
    // and notes, or what keeps them from being added.
    struct Preview {
        std::vector<std::string> lines;
        bool canAdd = false;
    };
    Preview Refresh();

    // "Browse...": picks the node's EDS or DCF and reads it (ChooseFile).
    // True when one was picked. The chooser starts in the folder given, then
    // in the folder of the file picked last.
    bool BrowseFile();
    // The node's EDS or DCF is `path`: reads it now. A file that cannot be
    // read is said by the preview.
    void ChooseFile(std::string path);
    // "Reload": reads the chosen file again.
    void ReloadFile();
    // "Clear": back to the predefined connection set.
    void ClearFile();
    // Where the chooser starts next.
    const std::string& Folder() const { return folder_; }

    // "Add": the last preview's addition (its tables are the window's tables
    // with the rows added), when it could be added.
    std::optional<CobIdAddition> Add() const;

private:
    // The rule the fields describe, or what is wrong with them.
    std::variant<CobIdRule, std::string> Rule() const;

    CobIdTables tables_;
    CommSession session_;
    UiServices services_;
    std::string folder_;
    std::string nodeFile_;
    // What reading nodeFile_ gave: its text, or why it could not be read.
    std::string fileText_;
    std::optional<std::string> fileError_;
    std::optional<CobIdAddition> addition_;
};

} // namespace c2c
