// The whole program from start to flasher, offscreen: a project is created,
// its settings and a CobID table edited, "Update Device" run and the
// (recording) flasher started; then every file written is checked.

#include "gui/Application.h"
#include "dialogs/qt/MainWindow.h"
#include "FirmwareCheck.h"
#include "platform/qt/QtServices.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace c2c;
using c2c::testing::ReadText;
using c2c::testing::WriteText;

namespace {

const std::string kInitialTitle = "Tarvex Drevanta SW40517 CAN2CAN CobID :";
const std::string kPrefix = "Tarvex Drevanta SW40517 CAN - Repeater (With Filter) :";

// Runs `interact` on the modal window named `name` as soon as it is open.
void WhenModalOpens(const QString& name, std::function<void(QWidget*)> interact, int triesLeft = 500)
{
    QTimer::singleShot(10, [name, interact, triesLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name)
            interact(modal);
        else if (triesLeft > 0)
            WhenModalOpens(name, interact, triesLeft - 1);
    });
}

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child %s in %s", name, qPrintable(parent->objectName()));
    return child;
}

void Click(QWidget* parent, const char* name)
{
    QTest::mouseClick(Child<QAbstractButton>(parent, name), Qt::LeftButton);
}

std::string Title(Application& program)
{
    return program.mainWindow().windowTitle().toStdString();
}

bool WaitForFile(const std::string& path)
{
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(path) && timer.elapsed() < 15000)
        QTest::qWait(20);
    QTest::qWait(100); // let the writer finish
    return std::filesystem::exists(path);
}

