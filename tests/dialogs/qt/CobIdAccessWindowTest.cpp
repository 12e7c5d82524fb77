#include "dialogs/qt/CobIdAccessWindow.h"

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/ProgramState.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/CobIdTableModel.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QUndoStack>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace c2c;
using c2c::testing::ReadText;
using c2c::testing::WriteText;

namespace {

// One dialog over a temporary project, as the program wires it.
struct Fixture {
    explicit Fixture(CommSession shown)
    {
        state.session = shown;
        state.workspace.layout.SetProjectDir(dir.path());
        dialog = std::make_unique<CobIdAccessWindow>(logic);
        for (int direction : {kCan0ToCan1, kCan1ToCan0})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                dialog->grid(direction)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
    }
    void show()
    {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    CobIdGrid* grid(int direction) const { return dialog->grid(direction); }
    QString cell(int direction, int row, int column) const
    {
        return grid(direction)->model()->index(row, column).data().toString();
    }
    QPushButton* button(const char* name) const { return dialog->findChild<QPushButton*>(name); }

    std::string file() const { return state.workspace.layout.CobIdFile(); }

    c2c::testing::TempDir dir;
    ProgramState state;
    c2c::testing::FakeServices services;
    c2c::testing::RecordingMessages& messages = services.messages;
    CobIdAccessLogic logic{state, services.all()};
    std::unique_ptr<CobIdAccessWindow> dialog;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

} // namespace

class CobIdAccessWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheTablesEditsAndSavesOnOk()
    {
        Fixture f({0, 0, true});
        CobIdTable c0(2048), c1(2048);
        c0[0] = {"1", "2", "first"};
        c1[2047] = {"0x7FF", "0", "last"};
        WriteCobIdDocument(f.file(), {c0, c1});
        f.show();

        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Set CobID Access"));
        auto* tabs = f.dialog->findChild<QTabWidget*>("PageControl1");
        QCOMPARE(tabs->tabText(0), QStringLiteral("CAN0 to CAN1"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("CAN1 to CAN0"));
        QCOMPARE(f.dialog->findChild<CobIdGrid*>("ASG_C0"), f.grid(kCan0ToCan1));
        QCOMPARE(f.dialog->findChild<CobIdGrid*>("ASG_C1"), f.grid(kCan1ToCan0));
        QAbstractItemModel* model = f.grid(kCan0ToCan1)->model();
        QStringList headers;
        for (int column = 0; column < model->columnCount(); ++column)
            headers << model->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{QString::fromUtf8("N\u00B0"), "Original CobID", "Modify CobID", "Description"}));
        QCOMPARE(model->rowCount(), 2048);
        QCOMPARE(f.cell(kCan0ToCan1, 2047, 0), QStringLiteral("2047"));
        QCOMPARE(f.cell(kCan0ToCan1, 0, 3), QStringLiteral("first"));
        QCOMPARE(f.cell(kCan1ToCan0, 2047, 1), QStringLiteral("0x7FF"));
        QVERIFY(f.button("LbButton3")->isVisible());
        QVERIFY(f.button("LbButton1")->x() < f.button("LbButton3")->x());
        QVERIFY(f.messages.messages.empty());

