// Times the browsing code the main window runs, headless, on data of its own:
// camera-like JPEGs with Exif dates. One JSON object a line on standard output.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include "DicomBench.h"
#include "PrintBench.h"
#include "ViewBench.h"
#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"
#include "platform/ReadPool.h"
#include "platform/Twips.h"
#include "sampledata/SamplePictures.h"
#include "settings/AppSettings.h"
#include "store/PanelFill.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"
#include "store/VisitListing.h"

using namespace tolvarine;

namespace {

const char kMarkerName[] = "tolvarine-bench-data.txt";
const QByteArray kMarkerText =
    "tolvarine-bench data 1: 7+5 pictures 6000x4000 q90, 1200 pictures 640x480 q90\n";

constexpr int kBigWidth = 6000, kBigHeight = 4000, kQuality = 90;
constexpr int kListWidth = 640, kListHeight = 480, kListCount = 1200;
constexpr int kViewTwips = 8000, kViewDpi = 96;

const char kHelp[] =
    "usage: tolvarine-bench [--data DIR] [--runs N] [--tasks LIST] [--reads N] [--naive]\n"
    "\n"
    "Times the code the main window runs for browsing, without a window, and prints one\n"
    "JSON object a line: {\"task\": ..., \"median_ms\": ..., \"runs\": ...}.\n"
    "\n"
    "Tasks:\n"
    "  fill_first          one visit of 7 intraoral and 5 facial pictures (6000 x 4000,\n"
    "                      quality 90) without thumbnails: thumbnails made and written\n"
    "                      (they are deleted before each run)\n"
    "  fill_first_visible  the same, timed until the first thumbnail is in its control\n"
    "  fill_first_visible_floor  one of those pictures decoded alone at thumbnail scale\n"
    "  fill_cached         the same visit again: every thumbnail is found\n"
    "  list_filedate_1200  the listing scan of a folder of 1200 pictures, dated by file date\n"
    "  list_exif_1200      the same, dated by Exif date\n"
    "                      (the 1200 pictures are 640 x 480 with the same Exif layout as the\n"
    "                      big ones, to keep the data small; the listing reads only the\n"
    "                      leading metadata, so picture size hardly matters);\n"
    "                      list_exif_1200_floor: the same files each opened, its first\n"
    "                      page read and closed, as many at once, nothing parsed; the ratio\n"
    "  view_fit            one 24 MP picture loaded whole and fitted to an 8000-twip-wide\n"
    "                      view at 96 dpi (533 pixels), as the viewer loads it\n"
    "  print_sheet         the normal print sheet of the 7 + 5 pictures rendered to a PDF\n"
    "                      at 600 dpi (no dialog); print_sheet_floor: the same files decoded\n"
    "                      by libjpeg-turbo at the sheet's scale on all cores; then the ratio\n"
    "  view_open           the same picture opened as the view window opens it, until the\n"
    "                      fitted bitmap is ready; view_open_floor is libjpeg-turbo alone\n"
    "                      decoding it at the scale that view needs; also the memory kept\n"
    "  view_zoom_full      that view zoomed to full size, until the sharp bitmap is ready;\n"
    "                      its floor is libjpeg-turbo decoding the whole file\n"
    "  dicom_export        the 7 + 5 pictures written as DICOM files and a DICOMDIR into a\n"
    "                      fresh folder, nothing decoded; dicom_export_floor copies the same\n"
    "                      files' bytes through the same file layer; then the ratio (goal 1.5);\n"
    "                      dicom_export_turned: the same with 3 positions turned, apart\n"
    "  fill_first_naive    with --naive: fill_first decoding every picture whole on one thread\n"
    "\n"
    "Options:\n"
    "  --data DIR  make the data in DIR and leave it there (a DIR made by an earlier run\n"
    "              is reused), so that other tools can be timed on the very same files;\n"
    "              without it the data goes to a temporary folder that is removed\n"
    "  --runs N    runs per task (default 5); the median is printed\n"
    "  --tasks LIST  only these tasks, by name, separated by commas (a floor and a\n"
    "              ratio go with their task: print_sheet, view_open, view_zoom_full,\n"
    "              list_exif_1200)\n"
    "  --reads N   reads of files kept in flight at once (default 16)\n"
    "  --naive     also time the naive fill for comparison\n"
    "\n"
    "Making the data takes a while (about 240 MB of pictures). Files are read warm from\n"
    "the page cache after the first run.\n";

struct BenchData {
    QString patient;
    QStringList oral;
    QStringList face;
    QString listFolder;
};

QDateTime visitTime(int i) { return QDateTime(QDate(2009, 3, 15), QTime(10, 0).addSecs(i * 40)); }

bool writeBig(const QString &path, quint32 seed, int i)
{
    const QImage image =
        sample::makeCameraLikeImage(kBigWidth, kBigHeight, seed, QStringLiteral("bench %1").arg(seed));
    return sample::writeCameraJpeg(path, image, visitTime(i), kQuality);
}

BenchData layout(const QString &root)
{
    BenchData d;
    d.patient = patientFolder(root, QStringLiteral("00123"));
    for (int i = 0; i < 7; ++i)
        d.oral << joinPath(d.patient, QStringLiteral("IMG_%1.jpg").arg(i + 1, 4, 10, QChar('0')));
    for (int i = 0; i < 5; ++i)
        d.face << joinPath(faceFolder(d.patient), QStringLiteral("IMG_%1.jpg").arg(i + 8, 4, 10, QChar('0')));
    d.listFolder = joinPath(root, QStringLiteral("list1200"));
    return d;
}

bool makeData(const QString &root, const BenchData &d)
{
    if (!QDir().mkpath(faceFolder(d.patient)) || !QDir().mkpath(d.listFolder))
        return false;
    std::fprintf(stderr, "making 12 pictures of %d x %d ...\n", kBigWidth, kBigHeight);
    QList<int> big;
    for (int i = 0; i < 12; ++i)
        big << i;
    const QStringList all = d.oral + d.face;
    const QList<bool> bigDone = QtConcurrent::blockingMapped<QList<bool>>(
        big, [&all](int i) { return writeBig(all.at(i), quint32(i + 1), i); });
    if (bigDone.contains(false))
        return false;

    std::fprintf(stderr, "making %d pictures of %d x %d ...\n", kListCount, kListWidth, kListHeight);
    // One picture, written under 1200 names and dates: the listing reads names and metadata.
    const QImage small = sample::makeCameraLikeImage(kListWidth, kListHeight, 99, QStringLiteral("list"));
    QList<int> names;
    for (int i = 0; i < kListCount; ++i)
        names << i;
    const QList<bool> listDone = QtConcurrent::blockingMapped<QList<bool>>(names, [&](int i) {
        const QDateTime taken = QDateTime(QDate(2001, 1, 1), QTime(9, 0)).addDays(i / 8).addSecs(i);
        return sample::writeCameraJpeg(
            joinPath(d.listFolder, QStringLiteral("P%1.jpg").arg(i, 5, 10, QChar('0'))), small, taken,
            kQuality);
    });
    if (listDone.contains(false))
        return false;
    QFile marker(joinPath(root, QString::fromLatin1(kMarkerName)));
    return marker.open(QIODevice::WriteOnly) && marker.write(kMarkerText) == kMarkerText.size();
}

void deleteThumbnails(const BenchData &d)
{
    for (const QString &folder : {d.patient, faceFolder(d.patient)})
        for (const QString &t : listThumbnails(folder))
            QFile::remove(t);
}

// The panel fills as the window runs them: the visit's pictures, prepared in
// parallel, put into controls, missing thumbnails written.
void fillVisit(const BenchData &d, std::vector<ImagingControl> &controls)
{
    const AppSettings settings;
    const QString date = QStringLiteral("2009/03/15");
    std::vector<QDateTime> dates(size_t(d.oral.size()), visitTime(0));
    const QStringList oral = visitPictures(d.oral, dates, int(d.oral.size()), date);
    const PanelSetup oralSetup = panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori);
    MadeThumbnails made;
    const auto oralPictures = preparePanel(oral, oralSetup, &made);
    for (const PanelPicture &p : oralPictures)
        controls[size_t(p.placement.position)].setImage(p.image);
    saveMissingThumbnails(oralPictures, oralSetup, &made);

