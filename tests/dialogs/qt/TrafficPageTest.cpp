// The Traffic page of Check routing: computed in a thread of its own while
// the window goes on, the chart of a frame worked out by hand, and a
// conflict that leads to its row in the grid of Set CobID Access, gone once
// the row is changed and the page computed again at the next showing.

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/CobIdAccessWindow.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/RoutingWindow.h"
#include "dialogs/qt/TrafficPage.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <memory>

using namespace c2c;

namespace {

void SetTrace(QWidget& page, int slot, const std::string& path, TraceLine line)
{
    const QString suffix = QString::number(slot);
    auto* edit = page.findChild<QLineEdit*>(QStringLiteral("TracePath") + suffix);
    edit->setText(QString::fromStdString(path));
    emit edit->textEdited(edit->text());
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("TraceLine") + suffix);
    combo->setCurrentIndex(static_cast<int>(line));
    emit combo->activated(combo->currentIndex());
}

void SetRate(QWidget& page, int port, int kbps)
{
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("BitRate%1").arg(port));
    combo->setCurrentIndex(combo->findData(kbps));
    emit combo->activated(combo->currentIndex());
}

QString Summary(QWidget& page)
{
    return page.findChild<QPlainTextEdit*>("TrafficSummary")->toPlainText();
}

} // namespace

class TrafficPageTest : public QObject {
    Q_OBJECT

private slots:
    void computesInItsOwnThreadAndDrawsTheLoad()
    {
        c2c::testing::TempDir dir;
        // One frame 7FF, no data: 50 bits, 5 % of a 1 ms window at 1000 kbit/s.
        c2c::testing::WriteText(dir / "a.log", "(1.000000) can0 7FF#\n");
        CobIdTables tables;
        RoutingWindow window(tables, {0, 0, true}, kCan0ToCan1);
        window.show();
        TrafficPage& page = window.traffic();
        QCOMPARE(page.findChild<QPushButton*>("Compute")->isEnabled(), false); // no trace yet
        SetTrace(page, 0, dir / "a.log", TraceLine::Can0);
        QCOMPARE(page.findChild<QLabel*>("TrafficProblem")->text(),
                 QStringLiteral("Choose the bit rate of CAN0: the dip switch sets it."));
        SetRate(page, 0, 1000);
        SetRate(page, 1, 1000);
        page.findChild<QSpinBox*>("WindowMs")->setValue(1);

        QSignalSpy computed(&page, &TrafficPage::computed);
        page.findChild<QPushButton*>("Compute")->click();
        // The click returned at once: the work goes on beside the window.
        QVERIFY(page.Running() || computed.count() == 1);
        QVERIFY(computed.count() == 1 || !page.findChild<QPushButton*>("Compute")->isEnabled());
        QTRY_COMPARE(computed.count(), 1);
        QVERIFY(!page.Running());
        QVERIFY(Summary(page).contains("CAN0 (can0), 1000 kbit/s: 1 native frame, 0 forwarded from CAN1; 50 bits"));
        QVERIFY(Summary(page).endsWith("Result: no line passes 100 %, no frame is lost, no conflict"));

        QChart* chart = page.findChild<QChartView*>("LoadChart")->chart();
        QStringList names;
        QList<QPointF> can0;
        for (QAbstractSeries* series : chart->series()) {
            names << series->name();
            if (series->name() == "CAN0, 1000 kbit/s")
                can0 = static_cast<QLineSeries*>(series)->points();
        }
        QVERIFY(names.contains("70 %") && names.contains("100 %") && names.contains("CAN1, 1000 kbit/s: backlog"));
        QCOMPARE(can0, (QList<QPointF>{{0, 5}, {0.001, 5}}));
    }

    // The window closed in the middle: the computation stops before what it
    // reads goes (the sanitizer suite would see a use after free).
    void closingWhileComputingStopsIt()
    {
        c2c::testing::TempDir dir;
        std::string trace;
        for (int i = 0; i < 200000; ++i)
            trace += "(1." + std::to_string(100000 + i % 900000) + ") can0 181#0102030405060708\n";
        c2c::testing::WriteText(dir / "long.log", trace);
        CobIdTables tables;
        tables.can0ToCan1 = {{"0x181", "", ""}};
        auto window = std::make_unique<RoutingWindow>(tables, CommSession{0, 0, true}, kCan0ToCan1);
        TrafficPage& page = window->traffic();
        SetTrace(page, 0, dir / "long.log", TraceLine::Can0);
        SetRate(page, 0, 125);
        SetRate(page, 1, 125);
        page.Compute();
        QVERIFY(page.Running());
        window.reset();
    }

