// The Check routing window: opened from Set CobID Access on the tables as
// they are in the grid, a typed identifier's outcome, the map by keyboard,
// the direction, a layout that stays still, and a bad cell's message in
// place of the map.

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
#include <QTabWidget>
#include <QTimer>

using namespace c2c;

namespace {

// Set CobID Access as the program shows it, where Check routing opens.
struct AccessWindow {
    AccessWindow()
    {
        state.session = {0, 0, true};
        window.show();
    }
    ProgramState state;
    c2c::testing::FakeServices services;
    CobIdAccessLogic logic{state, services.all()};
    CobIdAccessWindow window{logic};
};

} // namespace

class RoutingWindowTest : public QObject {
    Q_OBJECT

    static QString text(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }

private slots:
    void opensOnTheGridAsItIsNow()
    {
        AccessWindow access;
        CobIdAccessWindow& window = access.window;
        const CobIdAccessLogic& logic = access.logic;
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
        // No 29-bit identifier arrives on a CAN 2.0A port: said, not an empty box.
        QVERIFY(!listed->isVisible());
        QCOMPARE(text(window, "Listed29BitNote"),
                 QStringLiteral("None: frames of this table arrive on CAN1, which runs CAN 2.0A (0x000 to 0x7FF) and "
                                "takes no 29-bit frame"));
    }

    // Enter asks and the window stays; the map stays where it is whatever
    // the answer above it says.
    void enterAsksAndTheMapStaysPut()
    {
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x181", "0x1C1", ""}};
        RoutingWindow window(tables, {0, 0, true}, kCan0ToCan1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* map = window.findChild<FilterMapWidget*>("FilterMap");
        auto* identifier = window.findChild<QLineEdit*>("Identifier");
        const auto mapTop = [&] {
            QApplication::processEvents();
            return map->mapTo(&window, QPoint()).y();
        };
        const int top = mapTop();
        for (const char* typed : {"0x181", "0x2G1", "", "0x20000000", "0x7FF"}) {
            identifier->setText(QString::fromLatin1(typed));
            QCOMPARE(mapTop(), top);
        }
        identifier->setFocus();
        QTest::keyClick(identifier, Qt::Key_Return);
        QTest::keyClick(identifier, Qt::Key_Enter);
        QVERIFY(window.isVisible());
        QCOMPARE(text(window, "Outcome"), QStringLiteral("0x7FF blocked (not listed, Positive Implementation set)"));
    }

    // As the program opens it, modal from Set CobID Access: Enter in a box
    // of either page presses no button (neither Close nor Browse...).
    void enterInABoxPressesNoButton()
    {
        AccessWindow access;
        QVERIFY(QTest::qWaitForWindowExposed(&access.window));
        bool stayed = false;
        QTimer::singleShot(0, [&stayed] {
            auto* routing = qobject_cast<RoutingWindow*>(QApplication::activeModalWidget());
            if (!routing)
                return;
            // Whichever button Qt made the default one.
            for (QPushButton* button : routing->findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("Close"))
                    button->setDefault(true);
            auto* identifier = routing->findChild<QLineEdit*>("Identifier");
            QTest::keyClicks(identifier, "0x181");
            QTest::keyClick(identifier, Qt::Key_Return);
            routing->findChild<QTabWidget*>("RoutingTabs")->setCurrentIndex(1);
            auto* trace = routing->findChild<QLineEdit*>("TracePath0");
            trace->setFocus();
            QTest::keyClick(trace, Qt::Key_Return);
            stayed = routing->isVisible();
            routing->reject();
        });
        access.window.findChild<QPushButton*>("CheckRouting")->click();
        QVERIFY(stayed);
        QVERIFY(access.services.files.calls.empty());
    }

    void badCellGivesItsMessage()
    {
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x800", "", ""}};
        RoutingWindow window(tables, {0, 0, true}, kCan0ToCan1);
        QCOMPARE(window.findChild<QStackedWidget*>("RoutingPages")->currentIndex(), 1);
        QVERIFY(text(window, "Problem").startsWith("The routing cannot be shown: Table Can0 to Can1. Error in row 0"));
        // Said once: nothing to ask, no second copy under the box.
        QCOMPARE(text(window, "Outcome"), QString());
        QVERIFY(!window.findChild<QLineEdit*>("Identifier")->isEnabled());
    }
};

C2C_QTEST_MAIN(RoutingWindowTest)
#include "RoutingWindowTest.moc"
