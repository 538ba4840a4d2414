#pragma once

#include <map>
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

// A TIFF structure laid out by hand the way cameras write their Exif blocks, so
// that test files do not depend on the library that reads them: each IFD is
// appended at the end of the block (at an even offset) followed by its values
// that do not fit the entry. Numbers go in the block's byte order.
class TiffWriter {
public:
    struct Field {
        int tag;
        int type; // 1 BYTE, 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, 7 UNDEFINED
        quint32 count;
        QByteArray value;
    };
    // Where an IFD went: its own offset, each tag's value bytes (inside the entry
    // when they fit), and the next-IFD link.
    struct Placed {
        quint32 offset = 0;
        std::map<int, quint32> valueAt;
        quint32 nextAt = 0;
    };

    explicit TiffWriter(bool littleEndian); // the header, pointing at offset 8
    bool littleEndian() const { return le_; }

    Field ascii(int tag, const QString &text) const; // NUL added
    Field shorts(int tag, const std::vector<quint16> &values) const;
    Field longs(int tag, const std::vector<quint32> &values) const;
    Field rational(int tag, quint32 numerator, quint32 denominator) const;
    static Field bytes(int tag, int type, const QByteArray &value);

    // An IFD laid out as if it started at offset at, values after it; fields are
    // sorted by tag. Lets a maker note be built for the place its value will take.
    QByteArray ifdAt(std::vector<Field> fields, quint32 at, Placed *placed = nullptr) const;
    Placed appendIfd(std::vector<Field> fields);
    quint32 append(const QByteArray &data); // at an even offset; returns it
    void setLong(quint32 at, quint32 value);
    void overwrite(quint32 at, const QByteArray &data);
    const QByteArray &data() const { return tiff_; }

    QByteArray u16(quint32 value) const;
    QByteArray u32(quint32 value) const;

private:
    bool le_;
    QByteArray tiff_;
};

// The APP1 segment that carries a TIFF structure as Exif.
QByteArray exifApp1(const QByteArray &tiff);

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
