#include <QFile>

#include <gtest/gtest.h>

#include "platform/WindowsFolder.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

QString writeOpener(const test::Sandbox &box, const QString &folder, bool executable)
{
    const QString path = box.write(folder + QStringLiteral("/xdg-open"), "#!/bin/sh\n");
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QFile::setPermissions(path, permissions);
    return box.file(folder);
}

TEST(WindowsFolder, IsTheFolderHoldingTheOpener)
{
    test::Sandbox box;
    const QString empty = box.mkdir(QStringLiteral("empty"));
    const QString bin = writeOpener(box, QStringLiteral("bin"), true);
    EXPECT_EQ(windowsFolder({empty, bin}), bin);
}

TEST(WindowsFolder, IsEmptyWithoutAnOpener)
{
    test::Sandbox box;
    const QString notExecutable = writeOpener(box, QStringLiteral("bin"), false);
    EXPECT_EQ(windowsFolder({box.mkdir(QStringLiteral("empty")), notExecutable}), QString());
}

TEST(WindowsFolder, AFolderTooLongToKeepIsNotCut)
{
    test::Sandbox box;
    QString deep = QStringLiteral("d");
    while (box.file(deep).size() <= kWindowsFolderMaxLength)
        deep += QStringLiteral("/") + QString(40, QLatin1Char('x'));
    const QString bin = writeOpener(box, deep, true);
    ASSERT_GT(bin.size(), kWindowsFolderMaxLength);
    EXPECT_EQ(windowsFolder({bin}), QString());
}

TEST(WindowsFolder, TheLongestFolderKeptIsKeptWhole)
{
    test::Sandbox box;
    const int base = box.path().size() + 1;
    ASSERT_LT(base + 2, kWindowsFolderMaxLength);
    // One folder name that brings the path to exactly the limit.
    const QString name(kWindowsFolderMaxLength - base, QLatin1Char('w'));
    if (name.size() > 255)
        GTEST_SKIP() << "temporary folder too short for one name to reach the limit";
    const QString bin = writeOpener(box, name, true);
    ASSERT_EQ(bin.size(), kWindowsFolderMaxLength);
    EXPECT_EQ(windowsFolder({bin}), bin);
}

} // namespace
} // namespace tolvarine
