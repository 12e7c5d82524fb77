#include "platform/qt/QtServices.h"

#include "platform/Error.h"
#include "support/Fakes.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <functional>
#include <utility>

using namespace c2c;

namespace {

// Runs `interact` on the folder picker once it is open.
void WhenPickerOpens(const std::function<void(QDialog*, QTreeView*, QPushButton*)>& interact)
{
    QTimer::singleShot(0, [interact] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* tree = dialog->findChild<QTreeView*>("FolderTree");
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        interact(dialog, tree, ok);
    });
}

void Choose(QTreeView* tree, const std::string& path)
{
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(QString::fromStdString(path)));
}

} // namespace

class QtServicesTest : public QObject {
    Q_OBJECT

private slots:
    void folderPickerStartsAtTheSelectionAndReturnsTheChosenFolder()
    {
        c2c::testing::TempDir dir;
        const std::string projects = dir / "PROJECTS";
        std::filesystem::create_directories(projects + "/Plant/Line3");
        std::filesystem::create_directories(dir / "Outside");

        QString title;
        QString initial;
        WhenPickerOpens([&](QDialog* dialog, QTreeView* tree, QPushButton* ok) {
            title = dialog->windowTitle();
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            initial = model->filePath(tree->currentIndex());
            QVERIFY(ok->isEnabled());
            Choose(tree, dir / "Outside");
            QVERIFY(!ok->isEnabled()); // nothing outside the root can be chosen
            Choose(tree, projects + "/Plant/Line3");
            QVERIFY(ok->isEnabled());
            ok->click();
        });
        QtFolderPicker picker;
        auto chosen = picker.pickFolder("Select directory of project", projects, projects + "/Plant");
        QCOMPARE(title, QStringLiteral("Select directory of project"));
        QCOMPARE(initial, QString::fromStdString(projects + "/Plant"));
        QVERIFY(chosen.has_value());
        QCOMPARE(QString::fromStdString(*chosen), QString::fromStdString(projects + "/Plant/Line3"));
    }

    void folderPickerCancelAndNoSelection()
    {
        c2c::testing::TempDir dir;
        std::filesystem::create_directories(dir / "PROJECTS");
        bool okEnabled = true;
        WhenPickerOpens([&](QDialog* dialog, QTreeView*, QPushButton* ok) {
            okEnabled = ok->isEnabled();
            dialog->reject();
        });
        QtFolderPicker picker;
        QVERIFY(!picker.pickFolder("Select directory of project", dir / "PROJECTS", "").has_value());
        QVERIFY(!okEnabled); // opened without a selection
    }

    // Every kind of box, with a short text: wide enough for its title, and
    // the text exactly as given.
    void messageBoxesAreAsWideAsTheirTitleNeeds()
    {
        QtMessageService messages;
        const std::function<void()> kinds[] = {
            [&] { messages.showMessage("Project not valid"); },
            [&] { messages.showError("Error"); },
            [&] { messages.confirm("Ok?"); },
            [&] { messages.askAlert("Bank Not Found.To insert Equally?"); },
        };
        for (const auto& show : kinds) {
            QString title;
            QString text;
            int width = 0;
            int needed = 0;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                title = box->windowTitle();
                text = box->text();
                width = box->width();
                needed = TitleBarWidth(title, box->font());
                box->reject();
            });
            show();
            QVERIFY(title == QStringLiteral("Firmware Drevanta") || title == QStringLiteral("Alert"));
            QVERIFY(!text.isEmpty());
            QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1: %2 < %3").arg(text).arg(width).arg(needed)));
        }
        QVERIFY(TitleBarWidth(QStringLiteral("Firmware Drevanta"), QApplication::font()) >
                QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("Firmware Drevanta")) + 50);
    }

    // The chooser shows the filter once, whether or not the description
    // holds the pattern already.
    void filePickersShowTheirFilterOnce()
    {
        c2c::testing::TempDir dir;
        for (const auto& [description, pattern] : {std::pair<std::string, std::string>{"File Sx (*.Sx)", "*.Sx"},
                                                   std::pair<std::string, std::string>{"CSV files", "*.csv"}}) {
            for (bool save : {false, true}) {
                QStringList filters;
                QTimer::singleShot(0, [&] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog);
                    filters = dialog->nameFilters();
                    dialog->reject();
                });
                QtFilePicker picker;
                if (save)
                    QVERIFY(!picker.pickSaveFile("Export", dir.path(), "t.csv", description, pattern));
                else
                    QVERIFY(!picker.pickFile("Open", dir.path(), description, pattern));
                QCOMPARE(filters, QStringList{QString::fromStdString(FileFilterShown(description, pattern))});
            }
        }
        QCOMPARE(FileFilterShown("File Sx (*.Sx)", "*.Sx"), std::string("File Sx (*.Sx)"));
        QCOMPARE(FileFilterShown("CSV files", "*.csv"), std::string("CSV files (*.csv)"));
    }

    void guardShowsEscapingErrorsAsTheGeneralErrorReport()
    {
        c2c::testing::RecordingMessages messages;
        RunGuarded(messages, [] { throw Error("'abc' is not a valid integer value"); });
        RunGuarded(messages, [] { throw std::runtime_error("Stopped!"); });
        RunGuarded(messages, [] {});
        QCOMPARE(messages.messages.size(), std::size_t(2));
        QCOMPARE(messages.messages[0].kind, c2c::testing::RecordedMessage::Error);
        QCOMPARE(messages.messages[0].text, std::string("'abc' is not a valid integer value."));
        QCOMPARE(messages.messages[1].text, std::string("Stopped!"));
    }
};

C2C_QTEST_MAIN(QtServicesTest)
#include "QtServicesTest.moc"
