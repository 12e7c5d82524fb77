// The Set CobID Access grids' context menu: both tables to and from a
// spreadsheet file.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CobIdGrid.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QTimer>
#include <QTest>
#include <QUndoStack>

using namespace c2c;
using c2c::testing::ReadText;
using c2c::testing::WriteText;

class CobIdCsvMenuTest : public QObject {
    Q_OBJECT

    c2c::testing::TempDir dir;
    ProgramState state;
    c2c::testing::FakeServices services;
    CobIdAccessLogic logic{state, services.all()};

    QString cell(CobIdAccessWindow& window, int direction, int row, int column) const
    {
        return window.grid(direction)->model()->index(row, column).data().toString();
    }

    void trigger(CobIdAccessWindow& window, int direction, const char* action)
    {
        CobIdGrid* grid = window.grid(direction);
        QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
        auto* found = grid->findChild<QAction*>(action);
        QVERIFY(found);
        found->trigger();
    }

private slots:
    void importsExportsAndRefusesBadLinesWhole()
    {
        state.session = {0, 1, true}; // CAN 1 runs 2.0B
        state.workspace.layout.SetProjectDir(dir.path());
        CobIdAccessWindow window(logic);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // A right click in a grid shows the edit actions with their keys, then the two of the file.
        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (QAction* action : popup->actions())
                    shown << (action->isSeparator() ? QStringLiteral("-")
                                                    : action->text() + QLatin1Char(' ') +
                                                          action->shortcut().toString(QKeySequence::PortableText));
                popup->close();
            }
        });
        QWidget* viewport = window.grid(kCan0ToCan1)->viewport();
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(200, 40), viewport->mapToGlobal(QPoint(200, 40)));
        QApplication::sendEvent(viewport, &click);
        QCOMPARE(shown, (QStringList{"Undo Ctrl+Z", "Redo Ctrl+Shift+Z", "-", "Cut Ctrl+X", "Copy Ctrl+C",
                                     "Paste Ctrl+V", "Delete Del", "Select All Ctrl+A", "-", "Find... Ctrl+F",
                                     "Find Next F3", "Find Previous Shift+F3", QString::fromUtf8("Go to N\u00B0... Ctrl+G"),
                                     "-", "Import CSV... ", "Export CSV... ", "Add rows... "}));

        WriteText(dir / "in.csv", "direction;row;original;modified;description\r\n"
                                  "can0-to-can1;7;0x7FF;0x1FFFFFFF;\"a;b\"\r\ncan1-to-can0;1999;x10;;\r\n");
        services.files.result = dir / "in.csv";
        trigger(window, kCan1ToCan0, "ImportCsv");
        QCOMPARE(services.files.calls.back().folder, dir.path());
        QCOMPARE(services.files.calls.back().pattern, std::string("*.csv"));
        QCOMPARE(cell(window, kCan0ToCan1, 7, kModifyColumn), QStringLiteral("0x1FFFFFFF"));
        QCOMPARE(cell(window, kCan0ToCan1, 7, kDescriptionColumn), QStringLiteral("a;b"));
        QCOMPARE(cell(window, kCan1ToCan0, 1999, kOriginalColumn), QStringLiteral("x10"));
        QCOMPARE(window.undoStack()->undoText(), QStringLiteral("Import CSV"));

        // One bad line: it is shown and neither table changes.
        WriteText(dir / "bad.csv", "direction,row,original,modified,description\n"
                                   "can0-to-can1,1,5,,\ncan1-to-can0,2,0x20000000,,\n");
        services.files.result = dir / "bad.csv";
        trigger(window, kCan0ToCan1, "ImportCsv");
        QCOMPARE(services.messages.Texts(),
                 (std::vector<std::string>{dir / "bad.csv" + ":3: original '0x20000000'. The CobID must between 0x0000 "
                                                             "0000 and 0x1FFF FFFF\nNothing was imported."}));
        QCOMPARE(cell(window, kCan0ToCan1, 1, kOriginalColumn), QString());
        QCOMPARE(cell(window, kCan0ToCan1, 7, kOriginalColumn), QStringLiteral("0x7FF"));

        // Export writes the tables as the window holds them.
        services.files.saveResult = dir / "out.csv";
        trigger(window, kCan0ToCan1, "ExportCsv");
        QCOMPARE(services.files.saveCalls.back().suggestedName, std::string("CobID.csv"));
        QCOMPARE(ReadText(dir / "out.csv"), std::string("direction,row,original,modified,description\r\n"
                                                        "can0-to-can1,7,0x7FF,0x1FFFFFFF,\"a;b\"\r\n"
                                                        "can1-to-can0,1999,x10,,\r\n"));
    }
};

C2C_QTEST_MAIN(CobIdCsvMenuTest)
#include "CobIdCsvMenuTest.moc"
