#include "app/NewProject.h"

#include "app/CompanionDocuments.h"
#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Product.h"
#include "platform/UiServices.h"

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

void NewProjectDialog::FormCreate()
{
    EnteredName.clear();
    DestinationDir.clear();
}

void NewProjectDialog::FormShow()
{
    Edit1.clear();
    EnteredName.clear();
}

void NewProjectDialog::BitBtn1Click(Workspace& workspace, const CommSettingsDialog& commSettings,
                                    CommSession& session, CompanionTables& companions, MessageService& messages)
{
    AllowClose = true;
    EnteredName = Edit1; // exactly as typed: blanks are part of the name
    if (DestinationDir.empty()) {
        messages.showMessage(kMsgDestinationNotValid);
        AllowClose = false;
    }
    if (EnteredName.empty() || LeavesDestination(EnteredName)) {
        messages.showMessage(kMsgProjectNameNotValid);
        AllowClose = false;
    }
    if (!AllowClose)
        return;

    const std::string projectDir = DestinationDir + kSep + EnteredName;
    // The file system judges whether the name is taken, so on a file system
    // that ignores letter case "line3" is refused beside "Line3".
    if (DirectoryExists(projectDir)) {
        messages.showMessage(kMsgProjectExists);
        AllowClose = false;
        return;
    }
    // One level only: a nested name needs its parent folder to exist.
    if (!CreateDirectory(projectDir)) {
        messages.showMessage(ProjectNotCreatedText(projectDir));
        AllowClose = false;
        return;
    }
    // bin is filled later by "Update Device", which reports a missing one.
    CreateDirectories(projectDir + kSep + "bin");

    workspace.ProjectName = EnteredName;
    workspace.ProjectDir = projectDir;
    workspace.UpdateDocumentPaths();

    if constexpr (ProductVariant == 2) {
        try {
            commSettings.BitBtn1Click(workspace.PargenFile, session);
            WriteCompanionDocuments(companions, workspace);
        } catch (const std::exception& error) {
            // The project is current already; it keeps what was written.
            messages.showError(GeneralErrorText(error.what()));
        }
    }
    AllowClose = true;
}

} // namespace c2c
