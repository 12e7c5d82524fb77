// screenshot-tour: walks through the program's windows under a real (virtual)
// display and saves a PNG of each into a folder, for the documentation.
//
// usage: screenshot-tour EXE_DIR OUTPUT_DIR
// EXE_DIR is a portable folder (MASTER with a master firmware, Tessimor.exe,
// the Line7 traces line7-can0.log and line7-can1.log); a project "Line3" is
// created in it.

#include "gui/Application.h"
#include "dialogs/qt/MainWindow.h"
#include "dialogs/qt/TrafficPage.h"
#include "platform/qt/QtServices.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iostream>

using namespace c2c;

namespace {

QString g_output;
QString g_traces; // the folder of the Line7 traces

// Saves the part of the screen that shows `window`, frame included.
void Shoot(QWidget* window, const char* name)
{
    QTest::qWait(400);
    QRect frame = window->frameGeometry().adjusted(-8, -36, 8, 8);
    QScreen* screen = QGuiApplication::primaryScreen();
    frame = frame.intersected(screen->geometry());
    QPixmap shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = g_output + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png");
    if (!shot.save(path))
        std::cerr << "screenshot-tour: cannot save " << path.toStdString() << "\n";
}

void WhenModalOpens(const QString& name, std::function<void(QWidget*)> interact, int triesLeft = 500)
{
    QTimer::singleShot(20, [name, interact, triesLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name)
            interact(modal);
        else if (triesLeft > 0)
            WhenModalOpens(name, interact, triesLeft - 1);
    });
}

// The next message box (the warnings OK shows after saving the tables) is
// answered with its default button.
void AcceptMessageBox(int triesLeft = 100)
{
    QTimer::singleShot(20, [triesLeft] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
        else if (triesLeft > 0)
            AcceptMessageBox(triesLeft - 1);
    });
}

