// Add rows from Set CobID Access, by keyboard: the preview follows the
// typing, a refusal keeps Add off, and the rows land in the grids unsaved.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/AddRowsWindow.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CobIdGrid.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <filesystem>

using namespace c2c;

class AddRowsWindowTest : public QObject {
    Q_OBJECT

    c2c::testing::TempDir dir;
    ProgramState state;
    c2c::testing::FakeServices services;

private slots:
    void thePreviewFollowsTheKeyboardAndRefusalsKeepAddOff()
    {
        CobIdTables tables{CobIdTable(kStandardTableLength), CobIdTable(kStandardTableLength)};
        tables.can1ToCan0[0].Orig_CobID = "0x225";
        AddRowsWindow window(tables, {0, 0, true}, services.all(), dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* preview = window.findChild<QPlainTextEdit*>("Preview");
        auto* add = window.findChild<QPushButton*>("AddButton");
        QVERIFY(!add->isEnabled());

        QTest::keyClicks(window.findChild<QLineEdit*>("NodeId"), "5");
        QTest::keyClicks(window.findChild<QLineEdit*>("NodeAs"), "37");
        QVERIFY(preview->toPlainText().startsWith(
            QStringLiteral("Nothing can be added: Table CAN1 to CAN0 has a row for 0x225")));
        QVERIFY(!add->isEnabled());

        // The range kind, chosen and filled by keyboard; Enter adds.
        auto* kind = window.findChild<QComboBox*>("Kind");
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        QCOMPARE(kind->currentIndex(), static_cast<int>(kAddRange));
        QTest::keyClicks(window.findChild<QLineEdit*>("RangeText"), "0x7FE-0x7FF");
        QVERIFY(preview->toPlainText().startsWith(QStringLiteral("CAN0 to CAN1  N\u00B0 0   0x7FE -> unchanged")));
        QVERIFY(add->isEnabled());
        QTest::keyClick(window.findChild<QLineEdit*>("RangeText"), Qt::Key_Return);
        QCOMPARE(window.result(), static_cast<int>(QDialog::Accepted));
        QVERIFY(window.addition());
        QCOMPARE(window.addition()->tables.can0ToCan1[1].Orig_CobID, std::string("0x7FF"));
    }

    void theWindowTakesTheRowsIntoItsGridsUnsaved()
    {
        state.session = {0, 0, true};
        state.workspace.layout.SetProjectDir(dir.path());
        CobIdAccessLogic logic(state, services.all());
        CobIdAccessWindow window(logic);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grid(kCan0ToCan1)->findChild<QAction*>("AddRowsAction"));

        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QStringLiteral("FAddRows"));
            QTest::keyClicks(dialog->findChild<QLineEdit*>("NodeId"), "3");
            dialog->findChild<QComboBox*>("NodePort")->setCurrentIndex(1);
            QTest::mouseClick(dialog->findChild<QPushButton*>("AddButton"), Qt::LeftButton);
        });
        QTest::mouseClick(window.findChild<QPushButton*>("AddRows"), Qt::LeftButton);

        // Node 3 on CAN1: the first new row is RPDO1 in CAN0 to CAN1, shown and selected.
        QCOMPARE(logic.tables.can0ToCan1[0], (CobIdRow{"0x203", "", "RPDO1 to node 3"}));
        QCOMPARE(logic.tables.can1ToCan0[6], (CobIdRow{"0x703", "", "Heartbeat node 3"}));
        QCOMPARE(window.findChild<QTabWidget*>("PageControl1")->currentIndex(), static_cast<int>(kCan0ToCan1));
        QCOMPARE(window.grid(kCan0ToCan1)->currentIndex().row(), 0);
        QVERIFY(!std::filesystem::exists(dir / "CanCanCobID.xml"));

        // All the rows are one step to undo.
        QCOMPARE(window.undoStack()->count(), 1);
        window.undoStack()->undo();
        QCOMPARE(logic.tables.can0ToCan1[0], CobIdRow{});
        QCOMPARE(logic.tables.can1ToCan0[6], CobIdRow{});
        window.undoStack()->redo();
        QCOMPARE(logic.tables.can1ToCan0[6], (CobIdRow{"0x703", "", "Heartbeat node 3"}));
    }
};

C2C_QTEST_MAIN(AddRowsWindowTest)
#include "AddRowsWindowTest.moc"
