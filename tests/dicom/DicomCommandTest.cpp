#include <gtest/gtest.h>

#include <cstdio>

#include <QDir>
#include <QFile>

#include "DicomTestData.h"
#include "dicom/DicomCommand.h"
#include "support/StoreTestData.h"

namespace tolvarine {
namespace {

// Standard output and error of one run, as text.
struct Ran {
    int status = -1;
    QString out;
    QString err;
};

QString readBack(std::FILE *file)
{
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(file);
    return QString::fromLocal8Bit(bytes);
}

class DicomCommand : public ::testing::Test {
protected:
    DicomCommand()
    {
        // The program's settings as the clinic left them: its store and its views.
        settings->beginGroup(QStringLiteral("Settings"));
        settings->setValue(QStringLiteral("PictFolda"), store.pictFolda);
        settings->setValue(QStringLiteral("DicomView0"), QStringLiteral("IV-07"));
        settings->setValue(QStringLiteral("PictSyori1"), QStringLiteral("2"));
        settings->endGroup();
        box.write(QStringLiteral("program/clinic.ini"), "[Clinic]\nName=テスト歯科\n");
    }
    Ran run(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("tolvarine-dicom"));
        std::FILE *out = std::tmpfile();
        std::FILE *err = std::tmpfile();
        Ran r;
        r.status = runDicomCommand(arguments, *settings,
                                   builtProgramFolders(box.file(QStringLiteral("program"))), out, err);
        r.out = readBack(out);
        r.err = readBack(err);
        return r;
    }

    test::Sandbox box;
    test::VisitStore store{box};
    std::unique_ptr<QSettings> settings = box.settings();
    QString out = box.mkdir(QStringLiteral("out"));
};

TEST_F(DicomCommand, ExportsOneVisitWithTheMenusSettingsAndSaysHowItWent)
{
    const Ran r = run({"export", "--out", out, "--patient", "123", "--date", "2009-03-15"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "written 12, skipped 0, failed 0 (turned: 1 without re-encoding, 0 re-encoded)\n");
    EXPECT_TRUE(r.err.contains(QLatin1String("12/12 ")));
    EXPECT_EQ(test::dicomDirFiles(QDir(out).filePath(QStringLiteral("DICOMDIR"))).size(), 12);
}

TEST_F(DicomCommand, FailsWhenAPictureFailsAndNamesIt)
{
    QFile::resize(store.face.at(1), 300);
    test::setModified(store.face.at(1), QDateTime(store.day, QTime(10, 7, 20)));
    const Ran r = run({"export", "--out", out, "--patient", "00123"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("failed: ") + store.face.at(1))) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QLatin1String("written 11, skipped 0, failed 1"))) << r.out.toStdString();
}

TEST_F(DicomCommand, LeavesAFolderWithAnotherDicomDirUnlessToldToAdd)
{
    box.write(QStringLiteral("out/DICOMDIR"), "someone else's");
    const Ran refused = run({"export", "--out", out});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QLatin1String("--add"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.out.startsWith(QLatin1String("written 0, skipped 0, failed 12")));
    EXPECT_EQ(test::filesBelow(out), QStringList{QStringLiteral("DICOMDIR")});
}

struct UsageCase {
    const char *name;
    QStringList arguments;
};

class DicomCommandUsage : public DicomCommand, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(DicomCommandUsage, RefusesWithExitStatus2AndTheHelp)
{
    const Ran r = run(GetParam().arguments);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QLatin1String("usage: tolvarine-dicom")));
    EXPECT_EQ(test::filesBelow(out), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DicomCommandUsage,
    ::testing::Values(
        UsageCase{"no verb", {}}, UsageCase{"unknown verb", {"copy"}},
        UsageCase{"export without a folder", {"export"}},
        UsageCase{"a date without a patient", {"export", "--out", "x", "--date", "2009/03/15"}},
        UsageCase{"no date", {"export", "--out", "x", "--patient", "123", "--date", "15.3.2009"}},
        UsageCase{"no patient number", {"send", "--patient", "abc"}},
        UsageCase{"send without an archive", {"send"}},
        UsageCase{"an AE title too long", {"send", "--host", "localhost", "--aec", "ABCDEFGHIJKLMNOPQ"}}),
    test::namedBy([](const UsageCase &c) { return c.name; }));

TEST_F(DicomCommand, HelpSaysHow)
{
    const Ran r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char *said : {"export", "send", "--patient", "--date", "--out", "--add", "Exit status"})
        EXPECT_TRUE(r.out.contains(QLatin1String(said))) << said;
}

} // namespace
} // namespace tolvarine
