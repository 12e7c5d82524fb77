#include "dialogs/GenerateFirmwareLogic.h"

#include "dialogs/ProgramState.h"
#include "operations/ConfigurationDiff.h"
#include "operations/ConfigurationReport.h"
#include "operations/ForwardingSource.h"
#include "operations/HtmlText.h"
#include "operations/Operations.h"
#include "operations/OutcomeText.h"
#include "platform/FileSystem.h"

namespace c2c {

namespace {

// Marks a run as under way for as long as it lasts, however it ends.
class RunUnderWay {
public:
    explicit RunUnderWay(bool& running) : running_(running) { running_ = true; }
    ~RunUnderWay() { running_ = false; }
    RunUnderWay(const RunUnderWay&) = delete;
    RunUnderWay& operator=(const RunUnderWay&) = delete;

private:
    bool& running_;
};

// Passes every message on and keeps the last, which says why a run stopped.
class LastMessage final : public MessageService {
public:
    explicit LastMessage(MessageService& shown) : shown_(shown) {}
    void showMessage(const std::string& text) override
    {
        last = text;
        shown_.showMessage(text);
    }
    void showError(const std::string& text) override
    {
        last = text;
        shown_.showError(text);
    }
    bool confirm(const std::string& text) override
    {
        last = text;
        return shown_.confirm(text);
    }
    bool askAlert(const std::string& text) override
    {
        last = text;
        return shown_.askAlert(text);
    }

