#include "project/ProjectLayout.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"

namespace c2c {

namespace {

constexpr const char* kMasterFolderName = "MASTER";
constexpr const char* kProjectsFolderName = "PROJECTS";
constexpr const char* kBinFolderName = "bin";
constexpr const char* kBankSourceFileName = "bankg.c";
constexpr const char* kBankRecordFileName = "Bin.sx";

bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

const char* DocumentFileName(ProjectDocument document)
{
    switch (document) {
    case ProjectDocument::Pargen:
        return "pargen.xml";
    case ProjectDocument::Sdo:
        return "sdo.xml";
    case ProjectDocument::EmcyDef:
        return "emcydef.xml";
    case ProjectDocument::EmcyWord:
        return "emcyword.xml";
    case ProjectDocument::RpdoDef:
        return "rpdodef.xml";
    case ProjectDocument::SdoPdo:
        return "sdopdo.xml";
    case ProjectDocument::CobId:
        return "CanCanCobID.xml";
    }
    return "";
}

std::string BankFileName(int bank)
{
    return "bank" + std::to_string(bank) + ".bin";
}

std::string StageFileName(int stage)
{
    return "B" + std::to_string(stage) + ".sx";
}

bool IsWorkingFileName(const std::string& name)
{
    if (name == kBankRecordFileName)
        return true;
    for (int stage = 1; stage <= kBankCount; ++stage)
        if (name == StageFileName(stage))
            return true;
    return false;
}

ProjectFileRole ProjectFileRoleOf(const std::string& fileName)
{
    const std::string name = Lower(fileName);
    for (ProjectDocument document : {ProjectDocument::Pargen, ProjectDocument::Sdo, ProjectDocument::EmcyDef,
                                     ProjectDocument::EmcyWord, ProjectDocument::RpdoDef, ProjectDocument::SdoPdo,
                                     ProjectDocument::CobId})
        if (name == Lower(DocumentFileName(document)))
            return ProjectFileRole::Document;
    for (int bank = 1; bank <= kBankCount; ++bank)
        if (name == Lower(BankFileName(bank)))
            return ProjectFileRole::BankFile;
    if (name == Lower(kBankSourceFileName))
        return ProjectFileRole::BankSource;
    if (name == Lower(kBankRecordFileName))
        return ProjectFileRole::WorkingFile;
    for (int stage = 1; stage <= kBankCount; ++stage)
        if (name == Lower(StageFileName(stage)))
            return ProjectFileRole::WorkingFile;
    return ProjectFileRole::None;
}

const char* ProjectFileRoleText(ProjectFileRole role)
{
    switch (role) {
    case ProjectFileRole::Document:
        return "a document of the project";
    case ProjectFileRole::BankFile:
        return "a bank file";
    case ProjectFileRole::BankSource:
        return "the bank source file";
    case ProjectFileRole::WorkingFile:
        return "a working file of the composition";
    case ProjectFileRole::None:
        break;
    }
    return "";
}

std::string ProjectFolderIn(const std::string& destination, const std::string& name)
{
    return destination + kSep + name;
}

std::string NewFirmwareName(const std::string& masterFileName)
{
    return kNewFirmwarePrefix + masterFileName;
}

std::string WithTrailingSeparator(const std::string& folder)
{
    return EndsWithSeparator(folder) ? folder : folder + kSep;
}

std::string BankFileIn(const std::string& binFolder, int bank)
{
    return binFolder + BankFileName(bank);
}

std::string BankRecordFileIn(const std::string& binFolder)
{
    return binFolder + kBankRecordFileName;
}

std::string StageFileIn(const std::string& projectFolder, int stage)
{
    return projectFolder + StageFileName(stage);
}

ProjectLayout::ProjectLayout(std::string exeDir) : ProjectLayout(exeDir, exeDir) {}

ProjectLayout::ProjectLayout(std::string exeDir, std::string workspaceDir)
    : exeDir_(std::move(exeDir)), workspaceDir_(std::move(workspaceDir))
{
    for (std::string* folder : {&exeDir_, &workspaceDir_})
        if (EndsWithSeparator(*folder))
            folder->pop_back();
}

std::string ProjectLayout::MasterDir() const
{
    return workspaceDir_ + kSep + kMasterFolderName;
}

std::string ProjectLayout::ProjectsDir() const
{
    return workspaceDir_ + kSep + kProjectsFolderName;
}

std::string ProjectLayout::SettingsFile() const
{
    return workspaceDir_ + kSep + kSettingsFileName;
}

std::string ProjectLayout::MasterFile() const
{
    return MasterDir() + kSep + kMasterFileName;
}

std::string ProjectLayout::FlasherFile() const
{
    return exeDir_ + kSep + kFlasherFileName;
}

void ProjectLayout::RequireProject() const
{
    if (!IsProjectValid())
        throw Error(kMsgProjectNotValid);
}

bool ProjectLayout::CheckProject(MessageService& messages) const
{
    if (IsProjectValid())
        return true;
    messages.showMessage(kMsgProjectNotValid);
    return false;
}

std::string ProjectLayout::DocumentFile(ProjectDocument document) const
{
    return projectDir_ + kSep + DocumentFileName(document);
}

std::string ProjectLayout::BinDir() const
{
    return projectDir_ + kSep + kBinFolderName;
}

std::string ProjectLayout::BankFile(int bank) const
{
    return BankFileIn(BinDir() + kSep, bank);
}

std::string ProjectLayout::BankSourceFile() const
{
    return BinDir() + kSep + kBankSourceFileName;
}

std::vector<std::string> ProjectLayout::ProjectFiles() const
{
    std::vector<std::string> files;
    for (ProjectDocument document : {ProjectDocument::Pargen, ProjectDocument::Sdo, ProjectDocument::EmcyDef,
                                     ProjectDocument::EmcyWord, ProjectDocument::RpdoDef, ProjectDocument::SdoPdo,
                                     ProjectDocument::CobId})
        files.push_back(DocumentFile(document));
    for (int bank = 1; bank <= kBankCount; ++bank)
        files.push_back(BankFile(bank));
    files.push_back(BankSourceFile());
    return files;
}

} // namespace c2c
