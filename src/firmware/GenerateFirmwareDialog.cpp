#include "firmware/GenerateFirmwareDialog.h"

#include "app/Workspace.h"
#include "platform/FileSystem.h"
#include "platform/Product.h"
#include "platform/UiServices.h"

namespace c2c {

namespace {

bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

std::string WithSeparator(const std::string& path)
{
    return EndsWithSeparator(path) ? path : path + kSep;
}

} // namespace

std::string MasterMissingText(const std::string& masterName)
{
    return "Error file " + masterName + " not found";
}

Placement FormPlacement(int screenWidth, int screenHeight, int dialogWidth, int dialogHeight)
{
    return {screenWidth / 2 - dialogWidth / 2, screenHeight / 2 - dialogHeight};
}

BankCheckBox& GenerateFirmwareDialog::Cbbank(int index)
{
    BankCheckBox* boxes[kWindowCount] = {&Cbbank1, &Cbbank2, &Cbbank3, &Cbbank4, &Cbbank5};
    return *boxes[index];
}

const BankCheckBox& GenerateFirmwareDialog::Cbbank(int index) const
{
    return const_cast<GenerateFirmwareDialog*>(this)->Cbbank(index);
}

void GenerateFirmwareDialog::FormShow(const Workspace& workspace, MessageService& messages, ProgressSink& progress)
{
    OptionsCaption = kOptionsClosedCaption;
    GbBankVisible = false;
    DirFileBinVisible = false;

    if (ProductVariant == 2 || ProductVariant == 3) {
        for (int i = 0; i < kWindowCount; ++i) {
            Cbbank(i).Visible = i < 2;
            if (i < 2)
                Cbbank(i).Checked = true;
            Cbbank(i).Color = kFormColor;
        }
    }

    cbport = 0;
    progress.setPosition(0);
    LbButton2Enabled = false;

    // An empty project would put the bin folder and the new firmware at the
    // file system's root: refuse it, and forget the folders of an earlier
    // showing so the hidden buttons cannot compose into another project.
    if (!workspace.IsProjectValid()) {
        DirBin.clear();
        DirProject.clear();
        messages.showMessage(kMsgProjectNotValid);
        return;
    }

    // Always the current project's bin folder, even when it is missing (the
    // composer then says so), never one left from another project.
    DirBin = workspace.ProjectDir + kSep + "bin" + kSep;

    if (!FileExists(workspace.MasterDir + kSep + kMasterFileName)) {
        messages.showError(MasterMissingText(kMasterFileName));
        return;
    }
    // The master is read by its full path, so no current folder has to be
    // changed (and cannot fail) once the file is found.
    UseMaster(workspace.MasterDir, kMasterFileName, workspace);
}

void GenerateFirmwareDialog::UseMaster(const std::string& folder, const std::string& fileName,
                                       const Workspace& workspace)
{
    FileSx = fileName;
    MasterFolder = folder;
    DirProject = WithSeparator(workspace.ProjectDir);
    NewFileSxChange(kNewFilePrefix + FileSx);
    LbButton2Enabled = true;
}

void GenerateFirmwareDialog::NewFileSxChange(const std::string& text)
{
    NewFileSx = text;
    NewFileName = text;
}

void GenerateFirmwareDialog::OptionsClick()
{
    const bool show = !GbBankVisible;
    OptionsCaption = show ? kOptionsOpenCaption : kOptionsClosedCaption;
    GbBankVisible = show;
    DirFileBinVisible = show;
}

void GenerateFirmwareDialog::OpenFileClick(const Workspace& workspace, MessageService& messages, FilePicker& files)
{
    if (!workspace.IsProjectValid()) {
        messages.showMessage(kMsgProjectNotValid);
        return;
    }
    const std::string folder =
        !workspace.MasterDir.empty() && DirectoryExists(workspace.MasterDir) ? workspace.MasterDir : workspace.ExeDir;
    auto chosen = files.pickFile(kOpenDialogSxTitle, folder, kOpenDialogSxFilter, kOpenDialogSxPattern);
    if (!chosen)
        return;
    UseMaster(FolderOf(*chosen), FileNameOf(*chosen), workspace);
}

void GenerateFirmwareDialog::DirFileBinClick(const Workspace& workspace, MessageService& messages,
                                             FolderPicker& folders)
{
    if (!workspace.IsProjectValid()) {
        messages.showMessage(kMsgProjectNotValid);
        return;
    }
    if (auto chosen = folders.pickFolder(kSelectDirBinTitle, workspace.ProjectDir, ""))
        DirBin = WithSeparator(*chosen);
}

ChainOutcome GenerateFirmwareDialog::ExeModFileSxClick(MessageService& messages, ProgressSink& progress)
{
    std::array<bool, kWindowCount> taken{};
    for (int i = 0; i < kWindowCount; ++i) {
        Cbbank(i).Color = kFormColor;
        taken[static_cast<std::size_t>(i)] = Cbbank(i).Visible && Cbbank(i).Checked;
    }
    // An error that escapes the composer leaves the button disabled.
    ExeModFileSxEnabled = false;
    SRecordComposer composer(*this, messages, progress);
    ChainOutcome outcome = composer.RunStages(taken);
    for (int i = 0; i < kWindowCount; ++i)
        if (outcome.results[static_cast<std::size_t>(i)] == kBankNotFound)
            Cbbank(i).Color = kBankMissingColor;
    ExeModFileSxEnabled = true;
    return outcome;
}

bool GenerateFirmwareDialog::ExeUpdateFirClick(const Workspace& workspace, MessageService& messages,
                                               ShellService& shell)
{
    if (DirProject.empty()) {
        messages.showMessage(kMsgProjectNotValid);
        return false;
    }
    const std::string firmware = DirProject + NewFileName;
    if (NewFileName.empty() || !FileExists(firmware)) {
        messages.showMessage(kMsgSxNotFound);
        return false;
    }
    const std::string flasher = workspace.ExeDir + kSep + kFlasherFileName;
    if (!FileExists(flasher)) {
        messages.showMessage(kMsgFlasherNotFound);
        return false;
    }
    // The flasher starts in the master's folder, where a shell start from
    // this program would have left it.
    if (!shell.startDetached(flasher, {firmware, std::to_string(cbport)}, MasterFolder)) {
        messages.showMessage(kMsgFlasherNotStarted);
        return false;
    }
    return true;
}

void GenerateFirmwareDialog::LbButton2Click(const Workspace& workspace, MessageService& messages,
                                            ProgressSink& progress, ShellService& shell)
{
    ChainOutcome outcome = ExeModFileSxClick(messages, progress);
    // Only a firmware made now, with every bank in it, goes to the device:
    // never a file left by an earlier run.
    if (!outcome.AllInserted()) {
        if (outcome.stoppedSilently)
            messages.showMessage(kMsgNoEndRecord);
        return;
    }
    ExeUpdateFirClick(workspace, messages, shell);
}

} // namespace c2c
