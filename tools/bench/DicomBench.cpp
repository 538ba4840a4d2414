// dicom_export: the visit of 7 + 5 camera pictures written as DICOM files with a
// DICOMDIR through the program's own export, into a fresh folder each run. Its floor:
// the same twelve files' bytes copied into a fresh folder through the same file
// layer (temporary file, flushed, renamed), with the same parallelism.
#include "DicomBench.h"

#include <cstdio>

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>

#include "dicom/DicomExport.h"
#include "platform/FileSystem.h"
#include "settings/AppSettings.h"
#include "store/StorePaths.h"

namespace tolvarine::bench {

namespace {

const QString kDate = QStringLiteral("2009/03/15");

// The visit as the main window shows it.
DicomPlan visitPlan(const QStringList &oral, const QStringList &face, const AppSettings &settings)
{
    BrowseState shown;
    shown.List2 = oral;
    shown.ListFace = face;
    shown.strOralDate = shown.strFaceDate = kDate;
    return shownVisitPlan(shown, settings, QStringLiteral("00123"), QStringLiteral("山田 花子"));
}

bool copyFile(const QString &from, const QString &folder)
{
    QByteArray bytes;
    StagedFile file;
    return readWholeFile(from, bytes, kMaxPictureBytes) && file.create(folder)
           && file.write(bytes.constData(), bytes.size())
           && file.publishNew(joinPath(folder, QFileInfo(from).fileName() + QStringLiteral(".copy")));
}

} // namespace

void benchDicomExport(const QStringList &oral, const QStringList &face, int runs, const Timer &time,
                      const Reporter &report)
{
    AppSettings settings;
    settings.Dicom.OralView = {"IV-07", "IV-01", "IV-18", "IV-24", "IV-26", "IV-10", ""};
    settings.Dicom.FaceView = {"EV-15", "EV-19", "EV-01", "EV-22", "EV-08"};
    const DicomPlan plan = visitPlan(oral, face, settings);
    // Three positions whose code turns their pictures: two intraoral, one facial by 90 degrees.
    settings.PictSyori[1] = 2;
    settings.PictSyori[3] = 1;
    settings.FacePictSyori[2] = 4;
    const DicomPlan turnedPlan = visitPlan(oral, face, settings);

    const QStringList all = oral + face;
    std::unique_ptr<QTemporaryDir> out;
    auto fresh = [&out] { out = std::make_unique<QTemporaryDir>(); };
    bool exported = true, copied = true;
    int written = 0;
    const double dicom =
        report("dicom_export",
               time(runs, fresh,
                    [&] {
                        const DicomSummary s = exportToFolder(plan, QStringLiteral("ベンチ歯科"), out->path(),
                                                              ExistingDicomDir::Refuse);
                        exported &= s.ok() && s.done == 12;
                        written = s.done;
                        if (!s.ok())
                            std::fprintf(stderr, "dicom_export: %s %s\n", qPrintable(s.job.detail),
                                         s.failures.empty() ? "" : qPrintable(s.failures[0].outcome.detail));
                    }),
               "12 pictures 6000x4000 as DICOM files and a DICOMDIR, none turned");
    const double floor =
        report("dicom_export_floor",
               time(runs, fresh,
                    [&] {
                        const QString folder = out->path();
                        const QList<bool> done = QtConcurrent::blockingMapped<QList<bool>>(
                            all, [&folder](const QString &p) { return copyFile(p, folder); });
                        copied &= !done.contains(false);
                    }),
               "the same 12 files' bytes copied through the same file layer, all cores");
    std::printf("{\"task\": \"dicom_export_ratio\", \"ratio\": %.2f, \"goal\": 1.5, \"written\": %d%s}\n",
                floor > 0 ? dicom / floor : 0.0, written,
                exported && copied ? "" : ", \"note\": \"a run failed\"");
    std::fflush(stdout);

    int turned = 0, reencoded = 0;
    report("dicom_export_turned",
           time(runs, fresh,
                [&] {
                    const DicomSummary s =
                        exportToFolder(turnedPlan, QString(), out->path(), ExistingDicomDir::Refuse);
                    turned = s.turned;
                    reencoded = s.reencoded;
                }),
           "the same visit with 3 positions turned (mirror, 180, 90 degrees) without re-encoding");
    std::printf("{\"task\": \"dicom_export_turned_count\", \"turned\": %d, \"reencoded\": %d}\n", turned,
                reencoded);
    std::fflush(stdout);
    out.reset();
}

} // namespace tolvarine::bench
