#include <QStandardPaths>
#include <QThreadPool>
#ifdef TOLVARINE_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <gtest/gtest.h>

// Core tests run under a QGuiApplication (images, fonts), window tests under a QApplication.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Tests never touch the user's own settings or folders.
    QStandardPaths::setTestModeEnabled(true);
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // No worker thread may still be winding down when the leak checker stops the world at
    // exit: its tracer is known to crash on a thread in the middle of exiting.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
