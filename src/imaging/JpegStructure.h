#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

// The marker structure of JPEG files, read without decoding anything.

// First bytes FF D8 FF: the only files handed to the metadata library.
bool looksLikeJpeg(const QByteArray &bytes);

// Offset of the first start-of-scan marker, or -1 when the segments before it are
// malformed or cut short.
qsizetype jpegScanOffset(const QByteArray &jpeg);

// The frame size the start-of-frame segment claims, or an invalid size.
QSize jpegClaimedSize(const QByteArray &jpeg);

// One marker segment before the first scan.
struct JpegSegment {
    uchar marker;
    qsizetype offset; // of its FF
    qsizetype size;   // marker and length field included
};

// The whole segments between SOI and the first scan, or up to where the file is
// cut short or its structure breaks.
std::vector<JpegSegment> jpegSegments(const QByteArray &jpeg);

// How far readJpegHeader reads.
enum class HeaderEnd {
    FirstScan, // every segment before the picture data
    ExifBlock, // only up to the end of the first Exif segment, when there is one
};

// Reads a JPEG file only up to its first scan marker (FF DA included), or for
// ExifBlock only as far as its Exif segment, so that its metadata can be read
// without loading the picture. A file whose picture data is missing or broken
// still gives its whole leading segments when they hold an Exif block: the
// capture date is in there.
// For ExifBlock, enough (when given) is asked about the TIFF bytes of an Exif
// segment read only in part; when it says they will do, the read ends there and
// head ends inside that segment.
using ExifSoFar = std::function<bool(QByteArrayView tiff)>;
Outcome readJpegHeader(const QString &path, QByteArray &head, HeaderEnd end = HeaderEnd::FirstScan,
                       const ExifSoFar &enough = {});

// Offset just past the first picture's end-of-image marker; -1 when its scans do
// not run to one for sure: a file cut short (it decodes to a picture whose lower
// part is made up by the decoder), or a marker that has no place among scans,
// after which the end found would be a guess. Bytes beyond it (a second picture,
// a maker's trailer) may be found through absolute offsets and must not move.
qsizetype jpegEndOfImage(const QByteArray &jpeg);
bool jpegIsComplete(const QByteArray &jpeg);

// What decoding a JPEG costs beyond its output: its scans, each of which the
// decoder takes as a pass over the whole picture (counted up to one more than
// mostScans), and, for a picture coded in several scans, the bytes of the whole
// picture's coefficients, which the decoder holds at any scale it decodes to.
struct JpegDecodeCost {
    int scans = 0;
    qint64 coefficientBytes = 0;
};
JpegDecodeCost jpegDecodeCost(const QByteArray &jpeg, int mostScans);

// Whether two JPEG files hold the same compressed picture: the same tables,
// frame header and restart interval, and the same bytes from the first scan on.
bool samePictureData(const QByteArray &a, const QByteArray &b);

// The first Exif APP1 segment before the first scan (the one readers use).
std::optional<JpegSegment> exifSegmentOf(const QByteArray &jpeg);
bool hasExifSegment(const QByteArray &jpeg);

// The TIFF structure inside an Exif segment of jpeg (after its "Exif\0\0").
QByteArrayView exifTiffOf(const QByteArray &jpeg, const JpegSegment &exif);

// The TIFF bytes of the first Exif segment, or of as much of it as jpeg holds when
// jpeg ends inside it (a header read only that far).
std::optional<QByteArrayView> exifTiffSoFar(const QByteArray &jpeg);

// An APP1 segment carrying the TIFF structure; empty when it does not fit one segment.
QByteArray makeExifSegment(QByteArrayView tiff);

// The text of the first comment segment (COM) before the first scan; nullopt when
// there is none.
std::optional<QString> jpegComment(const QByteArray &jpeg);

// The JPEG with a comment segment holding text put after SOI and the APP0
// segments; the JPEG unchanged when text does not fit one segment.
QByteArray withJpegComment(const QByteArray &jpeg, const QString &text);

// Where a new Exif segment goes in a JPEG that has none: after SOI and the APP0
// segments (JFIF) that must come first.
qsizetype exifInsertionOffset(const QByteArray &jpeg);

} // namespace tolvarine
