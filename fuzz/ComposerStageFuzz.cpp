// One composer stage over any master text, with blocks of a few bytes so
// that lines cross refills and long lines come in pieces: the stage ends
// with a result, and its output is the same as with the normal blocks.

#include "FuzzCheck.h"
#include "firmware/SRecordComposer.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "project/ProjectLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class Silent final : public c2c::MessageService {
public:
    void showMessage(const std::string&) override {}
    void showError(const std::string&) override {}
    bool confirm(const std::string&) override { return false; }
    bool askAlert(const std::string&) override { return true; }
};

struct Folder {
    Folder()
    {
        // In memory where the system has such a folder: the stage writes files.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "c2c-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        std::filesystem::create_directories(root + "/P/bin");
        std::string bank(c2c::kBankSize, '\0');
        for (std::size_t i = 0; i < bank.size(); ++i)
            bank[i] = static_cast<char>(i * 31 + 7);
        c2c::WriteFileAtomically(root + "/P/bin/bank1.bin", bank);
        settings.FileSx = "master.sx";
        settings.MasterFolder = root;
        settings.DirBin = root + "/P/bin/";
        settings.NewFileName = "New.sx";
        settings.Project.SetProjectDir(root + "/P");
    }
    ~Folder() { std::filesystem::remove_all(root); }

    std::string root;
    c2c::ComposerSettings settings;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace c2c;
    static Folder folder;
    Silent messages;
    NoProgress progress;
    if (size == 0)
        return 0;
    const std::size_t smallBlock = 1 + data[0] % 48;
    {
        std::ofstream master(folder.settings.MasterPath(), std::ios::binary | std::ios::trunc);
        master.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    }
    const std::string out = folder.root + "/P/";
    try {
        SRecordComposer normal(folder.settings, messages, progress, 4096);
        const StageResult expected = normal.InsertBankSx(1, true, "normal.sx", folder.settings.MasterPath());
        SRecordComposer small(folder.settings, messages, progress, smallBlock);
        const StageResult result = small.InsertBankSx(1, true, "small.sx", folder.settings.MasterPath());
        fuzz::Check(result == expected, "the result does not depend on the block size");
        if (result != StageResult::Stopped)
            fuzz::Check(ReadWholeFile(out + "normal.sx") == ReadWholeFile(out + "small.sx"),
                        "the output does not depend on the block size");
    } catch (const Error& error) {
        fuzz::CheckMessage(error.what());
    }
    return 0;
}