    void conflictLeadsToItsRowAndTheChangedRowRemovesIt()
    {
        c2c::testing::TempDir dir;
        // RPDO1 of node 1 crosses from CAN0, where a PLC sends it, to CAN1,
        // whose own master sends 0x201 too. Both loggers called their
        // interface can0.
        c2c::testing::WriteText(dir / "a.log", "(1.000000) can0 201#01\n(1.010000) can0 181#0102\n");
        c2c::testing::WriteText(dir / "b.log", "(1.005000) can0 201#02\n");
        ProgramState state;
        state.session = {0, 0, true};
        c2c::testing::FakeServices services;
        CobIdAccessLogic logic(state, services.all());
        CobIdAccessWindow window(logic);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAbstractItemModel* can0 = window.grid(kCan0ToCan1)->model();
        for (const auto& [row, orig, mod] : {std::tuple{0, "0x181", "0x1C1"}, std::tuple{1, "0x201", ""}}) {
            can0->setData(can0->index(row, kOriginalColumn), QString::fromLatin1(orig));
            can0->setData(can0->index(row, kOriginalColumn + 1), QString::fromLatin1(mod));
        }
        QAbstractItemModel* can1 = window.grid(kCan1ToCan0)->model();
        can1->setData(can1->index(0, kOriginalColumn), QStringLiteral("0x1C1"));
        can1->setData(can1->index(0, kOriginalColumn + 1), QStringLiteral("0x181"));

        QStringList conflicts;
        QTimer::singleShot(0, [&] {
            auto* routing = qobject_cast<RoutingWindow*>(QApplication::activeModalWidget());
            QVERIFY(routing);
            TrafficPage& page = routing->traffic();
            routing->findChild<QTabWidget*>("RoutingTabs")->setCurrentWidget(&page);
            SetTrace(page, 0, dir / "a.log", TraceLine::Can0);
            SetTrace(page, 1, dir / "b.log", TraceLine::Can1);
            SetRate(page, 0, 250);
            SetRate(page, 1, 500);
            QSignalSpy computed(&page, &TrafficPage::computed);
            page.findChild<QPushButton*>("Compute")->click();
            QTRY_COMPARE(computed.count(), 1);
            auto* list = page.findChild<QListWidget*>("Conflicts");
            for (int i = 0; i < list->count(); ++i)
                conflicts << list->item(i)->text();
            list->setCurrentRow(0);
            emit list->itemActivated(list->item(0));
        });
        window.findChild<QPushButton*>("CheckRouting")->click();
        QCOMPARE(conflicts, QStringList{QString::fromUtf8(
                                "0x201, RPDO1 to node 1, on CAN1: two producers: 1 native frame and 1 forwarded from "
                                "CAN0 (0x201 unchanged); first at 1.005000 (row N\u00B0 1 of CAN0 to CAN1)")});
        // Closed on the row.
        QCOMPARE(window.grid(kCan0ToCan1)->currentIndex().row(), 1);
        QVERIFY(window.grid(kCan0ToCan1)->isVisible());

        // The row emptied: at the next showing the page computes again, and
        // the conflict is gone.
        can0->setData(can0->index(1, kOriginalColumn), QString());
        QString summary;
        int listed = -1;
        QTimer::singleShot(0, [&] {
            auto* routing = qobject_cast<RoutingWindow*>(QApplication::activeModalWidget());
            QVERIFY(routing);
            TrafficPage& page = routing->traffic();
            QCOMPARE(routing->findChild<QTabWidget*>("RoutingTabs")->currentWidget(), &page);
            QTRY_VERIFY(!page.Running());
            summary = Summary(page);
            listed = page.findChild<QListWidget*>("Conflicts")->count();
            routing->reject();
        });
        window.findChild<QPushButton*>("CheckRouting")->click();
        QCOMPARE(listed, 0);
        QVERIFY(summary.endsWith("Result: no line passes 100 %, no frame is lost, no conflict"));
    }
};

C2C_QTEST_MAIN(TrafficPageTest)
#include "TrafficPageTest.moc"
