#pragma once
// Where every file of the program lives, and the one test of whether a
// project is open.
//
// The program keeps its work in its workspace folder: MASTER holds the master
// firmware, PROJECTS the projects, and the settings file remembers the last
// project. A portable program's workspace is the executable's own folder; an
// installed one keeps it in the user's data folder (see Workspace). The
// flasher is always beside the executable. A project is a folder with its
// documents and a bin folder for the bank files. The composer keeps scratch files of fixed names: Bin.sx in
// the bin folder and B1.sx .. B5.sx in the project folder.
//
// Paths are plain strings joined with the native separator; a folder is kept
// without a trailing separator unless a function says otherwise.

#include <cstddef>
#include <string>
#include <vector>

namespace c2c {

class MessageService;

// The refusal of every step that needs a project when none is open.
inline constexpr const char* kMsgProjectNotValid = "Project not valid";

// The device's configuration: five banks of 16 KiB, one file each.
inline constexpr std::size_t kBankSize = 16384;
inline constexpr int kBankCount = 5;

inline constexpr const char* kSettingsFileName = "Drevanta_C2CCOBID.ini";
inline constexpr const char* kMasterFileName = "SX40517.sx";
inline constexpr const char* kFlasherFileName = "Tessimor.exe";
// A new firmware is named after its master with this prefix.
inline constexpr const char* kNewFirmwarePrefix = "New_";

// The documents of a project.
enum class ProjectDocument { Pargen, Sdo, EmcyDef, EmcyWord, RpdoDef, SdoPdo, CobId };

// "pargen.xml", "sdo.xml", ..., "CanCanCobID.xml".
const char* DocumentFileName(ProjectDocument document);

// "bank1.bin" .. "bank5.bin" for banks 1 to 5.
std::string BankFileName(int bank);
// "B1.sx" .. "B5.sx": the output of composer stage 1 to 5.
std::string StageFileName(int stage);
// Whether `name` is one of the composer's working files (Bin.sx, B1.sx .. B5.sx).
bool IsWorkingFileName(const std::string& name);

// What a file of this name is to a project, letter case ignored (where the
// file system ignores it, "PARGEN.XML" is pargen.xml): one of its documents,
// a bank file, the bank source bankg.c, or a working file of the composition.
enum class ProjectFileRole { None, Document, BankFile, BankSource, WorkingFile };
ProjectFileRole ProjectFileRoleOf(const std::string& fileName);
// How a message names the role: "a document of the project", "a bank file",
// "the bank source file", "a working file of the composition"; empty for None.
const char* ProjectFileRoleText(ProjectFileRole role);
// The folder of a new project named `name` (as typed) in `destination`.
std::string ProjectFolderIn(const std::string& destination, const std::string& name);
// "New_" + the master's file name.
std::string NewFirmwareName(const std::string& masterFileName);

// The composer keeps its folders with a trailing separator and appends file
// names to them; these build its paths.
std::string WithTrailingSeparator(const std::string& folder);
std::string BankFileIn(const std::string& binFolder, int bank);
std::string BankRecordFileIn(const std::string& binFolder); // Bin.sx
std::string StageFileIn(const std::string& projectFolder, int stage);

class ProjectLayout {
public:
    // No program folder and no project: every path is relative.
    ProjectLayout() = default;
    // The folders of a portable program in `exeDir` (a trailing separator
    // is dropped), with no project open: the workspace is `exeDir` itself.
    explicit ProjectLayout(std::string exeDir);
    // The folders of a program in `exeDir` whose workspace is `workspaceDir`.
    ProjectLayout(std::string exeDir, std::string workspaceDir);

    const std::string& ExeDir() const { return exeDir_; }
    // Where MASTER, PROJECTS and the settings file are.
    const std::string& WorkspaceDir() const { return workspaceDir_; }
    std::string MasterDir() const;
    std::string ProjectsDir() const;
    std::string SettingsFile() const;
    // The master firmware in MASTER, and the flasher beside the program.
    std::string MasterFile() const;
    std::string FlasherFile() const;

    // The open project's folder, without a trailing separator; empty when
    // no project is open.
    const std::string& ProjectDir() const { return projectDir_; }
    void SetProjectDir(std::string projectDir) { projectDir_ = std::move(projectDir); }

    // The one test of whether a project is open. Without one the documents
    // would be looked for, and the bank files written, at the root of the
    // file system.
    bool IsProjectValid() const { return !projectDir_.empty(); }
    // Throws Error(kMsgProjectNotValid) when no project is open.
    void RequireProject() const;
    // For the steps that refuse with a plain message box: false, after
    // showing "Project not valid", when no project is open.
    bool CheckProject(MessageService& messages) const;

    std::string DocumentFile(ProjectDocument document) const;
    std::string PargenFile() const { return DocumentFile(ProjectDocument::Pargen); }
    std::string CobIdFile() const { return DocumentFile(ProjectDocument::CobId); }
    std::string BinDir() const;
    std::string BankFile(int bank) const;
    std::string BankSourceFile() const; // bankg.c
    // Every file the project keeps: its documents, bank files and bankg.c.
    std::vector<std::string> ProjectFiles() const;

private:
    std::string exeDir_;
    std::string workspaceDir_;
    std::string projectDir_;
};

} // namespace c2c
