// The Check routing window: opened from Set CobID Access on the tables as
// they are in the grid, a typed identifier's outcome, the map by keyboard,
// the direction, and a bad cell's message in place of the map.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/RoutingLogic.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/FilterMapWidget.h"
#include "dialogs/qt/RoutingWindow.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

using namespace c2c;

class RoutingWindowTest : public QObject {
    Q_OBJECT

    static QString text(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }

private slots:
    void opensOnTheGridAsItIsNow()
    {
        ProgramState state;
        state.session = {0, 0, true};
        c2c::testing::FakeServices services;
        CobIdAccessLogic logic(state, services.all());
        CobIdAccessWindow window(logic);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // A cell still being edited counts.
        CobIdGrid* grid = window.grid(kCan0ToCan1);
        grid->selectCell(0, kOriginalColumn);
        QTest::keyClick(grid, '0');
        QTest::keyClicks(grid->indexWidget(grid->currentIndex()), "x181");
        QString seen;
        QTimer::singleShot(0, [&seen] {
            if (auto* routing = qobject_cast<RoutingWindow*>(QApplication::activeModalWidget())) {
                seen = routing->findChild<QLabel*>("Summary")->text();
                routing->reject();
            }
        });
        window.findChild<QPushButton*>("CheckRouting")->click();
        QCOMPARE(seen, QStringLiteral("Positive Implementation set: 1 of the 2048 standard identifiers pass from "
                                      "CAN0 to CAN1 (0 translated), 2047 are blocked"));
        QVERIFY(window.grid(kCan0ToCan1)->isEditing() == false);
        QCOMPARE(QString::fromStdString(logic.tables.can0ToCan1[0].Orig_CobID), QStringLiteral("0x181"));
    }

    void identifierMapAndDirection()
    {
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x181", "0x1C1", ""}, {"0x201", "", ""}, {"0x18FF0701", "0x701", ""}};
        tables.can1ToCan0 = {{"0x1C1", "0x181", ""}};
        RoutingWindow window(tables, {1, 0, true}, kCan0ToCan1); // the extended layout
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(text(window, "LegendPassed"), QStringLiteral("Passed unchanged (1)"));
        QCOMPARE(text(window, "LegendTranslated"), QStringLiteral("Translated (1)"));
        QCOMPARE(text(window, "LegendBlocked"), QStringLiteral("Blocked (2046)"));
        auto* listed = window.findChild<QListWidget*>("Listed29Bit");
        QCOMPARE(listed->count(), 1);
        QCOMPARE(listed->item(0)->text(),
                 QStringLiteral("0x18FF0701 -> 0x701 (listed, Positive Implementation set; leaves as a standard frame), "
                                "row N\u00B0 2"));

        // Typed in the program's integer syntax; the 29-bit box asks an extended frame.
        auto* identifier = window.findChild<QLineEdit*>("Identifier");
        QTest::keyClicks(identifier, "$181");
        QCOMPARE(text(window, "Outcome"),
                 QStringLiteral("0x181 -> 0x1C1 (listed, Positive Implementation set), row N\u00B0 0"));
        window.findChild<QCheckBox*>("Extended")->setChecked(true);
        QCOMPARE(text(window, "Outcome"), QStringLiteral("0x00000181 -> 0x1C1 (listed, Positive Implementation set; leaves as "
                                                         "a standard frame), row N\u00B0 0"));
        identifier->setText("x");
        QCOMPARE(text(window, "Outcome"), QStringLiteral("'x' is not a valid integer value"));

        // The map by keyboard: down six lines and one to the right is 0x181.
        auto* map = window.findChild<FilterMapWidget*>("FilterMap");
        map->setFocus();
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(map, Qt::Key_Down);
        QTest::keyClick(map, Qt::Key_Right);
        QCOMPARE(map->currentId(), 0x181);
        QCOMPARE(text(window, "CellInfo"),
                 QStringLiteral("Translated: 0x181 -> 0x1C1 (listed, Positive Implementation set), row N\u00B0 0"));

        window.findChild<QComboBox*>("Direction")->setCurrentIndex(kCan1ToCan0);
        QCOMPARE(text(window, "CellInfo"), QStringLiteral("Blocked: 0x181 blocked (not listed, Positive Implementation set)"));
        QCOMPARE(listed->count(), 0);
    }

    void badCellGivesItsMessage()
    {
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x800", "", ""}};
        RoutingWindow window(tables, {0, 0, true}, kCan0ToCan1);
        QCOMPARE(window.findChild<QStackedWidget*>("RoutingPages")->currentIndex(), 1);
        QVERIFY(text(window, "Problem").startsWith("The routing cannot be shown: Table Can0 to Can1. Error in row 0"));
    }
};

C2C_QTEST_MAIN(RoutingWindowTest)
#include "RoutingWindowTest.moc"
