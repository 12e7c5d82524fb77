#include "dialogs/qt/CobIdCsvMenu.h"

#include "dialogs/qt/CobIdGrid.h"
#include "platform/qt/QtServices.h"

#include <QAction>

namespace c2c {

void AddCsvMenu(CobIdAccessLogic& logic, const std::array<CobIdGrid*, 2>& grids,
                std::function<void(CobIdEdit)> submit)
{
    // A cell being edited counts, as it does for OK.
    auto commitEdits = [grids] {
        for (CobIdGrid* grid : grids)
            grid->commitEdit();
    };
    for (CobIdGrid* grid : grids) {
        auto* import = Named(new QAction(QString::fromLatin1(kImportCsvCaption), grid), "ImportCsv");
        auto* exportCsv = Named(new QAction(QString::fromLatin1(kExportCsvCaption), grid), "ExportCsv");
        QObject::connect(import, &QAction::triggered, grid, [&logic, submit, commitEdits] {
            commitEdits();
            RunGuarded(logic.Services().messages, [&logic, submit] { submit(logic.ImportCsv()); });
        });
        QObject::connect(exportCsv, &QAction::triggered, grid, [&logic, commitEdits] {
            commitEdits();
            RunGuarded(logic.Services().messages, [&logic] { logic.ExportCsv(); });
        });
        grid->addAction(import);
        grid->addAction(exportCsv);
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

} // namespace c2c
