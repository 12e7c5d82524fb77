#include "dialogs/qt/CobIdCsvMenu.h"

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/CobIdTableModel.h"
#include "platform/qt/QtServices.h"

#include <QAction>

namespace c2c {

void AddCsvMenu(CobIdAccessLogic& logic, const std::array<CobIdGrid*, 2>& grids)
{
    // A cell being edited counts, as it does for OK.
    auto commitEdits = [grids] {
        for (CobIdGrid* grid : grids)
            grid->commitEdit();
    };
    for (CobIdGrid* grid : grids) {
        auto* import = Named(new QAction(QString::fromLatin1(kImportCsvCaption), grid), "ImportCsv");
        auto* exportCsv = Named(new QAction(QString::fromLatin1(kExportCsvCaption), grid), "ExportCsv");
        QObject::connect(import, &QAction::triggered, grid, [&logic, grids, commitEdits] {
            commitEdits();
            RunGuarded(logic.Services().messages, [&logic, grids] {
                if (logic.ImportCsv())
                    for (CobIdGrid* shown : grids)
                        shown->tableModel()->Refresh();
            });
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
