#include "dialogs/qt/CommSettingsWindow.h"

#include "dialogs/CommSettingsLogic.h"
#include "dialogs/ProgramState.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace c2c;
using c2c::testing::ReadText;
using c2c::testing::WriteText;

class CommSettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheDocumentAndWritesTheEditedControls()
    {
        c2c::testing::TempDir dir;
        ProgramState state;
        state.workspace.layout.SetProjectDir(dir.path());
        const std::string pargen = state.workspace.layout.PargenFile();
        WriteText(pargen, "<ParametriGenerali><Boud0>5</Boud0><Boud1>6</Boud1><Type>0</Type>"
                                        "<Positive>0</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>1"
                                        "</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>");
        c2c::testing::FakeServices services;
        c2c::testing::RecordingMessages& messages = services.messages;
        CommSettingsLogic logic(state, services.all());
        CommSettingsWindow dialog(logic);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("SET COMMUNICATION"));
        QCOMPARE(dialog.findChild<QGroupBox*>("GroupBox1")->title(), QStringLiteral(" CAN 0 "));
        QCOMPARE(dialog.findChild<QGroupBox*>("GroupBox2")->title(), QStringLiteral(" CAN 1 "));
        auto* rate0 = dialog.findChild<QComboBox*>("ComboBox1");
        auto* rate1 = dialog.findChild<QComboBox*>("ComboBox2");
        QCOMPARE(rate0->count(), 9);
        QCOMPARE(rate0->itemText(8), QStringLiteral("1000"));
        QCOMPARE(rate0->currentText(), QStringLiteral("250"));
        QCOMPARE(rate1->currentText(), QStringLiteral("500"));
        QVERIFY(!rate1->isEnabled());
        QVERIFY(dialog.findChild<QRadioButton*>("RB_C0_TA")->isChecked());
        auto* positive = dialog.findChild<QCheckBox*>("EwCheckBox2");
        QVERIFY(positive->isEnabled());
        QVERIFY(!positive->isChecked());
        QVERIFY(messages.messages.empty());

        // Switch CAN 1 to 2.0B: the flag is forced on and greyed.
        QTest::mouseClick(dialog.findChild<QRadioButton*>("RB_C1_TB"), Qt::LeftButton);
        QVERIFY(!dialog.findChild<QRadioButton*>("RB_C1_TA")->isChecked());
        QVERIFY(positive->isChecked());
        QVERIFY(!positive->isEnabled());
        // Free CAN 1's bit rate from the dip switch and pick 1000.
        QTest::mouseClick(dialog.findChild<QCheckBox*>("ECB_Baud_Dip_C1"), Qt::LeftButton);
        QVERIFY(rate1->isEnabled());
        rate1->setCurrentIndex(8);

        QTest::mouseClick(dialog.findChild<QPushButton*>("bitbtn1"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadText(pargen),
                 std::string("<ParametriGenerali><Boud0>5</Boud0><Boud1>8</Boud1><Type>0</Type>"
                             "<Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1>"
                             "<TypeC1>1</TypeC1></ParametriGenerali>"));
        QCOMPARE(state.session.CanType0, 0);
        QCOMPARE(state.session.CanType1, 1);
        QVERIFY(state.session.PositiveImpl);
    }

    // The project folder has gone: OK reports why and the window stays open
    // with the user's choices, so nothing is lost.
    void failedSaveKeepsTheWindowOpenWithTheEdits()
    {
        c2c::testing::TempDir dir;
        ProgramState state;
        state.workspace.layout.SetProjectDir(dir / "gone");
        c2c::testing::FakeServices services;
        CommSettingsLogic logic(state, services.all());
        CommSettingsWindow dialog(logic);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        services.messages.messages.clear(); // "File XML not found"
        QTest::mouseClick(dialog.findChild<QRadioButton*>("RB_C0_TB"), Qt::LeftButton);
        dialog.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(8);

        QTest::mouseClick(dialog.findChild<QPushButton*>("bitbtn1"), Qt::LeftButton);
        QCOMPARE(services.messages.messages.size(), std::size_t(1));
        QCOMPARE(services.messages.messages[0].kind, c2c::testing::RecordedMessage::Error);
        QVERIFY(services.messages.messages[0].text.find("gone") != std::string::npos);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected)); // not closed with OK
        QVERIFY(dialog.findChild<QRadioButton*>("RB_C0_TB")->isChecked());
        QCOMPARE(dialog.findChild<QComboBox*>("ComboBox1")->currentText(), QStringLiteral("1000"));
        QVERIFY(!QFile::exists(QString::fromStdString(state.workspace.layout.PargenFile())));
        dialog.reject();
    }

    void cancelWritesNothing()
    {
        c2c::testing::TempDir dir;
        ProgramState state;
        state.workspace.layout.SetProjectDir(dir.path());
        state.session = {0, 0, true};
        c2c::testing::FakeServices services;
        c2c::testing::RecordingMessages& messages = services.messages;
        CommSettingsLogic logic(state, services.all());
        CommSettingsWindow dialog(logic);
        dialog.show();
        QCOMPARE(messages.Texts(), std::vector<std::string>{"File XML not found"});
        QTest::mouseClick(dialog.findChild<QRadioButton*>("RB_C0_TB"), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>("bitbtn2"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(QString::fromStdString(state.workspace.layout.PargenFile())));
        QCOMPARE(state.session.CanType0, 0);
        QVERIFY(logic.can0.formatB); // the controls keep unsaved changes until the next showing
    }
};

C2C_QTEST_MAIN(CommSettingsWindowTest)
#include "CommSettingsWindowTest.moc"
