// The program's flasher start on a real Windows program: a tiny one built
// with mingw-w64 stands in for Tessimor.exe and is started through Wine by
// the same shell service the windows use.

#include "operations/Operations.h"

#include "platform/FileSystem.h"
#include "platform/WindowsPrograms.h"
#include "platform/qt/QtServices.h"
#include "project/ProjectLayout.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QTest>

#include <cstdlib>
#include <filesystem>

using namespace c2c;

class FlasherThroughWineTest : public QObject {
    Q_OBJECT

private slots:
    void aWindowsFlasherSeesItsTwoArgumentsAndWorkingFolder()
    {
#ifndef C2C_WINDOWS_PROGRAM
        QSKIP("no mingw-w64 C compiler was found to build the Windows program");
#else
        const char* path = std::getenv("PATH");
        if (FindWine(path ? path : "").empty())
            QSKIP("Wine is not installed");

        c2c::testing::TempDir dir;
        const std::string exe = dir / "Exe Dir";
        std::filesystem::create_directories(exe + "/MASTER");
        std::filesystem::create_directories(exe + "/PROJECTS/Line 3");
        std::filesystem::copy_file(C2C_WINDOWS_PROGRAM, exe + "/Tessimor.exe");
        ProjectLayout project(exe);
        project.SetProjectDir(exe + "/PROJECTS/Line 3");
        const std::string firmware = project.ProjectDir() + "/New_SX40517.sx";
        c2c::testing::WriteText(firmware, "S9030000FC\r\n");

        QtShellService shell;
        const std::string workingDir = project.MasterDir();
        QCOMPARE(StartFlasher(project, firmware, 4, workingDir, shell), FlasherStart::Started);

        // Wine's first start in a new prefix takes a while.
        const std::string report = workingDir + "/started.txt";
        QVERIFY2(QTest::qWaitFor([&] { return FileExists(report); }, 180000), "the program did not report");
        // Wine shows the working folder on its drive Z:, the root folder.
        std::string windowsFolder = "Z:" + workingDir;
        for (char& c : windowsFolder)
            if (c == '/')
                c = '\\';
        QCOMPARE(QString::fromStdString(c2c::testing::ReadText(report)),
                 QString::fromStdString(windowsFolder + "\n" + firmware + "\n4\n"));
#endif
    }
};

C2C_QTEST_MAIN(FlasherThroughWineTest)
#include "FlasherThroughWineTest.moc"
