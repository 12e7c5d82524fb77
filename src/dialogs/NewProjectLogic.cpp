#include "dialogs/NewProjectLogic.h"

#include "dialogs/CommSettingsLogic.h"
#include "dialogs/ProgramState.h"
#include "operations/Operations.h"
#include "platform/Error.h"

#include <exception>

namespace c2c {

namespace {

// True when a step of the name is "..", which would put the project outside
// the destination folder. Both separators count, so a name means the same
// folder on every platform.
bool LeavesDestination(const std::string& name)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t end = name.find_first_of("/\\", start);
        if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

std::string ProjectNotCreatedText(const std::string& path)
{
    return "Cannot create directory \"" + path + "\"";
}

NewProjectLogic::NewProjectLogic(ProgramState& state, const CommSettingsLogic& commSettings, UiServices services)
    : state_(state), commSettings_(commSettings), services_(services)
{
}

void NewProjectLogic::Show()
{
    nameText.clear();
    enteredName.clear();
}

void NewProjectLogic::Ok()
{
    allowClose_ = true;
    enteredName = nameText; // exactly as typed: blanks are part of the name
    if (destinationDir.empty()) {
        services_.messages.showMessage(kMsgDestinationNotValid);
        allowClose_ = false;
    }
    if (enteredName.empty() || LeavesDestination(enteredName)) {
        services_.messages.showMessage(kMsgProjectNameNotValid);
        allowClose_ = false;
    }
    if (!allowClose_)
        return;

    ProjectLayout project = state_.workspace.layout;
    project.SetProjectDir(ProjectFolderIn(destinationDir, enteredName));
    switch (CreateProjectFolder(project)) {
    case ProjectFolderResult::Created:
        break;
    case ProjectFolderResult::Exists:
        services_.messages.showMessage(kMsgProjectExists);
        allowClose_ = false;
        return;
    case ProjectFolderResult::NotCreated:
        // One level only: a nested name needs its parent folder to exist.
        services_.messages.showMessage(ProjectNotCreatedText(project.ProjectDir()));
        allowClose_ = false;
        return;
    }

    state_.workspace.UseProject(enteredName, project.ProjectDir());
    const CommSettings settings = commSettings_.Settings();
    state_.session = SessionOf(settings);
    try {
        WriteNewProjectDocuments(state_.workspace.layout, settings, state_.companions);
    } catch (const std::exception& error) {
        // The project is open already; it keeps what was written.
        services_.messages.showError(GeneralErrorText(error.what()));
    }
}

} // namespace c2c
