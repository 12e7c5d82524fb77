#include "dialogs/qt/GenerateFirmwareWindow.h"

#include "dialogs/GenerateFirmwareLogic.h"
#include "dialogs/ProgramState.h"
#include "firmware/SRecordTestSupport.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtServices.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using namespace c2c;
using namespace c2c::testing;

namespace {

// A program folder and a project, both with blanks in their paths, and a
// stand-in flasher that writes down its arguments and working folder.
struct Installation {
    Installation()
    {
        workspace.layout = ProjectLayout(exe());
        workspace.layout.SetProjectDir(exe() + "/PROJECTS/Line 3");
        CreateDirectories(master());
        CreateDirectories(project() + "/bin");
        auto data = S2Range(0x387000, 0x39D000, 32, 5);
        data.insert(data.begin(), S0());
        data.push_back(S9());
        WriteText(master() + "/SX40517.sx", Join(data));
        masterLines = static_cast<int>(data.size());
        for (int n = 1; n <= 2; ++n)
            WriteBytes(project() + "/bin/bank" + std::to_string(n) + ".bin", Pattern(kBankSize, 9));
        const std::string flasher = exe() + "/Tessimor.exe";
        WriteText(flasher, "#!/bin/sh\n"
                           "pwd > \"$0.cwd.tmp\" && mv \"$0.cwd.tmp\" \"$0.cwd\"\n"
                           "printf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
        std::filesystem::permissions(flasher, std::filesystem::perms::owner_all);
    }

    std::string exe() const { return dir / "Program Files"; }
    std::string master() const { return exe() + "/MASTER"; }
    std::string project() const { return workspace.layout.ProjectDir(); }

    TempDir dir;
    ProgramState state;
    Workspace& workspace = state.workspace;
    FakeServices services;
    GenerateFirmwareLogic logic{state, services.all()};
    int masterLines = 0;
};

} // namespace

class GenerateFirmwareWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheFormStateAfterFormShow()
    {
        Installation setup;
        RecordingMessages& messages = setup.services.messages;
        GenerateFirmwareWindow dialog(setup.logic);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Generate Firmware"));
        QCOMPARE(dialog.size(), QSize(430, 224));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(248, 247, 237));
        auto* port = dialog.findChild<QComboBox*>("cbport");
        QCOMPARE(port->count(), 8);
        QCOMPARE(port->itemText(7), QStringLiteral("COM8"));
        QCOMPARE(port->currentText(), QStringLiteral("COM1"));
        QCOMPARE(dialog.findChild<QProgressBar*>("Avanzamento")->value(), 0);
        auto* execute = dialog.findChild<QPushButton*>("LbButton2");
        QCOMPARE(execute->text(), QStringLiteral("Execute update firmware"));
        QVERIFY(execute->isEnabled());
        QVERIFY(dialog.findChild<QPushButton*>("LbButton1")->isVisible());
        QVERIFY(dialog.findChild<QWidget*>("Shape1")->isVisible());
        for (const char* hidden : {"NewFileSx", "OpenFile", "Options", "GbBank", "DirFileBin", "ExeModFileSx",
                                   "ExeUpdateFir"}) {
            QWidget* widget = dialog.findChild<QWidget*>(hidden);
            QVERIFY2(widget && !widget->isVisible(), hidden);
        }
        QCOMPARE(dialog.findChild<QLineEdit*>("NewFileSx")->text(), QStringLiteral("New_SX40517.sx"));
        QCOMPARE(dialog.findChild<QPushButton*>("Options")->text(), QStringLiteral("Options >>"));
        QVERIFY(!dialog.findChild<QCheckBox*>("Cbbank3")->isVisibleTo(dialog.findChild<QGroupBox*>("GbBank")));
        QVERIFY(messages.messages.empty());
        dialog.close();

