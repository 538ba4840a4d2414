#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "settings/ProgramFolders.h"
#include "help/HelpContents.h"
#include "store/StorePaths.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

const QString kPrefix = QStringLiteral(TOLVARINE_INSTALL_PREFIX);

QString installed(const QString &relative) { return QDir(kPrefix).filePath(relative); }

// The value of key in the [Desktop Entry] group of a desktop entry.
QString desktopValue(const QString &key)
{
    QFile file(installed(QStringLiteral("share/applications/tolvarine.desktop")));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString prefix = key + QLatin1Char('=');
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

// --- What an installed copy holds ----------------------------------------------------

struct InstalledFile {
    const char *label;
    const char *path;
    bool executable;
};

class InstalledFiles : public ::testing::TestWithParam<InstalledFile> {};

TEST_P(InstalledFiles, IsThere)
{
    const QFileInfo info(installed(QString::fromUtf8(GetParam().path)));
    ASSERT_TRUE(info.isFile()) << qPrintable(info.filePath());
    EXPECT_GT(info.size(), 0);
    EXPECT_EQ(info.isExecutable(), GetParam().executable);
}

INSTANTIATE_TEST_SUITE_P(
    Install, InstalledFiles,
    ::testing::Values(
        InstalledFile{"program", "bin/tolvarine", true},
        InstalledFile{"blank template", "share/tolvarine/nopic.jpg", false},
        InstalledFile{"help", "share/tolvarine/tolvarin.html", false},
        InstalledFile{"help picture", "share/tolvarine/tolvarin-main.png", false},
        InstalledFile{"desktop entry", "share/applications/tolvarine.desktop", false},
        InstalledFile{"AppStream", "share/metainfo/io.github.tolvarine.Tolvarine.metainfo.xml", false},
        InstalledFile{"scalable icon", "share/icons/hicolor/scalable/apps/tolvarine.svg", false},
        InstalledFile{"manual", "share/man/man1/tolvarine.1.gz", false},
        InstalledFile{"Japanese manual", "share/man/ja/man1/tolvarine.1.gz", false},
        InstalledFile{"DICOM tool manual", "share/man/man1/tolvarine-dicom.1.gz", false},
        InstalledFile{"copyright", "share/doc/tolvarine/copyright", false},
        InstalledFile{"example clinic ini", "share/doc/tolvarine/examples/clinic.ini", false}),
    test::namedBy([](const InstalledFile &f) { return f.label; }));

class InstalledIcons : public ::testing::TestWithParam<int> {};

TEST_P(InstalledIcons, HaveTheirSize)
{
    const int size = GetParam();
    const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/tolvarine.png").arg(size)));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(size, size));
}

INSTANTIATE_TEST_SUITE_P(Install, InstalledIcons, ::testing::Values(16, 32, 48, 64, 128, 256),
                         [](const auto &info) { return "px" + std::to_string(info.param); });

TEST(InstalledDesktopEntry, StartsTheInstalledProgramWithTheInstalledIcon)
{
    const QString exec = desktopValue(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
    ASSERT_FALSE(exec.isEmpty());
    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/") + exec)).isExecutable()) << qPrintable(exec);
    const QString icon = desktopValue(QStringLiteral("Icon"));
    EXPECT_TRUE(
        QFileInfo::exists(installed(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(icon))))
        << qPrintable(icon);
    EXPECT_FALSE(desktopValue(QStringLiteral("Name[ja]")).isEmpty());
    EXPECT_FALSE(desktopValue(QStringLiteral("Comment[ja]")).isEmpty());
}

// --- The validators, where installed ------------------------------------------------

struct Validation {
    const char *label;
    const char *tool;
    QStringList arguments;
    const char *path;
};

class InstalledMetadata : public ::testing::TestWithParam<Validation> {};

TEST_P(InstalledMetadata, Validates)
{
    const Validation &v = GetParam();
    const QString tool = QStandardPaths::findExecutable(QString::fromUtf8(v.tool));
    if (tool.isEmpty())
        GTEST_SKIP() << v.tool << " is not installed";
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, v.arguments + QStringList{installed(QString::fromUtf8(v.path))});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Install, InstalledMetadata,
    ::testing::Values(
        Validation{"desktop entry", "desktop-file-validate", {}, "share/applications/tolvarine.desktop"},
        Validation{"AppStream",
                   "appstreamcli",
                   {QStringLiteral("validate"), QStringLiteral("--no-net")},
                   "share/metainfo/io.github.tolvarine.Tolvarine.metainfo.xml"}),
    test::namedBy([](const Validation &v) { return v.label; }));

// --- Where a copy finds its files ---------------------------------------------------

struct FolderCase {
    const char *label;
    QString executableFolder;
    bool installed;
};

class ProgramFolderRule : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolderRule, FindsShippedAndAdministratorFiles)
{
    const FolderCase &c = GetParam();
    const QString pictures = QStringLiteral("/home/user/Pictures");
    const ProgramFolders folders = programFoldersFor(c.executableFolder, pictures);
    EXPECT_EQ(folders.installed, c.installed);
    if (!c.installed) {
        for (const QString &folder : {folders.program, folders.admin, folders.pictures})
            EXPECT_EQ(folder, c.executableFolder);
        return;
    }
    EXPECT_TRUE(QFileInfo::exists(blankTemplatePath(folders.program)));
    EXPECT_TRUE(QFileInfo::exists(helpFilePath(folders.program)));
    EXPECT_EQ(folders.admin, installed(QStringLiteral("etc/tolvarine")));
    EXPECT_TRUE(QFileInfo(folders.admin).isDir());
    EXPECT_EQ(folders.pictures, pictures + QStringLiteral("/Tolvarine"));
}

INSTANTIATE_TEST_SUITE_P(
    Install, ProgramFolderRule,
    ::testing::Values(FolderCase{"installed copy", installed(QStringLiteral("bin")), true},
                      FolderCase{"built copy", QStringLiteral(TOLVARINE_BUILT_PROGRAM_FOLDER), false},
                      FolderCase{"bin without shipped files",
                                 installed(QStringLiteral("share/tolvarine/bin")), false}),
    test::namedBy([](const FolderCase &c) { return c.label; }));

} // namespace
} // namespace tolvarine