void Click(QWidget* parent, const char* name)
{
    if (auto* button = parent->findChild<QAbstractButton*>(QString::fromLatin1(name)))
        QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: screenshot-tour EXE_DIR OUTPUT_DIR\n";
        return 2;
    }
    g_output = QString::fromLocal8Bit(argv[2]);
    g_traces = QString::fromLocal8Bit(argv[1]);
    application.setApplicationName(QStringLiteral("Firmware Drevanta"));

    QtMessageService messages;
    QtFolderPicker folders;
    QtFilePicker files;
    QtShellService shell;
    Application program(argv[1], {messages, folders, files, shell});
    QWidget* main = &program.mainWindow();
    main->show();
    QTest::qWait(500);

    WhenModalOpens("Fsaveproj", [](QWidget* dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit*>("Edit1"), "Line3");
        Shoot(dialog, "new-project");
        Click(dialog, "bitbtn1");
    });
    Click(main, "New");
    Shoot(main, "main-window");

    WhenModalOpens("FAbout", [](QWidget* dialog) {
        Shoot(dialog, "about");
        Click(dialog, "OKButton");
    });
    Click(main, "about");


    WhenModalOpens("Fpargen", [](QWidget* dialog) {
        Click(dialog, "RB_C0_TA");
        Click(dialog, "RB_C1_TB");
        dialog->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(6);
        Shoot(dialog, "set-communication");
        Click(dialog, "bitbtn1");
    });
    Click(main, "btn_Prm_Gen");

    WhenModalOpens("FCanCobID", [](QWidget* dialog) {
        QAbstractItemModel* model = dialog->findChild<QTableView*>("ASG_C0")->model();
        const char* rows[][3] = {{"0x181", "0x1ABC0181", "PDO1 of node 1"},
                                 {"0x201", "0x201", "RPDO1 of node 1"},
                                 {"$701", "0x18FF0701", "heartbeat of node 1"},
                                 {"0x80", "", "SYNC"}};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                model->setData(model->index(r, c + 1), QString::fromLatin1(rows[r][c]));
        // A problem and a warning as they are marked, taken back before OK.
        model->setData(model->index(4, 1), QStringLiteral("0x900"));
        model->setData(model->index(5, 1), QStringLiteral("385"));
        Shoot(dialog, "set-cobid-access");
        for (int r : {4, 5})
            model->setData(model->index(r, 1), QString());
        // Add rows: a pump, node 5 on CAN0, known as node 37 on CAN1;
        // cancelled, so the later screens show the tables above.
        WhenModalOpens("FAddRows", [](QWidget* addRows) {
            // Shot all the same if the window manager is slow to show it.
            static_cast<void>(QTest::qWaitForWindowExposed(addRows));
            QTest::keyClicks(addRows->findChild<QLineEdit*>("NodeId"), "5");
            QTest::keyClicks(addRows->findChild<QLineEdit*>("NodeAs"), "0x25");
            Shoot(addRows, "add-rows");
            Click(addRows, "CancelButton");
        });
        Click(dialog, "AddRows");
        AcceptMessageBox();
        Click(dialog, "LbButton1");
    });
    Click(main, "btn_CobID");

    WhenModalOpens("FModifyFileSx", [](QWidget* dialog) {
        dialog->findChild<QComboBox*>("cbport")->setCurrentIndex(2);
        Shoot(dialog, "generate-firmware");
        Click(dialog, "LbButton2");
        QTest::qWait(2500); // the stand-in flasher opens its window
        QScreen* screen = QGuiApplication::primaryScreen();
        screen->grabWindow(0).save(g_output + QStringLiteral("/update-device.png"));
        Click(dialog, "LbButton1");
    });
    Click(main, "CreateBin");

    // Check routing, on the README's Line7 tables: both ports CAN 2.0A,
    // Positive Implementation set.
    WhenModalOpens("Fpargen", [](QWidget* dialog) {
        Click(dialog, "RB_C0_TA");
        Click(dialog, "RB_C1_TA");
        dialog->findChild<QCheckBox*>("EwCheckBox2")->setChecked(true);
        Click(dialog, "bitbtn1");
    });
    Click(main, "btn_Prm_Gen");
    WhenModalOpens("FCanCobID", [](QWidget* dialog) {
        const char* rows[2][4][3] = {{{"0x181", "0x1C1", "TPDO1 of node 1, seen as node 0x41"},
                                      {"0x201", "", "RPDO1 of node 1 passes unchanged"},
                                      {"", "", ""},
                                      {"", "", ""}},
                                     {{"0x1C1", "0x181", "the answer, back"}, {"", "", ""}, {"", "", ""}, {"", "", ""}}};
        for (int table = 0; table < 2; ++table) {
            QAbstractItemModel* model = dialog->findChild<QTableView*>(table == 0 ? "ASG_C0" : "ASG_C1")->model();
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 3; ++c)
                    model->setData(model->index(r, c + 1), QString::fromLatin1(rows[table][r][c]));
        }
        WhenModalOpens("FCheckRouting", [](QWidget* routing) {
            QTest::keyClicks(routing->findChild<QLineEdit*>("Identifier"), "0x701");
            QWidget* map = routing->findChild<QWidget*>("FilterMap");
            map->setFocus();
            for (int i = 0; i < 6; ++i)
                QTest::keyClick(map, Qt::Key_Down);
            QTest::keyClick(map, Qt::Key_Right);
            Shoot(routing, "check-routing");

            // The Traffic page on the README's Line7 traces, CAN0 at 250
            // kbit/s and CAN1 at 500.
            auto* page = routing->findChild<TrafficPage*>("TrafficPage");
            routing->findChild<QTabWidget*>("RoutingTabs")->setCurrentWidget(page);
            for (int slot = 0; slot < 2; ++slot) {
                auto* path = page->findChild<QLineEdit*>(QStringLiteral("TracePath%1").arg(slot));
                path->setText(g_traces + QStringLiteral("/line7-can%1.log").arg(slot));
                emit path->textEdited(path->text());
                auto* rate = page->findChild<QComboBox*>(QStringLiteral("BitRate%1").arg(slot));
                rate->setCurrentIndex(rate->findData(slot == 0 ? 250 : 500));
                emit rate->activated(rate->currentIndex());
            }
            Click(page, "Compute");
            for (int tries = 0; tries < 500 && page->Running(); ++tries)
                QTest::qWait(20);
            if (auto* conflicts = page->findChild<QListWidget*>("Conflicts"))
                conflicts->setCurrentRow(0);
            Shoot(routing, "traffic");
            routing->close();
        });
        Click(dialog, "CheckRouting");
        AcceptMessageBox();
        Click(dialog, "LbButton1");
    });
    Click(main, "btn_CobID");

    main->close();
    return 0;
}
