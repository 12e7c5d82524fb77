// The Set CobID Access window: showing it with two full 2048-row tables
// (sizing, loading the document, filling the grids and drawing them).

#include "app/Workspace.h"
#include "documents/CobIdTables.h"
#include "documents/qt/TFCanCobID.h"
#include "platform/UiServices.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <stdlib.h>

namespace {

using namespace c2c;

class NoMessages final : public MessageService {
public:
    void showMessage(const std::string&) override {}
    void showError(const std::string&) override {}
    bool confirm(const std::string&) override { return false; }
    bool askAlert(const std::string&) override { return false; }
};

// A project folder holding a full CanCanCobID.xml, removed at the end.
struct FullProject {
    FullProject()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "c2c-bench-XXXXXX").string();
        workspace.ProjectDir = ::mkdtemp(pattern.data()) ? pattern : std::string();
        workspace.UpdateDocumentPaths();
        CobIdTable table(kStandardTableLength);
        for (std::size_t r = 0; r < table.size(); ++r)
            table[r] = {std::to_string(r), std::to_string(r), "Node " + std::to_string(r % 128)};
        SaveCobIdDocument(workspace.CanCobIdFile, table, table);
    }
    ~FullProject()
    {
        std::error_code ec;
        std::filesystem::remove_all(workspace.ProjectDir, ec);
    }
    Workspace workspace;
};

// Show, let the window draw, hide: one showing as the user gets it.
void ShowOnce(TFCanCobID& dialog)
{
    dialog.show();
    QCoreApplication::processEvents();
    dialog.hide();
    QCoreApplication::processEvents();
}

void BM_ShowFullWindow(benchmark::State& state)
{
    FullProject project;
    CommSession session{0, 0, true};
    CobIdDialog logic;
    NoMessages messages;
    TFCanCobID dialog(logic, project.workspace, session, messages);
    ShowOnce(dialog);
    for (auto _ : state)
        ShowOnce(dialog);
}
BENCHMARK(BM_ShowFullWindow)->Unit(benchmark::kMillisecond);

// Showing with a format change since the last showing (2000 rows, then 2048).
void BM_ShowFullWindowAlternatingLength(benchmark::State& state)
{
    FullProject project;
    CommSession session{0, 0, true};
    CobIdDialog logic;
    NoMessages messages;
    TFCanCobID dialog(logic, project.workspace, session, messages);
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
    CommSession session{0, 0, true};
    NoMessages messages;
    for (auto _ : state) {
        CobIdDialog logic;
        TFCanCobID dialog(logic, project.workspace, session, messages);
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
