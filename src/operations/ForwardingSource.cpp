#include "operations/ForwardingSource.h"

#include "operations/FirmwareInspection.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

namespace c2c {

namespace {

ProjectLayout ProjectAt(const std::string& source)
{
    std::string folder = source;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    ProjectLayout project;
    project.SetProjectDir(folder);
    return project;
}

} // namespace

bool IsProjectSource(const std::string& source)
{
    return DirectoryExists(source) && PathExists(ProjectAt(source).PargenFile());
}

ConfigurationSource LoadConfigurationSource(const std::string& source)
{
    ConfigurationSource loaded;
    loaded.path = source;
    if (IsProjectSource(source)) {
        // As verify builds it: the documents read strictly, the image in memory.
        loaded.kind = SourceKind::Project;
        loaded.project = BuildProjectImage(ProjectAt(source));
        loaded.banks = {loaded.project->image->Bank(1), loaded.project->image->Bank(2)};
        loaded.image = DecodeBankImage(loaded.banks[0], loaded.banks[1]);
        return loaded;
    }
    ConfigurationBanks read = ReadConfigurationBanks(source);
    loaded.kind = read.bankFiles ? SourceKind::BankFiles : SourceKind::Firmware;
    // Erased windows configure nothing: any answer would be made up.
    if (read.erased)
        throw Error("\"" + source + "\": " + kNoConfigurationText);
    loaded.banks = read.banks;
    loaded.image = DecodeBankImage(read.banks[0], read.banks[1]);
    loaded.image.warnings.insert(loaded.image.warnings.begin(), read.warnings.begin(), read.warnings.end());
    return loaded;
}

std::string ProjectFolderOf(const ConfigurationSource& source)
{
    // "" for "New.sx" is the current folder, for "/New.sx" the root.
    auto folderOf = [](const std::string& path) {
        const std::string folder = FolderOf(path);
        if (!folder.empty() || path.empty())
            return folder;
        return path[0] == '/' || path[0] == '\\' ? path.substr(0, 1) : std::string(".");
    };
    std::string folder;
    switch (source.kind) {
    case SourceKind::Project:
        return ProjectAt(source.path).ProjectDir();
    case SourceKind::Firmware:
        folder = folderOf(source.path);
        break;
    case SourceKind::BankFiles:
        folder = folderOf(DirectoryExists(source.path) ? ProjectAt(source.path).ProjectDir() : folderOf(source.path));
        break;
    }
    return IsProjectSource(folder) ? folder : std::string();
}

DecodedImage LoadForwardingImage(const std::string& source)
{
    return LoadConfigurationSource(source).image;
}

} // namespace c2c
