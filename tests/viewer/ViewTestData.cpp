#include "ViewTestData.h"

#include <QColor>

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

} // namespace tolvarine::test