    DatedPictures faceDates(listPictures(faceFolderForReading(d.patient)), settings.FileHizuke);
    const QStringList face = faceVisitPictures(faceDates, date);
    const PanelSetup faceSetup = panelSetup(PanelKind::Face, settings.FaceJyunban, settings.FacePictSyori);
    const auto facePictures = preparePanel(face, faceSetup, &made);
    for (const PanelPicture &p : facePictures)
        controls[size_t(7 + p.placement.position)].setImage(p.image);
    saveMissingThumbnails(facePictures, faceSetup, &made);
}

// The time until the intraoral panel's first picture is in its control, on a
// visit without thumbnails, as the window shows it; the rest of the fill follows
// untimed. And, as its floor, one of those pictures decoded alone at that scale.
std::vector<double> timeFirstVisible(int runs, const BenchData &d, std::vector<ImagingControl> &controls)
{
    const AppSettings settings;
    const PanelSetup setup = panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori);
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        deleteThumbnails(d);
        QElapsedTimer timer;
        timer.start();
        MadeThumbnails made;
        PanelPreparation preparation(d.oral, setup, &made);
        const PanelPicture first = preparation.take(0);
        controls[size_t(first.placement.position)].setImage(first.image);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        saveMissingThumbnails(preparation.takeAll(), setup, &made);
    }
    return ms;
}

