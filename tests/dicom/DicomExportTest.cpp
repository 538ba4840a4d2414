#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "DicomTestData.h"
#include "dicom/DicomDataset.h"
#include "dicom/DicomExport.h"
#include "platform/FileFaults.h"
#include "support/StoreTestData.h"

namespace tolvarine {
namespace {

using test::dicomDirFiles;
using test::dicomText;
using test::filesBelow;

// The validator's errors for one file; its warnings (such as the View Code Sequence,
// which the profile adds to the object) are not errors.
QStringList validatorErrors(const QString &file)
{
    QProcess dciodvfy;
    dciodvfy.setProcessChannelMode(QProcess::MergedChannels);
    dciodvfy.start(QStringLiteral("dciodvfy"), {file});
    dciodvfy.waitForFinished(60000);
    QStringList errors;
    for (const QString &line : QString::fromLocal8Bit(dciodvfy.readAll()).split(u'\n'))
        if (line.startsWith(QLatin1String("Error")))
            errors << line;
    return errors;
}

class DicomExport : public ::testing::Test {
protected:
    DicomSummary exportVisit(const QString &folder, ExistingDicomDir existing = ExistingDicomDir::Refuse)
    {
        return exportToFolder(store.plan(), QStringLiteral("テスト歯科"), folder, existing);
    }
    QStringList exported(const QString &folder)
    {
        QStringList files;
        for (const QString &file : filesBelow(folder))
            if (file.startsWith(QLatin1String("DICOM/")))
                files << QDir(folder).filePath(file);
        return files;
    }

