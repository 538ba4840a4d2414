#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace tolvarine::test {

// A small JPEG picture in four coloured quadrants (see makeQuadrantImage), its
// file time set to the given day at 10:00 plus seconds, parent folders made.
QString writePicture(const QString &path, const QDate &day, int seconds = 0, int width = 80, int height = 60);
// A picture whose Exif date-time holds exifDateTime; file time set to fileTime.
QString writeExifPicture(const QString &path, const QString &exifDateTime, const QDateTime &fileTime);
// An empty file named like a picture: the listing by file date only looks at its time.
QString touchPicture(const QString &path, const QDateTime &fileTime);

// The bytes of a file; empty when it cannot be read.
QByteArray bytesOf(const QString &path);

// The picture a file decodes to, in RGB32; null when it does not decode.
QImage decoded(const QString &path);

// Which of the four quadrant colours the pixel is nearest to: 'r', 'g', 'b', 'w', or '?'.
char quadrantColour(const QImage &image, int x, int y);
// The colours of the four corners, top-left, top-right, bottom-left, bottom-right.
QString cornerColours(const QImage &image);

} // namespace tolvarine::test