struct Services {
    c2c::testing::RecordingMessages messages;
    c2c::testing::ScriptedFolderPicker folders;
    c2c::testing::ScriptedFilePicker files;
    QtShellService shell;
    UiServices all() { return {messages, folders, files, shell}; }
};

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void fromNewProjectToTheFlasher()
    {
        c2c::testing::TempDir exe;
        const char* binDir = std::getenv("C2C_BIN_DIR");
        QVERIFY(binDir);
        std::filesystem::create_directories(exe / "MASTER");
        QCOMPARE(std::system(("'" + std::string(binDir) + "/make-sample-master' '" + exe / "MASTER/SX40517.sx'").c_str()),
                 0);
        // A flasher that records its arguments and working folder.
        WriteText(exe / "Tessimor.exe",
                  "#!/bin/sh\n{ printf '%s\\n' \"$@\"; pwd; } > \"$(dirname \"$0\")/flasher.tmp\"\n"
                  "mv \"$(dirname \"$0\")/flasher.tmp\" \"$(dirname \"$0\")/flasher.txt\"\n");
        ::chmod((exe / "Tessimor.exe").c_str(), 0755);

        Services services;
        Application program(exe.path(), services.all());
        program.mainWindow().show();
        QCOMPARE(Title(program), kInitialTitle);

        // Step 1: New project "Line3".
        WhenModalOpens("Fsaveproj", [](QWidget* dialog) {
            QTest::keyClicks(Child<QLineEdit>(dialog, "Edit1"), "Line3");
            Click(dialog, "bitbtn1");
        });
        Click(&program.mainWindow(), "New");
        QCOMPARE(Title(program), kPrefix + "Line3");
        const std::string project = exe / "PROJECTS/Line3";
        for (const char* document : {"pargen.xml", "sdo.xml", "emcydef.xml", "emcyword.xml", "rpdodef.xml", "sdopdo.xml"})
            QVERIFY2(std::filesystem::exists(project + "/" + document), document);
        QCOMPARE(ReadText(project + "/sdo.xml"), std::string("<sdo/>"));
        QVERIFY(!std::filesystem::exists(project + "/CanCanCobID.xml"));

        // Step 2: both ports CAN 2.0A, CAN 0 at 500 kbit/s.
        WhenModalOpens("Fpargen", [](QWidget* dialog) {
            Click(dialog, "RB_C0_TA");
            Click(dialog, "RB_C1_TA");
            Child<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(6);
            Click(dialog, "bitbtn1");
        });
        Click(&program.mainWindow(), "btn_Prm_Gen");
        QCOMPARE(ReadText(project + "/pargen.xml"),
                 std::string("<ParametriGenerali><Boud0>6</Boud0><Boud1>5</Boud1><Type>0</Type><Positive>1</Positive>"
                             "<Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1>"
                             "</ParametriGenerali>"));

        // Step 3: identifier 0x001 becomes 0x002 from CAN 0 to CAN 1.
        WhenModalOpens("FCanCobID", [](QWidget* dialog) {
            QAbstractItemModel* model = Child<QTableView>(dialog, "ASG_C0")->model();
            QCOMPARE(model->rowCount(), 2048);
            model->setData(model->index(1, 1), QStringLiteral("0x001"));
            model->setData(model->index(1, 2), QStringLiteral("0x002"));
            model->setData(model->index(1, 3), QStringLiteral("heartbeat"));
            Click(dialog, "LbButton1");
        });
        Click(&program.mainWindow(), "btn_CobID");
        const std::string cobIds = ReadText(project + "/CanCanCobID.xml");
        QVERIFY(cobIds.find("<row Orig_CobID=\"0x001\" Mod_CobID=\"0x002\" Desc=\"heartbeat\"/>") != std::string::npos);

        // Step 4: Update Device, port COM3, Execute update firmware, then "X".
        int progress = -1;
        int progressMaximum = 0;
        QString statusShown, statusAfterRun, labelstate;
        WhenModalOpens("FModifyFileSx", [&](QWidget* dialog) {
            labelstate = Child<QLabel>(&program.mainWindow(), "Labelstate")->text();
            statusShown = Child<QLabel>(dialog, "StatusLine")->text().remove(QChar(0x200B));
            QVERIFY(Child<QPushButton>(dialog, "LbButton2")->isEnabled());
            Child<QComboBox>(dialog, "cbport")->setCurrentIndex(2);
            Click(dialog, "LbButton2");
            progress = Child<QProgressBar>(dialog, "Avanzamento")->value();
            progressMaximum = Child<QProgressBar>(dialog, "Avanzamento")->maximum();
            statusAfterRun = Child<QLabel>(dialog, "StatusLine")->text().remove(QChar(0x200B));
            Click(dialog, "LbButton1");
        });
        Click(&program.mainWindow(), "CreateBin");
        QCOMPARE(Title(program), kPrefix + "Line3");
        QCOMPARE(labelstate, QStringLiteral("--"));
        QVERIFY(!Child<QLabel>(&program.mainWindow(), "Labelstate")->isVisible());
        const std::string built =
            "bank1.bin .. bank5.bin and bankg.c written to " + exe / "PROJECTS/Line3/bin" + ": 1 row in bank 1, 0 rows in bank 2";
        QCOMPARE(statusShown, QString::fromStdString(built));
        QCOMPARE(statusAfterRun, QString::fromStdString(built + "\nNew_SX40517.sx written to " + exe / "PROJECTS/Line3" +
                                                        ", banks 1 and 2 inserted; flasher started on COM3"));
        QVERIFY(progressMaximum > 512);
        QCOMPARE(progress, progressMaximum);

        const std::string bank1 = ReadText(project + "/bin/bank1.bin");
        QCOMPARE(bank1.size(), std::size_t(16384));
        QCOMPARE(bank1.substr(4, 4), std::string("\x01\x00\x02\x00", 4));
        QCOMPARE(static_cast<unsigned char>(bank1[16100]), 0x07u); // 500 kbit/s
        for (int bank = 2; bank <= 5; ++bank)
            QCOMPARE(std::filesystem::file_size(project + "/bin/bank" + std::to_string(bank) + ".bin"), 16384u);
        QCOMPARE(std::filesystem::file_size(project + "/bin/bankg.c"), 471159u);

        const std::string firmware = project + "/New_SX40517.sx";
        standin::FirmwareCheck check = standin::CheckFirmware(firmware);
        QVERIFY2(check.ok(), check.problems.empty() ? "" : check.problems.front().c_str());
        QCOMPARE(std::string(check.banks[0].begin(), check.banks[0].end()), bank1);
        for (const char* scratch : {"B1.sx", "B2.sx", "B3.sx", "B4.sx", "B5.sx"})
            QVERIFY(!std::filesystem::exists(project + "/" + scratch));

        QVERIFY(WaitForFile(exe / "flasher.txt"));
        QCOMPARE(ReadText(exe / "flasher.txt"), firmware + "\n2\n" + exe / "MASTER" + "\n");

        // Leaving writes the settings file.
        program.mainWindow().close();
        QCOMPARE(ReadText(exe / "Drevanta_C2CCOBID.ini"), std::string("[lastproj]\r\nprojectname=Line3\r\n"));
        QCOMPARE(services.messages.messages.size(), std::size_t(0));
    }

    void restoredProjectThatVanishedLeavesNoValidProject()
    {
        c2c::testing::TempDir exe;
        std::filesystem::create_directories(exe / "PROJECTS/Line3");
        WriteText(exe / "Drevanta_C2CCOBID.ini", "[lastproj]\r\nprojectname=Line3\r\n");
        Services services;
        Application program(exe.path(), services.all());
        QCOMPARE(Title(program), kPrefix + "/Line3");

        std::filesystem::remove_all(exe / "PROJECTS/Line3");
        Click(&program.mainWindow(), "open"); // the picker is cancelled
        QCOMPARE(Title(program), kPrefix);
        Click(&program.mainWindow(), "btn_Prm_Gen");
        Click(&program.mainWindow(), "btn_CobID");
        Click(&program.mainWindow(), "CreateBin");
        QCOMPARE(services.messages.Texts(), std::vector<std::string>(3, "Project not valid"));
        QVERIFY(!std::filesystem::exists("/bin/bank1.bin"));

        // "New project" cancelled: the prefix alone.
        WhenModalOpens("Fsaveproj", [](QWidget* dialog) { Click(dialog, "bitbtn2"); });
        Click(&program.mainWindow(), "New");
        QCOMPARE(Title(program), kPrefix);
    }
};

C2C_QTEST_MAIN(ProgramTest)
#include "ProgramTest.moc"
