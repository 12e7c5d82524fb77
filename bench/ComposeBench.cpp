// The firmware composer on masters of 1, 4 and 16 MiB of data, and srec_cat
// doing the same insertion of banks 1 and 2 on the 4 MiB master.
//
// Counters: bytes_per_second over the master's text; peak_heap_bytes, the
// most heap the composer held at once beyond what was held before it
// started (it must not grow with the master).

#include "firmware/SRecordComposer.h"
#include "firmware/SRecordLine.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>

// Heap accounting: every allocation carries its size in front of it.
namespace {
std::atomic<long long> gHeapNow{0};
std::atomic<long long> gHeapPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    long long now = gHeapNow += static_cast<long long>(size);
    long long peak = gHeapPeak.load();
    while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
    }
    return block + kHeader;
}

void Release(void* pointer) noexcept
{
    if (!pointer)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    gHeapNow -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}
} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }

namespace {

class QuietMessages final : public c2c::MessageService {
public:
    void showMessage(const std::string& text) override { last = text; }
    void showError(const std::string& text) override { last = text; }
    bool confirm(const std::string&) override { return false; }
    bool askAlert(const std::string&) override { return false; }
    std::string last;
};

// A bench folder with a project (banks 1 and 2) and masters by data size.
struct BenchFolder {
    BenchFolder()
    {
        root = (std::filesystem::temp_directory_path() / "c2c-compose-bench").string();
        std::filesystem::remove_all(root);
        c2c::CreateDirectories(root + "/P/bin");
        for (int n = 1; n <= 2; ++n) {
            std::ofstream bank(root + "/P/bin/bank" + std::to_string(n) + ".bin", std::ios::binary);
            for (unsigned i = 0; i < c2c::kBankSize; ++i)
                bank.put(static_cast<char>((i * 7 + static_cast<unsigned>(n)) & 0xFF));
        }
    }
    ~BenchFolder() { std::filesystem::remove_all(root); }

    // A master of `mebibytes` MiB of data in 32-byte S2 records, ending with
    // S9, from 0x300000 upwards (from 0 when it would not fit below 16 MiB).
    const std::string& Master(int mebibytes)
    {
        auto found = masters.find(mebibytes);
        if (found != masters.end())
            return found->second;
        const std::string path = root + "/master" + std::to_string(mebibytes) + ".sx";
        const std::uint32_t length = static_cast<std::uint32_t>(mebibytes) << 20;
        const std::uint32_t start = length + 0x300000 <= 0x1000000 ? 0x300000 : 0;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fputs("S00F000068656C6C6F202020202000003C\r\n", out);
        static const char* const kDigits = "0123456789ABCDEF";
        char line[80];
        for (std::uint32_t address = start; address < start + length; address += 32) {
            std::string record = "S224";
            for (int shift = 20; shift >= 0; shift -= 4)
                record += kDigits[(address >> shift) & 0xF];
            for (int i = 0; i < 32; ++i) {
                unsigned byte = (address + static_cast<unsigned>(i)) * 2654435761u >> 24;
                record += kDigits[byte >> 4];
                record += kDigits[byte & 0xF];
            }
            record += "00";
            record = c2c::CheckSumSx(record, false);
            std::snprintf(line, sizeof line, "%s\r\n", record.c_str());
            std::fputs(line, out);
        }
        std::fputs("S9030000FC\r\n", out);
        std::fclose(out);
        return masters[mebibytes] = path;
    }

    std::string root;
    std::map<int, std::string> masters;
};

BenchFolder& Folder()
{
    static BenchFolder folder;
    return folder;
}

void BM_Compose(benchmark::State& state)
{
    const std::string& master = Folder().Master(static_cast<int>(state.range(0)));
    c2c::ComposerSettings settings;
    settings.FileSx = c2c::FileNameOf(master);
    settings.MasterFolder = c2c::FolderOf(master);
    settings.DirBin = Folder().root + "/P/bin/";
    settings.Project.SetProjectDir(Folder().root + "/P");
    settings.NewFileName = "New.sx";
    QuietMessages messages;
    c2c::NoProgress progress;
    long long peak = 0;
    for (auto _ : state) {
        const long long before = gHeapNow.load();
        gHeapPeak = before;
        c2c::SRecordComposer composer(settings, messages, progress);
        auto outcome = composer.RunStages({true, true, false, false, false});
        peak = std::max(peak, gHeapPeak.load() - before);
        if (!outcome.AllInserted())
            state.SkipWithError(("composition failed: " + messages.last).c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(master)));
    state.counters["peak_heap_bytes"] = static_cast<double>(peak);
}
BENCHMARK(BM_Compose)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

// srec_cat inserting the same two banks into the same master.
void BM_SrecCat(benchmark::State& state)
{
    const std::string& master = Folder().Master(static_cast<int>(state.range(0)));
    const std::string bin = Folder().root + "/P/bin/";
    const std::string command = "srec_cat '" + master +
                                "' -exclude 0x388000 0x38C000 -exclude 0x398000 0x39C000 '" + bin +
                                "bank1.bin' -binary -offset 0x388000 '" + bin +
                                "bank2.bin' -binary -offset 0x398000 -o '" + Folder().root +
                                "/P/srec_cat.sx' -address-length=3 -obs=32 -crlf";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("srec_cat failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(master)));
}
BENCHMARK(BM_SrecCat)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