        // Next showing without the master: the button stays disabled.
        RemoveFile(setup.master() + "/SX40517.sx");
        port->setCurrentIndex(4);
        dialog.show();
        QCOMPARE(port->currentText(), QStringLiteral("COM1"));
        QVERIFY(!execute->isEnabled());
        QCOMPARE(messages.Texts(), std::vector<std::string>{"Error file SX40517.sx not found"});
        // The status line stands in the upper area, clear of the controls below.
        auto* status = dialog.findChild<QLabel*>("StatusLine");
        QVERIFY(status && status->isVisible());
        QCOMPARE(status->text().remove(QChar(0x200B)), QString::fromStdString(setup.logic.status));
        QVERIFY(status->text().contains(QStringLiteral("was looked for in")));
        QVERIFY(status->geometry().bottom() < execute->geometry().top());
    }

    void executeComposesAndStartsTheFlasher()
    {
        Installation setup;
        RecordingMessages messages;
        ScriptedFilePicker files;
        ScriptedFolderPicker folders;
        QtShellService shell;
        GenerateFirmwareLogic logic(setup.state, {messages, folders, files, shell});
        GenerateFirmwareWindow dialog(logic);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        dialog.findChild<QComboBox*>("cbport")->setCurrentIndex(7);
        QTest::mouseClick(dialog.findChild<QPushButton*>("LbButton2"), Qt::LeftButton);

        QVERIFY2(messages.messages.empty(), messages.Texts().empty() ? "" : messages.Texts()[0].c_str());
        const std::string firmware = setup.project() + "/New_SX40517.sx";
        QVERIFY(FileExists(firmware));
        auto* bar = dialog.findChild<QProgressBar*>("Avanzamento");
        // Stage 2 ran last; its input B1.sx has as many lines as the master.
        QCOMPARE(bar->maximum(), 512 + setup.masterLines);
        QCOMPARE(bar->value(), bar->maximum());

        const std::string record = setup.exe() + "/Tessimor.exe.args";
        QTRY_VERIFY_WITH_TIMEOUT(FileExists(record), 10000);
        QCOMPARE(ReadText(record), firmware + "\n7\n");
        QTRY_VERIFY_WITH_TIMEOUT(FileExists(setup.exe() + "/Tessimor.exe.cwd"), 10000);
        QCOMPARE(ReadText(setup.exe() + "/Tessimor.exe.cwd"), setup.master() + "\n");
        QVERIFY(dialog.isVisible()); // the dialog stays open
        QCOMPARE(dialog.findChild<QLabel*>("StatusLine")->text().remove(QChar(0x200B)),
                 QString::fromStdString("New_SX40517.sx written to " + setup.project() +
                                        ", banks 1 and 2 inserted; flasher started on COM8"));
    }

    // After a run, "Compare with firmware..." and "Report..." stand below
    // the status line, above the controls; the list shows in its own window.
    void reviewsARun()
    {
        Installation setup;
        GenerateFirmwareWindow dialog(setup.logic);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* compare = dialog.findChild<QPushButton*>("CompareFirmware");
        auto* report = dialog.findChild<QPushButton*>("ReportButton");
        auto* execute = dialog.findChild<QPushButton*>("LbButton2");
        QVERIFY(compare && report);
        QVERIFY(!compare->isVisible() && !report->isVisible());

        QTest::mouseClick(execute, Qt::LeftButton);
        QVERIFY(compare->isVisible() && report->isVisible());
        QCOMPARE(compare->text(), QStringLiteral("Compare with firmware..."));
        QCOMPARE(report->text(), QStringLiteral("Report..."));
        auto* status = dialog.findChild<QLabel*>("StatusLine");
        QVERIFY(status->geometry().bottom() < compare->geometry().top());
        QVERIFY(compare->geometry().bottom() < execute->geometry().top());
        QVERIFY(compare->geometry().right() < report->geometry().left());
        QVERIFY(dialog.rect().contains(report->geometry()));

        const std::string device = setup.dir / "device.sx";
        std::filesystem::copy_file(setup.project() + "/New_SX40517.sx", device);
        setup.services.files.result = device;
        QTest::mouseClick(compare, Qt::LeftButton);
        auto* shown = dialog.findChild<QDialog*>("ComparisonWindow");
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->findChild<QLabel*>("ComparedFiles")->text(),
                 QString::fromStdString("A: " + device + "\nB: " + setup.project() + "/New_SX40517.sx"));
        QVERIFY(shown->findChild<QPlainTextEdit*>("ComparisonList")->toPlainText().startsWith(
            QStringLiteral("A and B behave the same\n")));
        shown->close();

        setup.services.files.saveResult = setup.dir / "report.html";
        QTest::mouseClick(report, Qt::LeftButton);
        QVERIFY(FileExists(setup.dir / "report.html"));
        QCOMPARE(setup.services.shell.urls.size(), std::size_t{1});

        // The next showing has no run to review.
        dialog.close();
        dialog.show();
        QVERIFY(!compare->isVisible());
    }
};

C2C_QTEST_MAIN(GenerateFirmwareWindowTest)
#include "GenerateFirmwareWindowTest.moc"
