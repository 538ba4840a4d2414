// print_sheet: the normal sheet of a visit of 7 + 5 camera pictures rendered to a
// PDF at 600 dpi through the program's own sheet code, no dialog. Its floor: the
// same twelve files decoded by libjpeg-turbo straight at the scale the sheet
// needs, on all cores.
#include "PrintBench.h"

#include <cstdio>

#include <jpeglib.h>

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>

#include "app/AppSettings.h"
#include "platform/Twips.h"
#include "print/SheetPrint.h"

namespace tolvarine::bench {

namespace {

constexpr int kDpi = 600;

// The file decoded at the largest 1/2, 1/4 or 1/8 reduction that still gives the
// wanted width, into 32-bit pixels; false when libjpeg refuses it.
bool decodeReduced(const QString &path, int wantedWidth)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = [](j_common_ptr) { std::abort(); }; // the bench's own files always decode
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_num = 1;
    info.scale_denom = 1;
    for (unsigned divisor : {8u, 4u, 2u}) {
        if ((info.image_width + divisor - 1) / divisor >= unsigned(wantedWidth)) {
            info.scale_denom = divisor;
            break;
        }
    }
    jpeg_start_decompress(&info);
    std::vector<unsigned char> pixels(size_t(info.output_width) * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

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
    const double floor =
        report("print_sheet_floor",
               time(runs, nullptr,
                    [&] {
                        const QList<bool> done = QtConcurrent::blockingMapped<QList<bool>>(
                            all, [across](const QString &path) { return decodeReduced(path, across); });
                        decoded &= !done.contains(false);
                    }),
               "the 12 files decoded by libjpeg-turbo at the sheet's scale, all cores");
    std::printf("{\"task\": \"print_sheet_ratio\", \"ratio\": %.2f, \"goal\": 1.5, \"pdf_bytes\": %lld%s}\n",
                floor > 0 ? sheet / floor : 0.0, QFileInfo(pdf).size(),
                printed && decoded ? "" : ", \"note\": \"a run failed\"");
    std::fflush(stdout);
}

} // namespace tolvarine::bench