void decodeOneForThumbnail(const QString &picture)
{
    ImagingControl c;
    c.opLoadFile(picture, 0, 0, -1, QSize(kThumbnailWidth, 0));
}

// What a fill costs without reduced-scale decoding and without threads.
void fillVisitNaive(const BenchData &d)
{
    const QStringList all = d.oral + d.face;
    for (const QString &picture : all) {
        ImagingControl c;
        if (!c.opLoadFile(picture, 0, 0, -1))
            continue;
        c.opResize(float(kThumbnailWidth),
                   float(double(kThumbnailWidth) * c.opBitmapHeight() / c.opBitmapWidth()), 0);
        c.opSaveFile(thumbnailPath(picture), kFormatThumbnail, 24, 2, 0);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double report(const char *task, const std::vector<double> &ms, const char *note = nullptr)
{
    std::printf("{\"task\": \"%s\", \"median_ms\": %.1f, \"runs\": %d", task, median(ms), int(ms.size()));
    if (note)
        std::printf(", \"note\": \"%s\"", note);
    std::printf("}\n");
    std::fflush(stdout);
    return median(ms);
}

std::vector<double> time(int runs, const std::function<void()> &before, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        if (before)
            before();
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption data(QStringLiteral("data"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QString(), QStringLiteral("N"),
                                        QStringLiteral("5"));
    const QCommandLineOption naive(QStringLiteral("naive"));
    const QCommandLineOption tasksOption(QStringLiteral("tasks"), QString(), QStringLiteral("LIST"));
    const QCommandLineOption readsOption(QStringLiteral("reads"), QString(), QStringLiteral("N"));
    parser.addOptions({help, data, runsOption, naive, tasksOption, readsOption});
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s\n%s", qPrintable(parser.errorText()), kHelp);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    bool runsOk = false;
    const int runs = parser.value(runsOption).toInt(&runsOk);
    if (!runsOk || runs < 1) {
        std::fprintf(stderr, "--runs wants a positive number\n");
        return 2;
    }

    if (parser.isSet(readsOption)) {
        bool readsOk = false;
        const int reads = parser.value(readsOption).toInt(&readsOk);
        if (!readsOk || reads < 1) {
            std::fprintf(stderr, "--reads wants a positive number\n");
            return 2;
        }
        setReadsInFlight(reads);
    }
    const QStringList tasks = parser.value(tasksOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    auto wanted = [&tasks](const char *task) {
        return tasks.isEmpty() || tasks.contains(QLatin1String(task));
    };

    QTemporaryDir temporary;
    const QString root = parser.isSet(data) ? QDir(parser.value(data)).absolutePath() : temporary.path();
    if (root.isEmpty()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const BenchData d = layout(root);
    QFile marker(joinPath(root, QString::fromLatin1(kMarkerName)));
    const bool reuse = marker.open(QIODevice::ReadOnly) && marker.readAll() == kMarkerText;
    if (!reuse) {
        if (QFileInfo(root).isDir() && !QDir(root).isEmpty() && parser.isSet(data)) {
            std::fprintf(stderr, "%s holds other files; give an empty or new folder\n", qPrintable(root));
            return 1;
        }
        if (!QDir().mkpath(root) || !makeData(root, d)) {
            std::fprintf(stderr, "could not make the data in %s\n", qPrintable(root));
            return 1;
        }
    }
    std::fprintf(stderr, "data in %s (%s), %d threads, %d reads in flight\n", qPrintable(root),
                 reuse ? "reused" : "made", QThreadPool::globalInstance()->maxThreadCount(), readsInFlight());

    std::vector<ImagingControl> controls(12);
    if (wanted("fill_first"))
        report("fill_first", time(
                                 runs, [&] { deleteThumbnails(d); }, [&] { fillVisit(d, controls); }));
    if (wanted("fill_first_visible"))
        report("fill_first_visible", timeFirstVisible(runs, d, controls),
               "until the first intraoral thumbnail is in its control");
    if (wanted("fill_first_visible_floor"))
        report("fill_first_visible_floor",
               time(runs, nullptr, [&] { decodeOneForThumbnail(d.oral.first()); }),
               "one of those pictures decoded alone at thumbnail scale");
    if (wanted("fill_cached"))
        report("fill_cached", time(runs, nullptr, [&] { fillVisit(d, controls); }));
    const char *listNote = "1200 pictures of 640x480 with camera Exif";
    if (wanted("list_filedate_1200"))
        report("list_filedate_1200",
               time(runs, nullptr,
                    [&] {
                        DatedPictures pictures(listPictures(d.listFolder), 1);
                        scanOralPictures(pictures);
                    }),
               listNote);
    if (wanted("list_exif_1200")) {
        const double listed = report("list_exif_1200",
                                     time(runs, nullptr,
                                          [&] {
                                              DatedPictures pictures(listPictures(d.listFolder), 0);
                                              scanOralPictures(pictures);
                                          }),
                                     listNote);
        // What the file server alone costs: the round trips of an open, one read and
        // a close for each file, as many in flight as the listing keeps.
        const double floor = report("list_exif_1200_floor", time(runs, nullptr, [&] {
                                        std::vector<QFuture<qsizetype>> reads;
                                        for (const QString &path : listPictures(d.listFolder))
                                            reads.push_back(startRead([path] {
                                                PrefixReader file;
                                                QByteArray page;
                                                return file.open(path) && file.readMore(page, 4096)
                                                           ? page.size()
                                                           : qsizetype(-1);
                                            }));
                                        for (QFuture<qsizetype> &read : reads)
                                            read.waitForFinished();
                                    }));
        std::printf("{\"task\": \"list_exif_1200_ratio\", \"ratio\": %.2f}\n", listed / floor);
        std::fflush(stdout);
    }
    const int viewWidth = twipsToPixels(kViewTwips, kViewDpi);
    if (wanted("view_fit"))
        report("view_fit",
               time(runs, nullptr,
                    [&] {
                        ImagingControl view;
                        if (view.opLoadFile(d.oral.first(), 0, 0, -1))
                            view.opResize(
                                float(viewWidth),
                                float(double(viewWidth) * view.opBitmapHeight() / view.opBitmapWidth()), 0);
                    }),
               "6000x4000 loaded whole, resized to 533 wide");
    if (wanted("print_sheet"))
        bench::benchPrintSheet(
            d.oral, d.face, runs, [](int n, auto &before, auto &work) { return time(n, before, work); },
            [](const char *task, auto &ms, const char *note) { return report(task, ms, note); });
    if (wanted("dicom_export"))
        bench::benchDicomExport(
            d.oral, d.face, runs, [](int n, auto &before, auto &work) { return time(n, before, work); },
            [](const char *task, auto &ms, const char *note) { return report(task, ms, note); });
    if (wanted("view_open"))
        benchViewOpen(d.oral.first(), runs);
    if (wanted("view_zoom_full"))
        benchViewZoom(d.oral.first(), runs);
    if (parser.isSet(naive))
        report("fill_first_naive",
               time(
                   runs, [&] { deleteThumbnails(d); }, [&] { fillVisitNaive(d); }),
               "whole decode, one thread");
    deleteThumbnails(d);
    joinWorkers();
    return 0;
}
