// CobID tables: loading and saving a full CanCanCobID.xml (2 x 2048 rows,
// every cell filled) and checking full tables.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "documents/CobIdTables.h"
#include "NullServices.h"

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
    CobIdTables full{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    Fill(full.can0ToCan1);
    Fill(full.can1ToCan0);
    WriteCobIdDocument(file, full);
    for (auto _ : state) {
        CobIdTables tables{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
        if (ReadCobIdLeniently(file, tables) != CobIdLoad::Complete)
            state.SkipWithError("document not read whole");
        benchmark::DoNotOptimize(tables.can1ToCan0.back());
    }
}
BENCHMARK(BM_LoadFullDocument)->Unit(benchmark::kMillisecond);

// What a showing does before the window draws: size, clear, load.
void BM_FormShowFullDocument(benchmark::State& state)
{
    ScratchDir dir;
    std::string file = dir.file("CanCanCobID.xml");
    CobIdTables full{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    Fill(full.can0ToCan1);
    Fill(full.can1ToCan0);
    WriteCobIdDocument(file, full);
    ProgramState program;
    program.workspace.layout.SetProjectDir(dir.file(""));
    program.session = {0, 0, true};
    bench::NullServices services;
    CobIdAccessLogic dialog(program, services.all());
    for (auto _ : state) {
        dialog.Show();
        benchmark::DoNotOptimize(dialog.tables.can1ToCan0.back());
    }
}
BENCHMARK(BM_FormShowFullDocument)->Unit(benchmark::kMillisecond);

void BM_SaveFullTables(benchmark::State& state)
{
    ScratchDir dir;
    std::string file = dir.file("CanCanCobID.xml");
    CobIdTables full{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
    Fill(full.can0ToCan1);
    Fill(full.can1ToCan0);
    for (auto _ : state)
        WriteCobIdDocument(file, full);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_SaveFullTables)->Unit(benchmark::kMillisecond);

// Every identifier cell filled and in range, so every cell is parsed.
void BM_ValidateFullTables(benchmark::State& state)
{
    CommSession session{static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(0)), true};
    CobIdTables full{CobIdTable(CobIdTableLength(session)), CobIdTable(CobIdTableLength(session))};
    Fill(full.can0ToCan1);
    Fill(full.can1ToCan0);
    for (auto _ : state) {
        if (FindCobIdError(full, session))
            state.SkipWithError("unexpected bad cell");
    }
}
BENCHMARK(BM_ValidateFullTables)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
