// CobID tables: loading and saving a full CanCanCobID.xml (2 x 2048 rows,
// every cell filled) and checking full tables.

#include "documents/CobIdTables.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <stdlib.h>

namespace {

using namespace c2c;

// A scratch folder removed at the end of the benchmark.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "c2c-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Both tables full: every row an identity translation with a description.
void Fill(CobIdTable& table)
{
    for (std::size_t r = 0; r < table.size(); ++r) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "0x%03zX", r);
        table[r] = {hex, std::to_string(r), "Node " + std::to_string(r % 128) + " PDO " + std::to_string(r)};
    }
}

void BM_LoadFullDocument(benchmark::State& state)
{
    ScratchDir dir;
    std::string file = dir.file("CanCanCobID.xml");
    CobIdTable c0(kStandardTableLength), c1(kStandardTableLength);
    Fill(c0);
    Fill(c1);
    SaveCobIdDocument(file, c0, c1);
    for (auto _ : state) {
        CobIdTable t0(kStandardTableLength), t1(kStandardTableLength);
        if (LoadCobIdDocument(file, t0, t1) != CobIdLoad::Complete)
            state.SkipWithError("document not read whole");
        benchmark::DoNotOptimize(t1.back());
    }
}
BENCHMARK(BM_LoadFullDocument)->Unit(benchmark::kMillisecond);

// What a showing does before the window draws: size, clear, load.
void BM_FormShowFullDocument(benchmark::State& state)
{
    ScratchDir dir;
    std::string file = dir.file("CanCanCobID.xml");
    CobIdTable c0(kStandardTableLength), c1(kStandardTableLength);
    Fill(c0);
    Fill(c1);
    SaveCobIdDocument(file, c0, c1);
    CobIdDialog dialog;
    for (auto _ : state) {
        dialog.FormShow({0, 0, true}, file);
        benchmark::DoNotOptimize(dialog.ASG_C1.back());
    }
}
BENCHMARK(BM_FormShowFullDocument)->Unit(benchmark::kMillisecond);

void BM_SaveFullTables(benchmark::State& state)
{
    ScratchDir dir;
    std::string file = dir.file("CanCanCobID.xml");
    CobIdTable c0(kStandardTableLength), c1(kStandardTableLength);
    Fill(c0);
    Fill(c1);
    for (auto _ : state)
        SaveCobIdDocument(file, c0, c1);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_SaveFullTables)->Unit(benchmark::kMillisecond);

// Every identifier cell filled and in range, so every cell is parsed.
void BM_ValidateFullTables(benchmark::State& state)
{
    CommSession session{static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(0)), true};
    CobIdTable c0(CobIdTableLength(session)), c1(CobIdTableLength(session));
    Fill(c0);
    Fill(c1);
    for (auto _ : state) {
        if (FindCobIdError(c0, c1, session))
            state.SkipWithError("unexpected bad cell");
    }
}
BENCHMARK(BM_ValidateFullTables)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