    test::Sandbox box;
    test::VisitStore store{box};
    QString out = box.mkdir(QStringLiteral("out"));
};

TEST_F(DicomExport, WritesEveryPictureOfTheVisitAsValidMediaWithADicomDir)
{
    const DicomSummary summary = exportVisit(out);
    ASSERT_TRUE(summary.ok()) << summary.job.detail.toStdString() << " " << summary.failures.size() << " "
                              << (summary.failures.empty()
                                      ? ""
                                      : summary.failures[0].outcome.detail.toStdString());
    EXPECT_EQ(summary.done, 12);
    EXPECT_EQ(summary.turned, 5);
    const QStringList files = exported(out);
    ASSERT_EQ(files.size(), 12);
    QStringList listed;
    for (const QString &file : files)
        listed << QDir(out).relativeFilePath(file);
    EXPECT_EQ(dicomDirFiles(QDir(out).filePath(QStringLiteral("DICOMDIR"))), listed);

    if (QStandardPaths::findExecutable(QStringLiteral("dciodvfy")).isEmpty())
        GTEST_SKIP()
            << "dciodvfy (Debian package dicom3tools) is not installed: the files were not validated";
    for (const QString &file : files)
        EXPECT_EQ(validatorErrors(file), QStringList()) << file.toStdString();
}

TEST_F(DicomExport, CarriesThePatientTheVisitAndEachPositionsView)
{
    ASSERT_TRUE(exportVisit(out).ok());
    const QStringList files = exported(out);
    ASSERT_EQ(files.size(), 12);
    for (const QString &file : files) {
        EXPECT_EQ(dicomText(file, "PatientID"), QStringLiteral("00123"));
        EXPECT_EQ(dicomText(file, "PatientName"), QStringLiteral("山田^花子"));
        EXPECT_EQ(dicomText(file, "StudyDate"), QStringLiteral("20090315"));
        EXPECT_EQ(dicomText(file, "AcquisitionDate"), QStringLiteral("20090315"));
        EXPECT_EQ(dicomText(file, "InstitutionName"), QStringLiteral("テスト歯科"));
        EXPECT_EQ(dicomText(file, "ImageType"), QStringLiteral("ORIGINAL\\PRIMARY"));

        const bool oral = dicomText(file, "SeriesNumber") == u"1";
        const auto p = size_t(dicomText(file, "InstanceNumber").toInt() - 1);
        const PanelKind kind = oral ? PanelKind::Oral : PanelKind::Face;
        const DicomView *view =
            dicomViewById(oral ? store.settings.Dicom.OralView[p] : store.settings.Dicom.FaceView[p], kind);
        const std::string where = (oral ? "intraoral " : "facial ") + std::to_string(p);
        EXPECT_EQ(test::codeIn(file, "ViewCodeSequence"), view ? view->view.value : "") << where;
        EXPECT_EQ(test::codeIn(file, "AnatomicRegionSequence"), view ? view->region.value : "") << where;
        // Position 1 is taken in a mirror and mirrored back by its code: corrected, upright.
        // Position 3 is taken in a mirror and only rotated: still mirror-imaged, no orientation.
        const bool mirror = oral && (p == 1 || p == 3);
        EXPECT_EQ(test::codeIn(file, "DeviceSequence"), mirror ? mirrorDevice().value : "") << where;
        EXPECT_EQ(test::codeIn(file, "ViewCodeSequence", "ViewModifierCodeSequence"),
                  mirror ? mirrorModifier(p == 1).value : "")
            << where;
        EXPECT_EQ(dicomText(file, "PatientOrientation"),
                  view && !(oral && p == 3) ? QString::fromLatin1(view->orientation) : QString())
            << where;
    }
}

TEST_F(DicomExport, PutsAnUnturnedPictureInByteForByte)
{
    ASSERT_TRUE(exportVisit(out).ok());
    int unturned = 0;
    for (const QString &file : exported(out)) {
        const int position = dicomText(file, "InstanceNumber").toInt() - 1;
        if (dicomText(file, "SeriesNumber") != u"1" || store.settings.PictSyori[size_t(position)] != 0)
            continue;
        const QByteArray stored = test::bytesOf(store.oral.at(position));
        EXPECT_EQ(test::firstFragment(file, stored.size()), stored) << "position " << position;
        ++unturned;
    }
    EXPECT_EQ(unturned, 4);
}

TEST_F(DicomExport, GivesTheSameIdentifiersEveryTime)
{
    const QString again = box.mkdir(QStringLiteral("again"));
    ASSERT_TRUE(exportVisit(out).ok());
    ASSERT_TRUE(exportVisit(again).ok());
    // The same names hold the same objects, identifiers included.
    EXPECT_EQ(filesBelow(out), filesBelow(again));
    for (const QString &file : exported(out)) {
        const QString twin = QDir(again).filePath(QDir(out).relativeFilePath(file));
        for (const char *uid : {"SOPInstanceUID", "SeriesInstanceUID", "StudyInstanceUID"})
            EXPECT_EQ(dicomText(file, uid), dicomText(twin, uid));
        EXPECT_EQ(test::bytesOf(file), test::bytesOf(twin));
    }
}

TEST_F(DicomExport, LeavesAnotherDicomDirAloneUnlessToldToAddToIt)
{
    ASSERT_TRUE(exportVisit(out).ok());
    const QStringList before = filesBelow(out);
    const QByteArray dicomDir = test::bytesOf(QDir(out).filePath(QStringLiteral("DICOMDIR")));

    const DicomSummary refused = exportVisit(out);
    EXPECT_EQ(refused.job.status, Status::NameTaken);
    EXPECT_EQ(filesBelow(out), before);
    EXPECT_EQ(test::bytesOf(QDir(out).filePath(QStringLiteral("DICOMDIR"))), dicomDir);

    // Added to: the same pictures are there already, and are listed once.
    const DicomSummary added = exportVisit(out, ExistingDicomDir::AddTo);
    ASSERT_TRUE(added.ok()) << added.job.detail.toStdString();
    EXPECT_EQ(added.skipped, 12);
    EXPECT_EQ(filesBelow(out), before);
    EXPECT_EQ(dicomDirFiles(QDir(out).filePath(QStringLiteral("DICOMDIR"))).size(), 12);
}

TEST_F(DicomExport, DescribesAPictureAnewWhenItsPositionsViewChanged)
{
    ASSERT_TRUE(exportVisit(out).ok());
    const QStringList before = filesBelow(out);
    store.settings.Dicom.OralView[0] = QStringLiteral("IV-10");
    const DicomSummary again = exportVisit(out, ExistingDicomDir::AddTo);
    ASSERT_TRUE(again.ok()) << again.job.detail.toStdString();
    EXPECT_EQ(again.done, 1);
    EXPECT_EQ(again.skipped, 11);
    EXPECT_EQ(filesBelow(out), before);
    QStringList views;
    for (const QString &file : exported(out))
        if (dicomText(file, "SeriesNumber") == u"1" && dicomText(file, "InstanceNumber") == u"1")
            views << dicomText(file, "SOPInstanceUID") + u' '
                         + test::codeIn(file, "AcquisitionContextSequence", "ConceptCodeSequence");
    ASSERT_EQ(views.size(), 1);
    EXPECT_TRUE(views.first().endsWith(QLatin1String(" 262016004"))) << views.first().toStdString();
    EXPECT_EQ(dicomDirFiles(QDir(out).filePath(QStringLiteral("DICOMDIR"))).size(), 12);
}

TEST_F(DicomExport, ReportsAnUnreadablePictureByNameAndWritesTheOthers)
{
    QFile broken(store.oral.at(2));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a picture at all");
    broken.close();
    test::setModified(store.oral.at(2), QDateTime(store.day, QTime(10, 1, 20)));

    const DicomSummary summary = exportVisit(out);
    EXPECT_TRUE(summary.job);
    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures.front().path, store.oral.at(2));
    EXPECT_EQ(summary.failures.front().outcome.status, Status::NotJpeg);
    EXPECT_EQ(summary.done, 11);
    EXPECT_EQ(exported(out).size(), 11);
    EXPECT_EQ(dicomDirFiles(QDir(out).filePath(QStringLiteral("DICOMDIR"))).size(), 11);
}

struct FaultCase {
    const char *name;
    FileCall call;
    int nth;
};

class DicomExportFault : public DicomExport, public ::testing::WithParamInterface<FaultCase> {
protected:
    ~DicomExportFault() override { clearFileFaults(); }
};

// A disk that fills up half way, or a file server refusing the last step, leaves the
// folder as it was: no picture file, no folder, no DICOMDIR.
TEST_P(DicomExportFault, LeavesNothingBehind)
{
    const QString kept = box.write(QStringLiteral("out/notes.txt"), "mine");
    const QStringList before = filesBelow(out);
    clearFileFaults();
    failFileCall(GetParam().call, GetParam().nth, ENOSPC);
    const DicomSummary summary = exportVisit(out);
    clearFileFaults();
    EXPECT_FALSE(summary.job);
    EXPECT_EQ(summary.done, 0);
    EXPECT_EQ(filesBelow(out), before);
    EXPECT_EQ(QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(QFileInfo::exists(kept));
}

INSTANTIATE_TEST_SUITE_P(Faults, DicomExportFault,
                         ::testing::Values(FaultCase{"the fifth picture's write", FileCall::Write, 5},
                                           FaultCase{"a picture's flush", FileCall::Sync, 3},
                                           FaultCase{"the DICOMDIR's publication", FileCall::RenameNoReplace,
                                                     13}),
                         test::namedBy([](const FaultCase &c) { return c.name; }));

// The file holds the picture without a copy of it in the object; it must be the very
// file dcmtk writes for an object with its own copy, an odd size padded alike.
class DicomFileBytes : public ::testing::TestWithParam<int> {};

TEST_P(DicomFileBytes, AreThoseOfAnObjectHoldingItsOwnCopy)
{
    test::Sandbox box;
    test::VisitStore store{box, 1, 0};
    DicomInstance in;
    in.sopUid = QStringLiteral("1.2.3.4");
    in.picture.jpeg = test::bytesOf(store.oral.at(0)) + QByteArray(GetParam(), 'x');
    const std::optional<JpegFrame> frame = readJpegFrame(in.picture.jpeg);
    ASSERT_TRUE(frame);
    in.picture.frame = *frame;

    QString error;
    const std::unique_ptr<DcmFileFormat> copied = makeDicomObject(in, error, PictureHold::Copy);
    ASSERT_TRUE(copied) << error.toStdString();
    const QString expected = box.file(QStringLiteral("expected.dcm"));
    ASSERT_TRUE(
        copied->saveFile(expected.toLocal8Bit().constData(), EXS_JPEGProcess1, EET_ExplicitLength).good());

    const QString written = box.file(QStringLiteral("written.dcm"));
    StagedFile file;
    ASSERT_TRUE(file.create(box.path()));
    ASSERT_TRUE(writeDicomFile(in, file));
    ASSERT_TRUE(file.publishNew(written));
    QByteArray encoded;
    ASSERT_TRUE(encodeDicomFile(in, encoded));

    EXPECT_EQ(test::bytesOf(written), test::bytesOf(expected));
    EXPECT_EQ(encoded, test::bytesOf(expected));
    EXPECT_EQ(test::firstFragment(written, in.picture.jpeg.size()), in.picture.jpeg);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DicomFileBytes, ::testing::Values(0, 1),
                         test::namedBy([](int extra) { return extra ? "one byte longer" : "as stored"; }));

} // namespace
} // namespace tolvarine
