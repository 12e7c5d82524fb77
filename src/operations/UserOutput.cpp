#include "operations/UserOutput.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"
#include "project/Workspace.h"

#include <filesystem>
#include <system_error>

namespace c2c {

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The folder a file of this name would be in, as the system finds it.
std::string RealFolderOf(const std::string& path)
{
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
    if (ec)
        return "";
    const auto folder = std::filesystem::weakly_canonical(absolute.parent_path(), ec);
    return ec ? "" : folder.string();
}

std::string Head(const std::string& path)
{
    FileHandle file = OpenRegularFile(path);
    std::string head(kFormatSniffSize, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    return head;
}

} // namespace

OutputChoice ChooseOutput(const OutputRequest& request, const std::string& programFolder)
{
    OutputChoice choice;
    const std::string& argument = request.argument;
    if (argument == "-") {
        choice.standardOutput = true;
        return choice;
    }
    auto refuse = [&](const std::string& reason) {
        choice.refusal = reason;
        return choice;
    };

    std::vector<std::string> chain;
    const std::optional<std::string> end = FollowLinks(argument, &chain);
    if (!end)
        return refuse(QuotedName(argument) + " is a link that leads nowhere (a loop of links)");
    // /dev/stdout, /proc/self/fd/1: what they lead to depends on how the
    // program was started. Standard output is "-".
    for (const std::string& name : chain)
        if (IsInDeviceFolder(name))
            return refuse(QuotedName(argument) + (name == argument ? " is" : " leads to " + QuotedName(name) + ",") +
                          " in a folder of the system's devices and processes, where no file is written; "
                          "--out - writes to standard output");
    const bool linked = chain.size() > 1;
    const std::string leads = linked ? QuotedName(argument) + " leads to " + QuotedName(*end) + ", which" : QuotedName(argument);
    switch (KindOf(*end)) {
    case PathKind::Folder:
        return refuse(leads + " is a folder");
    case PathKind::Special:
        return refuse(leads + " is not a regular file (a FIFO, a device or a socket); --out - writes to "
                              "standard output");
    case PathKind::Missing:
        if (linked)
            return refuse(leads + " does not exist; a link is followed only to an existing file");
        break;
    case PathKind::RegularFile:
    case PathKind::Link:
        break;
    }

    for (const OutputInput& input : request.inputs)
        if (SameFile(*end, input.path))
            return refuse("cannot be " + input.what);

    const ProjectLayout workspace(programFolder, ChooseWorkspaceDir(programFolder, UserDataDirectory()));
    const std::string folder = RealFolderOf(*end);
    if (!folder.empty() && SameFile(folder, workspace.MasterDir()))
        return refuse(leads + " is in the master folder " + QuotedName(workspace.MasterDir()) +
                      ", where the master firmware is kept; nothing is written there");

    if (KindOf(*end) == PathKind::RegularFile && !request.force) {
        std::string head;
        try {
            head = Head(*end);
        } catch (const std::exception&) {
            return refuse(leads + " exists and cannot be read, so it cannot be told to hold " +
                          request.format.name + "; --force replaces it");
        }
        if (!head.empty() && !request.format.recognizes(head))
            return refuse(leads + " exists and does not hold " + request.format.name + "; --force replaces it");
    }
    choice.path = *end;
    return choice;
}

UserOutput::UserOutput(const OutputChoice& choice)
{
    if (!choice.standardOutput)
        file_ = std::make_unique<StagedFile>(choice.path);
}

TextSink& UserOutput::Sink()
{
    if (file_)
        return *file_;
    return standardOutput_;
}

void UserOutput::Finish()
{
    if (file_)
        file_->Install();
    else
        standardOutput_.Flush();
}

} // namespace c2c
