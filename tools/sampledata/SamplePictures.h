#pragma once

#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace tolvarine::sample {

// A picture with the statistics of a camera photograph rather than flat colour:
// smooth shading, a few soft shapes and sensor-like grain, so that JPEG sizes and
// decode times resemble real files. The label is drawn large in the middle.
QImage makeCameraLikeImage(int width, int height, quint32 seed, const QString &label = QString());

// Baseline JPEG with an Exif block that carries Make, Model and the date-time in
// Exif.Image.DateTime and Exif.Photo.DateTimeOriginal, the way cameras write it.
QByteArray encodeCameraJpeg(const QImage &image, const QDateTime &taken, int quality = 90);

// An Exif APP1 segment of ASCII tags, in IFD0 and in the Exif sub-IFD (left out
// when it has no tag), laid out by hand so that it does not depend on the reader.
struct ExifTag {
    int tag;
    QString text;
};
QByteArray exifSegment(const std::vector<ExifTag> &ifd0, const std::vector<ExifTag> &exifIfd = {});

// The JPEG with the segment put right after its start-of-image marker.
QByteArray withSegment(const QByteArray &jpeg, const QByteArray &segment);

// Writes the picture and sets its last-modified time to the moment it was taken.
bool writeCameraJpeg(const QString &path, const QImage &image, const QDateTime &taken, int quality = 90);

} // namespace tolvarine::sample
