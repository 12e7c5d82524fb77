#include "dialogs/qt/NewProjectWindow.h"

#include "dialogs/CommSettingsLogic.h"
#include "dialogs/NewProjectLogic.h"
#include "dialogs/ProgramState.h"
#include "platform/FileSystem.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace c2c;

class NewProjectWindowTest : public QObject {
    Q_OBJECT

private:
    // One program's worth of state around the dialog.
    struct Program {
        Program() { state.workspace.Initialise(dir.path()); }
        std::string InProject(const char* name) const { return state.workspace.layout.ProjectDir() + "/" + name; }
        c2c::testing::TempDir dir;
        ProgramState state;
        Workspace& workspace = state.workspace;
        c2c::testing::FakeServices services;
        c2c::testing::RecordingMessages& messages = services.messages;
        CommSettingsLogic commSettings{state, services.all()};
        NewProjectLogic logic{state, commSettings, services.all()};
    };

    // Shows the dialog the way the main window does, without blocking.
    static void Open(NewProjectWindow& dialog, Program& program)
    {
        program.logic.destinationDir = program.workspace.layout.ProjectsDir();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

private slots:
    void showsTheWindowAndCreatesTheTypedProject()
    {
        Program program;
        NewProjectWindow dialog(program.logic);
        Open(dialog, program);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("New project"));
        QCOMPARE(dialog.size(), QSize(319, 91));
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QStringLiteral("Project name"));
        auto* edit = dialog.findChild<QLineEdit*>("Edit1");
        auto* ok = dialog.findChild<QPushButton*>("bitbtn1");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.findChild<QPushButton*>("bitbtn2")->text(), QStringLiteral("Cancel"));
        QVERIFY(edit->text().isEmpty());
        QVERIFY(edit->hasFocus());

        // OK with no name: the message, and the dialog stays open.
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(program.messages.Texts(), std::vector<std::string>{"Name project not valid"});
        QVERIFY(dialog.isVisible());

        QTest::keyClicks(edit, QStringLiteral(" Line3"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(program.workspace.ProjectName, std::string(" Line3"));
        QVERIFY(FileExists(program.InProject("sdopdo.xml")));
        QCOMPARE(program.messages.messages.size(), std::size_t(1));
    }

    void cancelAndEscapeCloseWithoutAProjectAndTheNextShowingIsEmpty()
    {
        Program program;
        NewProjectWindow dialog(program.logic);
        Open(dialog, program);
        auto* edit = dialog.findChild<QLineEdit*>("Edit1");
        QTest::keyClicks(edit, QStringLiteral("Line3"));
        QTest::mouseClick(dialog.findChild<QPushButton*>("bitbtn2"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!DirectoryExists(program.workspace.layout.ProjectsDir() + kSep + "Line3"));
        QCOMPARE(program.workspace.layout.ProjectDir(), program.workspace.layout.ProjectsDir());

        Open(dialog, program);
        QVERIFY(edit->text().isEmpty());
        QTest::keyClicks(edit, QStringLiteral("Line4"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(program.messages.messages.empty());
        QVERIFY(!DirectoryExists(program.workspace.layout.ProjectsDir() + kSep + "Line4"));
    }

    void enterConfirmsAndAWriterFailureStillCloses()
    {
        Program program;
        program.state.companions.Pdo.Can0.push_back({"0x10000000", "", "1", "", ""});
        NewProjectWindow dialog(program.logic);
        Open(dialog, program);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("Edit1"), QStringLiteral("Line3"));
        QTest::keyClick(dialog.findChild<QLineEdit*>("Edit1"), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(program.messages.messages.size(), std::size_t(1));
        QCOMPARE(program.messages.messages[0].kind, c2c::testing::RecordedMessage::Error);
        QVERIFY(FileExists(program.InProject("emcyword.xml")));
        QVERIFY(!FileExists(program.InProject("rpdodef.xml")));
    }
};

C2C_QTEST_MAIN(NewProjectWindowTest)
#include "NewProjectWindowTest.moc"
