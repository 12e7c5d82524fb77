#include "operations/ForwardingSource.h"

#include "operations/FirmwareInspection.h"
#include "operations/Operations.h"
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

DecodedImage LoadForwardingImage(const std::string& source)
{
    if (!IsProjectSource(source)) {
        DecodedImage image = InspectConfiguration(source);
        // Erased windows configure nothing: any answer would be made up.
        if (image.erased)
            throw Error("\"" + source + "\": " + kNoConfigurationText);
        return image;
    }
    // As verify builds it: the documents read strictly, the image in memory.
    const ProjectImage built = BuildProjectImage(ProjectAt(source));
    return DecodeBankImage(built.image->Bank(1), built.image->Bank(2));
}

} // namespace c2c
