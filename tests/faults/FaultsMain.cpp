#include <cstring>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "faults/StoreDrill.h"

// The drills re-run this binary for the processes they kill or run side by side:
// "--role ROLE ARGS..." plays that role instead of running the tests.
int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    // The drills make hundreds of small stores: in memory where there is a tmpfs, so
    // that each flush does not wait for a disk.
    if (QFileInfo("/dev/shm").isDir() && QFileInfo("/dev/shm").isWritable())
        qputenv("TMPDIR", "/dev/shm");
    if (argc > 2 && std::strcmp(argv[1], "--role") == 0) {
        QCoreApplication app(argc, argv);
        return tolvarine::test::runChildRole(QCoreApplication::arguments().mid(2));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
