#pragma once
// The New project dialog's logic: the user types a name, and OK creates the
// project folder with its bin folder under the destination folder, makes it
// the current project and writes its first documents: pargen.xml from the
// SET COMMUNICATION dialog's present state, then the five companion
// documents. The dialog stays open while the input is not acceptable.
//
// One instance lives for the whole run; the main window sets
// DestinationDir to ProjectsDir before every showing.

#include <string>

namespace c2c {

struct Workspace;
struct CommSettingsDialog;
struct CommSession;
struct CompanionTables;
class MessageService;

inline constexpr const char* kNewProjectCaption = "New project";
inline constexpr const char* kProjectNameLabel = "Project name";

inline constexpr const char* kMsgDestinationNotValid = "directory destination not valid";
inline constexpr const char* kMsgProjectNameNotValid = "Name project not valid";
inline constexpr const char* kMsgProjectExists = "Name project not valid because directory already exists";

// "Cannot create directory "PATH"": the project folder could not be made.
std::string ProjectNotCreatedText(const std::string& path);

struct NewProjectDialog {
    // Folder in which the project folder is made.
    std::string DestinationDir;
    // The name as typed, taken from the edit box when OK is pressed.
    std::string EnteredName;
    // Whether the dialog may close now.
    bool AllowClose = false;
    // The edit box's text.
    std::string Edit1;

    // When the dialog is created: no name, no destination.
    void FormCreate();

    // Each showing starts with an empty edit box and no name.
    void FormShow();

    // OK. Refuses an empty destination or name, a name with a ".." step and
    // a name whose folder exists, each with its message (the dialog stays
    // open). Otherwise creates the folder (one level) and its bin folder,
    // points `workspace` at it, writes pargen.xml through `commSettings`
    // (which sets `session`) and then the companion documents. A failing
    // writer is shown as the general error report and ends the writing; the
    // project stays current and the dialog closes all the same.
    void BitBtn1Click(Workspace& workspace, const CommSettingsDialog& commSettings, CommSession& session,
                      CompanionTables& companions, MessageService& messages);

    // Cancel.
    void BitBtn2Click() { AllowClose = true; }

    // Asked whenever the dialog is about to close.
    bool FormCloseQuery() const { return AllowClose; }
};

} // namespace c2c
