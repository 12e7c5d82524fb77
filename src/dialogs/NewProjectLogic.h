#pragma once
// The New project window's logic: the user types a name, and OK creates the
// project folder with its bin folder under the destination folder, makes it
// the open project and writes its first documents: pargen.xml from the SET
// COMMUNICATION window's present state, then the five companion documents.
// The window stays open while the input is not acceptable.
//
// One instance lives for the whole run; the main window sets
// destinationDir to PROJECTS before every showing.

#include "platform/UiServices.h"

#include <string>

namespace c2c {

struct ProgramState;
class CommSettingsLogic;

inline constexpr const char* kNewProjectCaption = "New project";
inline constexpr const char* kProjectNameLabel = "Project name";

inline constexpr const char* kMsgDestinationNotValid = "directory destination not valid";
inline constexpr const char* kMsgProjectNameNotValid = "Name project not valid";
inline constexpr const char* kMsgProjectExists = "Name project not valid because directory already exists";

// "Cannot create directory "PATH"": the project folder could not be made.
std::string ProjectNotCreatedText(const std::string& path);

class NewProjectLogic {
public:
    // `commSettings` is the SET COMMUNICATION window's logic, whose present
    // state a new project's pargen.xml receives.
    NewProjectLogic(ProgramState& state, const CommSettingsLogic& commSettings, UiServices services);

    // Folder in which the project folder is made.
    std::string destinationDir;
    // The edit box's text.
    std::string nameText;
    // The name as typed, taken from the edit box when OK is pressed.
    std::string enteredName;

    // Each showing starts with an empty edit box and no name.
    void Show();

    // OK. Refuses an empty destination or name, a name with a ".." step and
    // a name whose folder exists, each with its message (the window stays
    // open). Otherwise creates the folder (one level) and its bin folder,
    // makes it the open project, sets the session from the SET
    // COMMUNICATION state and writes the documents. A failing writer is
    // shown as the general error report and ends the writing; the project
    // stays open and the window closes all the same.
    void Ok();

    void Cancel() { allowClose_ = true; }

    // Asked whenever the window is about to close.
    bool CanClose() const { return allowClose_; }

    const UiServices& Services() const { return services_; }

private:
    ProgramState& state_;
    const CommSettingsLogic& commSettings_;
    UiServices services_;
    bool allowClose_ = false;
};

} // namespace c2c
