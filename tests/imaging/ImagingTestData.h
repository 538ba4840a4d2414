#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tolvarine::test {

// Byte-level helpers for building damaged and unusual JPEG files.
QByteArray fileBytes(const QString &path);
// Inserts a marker segment right after SOI.
QByteArray withSegment(const QByteArray &jpeg, uchar marker, const QByteArray &payload);
QByteArray withXmp(const QByteArray &jpeg, const QByteArray &packet);
QByteArray withComment(const QByteArray &jpeg, const QByteArray &text);
// The JPEG cut off in the middle of its first scan.
QByteArray cutInScan(const QByteArray &jpeg);
// A stray marker put over the middle of the first scan's data, followed by what
// a walk that takes it for a segment reads as a long length: such a walk jumps
// past the end of the picture. Decoders skip it and show the rest grey.
QByteArray withStrayMarker(const QByteArray &jpeg);
// Rewrites the frame size the start-of-frame segment claims.
QByteArray withClaimedSize(const QByteArray &jpeg, int width, int height);
// Number of colour components of the frame, 0 when there is no frame header.
int frameComponents(const QByteArray &jpeg);
// The start-of-frame marker (0xC0 baseline, 0xC2 progressive …), 0 when there is none.
int frameMarker(const QByteArray &jpeg);
QByteArray encodePng(const QImage &image);
// Every pixel distinct: red is x, green is y, blue mixes both.
QImage makeDistinctImage(int width, int height);
QByteArray sampleXmpPacket();

// A photograph as a camera and an editor leave it: an Exif block with a maker
// note (Canon-style IFD whose offsets count from the TIFF header), GPS and
// interoperability IFDs and a thumbnail; then an ICC profile, IPTC in Photoshop
// resources (two IPTC blocks, one empty, a digest and one resource of another
// signature), XMP and a comment; optionally an MPF index and a second picture
// after the end marker.
enum class MakerNoteFault {
    None,
    TooManyEntries,   // an entry count Exiv2 takes for invalid, so it skips the note
    ValueBeyondBlock, // a text whose value lies beyond the block
};
struct CameraFileParts {
    bool littleEndian = false;
    bool exif = true;
    bool dateTime = true;   // IFD0 DateTime, 20 bytes
    bool badOffset = false; // an IFD0 text whose value lies beyond the block
    bool secondPicture = false;
    QString make = QStringLiteral("Canon");
    MakerNoteFault makerNote = MakerNoteFault::None;
};
inline const QString kCameraDateTime = QStringLiteral("2009:05:12 14:03:27");
inline const QString kCameraOriginal = QStringLiteral("2009:05:12 14:03:20");
QByteArray cameraFile(const CameraFileParts &parts);

} // namespace tolvarine::test
