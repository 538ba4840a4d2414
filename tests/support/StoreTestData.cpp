#include "support/StoreTestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/TestSupport.h"

namespace tolvarine::test {

namespace {

QString writeBytes(const QString &path, const QByteArray &bytes, const QDateTime &fileTime)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    f.close();
    setModified(path, fileTime);
    return path;
}

} // namespace

QString writePicture(const QString &path, const QDate &day, int seconds, int width, int height)
{
    return writeBytes(path, encodeJpeg(makeQuadrantImage(width, height), 95),
                      QDateTime(day, QTime(10, 0).addSecs(seconds)));
}

QString writeExifPicture(const QString &path, const QString &exifDateTime, const QDateTime &fileTime)
{
    return writeBytes(path, encodeJpegWithExif(makeQuadrantImage(40, 30), exifDateTime), fileTime);
}

QString touchPicture(const QString &path, const QDateTime &fileTime)
{
    return writeBytes(path, QByteArray(), fileTime);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage decoded(const QString &path)
{
    QImage image(path);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

char quadrantColour(const QImage &image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    const struct {
        char name;
        QColor colour;
    } known[] = {{'r', Qt::red}, {'g', Qt::green}, {'b', Qt::blue}, {'w', Qt::white}};
    for (const auto &k : known) {
        if (colorsClose(c, k.colour, 60))
            return k.name;
    }
    return '?';
}

QString cornerColours(const QImage &image)
{
    if (image.isNull())
        return QStringLiteral("null");
    const int r = image.width() - 3, b = image.height() - 3;
    return QString(QChar(quadrantColour(image, 2, 2))) + QChar(quadrantColour(image, r, 2))
           + QChar(quadrantColour(image, 2, b)) + QChar(quadrantColour(image, r, b));
}

} // namespace tolvarine::test
