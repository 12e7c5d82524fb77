// The Set CobID Access window with two full 2048-row tables: showing it
// (sizing, loading the document, filling the grids and drawing them), a
// paste of a whole table, one typed cell with its live check, and the undo
// of a whole-table paste.

#include "NullServices.h"
#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CobIdGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QUndoStack>

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

// A spreadsheet block for the whole table: identifier, new identifier and
// description of each of the 2048 rows, `offset` making each block differ.
QString FullBlock(int offset)
{
    QString text;
    for (int r = 0; r < static_cast<int>(kStandardTableLength); ++r)
        text += QStringLiteral("0x%1\t%2\tPasted %3\n").arg((r + offset) % 2048, 3, 16, QLatin1Char('0')).arg(r).arg(offset);
    return text;
}

// The shown window over the full project, its grid at N° 0.
struct ShownWindow {
    ShownWindow() : logic(project.state, project.services.all()), dialog(logic)
    {
        dialog.show();
        QCoreApplication::processEvents();
        grid = dialog.grid(kCan0ToCan1);
        grid->selectCell(0, kOriginalColumn);
    }
    void Paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        grid->selectCell(0, kOriginalColumn);
        grid->pasteClipboard();
    }
    FullProject project;
    CobIdAccessLogic logic;
    CobIdAccessWindow dialog;
    CobIdGrid* grid = nullptr;
};

// 2048 lines of three cells over the whole table, then the repaint.
void BM_PasteFullTable(benchmark::State& state)
{
    ShownWindow shown;
    const QString blocks[] = {FullBlock(1), FullBlock(2)};
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QGuiApplication::clipboard()->setText(blocks[i++ % 2]);
        shown.dialog.undoStack()->clear();
        shown.grid->selectCell(0, kOriginalColumn);
        state.ResumeTiming();
        shown.grid->pasteClipboard();
        QCoreApplication::processEvents();
    }
    if (shown.logic.tables.can0ToCan1.back().Desc.rfind("Pasted ", 0) != 0)
        state.SkipWithError("the paste did not reach the table");
}
BENCHMARK(BM_PasteFullTable)->Unit(benchmark::kMillisecond);

// One typed cell: the edit, its step on the undo stack, the live check of
// the cell (an identifier listed twice and back) and the line under the grid.
void BM_TypeOneCell(benchmark::State& state)
{
    ShownWindow shown;
    QAbstractItemModel* model = shown.grid->model();
    const QModelIndex cell = model->index(1000, kOriginalColumn);
    const QString texts[] = {QStringLiteral("0x800"), QStringLiteral("5"), QStringLiteral("1000")};
    int i = 0;
    for (auto _ : state) {
        model->setData(cell, texts[i++ % 3]);
        if (i % 3000 == 0) {
            state.PauseTiming();
            shown.dialog.undoStack()->clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TypeOneCell)->Unit(benchmark::kMicrosecond);

// Ctrl+Z after a paste over the whole table, then the repaint.
void BM_UndoFullTablePaste(benchmark::State& state)
{
    ShownWindow shown;
    const QString block = FullBlock(3);
    for (auto _ : state) {
        state.PauseTiming();
        shown.Paste(block);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        shown.dialog.undoStack()->undo();
        QCoreApplication::processEvents();
    }
    if (shown.logic.HasChanges())
        state.SkipWithError("the undo did not restore the tables");
}
BENCHMARK(BM_UndoFullTablePaste)->Unit(benchmark::kMillisecond);

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
