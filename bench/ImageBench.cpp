// The configuration image: the build of a 2 x 2000-row extended project,
// bankg.c in memory and on disk, the bank files, and the whole "Update
// Device" sequence. bench/build_vs_xxd.sh times the command-line build and
// races the bankg.c writer against `xxd -i`.

#include "documents/CobIdTables.h"
#include "documents/CommSettings.h"
#include "image/BankImage.h"
#include "image/BankOutputs.h"
#include "operations/Operations.h"
#include "platform/FileSystem.h"
#include "project/ProjectLayout.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace c2c;

// A project folder with both documents and a bin folder, removed at exit.
class Project {
public:
    explicit Project(std::size_t rows)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "c2c-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        layout.SetProjectDir(pattern);
        CreateDirectory(layout.BinDir());
        // Both ports 2.0B: the extended layout.
        WriteFileAtomically(layout.PargenFile(), "<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>1</Type>"
                                                  "<Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0>"
                                                  "<Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>1</TypeC1></ParametriGenerali>");
        // Identifiers in descending order, the most work for the sort.
        std::string section;
        for (std::size_t i = 0; i < rows; ++i) {
            char row[96];
            std::snprintf(row, sizeof row, "<row Orig_CobID=\"0x%zX\" Mod_CobID=\"0x%zX\" Desc=\"\"/>",
                          0x10000000 - i * 13, i);
            section += row;
        }
        WriteFileAtomically(layout.CobIdFile(), "<CanCanCobID><Can0_to_Can1>" + section +
                                                        "</Can0_to_Can1><Can1_to_Can0>" + section +
                                                        "</Can1_to_Can0></CanCanCobID>");
    }
    ~Project()
    {
        std::error_code ec;
        std::filesystem::remove_all(layout.ProjectDir(), ec);
    }

    // The image as the build makes it from the documents.
    void Build(BankImage& image) const
    {
        BuildBankImage(ReadPargenStrictly(layout.PargenFile()), ReadCobIdStrictly(layout.CobIdFile()), image);
    }

    ProjectLayout layout;
};

void BM_BuildBankImage(benchmark::State& state)
{
    Project project(static_cast<std::size_t>(state.range(0)));
    auto image = std::make_unique<BankImage>();
    for (auto _ : state) {
        project.Build(*image);
        benchmark::DoNotOptimize(image->Bank(1).data());
    }
}
BENCHMARK(BM_BuildBankImage)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_BankSourceText(benchmark::State& state)
{
    Project project(2000);
    auto image = std::make_unique<BankImage>();
    project.Build(*image);
    for (auto _ : state) {
        std::string text = BankSourceText(*image);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kBankSize);
}
BENCHMARK(BM_BankSourceText)->Unit(benchmark::kMicrosecond);

void BM_WriteBankSource(benchmark::State& state)
{
    Project project(2000);
    auto image = std::make_unique<BankImage>();
    project.Build(*image);
    for (auto _ : state)
        WriteFileAtomically(project.layout.BankSourceFile(), BankSourceText(*image));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4 * kBankSize);
}
BENCHMARK(BM_WriteBankSource)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The five bank files and bankg.c, replaced as a set.
void BM_WriteBankFiles(benchmark::State& state)
{
    Project project(0);
    auto image = std::make_unique<BankImage>();
    for (auto _ : state)
        WriteBankFiles(project.layout, *image);
}
BENCHMARK(BM_WriteBankFiles)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// "Update Device" as the build command runs it: read, build, write.
void BM_UpdateDeviceBuild(benchmark::State& state)
{
    Project project(2000);
    for (auto _ : state)
        UpdateDevice(project.layout);
}
BENCHMARK(BM_UpdateDeviceBuild)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
