// The Set CobID Access window: showing it with two full 2048-row tables
// (sizing, loading the document, filling the grids and drawing them).

#include "NullServices.h"
#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/CobIdAccessWindow.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <stdlib.h>

namespace {

using namespace c2c;


// A project folder holding a full CanCanCobID.xml, removed at the end.
struct FullProject {
    FullProject()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "c2c-bench-XXXXXX").string();
        state.workspace.layout.SetProjectDir(::mkdtemp(pattern.data()) ? pattern : std::string());
        state.session = {0, 0, true};
        CobIdTable table(kStandardTableLength);
        for (std::size_t r = 0; r < table.size(); ++r)
            table[r] = {std::to_string(r), std::to_string(r), "Node " + std::to_string(r % 128)};
        WriteCobIdDocument(state.workspace.layout.CobIdFile(), {table, table});
    }
    ~FullProject()
    {
        std::error_code ec;
        std::filesystem::remove_all(state.workspace.layout.ProjectDir(), ec);
    }
    ProgramState state;
    bench::NullServices services;
};

// Show, let the window draw, hide: one showing as the user gets it.
void ShowOnce(CobIdAccessWindow& dialog)
{
    dialog.show();
    QCoreApplication::processEvents();
    dialog.hide();
    QCoreApplication::processEvents();
}

void BM_ShowFullWindow(benchmark::State& state)
{
    FullProject project;
    CobIdAccessLogic logic(project.state, project.services.all());
    CobIdAccessWindow dialog(logic);
    ShowOnce(dialog);
    for (auto _ : state)
        ShowOnce(dialog);
}
BENCHMARK(BM_ShowFullWindow)->Unit(benchmark::kMillisecond);

// Showing with a format change since the last showing (2000 rows, then 2048).
void BM_ShowFullWindowAlternatingLength(benchmark::State& state)
{
    FullProject project;
    CobIdAccessLogic logic(project.state, project.services.all());
    CobIdAccessWindow dialog(logic);
    CommSession& session = project.state.session;
    for (auto _ : state) {
        session.CanType1 = session.CanType1 == 0 ? 1 : 0;
        ShowOnce(dialog);
    }
}
BENCHMARK(BM_ShowFullWindowAlternatingLength)->Unit(benchmark::kMillisecond);

// The first showing, window creation included (done once at program start).
void BM_CreateAndShowFirstTime(benchmark::State& state)
{
    FullProject project;
    for (auto _ : state) {
        CobIdAccessLogic logic(project.state, project.services.all());
        CobIdAccessWindow dialog(logic);
        ShowOnce(dialog);
    }
}
BENCHMARK(BM_CreateAndShowFirstTime)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
