// print_sheet: the normal sheet of a visit of 7 + 5 camera pictures rendered to a
// PDF at 600 dpi through the program's own sheet code, no dialog. Its floor: the
// same twelve files decoded by libjpeg-turbo straight at the scale the sheet
// needs, on all cores.
#include "PrintBench.h"

#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>

#include "JpegFloor.h"
#include "platform/Twips.h"
#include "print/SheetPrint.h"
#include "settings/AppSettings.h"

namespace tolvarine::bench {

namespace {

constexpr int kDpi = 600;

bool renderSheet(const SheetSource &source, const QString &pdf)
{
    QPdfWriter writer(pdf);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                     QPageLayout::Millimeter));
    return printSheet(writer, source).ok();
}

} // namespace

void benchPrintSheet(const QStringList &oral, const QStringList &face, int runs, const Timer &time,
                     const Reporter &report)
{
    const AppSettings settings;
    SheetSource source;
    source.request.strPrintNo = QStringLiteral("No.00123");
    source.request.strPrintName = QStringLiteral("山田 花子 様");
    source.request.strPrintDate = QStringLiteral("平成21年3月15日");
    source.request.strPrintComment = QStringLiteral("初診時\n上顎前突");
    source.clinicName = QStringLiteral("ベンチ歯科医院");
    source.oralPictures = oral;
    source.facePictures = face;
    source.oral = panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori);
    source.face = panelSetup(PanelKind::Face, settings.FaceJyunban, settings.FacePictSyori);

    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("sheet.pdf"));
    bool printed = true;
    const double sheet =
        report("print_sheet", time(runs, nullptr, [&] { printed &= renderSheet(source, pdf); }),
               "normal sheet, 7+5 pictures 6000x4000, PDF at 600 dpi");
    const int across = twipsToPixels(pictureBoxTwips(SheetKind::Normal), kDpi);
    const QStringList all = oral + face;
    bool decoded = true;
    const double floor = report("print_sheet_floor",
                                time(runs, nullptr,
                                     [&] {
                                         const QList<bool> done = QtConcurrent::blockingMapped<QList<bool>>(
                                             all, [across](const QString &path) {
                                                 return !decodeWithLibjpeg(path, QSize(across, 0)).isEmpty();
                                             });
                                         decoded &= !done.contains(false);
                                     }),
                                "the 12 files decoded by libjpeg-turbo at the sheet's scale, all cores");
    std::printf("{\"task\": \"print_sheet_ratio\", \"ratio\": %.2f, \"goal\": 1.5, \"pdf_bytes\": %lld%s}\n",
                floor > 0 ? sheet / floor : 0.0, QFileInfo(pdf).size(),
                printed && decoded ? "" : ", \"note\": \"a run failed\"");
    std::fflush(stdout);
}

} // namespace tolvarine::bench
