#pragma once
// main() for a Qt Test executable: runs without a display unless told otherwise.

#include <QApplication>
#include <QTest>

#define C2C_QTEST_MAIN(TestClass)                                                                                     \
    int main(int argc, char** argv)                                                                                   \
    {                                                                                                                 \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                  \
        QApplication application(argc, argv);                                                                         \
        TestClass test;                                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                       \
    }
