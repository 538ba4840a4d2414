#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace tolvarine {

// The marker structure of JPEG files, read without decoding anything.

// First bytes FF D8 FF: the only files handed to the metadata library.
bool looksLikeJpeg(const QByteArray &bytes);

// Offset of the first start-of-scan marker, or -1 when the segments before it are
// malformed or cut short.
qsizetype jpegScanOffset(const QByteArray &jpeg);

// The frame size the start-of-frame segment claims, or an invalid size.
QSize jpegClaimedSize(const QByteArray &jpeg);

// Reads a JPEG file only up to its first scan marker (FF DA included), so that
// its metadata can be read without loading the picture. Empty on failure.
QByteArray readJpegHeader(const QString &path, QString *error = nullptr);

// Whether the first picture's scans run to an end-of-image marker; a file cut
// short decodes to a picture whose lower part is made up by the decoder.
bool jpegIsComplete(const QByteArray &jpeg);

// Whether two JPEG files hold the same compressed picture: the same tables,
// frame header and restart interval, and the same bytes from the first scan on.
bool samePictureData(const QByteArray &a, const QByteArray &b);

// Whether the segments before the first scan include an Exif APP1 block.
bool hasExifSegment(const QByteArray &jpeg);

} // namespace tolvarine