        // Typing starts editing; Enter commits and moves down.
        CobIdGrid* grid = f.grid(kCan0ToCan1);
        grid->selectCell(5, kModifyColumn);
        QTest::keyClick(grid, '0');
        QVERIFY(grid->isEditing());
        QWidget* editor = grid->indexWidget(grid->currentIndex());
        QTest::keyClicks(editor, "x12");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(f.cell(kCan0ToCan1, 5, 2), QStringLiteral("0x12"));
        QTRY_COMPARE(grid->currentIndex(), model->index(6, kModifyColumn));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), model->index(7, kModifyColumn));
        QVERIFY2(f.dialog->isVisible(), "Enter in the grid presses no button");

        // Paste a block from a spreadsheet, then copy part of it back.
        QGuiApplication::clipboard()->setText(QStringLiteral("10\t11\tten\r\n20\t21\ttwenty\r\n"));
        grid->selectCell(100, kOriginalColumn);
        QTest::keySequence(grid, QKeySequence::Paste);
        QCOMPARE(f.cell(kCan0ToCan1, 101, 3), QStringLiteral("twenty"));
        QCOMPARE(f.cell(kCan0ToCan1, 100, 2), QStringLiteral("11"));
        QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 6);
        grid->selectionModel()->select(QItemSelection(model->index(100, 2), model->index(101, 3)),
                                       QItemSelectionModel::ClearAndSelect);
        QTest::keySequence(grid, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("11\tten\n21\ttwenty\n"));
        // Delete empties the selection.
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(f.cell(kCan0ToCan1, 101, 2), QString());
        QCOMPARE(f.cell(kCan0ToCan1, 101, 1), QStringLiteral("20"));

        // An editor still open at OK is committed first.
        grid->selectCell(0, kDescriptionColumn);
        QTest::keyClick(grid, 'x');
        QVERIFY(grid->isEditing());
        QTest::mouseClick(f.button("LbButton1"), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QVERIFY(!f.dialog->isVisible());

        CobIdTables saved{CobIdTable(2048), CobIdTable(2048)};
        QCOMPARE(ReadCobIdLeniently(f.file(), saved), CobIdLoad::Complete);
        const CobIdTable& saved0 = saved.can0ToCan1;
        const CobIdTable& saved1 = saved.can1ToCan0;
        QVERIFY(saved0[0] == (CobIdRow{"1", "2", "x"}));
        QVERIFY(saved0[5] == (CobIdRow{"", "0x12", ""}));
        QVERIFY(saved0[100] == (CobIdRow{"10", "", ""}));
        QVERIFY(saved0[101] == (CobIdRow{"20", "", ""}));
        QVERIFY(saved1 == c1);
    }

    void readOnlyModifyColumnAndExtendedLength()
    {
        Fixture f({0, 1, false});
        CobIdTable c0(2048), c1(2048);
        c0[3] = {"1", "0x1FFFFFFF", ""};
        WriteCobIdDocument(f.file(), {c0, c1});
        f.show();
        QAbstractItemModel* model = f.grid(kCan0ToCan1)->model();
        QCOMPARE(model->rowCount(), 2000);
        QVERIFY(!f.button("LbButton3")->isVisible());
        QVERIFY(!(model->flags(model->index(3, kModifyColumn)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(3, kOriginalColumn)) & Qt::ItemIsEditable);
        QVERIFY(!model->setData(model->index(3, kModifyColumn), QStringLiteral("5")));

        QGuiApplication::clipboard()->setText(QStringLiteral("7\t8\tseven"));
        f.grid(kCan0ToCan1)->selectCell(3, kOriginalColumn);
        QTest::keySequence(f.grid(kCan0ToCan1), QKeySequence::Paste);
        QCOMPARE(f.cell(kCan0ToCan1, 3, 1), QStringLiteral("7"));
        QCOMPARE(f.cell(kCan0ToCan1, 3, 2), QStringLiteral("0x1FFFFFFF"));
        QCOMPARE(f.cell(kCan0ToCan1, 3, 3), QStringLiteral("seven"));

        // One value pasted over a selection fills its editable cells.
        QGuiApplication::clipboard()->setText(QStringLiteral("0x10\n"));
        f.grid(kCan0ToCan1)->selectionModel()->select(QItemSelection(model->index(2, 1), model->index(3, 2)),
                                                      QItemSelectionModel::ClearAndSelect);
        QTest::keySequence(f.grid(kCan0ToCan1), QKeySequence::Paste);
        QCOMPARE(f.cell(kCan0ToCan1, 2, 1), QStringLiteral("0x10"));
        QCOMPARE(f.cell(kCan0ToCan1, 3, 1), QStringLiteral("0x10"));
        QCOMPARE(f.cell(kCan0ToCan1, 3, 2), QStringLiteral("0x1FFFFFFF"));
        QCOMPARE(f.cell(kCan0ToCan1, 2, 2), QString());

        QTest::mouseClick(f.button("LbButton1"), Qt::LeftButton);
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    }

    void badCellIsShownAndNothingIsWritten()
    {
        Fixture f({0, 0, true});
        f.show();
        QHeaderView* header = f.grid(kCan1ToCan0)->horizontalHeader();
        header->resizeSection(kOriginalColumn, 300);
        QAbstractItemModel* model = f.grid(kCan1ToCan0)->model();
        QVERIFY(model->setData(model->index(1500, kModifyColumn), QStringLiteral("0x800")));
        QTest::mouseClick(f.button("LbButton1"), Qt::LeftButton);

        std::string shown = "Table Can1 to Can0. Error in row 1500. The CobID must between 0x000 and 0x7FF";
        QCOMPARE(f.messages.Texts(), std::vector<std::string>{shown});
        QVERIFY(f.dialog->isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(f.file())));
        QCOMPARE(f.dialog->findChild<QTabWidget*>("PageControl1")->currentIndex(), 1);
        CobIdGrid* grid = f.grid(kCan1ToCan0);
        QCOMPARE(grid->currentIndex(), model->index(1500, kModifyColumn));
        QCOMPARE(grid->selectionModel()->selectedIndexes(), QModelIndexList{model->index(1500, kModifyColumn)});
        QTRY_VERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        QVERIFY2(grid->visualRect(grid->currentIndex()).left() >= grid->columnWidth(kNumberColumn),
                 "clear of the fixed column");

        // Cancel asks, then loses the edit; the next showing reloads, keeping the column widths.
        f.messages.answers = {true};
        QTest::mouseClick(f.button("LbButton2"), Qt::LeftButton);
        QCOMPARE(f.messages.Texts().back(), std::string("Discard the changes to the CobID tables?"));
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        f.state.session = {1, 1, true};
        f.show();
        QCOMPARE(model->rowCount(), 2000);
        QCOMPARE(f.cell(kCan1ToCan0, 1500, 2), QString());
        QCOMPARE(header->sectionSize(kOriginalColumn), 300);
    }

    void escapeKeepsTheWindowAndItsEdits()
    {
        Fixture f({0, 0, true});
        f.show();
        CobIdGrid* grid = f.grid(kCan0ToCan1);
        grid->selectCell(4, kOriginalColumn);
        QTest::keyClick(grid, '1');
        QTest::keyClicks(grid->indexWidget(grid->currentIndex()), "2");
        QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Return);
        grid->selectCell(5, kOriginalColumn);
        QTest::keyClick(grid, '7');
        QVERIFY(grid->isEditing());
        QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Escape); // cancels the cell edit
        QTest::keyClick(grid, Qt::Key_Escape);                                    // the habitual second one
        QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.cell(kCan0ToCan1, 4, 1), QStringLiteral("12"));
        QCOMPARE(f.cell(kCan0ToCan1, 5, 1), QString());
        f.dialog->close(); // the close box still closes it, after a No keeps it
        QVERIFY(f.dialog->isVisible());
        f.messages.answers = {true};
        f.dialog->close();
        QCOMPARE(f.messages.Texts(), std::vector<std::string>(2, "Discard the changes to the CobID tables?"));
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    }

    void compileAllOnTheSecondTabChangesOnlyThatTable()
    {
        Fixture f({0, 0, false});
        f.show();
        auto* tabs = f.dialog->findChild<QTabWidget*>("PageControl1");
        tabs->setCurrentIndex(1);
        f.messages.answers = {true};
        QTest::mouseClick(f.button("LbButton3"), Qt::LeftButton);
        QCOMPARE(f.cell(kCan1ToCan0, 2047, 1), QStringLiteral("2047"));
        QCOMPARE(f.cell(kCan1ToCan0, 2047, 2), QStringLiteral("2047"));
        QCOMPARE(f.cell(kCan0ToCan1, 2047, 1), QString());

        f.messages.answers = {true};
        QTest::mouseClick(f.button("LbButton4"), Qt::LeftButton);
        QCOMPARE(f.cell(kCan1ToCan0, 7, 1), QString());
        QCOMPARE(f.messages.Texts(), (std::vector<std::string>{"Are you sure to cancel all the CobID just write?",
                                                               "Are you sure to cancel all the CobID?"}));
    }

    void undoRedoFollowTheKeysAndShowWhereTheChangeWas()
    {
        Fixture f({0, 0, true});
        f.show();
        CobIdGrid* grid = f.grid(kCan0ToCan1);
        QUndoStack* stack = f.dialog->undoStack();
        QVERIFY(!stack->canUndo());

        grid->selectCell(10, kOriginalColumn);
        QTest::keyClick(grid, '7');
        QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Return);
        QTRY_COMPARE(grid->currentIndex().row(), 11); // the editor closes after the key
        QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\n3\t4\n"));
        grid->selectCell(100, kOriginalColumn);
        QTest::keySequence(grid, QKeySequence::Paste);
        auto* tabs = f.dialog->findChild<QTabWidget*>("PageControl1");
        tabs->setCurrentIndex(1);
        f.messages.answers = {true};
        QTest::mouseClick(f.button("LbButton3"), Qt::LeftButton);
        QCOMPARE(stack->count(), 3);
        QCOMPARE(f.dialog->findChild<QAction*>("EditUndo")->text(), QStringLiteral("Undo Compile All CobID"));

        tabs->setCurrentIndex(0);
        QTest::keyClick(f.grid(kCan0ToCan1), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.cell(kCan1ToCan0, 2047, 1), QString());
        QCOMPARE(tabs->currentIndex(), 1); // the undone change is shown
        QTest::keyClick(f.grid(kCan1ToCan0), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.cell(kCan0ToCan1, 101, 2), QString());
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 4);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.cell(kCan0ToCan1, 10, 1), QString());
        QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.cell(kCan0ToCan1, 10, 1), QStringLiteral("7"));
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.cell(kCan0ToCan1, 101, 2), QStringLiteral("4"));

        // Another tool of the window: one step too.
        CobIdTables added = f.logic.tables;
        added.can1ToCan0[5] = {"0x5", "", "added"};
        added.can1ToCan0[6] = {"0x6", "", "added"};
        f.dialog->applyTablesChange(QStringLiteral("Add rows"), added);
        QCOMPARE(f.cell(kCan1ToCan0, 6, 3), QStringLiteral("added"));
        stack->undo();
        QCOMPARE(f.cell(kCan1ToCan0, 5, 1), QString());

        // Nothing to undo at the next showing.
        f.messages.answers = {true};
        f.dialog->reject();
        f.show();
        QVERIFY(!stack->canUndo() && !stack->canRedo());
    }

    void findAndGoToSwitchTabsAndSelectTheCell()
    {
        Fixture f({0, 0, true});
        CobIdTable c0(2048), c1(2048);
        c0[40] = {"449", "", ""};
        c1[3] = {"", "$1c1", "Pump"};
        WriteCobIdDocument(f.file(), {c0, c1});
        f.show();
        CobIdGrid* grid = f.grid(kCan0ToCan1);
        auto* find = f.dialog->findChild<QLineEdit*>("FindText");
        auto* status = f.dialog->findChild<QLabel*>("FindStatus");
        auto* tabs = f.dialog->findChild<QTabWidget*>("PageControl1");
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find->hasFocus());
        QTest::keyClicks(find, "0x1C1");
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), grid->model()->index(40, kOriginalColumn));
        QCOMPARE(status->text(), QStringLiteral("1 of 2"));
        QTest::keyClick(find, Qt::Key_F3);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(f.grid(kCan1ToCan0)->currentIndex(), f.grid(kCan1ToCan0)->model()->index(3, kModifyColumn));
        QTest::keyClick(find, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 0);

        QTest::keyClick(grid, Qt::Key_G, Qt::ControlModifier);
        auto* goTo = f.dialog->findChild<QLineEdit*>("GoToNumber");
        QVERIFY(goTo->hasFocus());
        QTest::keyClicks(goTo, "0x5DC");
        QTest::keyClick(goTo, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1500, kOriginalColumn));
        QVERIFY(grid->hasFocus());
    }

    void problemsAreMarkedAsTypedAndTheLineLeadsToThem()
    {
        Fixture f({0, 0, true});
        f.show();
        auto* line = f.dialog->findChild<QToolButton*>("ProblemsLine");
        QCOMPARE(line->toolTip(), QStringLiteral("No problems"));
        QAbstractItemModel* model = f.grid(kCan1ToCan0)->model();
        const QModelIndex bad = model->index(12, kModifyColumn);
        const QModelIndex twin = model->index(30, kOriginalColumn);
        QVERIFY(model->setData(model->index(12, kOriginalColumn), QStringLiteral("0x181")));
        QVERIFY(model->setData(bad, QStringLiteral(" 12 ")));
        QVERIFY(model->setData(twin, QStringLiteral("385")));
        QVERIFY(bad.data(Qt::DecorationRole).value<QIcon>().isNull() == false);
        QVERIFY(bad.data(Qt::BackgroundRole).isValid());
        QCOMPARE(bad.data(Qt::ToolTipRole).toString(),
                 QString::fromUtf8("'\u242312\u2423' is not an integer: write it in decimal, or in hexadecimal after "
                                   "0x, $ or x"));
        QVERIFY(twin.data(Qt::ToolTipRole).toString().contains(QString::fromUtf8("also listed in N\u00B0 12")));
        QCOMPARE(line->toolTip(), QString::fromUtf8("1 problem: in CAN1 to CAN0, N\u00B0 12; 2 warnings: first in CAN1 to "
                                                 "CAN0, N\u00B0 12"));
        QTest::mouseClick(line, Qt::LeftButton);
        QCOMPARE(f.dialog->findChild<QTabWidget*>("PageControl1")->currentIndex(), 1);
        QCOMPARE(f.grid(kCan1ToCan0)->currentIndex(), bad);

        QVERIFY(model->setData(bad, QStringLiteral("12")));
        QVERIFY(model->setData(twin, QString()));
        QVERIFY(!bad.data(Qt::BackgroundRole).isValid());
        QVERIFY(!bad.data(Qt::ToolTipRole).isValid());
        QCOMPARE(line->toolTip(), QStringLiteral("No problems"));
    }

    void nothingIsLostWithoutAWord()
    {
        Fixture f({0, 1, true});
        CobIdTable c0(2048);
        c0[2045] = {"0x7FD", "0x7FC", "kept"};
        WriteCobIdDocument(f.file(), {c0, CobIdTable(2048)});
        f.show();
        QTRY_COMPARE(f.messages.messages.size(), std::size_t(1));
        QVERIFY(f.messages.Texts()[0].find("1 row stored as N\u00B0 2045 was moved into the first empty row, now N\u00B0 0") !=
                std::string::npos);
        QCOMPARE(f.cell(kCan0ToCan1, 0, 3), QStringLiteral("kept"));

        // A paste longer than the table says what it left out.
        QString lines;
        for (int i = 0; i < 12; ++i)
            lines += QString::number(i) + QLatin1Char('\n');
        QGuiApplication::clipboard()->setText(lines);
        f.grid(kCan0ToCan1)->selectCell(1990, kOriginalColumn);
        QTest::keySequence(f.grid(kCan0ToCan1), QKeySequence::Paste);
        QCOMPARE(f.cell(kCan0ToCan1, 1999, 1), QStringLiteral("9"));
        QCOMPARE(f.messages.Texts().back(),
                 std::string("2 lines of the pasted text were left out: the table ends at N\u00B0 1999."));

        // Cancel closes at once once the change is undone.
        f.dialog->undoStack()->undo();
        f.messages.messages.clear();
        QTest::mouseClick(f.button("LbButton2"), Qt::LeftButton);
        QVERIFY(!f.dialog->isVisible());
        QVERIFY(f.messages.messages.empty());
    }

    // Positive Implementation clear: the line says the listed identifiers
    // are blocked and the Modify CobIDs idle, as check and OK say it.
    void aBlockedListIsNamedOnTheLine()
    {
        Fixture f({0, 0, false});
        CobIdTable c0(2048);
        c0[0] = {"0x100", "0x200", ""};
        c0[1] = {"0x101", "", ""};
        WriteCobIdDocument(f.file(), {c0, CobIdTable(2048)});
        f.show();
        auto* line = f.dialog->findChild<QToolButton*>("ProblemsLine");
        const QString blocked = QStringLiteral("Positive Implementation is clear: the 2 listed identifiers of CAN0 to "
                                               "CAN1 are blocked; their Modify CobIDs have no effect");
        QCOMPARE(line->toolTip(), blocked);
        QVERIFY(!line->icon().isNull());
        QTest::mouseClick(line, Qt::LeftButton);
        QCOMPARE(f.grid(kCan0ToCan1)->currentIndex(), f.grid(kCan0ToCan1)->model()->index(0, kModifyColumn));
        QTest::mouseClick(f.button("LbButton1"), Qt::LeftButton);
        QCOMPARE(f.messages.Texts(), std::vector<std::string>{"The tables were saved, with these warnings:\n" +
                                                              blocked.toStdString()});
    }

    // Nothing moves when the line or the find status changes: the window
    // keeps its width, the fields their places; a long line ends in "...".
    void theLayoutStaysStill()
    {
        Fixture f({0, 0, false});
        CobIdTable c0(2048), c1(2048);
        c0[0] = c1[0] = {"1", "2", ""};
        WriteCobIdDocument(f.file(), {c0, c1});
        f.dialog->resize(800, 560);
        f.show();
        auto* line = f.dialog->findChild<QToolButton*>("ProblemsLine");
        auto* goTo = f.dialog->findChild<QLineEdit*>("GoToNumber");
        auto* find = f.dialog->findChild<QLineEdit*>("FindText");
        const auto places = [&] {
            QApplication::processEvents();
            return std::vector<int>{f.dialog->width(), line->width(), goTo->mapTo(f.dialog.get(), QPoint()).x(),
                                    find->mapTo(f.dialog.get(), QPoint()).x()};
        };
        const std::vector<int> before = places();
        QCOMPARE(before[0], 800);

        QAbstractItemModel* model = f.grid(kCan1ToCan0)->model();
        for (int row = 1; row < 40; ++row)
            model->setData(model->index(row, kOriginalColumn), QStringLiteral("no number %1").arg(row));
        model->setData(model->index(40, kOriginalColumn), QStringLiteral("1"));
        QVERIFY(line->text().endsWith(QString::fromUtf8("\u2026")) || line->text().endsWith(QStringLiteral("...")));
        QVERIFY(line->toolTip().startsWith(QString::fromUtf8("39 problems: first in CAN1 to CAN0, N\u00B0 1; 2 "
                                                             "warnings: first in CAN1 to CAN0, N\u00B0 0. Positive")));
        QCOMPARE(places(), before);

        QTest::keyClicks(find, QStringLiteral("nothing like it"));
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(places(), before);
        QTest::keyClicks(goTo, QStringLiteral("5000"));
        QTest::keyClick(goTo, Qt::Key_Return);
        QCOMPARE(places(), before);
    }

    // A go-to status says what the last request found and goes with the
    // next action; a new project starts with empty fields.
    void findAndGoToBelongToTheirProject()
    {
        Fixture f({0, 0, true});
        f.show();
        auto* goTo = f.dialog->findChild<QLineEdit*>("GoToNumber");
        auto* status = f.dialog->findChild<QLabel*>("FindStatus");
        QTest::keyClicks(goTo, QStringLiteral("5000"));
        QTest::keyClick(goTo, Qt::Key_Return);
        QCOMPARE(status->toolTip(), QString::fromUtf8("N\u00B0 0 to 2047 only"));
        f.grid(kCan0ToCan1)->selectCell(3, kOriginalColumn);
        QCOMPARE(status->toolTip(), QString());
        QTest::keyClick(goTo, Qt::Key_Return);
        QVERIFY(!status->toolTip().isEmpty());
        f.dialog->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(status->toolTip(), QString());

        auto* find = f.dialog->findChild<QLineEdit*>("FindText");
        find->setText(QStringLiteral("0x181"));
        f.dialog->reject();
        f.show();
        QCOMPARE(find->text(), QStringLiteral("0x181")); // kept for the same project
        c2c::testing::TempDir other;
        f.state.workspace.layout.SetProjectDir(other.path());
        f.dialog->reject();
        f.show();
        QCOMPARE(find->text(), QString());
        QCOMPARE(goTo->text(), QString());
    }
};

C2C_QTEST_MAIN(CobIdAccessWindowTest)
#include "CobIdAccessWindowTest.moc"
