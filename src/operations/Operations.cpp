#include "operations/Operations.h"

#include "documents/CobIdChecks.h"
#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "documents/CompanionDocuments.h"
#include "image/BankDecoder.h"
#include "image/BankImage.h"
#include "image/BankOutputs.h"
#include "operations/ProjectCheck.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "platform/WindowsPrograms.h"
#include "project/ProjectLayout.h"
#include "project/ProjectLock.h"

#include <memory>

namespace c2c {

ProjectFolderResult CreateProjectFolder(const ProjectLayout& project)
{
    if (DirectoryExists(project.ProjectDir()))
        return ProjectFolderResult::Exists;
    if (!CreateDirectory(project.ProjectDir()))
        return ProjectFolderResult::NotCreated;
    // A bin folder that cannot be made is reported by the steps that need it.
    CreateDirectories(project.BinDir());
    return ProjectFolderResult::Created;
}

void WriteNewProjectDocuments(const ProjectLayout& project, const CommSettings& settings,
                              CompanionTables& companions)
{
    SaveCommSettings(project, settings);
    WriteCompanionDocuments(companions, project);
}

void SaveCommSettings(const ProjectLayout& project, const CommSettings& settings)
{
    project.RequireProject();
    ProjectLock lock(project);
    WritePargen(project.PargenFile(), settings);
}

std::optional<CobIdCellError> SaveCobIdTables(const ProjectLayout& project, const CobIdTables& tables,
                                              const CommSession& session)
{
    if (auto bad = FindCobIdError(tables, session))
        return bad;
    project.RequireProject();
    ProjectLock lock(project);
    WriteCobIdDocument(project.CobIdFile(), tables);
    return std::nullopt;
}

std::string CobIdDocumentMissingText(const std::string& path)
{
    return "File \"" + path + "\" not found: open Set CobID Access and press OK, or drevanta-c2c-cli cobid import";
}

TableLayout ProjectImage::Layout() const
{
    return LayoutOf(settings.format0, settings.format1);
}

ProjectImage BuildProjectImage(const ProjectLayout& project)
{
    project.RequireProject();
    ProjectImage built;
    built.settings = ReadPargenStrictly(project.PargenFile());
    // A new project has no tables until they are saved once.
    if (!PathExists(project.CobIdFile()))
        throw Error(CobIdDocumentMissingText(project.CobIdFile()));
    built.tables = ReadCobIdStrictly(project.CobIdFile());
    // The cells by check's rules first, so that a bad one is named by table,
    // N° and value, as check names it.
    const CommSession session = SessionOf(built.settings);
    for (const CobIdCellProblem& cell : FindCobIdCellProblems(built.tables, session)) {
        const std::string text = CobIdCellProblemText(built.tables, session, cell);
        if (StopsBuild(cell, CobIdLayout(session)))
            throw Error(text);
        built.refusedCells.push_back(text + " (stored as it is; OK in Set CobID Access refuses it)");
    }
    built.image = std::make_unique<BankImage>();
    BuildBankImage(built.settings, built.tables, *built.image);
    return built;
}

DeviceBuild UpdateDevice(const ProjectLayout& project)
{
    ProjectLock lock(project);
    const ProjectImage built = BuildProjectImage(project);
    WriteBankFiles(project, *built.image);

    // Counted from the bytes written, as the device will read them.
    const DecodedImage written = DecodeBankImage(built.image->Bank(1), built.image->Bank(2));
    DeviceBuild build;
    build.binDir = project.BinDir();
    for (std::size_t bank = 0; bank < build.rows.size(); ++bank)
        build.rows[bank] = written.translations[bank].size();
    build.warnings = built.refusedCells;
    for (std::string& warning : ProjectWarnings(built.settings, built.tables))
        build.warnings.push_back(std::move(warning));
    return build;
}

ComposerSettings ComposerSettingsFor(const ProjectLayout& project, const std::string& masterPath,
                                     const std::string& newFileName)
{
    ComposerSettings settings;
    settings.FileSx = FileNameOf(masterPath);
    settings.MasterFolder = FolderOf(masterPath);
    if (settings.MasterFolder.empty() && masterPath.find_first_of("/\\") == 0)
        settings.MasterFolder = masterPath.substr(0, 1); // a master in the root folder
    settings.DirBin = WithTrailingSeparator(project.BinDir());
    settings.NewFileName = newFileName;
    settings.Project = project;
    return settings;
}

ChainOutcome ComposeFirmware(const ComposerSettings& settings, const std::array<bool, kBankCount>& taken,
                             MessageService& messages, ProgressSink& progress)
{
    if (!settings.Project.CheckProject(messages))
        return ChainOutcome{};
    ProjectLock lock(settings.Project);
    SRecordComposer composer(settings, messages, progress);
    return composer.RunStages(taken);
}

std::string FlasherStartMessage(FlasherStart outcome)
{
    switch (outcome) {
    case FlasherStart::Started:
        return "";
    case FlasherStart::FirmwareNotFound:
        return kMsgSxNotFound;
    case FlasherStart::FlasherNotFound:
        return kMsgFlasherNotFound;
    case FlasherStart::NotStarted:
        return kMsgFlasherNotStarted;
    case FlasherStart::WineMissing:
        return kMsgWineMissing;
    }
    return "";
}

FlasherStart StartFlasher(const ProjectLayout& project, const std::string& firmware, int port,
                          const std::string& workingDir, ShellService& shell)
{
    ProjectLock lock(project);
    if (!FileExists(firmware))
        return FlasherStart::FirmwareNotFound;
    const std::string flasher = project.FlasherFile();
    if (!FileExists(flasher))
        return FlasherStart::FlasherNotFound;
    const auto start = HowToStart(flasher, {firmware, std::to_string(port)});
    if (!start)
        return FlasherStart::WineMissing;
    if (!shell.startDetached(start->program, start->arguments, workingDir))
        return FlasherStart::NotStarted;
    return FlasherStart::Started;
}

} // namespace c2c