    std::string last;

private:
    MessageService& shown_;
};

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

} // namespace

std::string MasterMissingText(const std::string& masterName)
{
    return "Error file " + masterName + " not found";
}

std::string MasterMissingStatus(const std::string& masterName, const std::string& folder)
{
    return "No master firmware: " + masterName + " was looked for in " + folder;
}

Placement FormPlacement(int screenWidth, int screenHeight, int dialogWidth, int dialogHeight)
{
    return {screenWidth / 2 - dialogWidth / 2, screenHeight / 2 - dialogHeight};
}

GenerateFirmwareLogic::GenerateFirmwareLogic(ProgramState& state, UiServices services)
    : state_(state), services_(services)
{
}

bool GenerateFirmwareLogic::ProjectIsOpen()
{
    return state_.workspace.layout.CheckProject(services_.messages);
}

void GenerateFirmwareLogic::TellBuild(const DeviceBuild& build)
{
    pendingBuild_ = build;
}

void GenerateFirmwareLogic::ShowStatus()
{
    std::vector<std::string> lines;
    for (const std::string* line : {&buildLine_, &masterLine_})
        if (!line->empty())
            lines.push_back(*line);
    if (!runClauses_.empty())
        lines.push_back(Sentence(Joined(runClauses_, "; ")));
    if (!reportLine_.empty())
        lines.push_back(reportLine_);
    status = Joined(lines, "\n");
}

void GenerateFirmwareLogic::Show(ProgressSink& progress)
{
    // Only the build that preceded this showing is told of.
    buildLine_ = pendingBuild_ ? BuildText(*pendingBuild_) : "";
    if (pendingBuild_ && !pendingBuild_->warnings.empty()) {
        const std::size_t count = pendingBuild_->warnings.size();
        buildLine_ += "; " + std::to_string(count) + (count == 1 ? " warning" : " warnings") +
                      ", shown before this window opened";
    }
    pendingBuild_.reset();
    masterLine_.clear();
    runClauses_.clear();
    reportLine_.clear();
    composed_.clear();
    reviewVisible = false;
    comparison.reset();
    ShowStatus();

    optionsCaption = kOptionsClosedCaption;
    banksVisible = false;
    binFolderButtonVisible = false;
    // This product offers banks 1 and 2; the others stay hidden.
    for (std::size_t i = 0; i < banks.size(); ++i) {
        banks[i].visible = i < 2;
        if (i < 2)
            banks[i].checked = true;
        banks[i].color = kFormColor;
    }
    port = 0;
    progress.setPosition(0);
    executeEnabled = false;

    // An empty project would put the bin folder and the new firmware at the
    // file system's root: refuse it, and forget the folders of an earlier
    // showing so the hidden buttons cannot compose into another project.
    if (!ProjectIsOpen()) {
        composer.DirBin.clear();
        composer.Project.SetProjectDir("");
        return;
    }
    const ProjectLayout& layout = state_.workspace.layout;
    // Always the open project's bin folder, even when it is missing (the
    // composer then says so), never one left from another project.
    composer.DirBin = WithTrailingSeparator(layout.BinDir());

    if (!FileExists(layout.MasterFile())) {
        masterLine_ = MasterMissingStatus(kMasterFileName, layout.MasterDir());
        ShowStatus();
        services_.messages.showError(MasterMissingText(kMasterFileName));
        return;
    }
    // The master is read by its full path, so no current folder has to be
    // changed (and cannot fail) once the file is found.
    UseMaster(layout.MasterDir(), kMasterFileName);
}

void GenerateFirmwareLogic::UseMaster(const std::string& folder, const std::string& fileName)
{
    composer.FileSx = fileName;
    composer.MasterFolder = folder;
    composer.Project = state_.workspace.layout;
    SetNewFirmwareName(NewFirmwareName(fileName));
    executeEnabled = true;
}

void GenerateFirmwareLogic::SetNewFirmwareName(const std::string& text)
{
    newFirmwareName = text;
    composer.NewFileName = text;
}

void GenerateFirmwareLogic::ToggleOptions()
{
    const bool show = !banksVisible;
    optionsCaption = show ? kOptionsOpenCaption : kOptionsClosedCaption;
    banksVisible = show;
    binFolderButtonVisible = show;
}

void GenerateFirmwareLogic::OpenFirmware()
{
    if (!ProjectIsOpen())
        return;
    const ProjectLayout& layout = state_.workspace.layout;
    const std::string folder = DirectoryExists(layout.MasterDir()) ? layout.MasterDir() : layout.WorkspaceDir();
    auto chosen =
        services_.files.pickFile(kOpenDialogSxTitle, folder, kOpenDialogSxFilter, kOpenDialogSxPattern);
    if (chosen) {
        UseMaster(FolderOf(*chosen), FileNameOf(*chosen));
        masterLine_.clear();
        ShowStatus();
    }
}

void GenerateFirmwareLogic::ChooseBinFolder()
{
    if (!ProjectIsOpen())
        return;
    if (auto chosen = services_.folders.pickFolder(kSelectDirBinTitle, state_.workspace.layout.ProjectDir(), ""))
        composer.DirBin = WithTrailingSeparator(*chosen);
}

ChainOutcome GenerateFirmwareLogic::ComposeFirmware(ProgressSink& progress)
{
    if (running_)
        return ChainOutcome{};
    RunUnderWay run(running_);
    std::array<bool, kBankCount> taken{};
    for (std::size_t i = 0; i < banks.size(); ++i) {
        banks[i].color = kFormColor;
        taken[i] = banks[i].visible && banks[i].checked;
    }
    // An error that escapes the composer leaves the button disabled.
    composeEnabled = false;
    // A run may be reviewed however it ended; a firmware of an earlier run
    // is never taken for this one's.
    reviewVisible = true;
    composed_.clear();
    LastMessage messages(services_.messages);
    ChainOutcome outcome;
    try {
        outcome = c2c::ComposeFirmware(composer, taken, messages, progress);
    } catch (const std::exception& error) {
        runClauses_ = {"no new firmware: " + std::string(error.what())};
        ShowStatus();
        throw;
    }
    // The status line names the file the message is about, as the command
    // line does (the message box keeps its text).
    runClauses_ = {FirmwareText(composer, outcome, ComposerMessageText(composer, messages.last))};
    if (outcome.Completed())
        composed_ = composer.NewFirmwarePath();
    ShowStatus();
    for (std::size_t i = 0; i < banks.size(); ++i)
        if (outcome.stages[i] == StageResult::WindowNotFound)
            banks[i].color = kBankMissingColor;
    composeEnabled = true;
    return outcome;
}

bool GenerateFirmwareLogic::StartFlasher()
{
    if (running_)
        return false;
    RunUnderWay run(running_);
    runClauses_.clear();
    return StartFlasherNow();
}

bool GenerateFirmwareLogic::StartFlasherNow()
{
    if (!composer.Project.CheckProject(services_.messages)) {
        runClauses_.push_back(std::string("flasher not started: ") + kMsgProjectNotValid);
        ShowStatus();
        return false;
    }
    // The flasher starts in the master's folder, where a shell start from
    // this program would have left it.
    FlasherStart started = FlasherStart::NotStarted;
    try {
        started = c2c::StartFlasher(composer.Project, composer.NewFirmwarePath(), port, composer.MasterFolder,
                                    services_.shell);
    } catch (const std::exception& error) {
        runClauses_.push_back("flasher not started: " + std::string(error.what()));
        ShowStatus();
        throw;
    }
    runClauses_.push_back(FlasherText(composer.Project, composer.NewFirmwarePath(), port, started));
    ShowStatus();
    if (started != FlasherStart::Started) {
        services_.messages.showMessage(FlasherStartMessage(started));
        return false;
    }
    return true;
}

std::string GenerateFirmwareLogic::ReviewedSource() const
{
    return composed_.empty() ? composer.Project.ProjectDir() : composed_;
}

bool GenerateFirmwareLogic::CompareWithFirmware()
{
    if (!composer.Project.CheckProject(services_.messages))
        return false;
    const ProjectLayout& layout = composer.Project;
    const std::string folder = DirectoryExists(layout.MasterDir()) ? layout.MasterDir() : layout.ProjectDir();
    const auto chosen = services_.files.pickFile(kCompareTitle, folder, kOpenDialogSxFilter, kOpenDialogSxPattern);
    if (!chosen)
        return false;
    const ConfigurationSource a = LoadConfigurationSource(*chosen);
    const ConfigurationSource b = LoadConfigurationSource(ReviewedSource());
    const ConfigurationDiff diff = DiffConfigurations(a, b);
    FirmwareComparison shown{a.path, b.path, DiffTextLines(diff), diff.Same()};
    for (const ConfigurationSource* source : {&a, &b})
        for (const std::string& warning : source->image.warnings)
            shown.lines.push_back(std::string("Warning: ") + (source == &a ? "A" : "B") + ": " + warning);
    comparison = std::move(shown);
    return true;
}

void GenerateFirmwareLogic::WriteReport()
{
    if (!composer.Project.CheckProject(services_.messages))
        return;
    const ProjectLayout& layout = composer.Project;
    std::string name = FileNameOf(layout.ProjectDir());
    const auto chosen = services_.files.pickSaveFile(kReportTitle, layout.ProjectDir(), name + " report.html",
                                                     kReportFilter, kReportPattern);
    if (!chosen)
        return;
    ReportRequest request;
    request.source = ReviewedSource();
    const std::string refusal = ReportOutputRefusal(*chosen, request);
    if (!refusal.empty()) {
        services_.messages.showError("The report " + refusal);
        return;
    }
    WriteConfigurationReport(request, *chosen);
    const bool opened = services_.shell.openUrl(FileUrl(*chosen));
    reportLine_ = "Report written to " + *chosen + (opened ? "" : "; the browser did not open it");
    ShowStatus();
    if (!opened)
        services_.messages.showMessage("The report was written to " + *chosen + ", but the browser did not open it");
}

void GenerateFirmwareLogic::ExecuteUpdateFirmware(ProgressSink& progress)
{
    if (running_)
        return;
    const ChainOutcome outcome = ComposeFirmware(progress);
    // Only a firmware made now, with every bank in it, goes to the device:
    // never a file left by an earlier run.
    if (!outcome.AllInserted()) {
        runClauses_.push_back(FlasherNotTriedText(outcome));
        ShowStatus();
        if (outcome.EndedWithoutEndRecord())
            services_.messages.showMessage(kMsgNoEndRecord);
        return;
    }
    RunUnderWay run(running_);
    StartFlasherNow();
}

} // namespace c2c
