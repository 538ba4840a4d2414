#include "ViewTestData.h"

#include <cstdio>
#include <vector>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// jpeglib.h wants FILE and size_t declared first.
#include <jpeglib.h>

namespace tolvarine::test {

QString writeQuadrantPicture(const Sandbox &box, const QString &relative, const QDateTime &modified,
                             QSize size)
{
    const QString path = box.write(relative, encodeJpeg(makeQuadrantImage(size.width(), size.height())));
    setModified(path, modified);
    return path;
}

QString cornerColours(const QImage &image)
{
    if (image.width() < 8 || image.height() < 8)
        return {};
    const int right = image.width() - 3, bottom = image.height() - 3;
    QString letters;
    for (const QPoint at : {QPoint(2, 2), QPoint(right, 2), QPoint(2, bottom), QPoint(right, bottom)}) {
        const QColor c = image.pixelColor(at);
        letters += colorsClose(c, Qt::red)     ? 'r'
                   : colorsClose(c, Qt::green) ? 'g'
                   : colorsClose(c, Qt::blue)  ? 'b'
                   : colorsClose(c, Qt::white) ? 'w'
                                               : '?';
    }
    return letters;
}

QString writeLargeQuadrantJpeg(const Sandbox &box, const QString &relative, QSize size)
{
    const QString path = box.file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    FILE *out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return {};
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    // Two rows serve the whole picture: red and green above, blue and white below.
    auto rowOf = [&](QColor left, QColor right) {
        std::vector<JSAMPLE> row;
        for (int x = 0; x < size.width(); ++x) {
            const QColor c = x < size.width() / 2 ? left : right;
            row.insert(row.end(), {JSAMPLE(c.red()), JSAMPLE(c.green()), JSAMPLE(c.blue())});
        }
        return row;
    };
    std::vector<JSAMPLE> top = rowOf(Qt::red, Qt::green), bottom = rowOf(Qt::blue, Qt::white);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = info.next_scanline < info.image_height / 2 ? top.data() : bottom.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0 ? path : QString();
}

} // namespace tolvarine::test
