#include "imaging/JpegStructure.h"

#include <cstring>
#include <vector>

#include <QFile>

namespace tolvarine {

namespace {

constexpr uchar kSoi = 0xD8;
constexpr uchar kEoi = 0xD9;
constexpr uchar kSos = 0xDA;
constexpr uchar kDqt = 0xDB;
constexpr uchar kDht = 0xC4;
constexpr uchar kDac = 0xCC;
constexpr uchar kDri = 0xDD;
constexpr uchar kApp1 = 0xE1;

// Metadata segments before the first scan rarely exceed a few hundred kilobytes;
// a file that keeps going beyond this is not read further for its metadata.
constexpr qsizetype kMaxHeaderBytes = 8 * 1024 * 1024;

bool isStandalone(uchar marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == kSoi;
}

bool isStartOfFrame(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != 0xC8 && marker != kDac;
}

enum class Walk { Found, NeedMore, Invalid };

struct Segment {
    uchar marker;
    qsizetype offset; // of the FF
    qsizetype size;   // marker and length field included
};

// Walks the segments between SOI and the first SOS. Bytes that are not a marker
// are skipped, as decoders do.
template <typename Visit>
Walk walkSegments(const QByteArray &jpeg, qsizetype &sosOffset, Visit &&visit)
{
    const auto *data = reinterpret_cast<const uchar *>(jpeg.constData());
    const qsizetype size = jpeg.size();
    if (size < 2)
        return Walk::NeedMore;
    if (data[0] != 0xFF || data[1] != kSoi)
        return Walk::Invalid;
    qsizetype pos = 2;
    for (;;) {
        while (pos < size && data[pos] != 0xFF)
            ++pos;
        while (pos + 1 < size && data[pos + 1] == 0xFF)
            ++pos;
        if (pos + 1 >= size)
            return Walk::NeedMore;
        const uchar marker = data[pos + 1];
        if (marker == kSos) {
            sosOffset = pos;
            return Walk::Found;
        }
        if (marker == kEoi)
            return Walk::Invalid;
        if (isStandalone(marker)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > size)
            return Walk::NeedMore;
        const int length = (data[pos + 2] << 8) | data[pos + 3];
        if (length < 2)
            return Walk::Invalid;
        if (pos + 2 + length > size)
            return Walk::NeedMore;
        visit(Segment{marker, pos, 2 + qsizetype(length)});
        pos += 2 + length;
    }
}

qsizetype scanOffset(const QByteArray &jpeg)
{
    qsizetype sos = -1;
    return walkSegments(jpeg, sos, [](const Segment &) {}) == Walk::Found ? sos : -1;
}

} // namespace

bool looksLikeJpeg(const QByteArray &bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == kSoi &&
           uchar(bytes[2]) == 0xFF;
}

qsizetype jpegScanOffset(const QByteArray &jpeg)
{
    return scanOffset(jpeg);
}

QSize jpegClaimedSize(const QByteArray &jpeg)
{
    QSize claimed;
    qsizetype sos = -1;
    walkSegments(jpeg, sos, [&](const Segment &s) {
        if (claimed.isValid() || !isStartOfFrame(s.marker) || s.size < 9)
            return;
        const auto *d = reinterpret_cast<const uchar *>(jpeg.constData()) + s.offset;
        claimed = QSize((d[7] << 8) | d[8], (d[5] << 8) | d[6]);
    });
    return claimed;
}

QByteArray readJpegHeader(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    QByteArray head;
    qsizetype chunk = 64 * 1024;
    for (;;) {
        const QByteArray more = file.read(chunk);
        if (file.error() != QFileDevice::NoError) {
            if (error)
                *error = file.errorString();
            return {};
        }
        head.append(more);
        qsizetype sos = -1;
        const Walk walk = walkSegments(head, sos, [](const Segment &) {});
        if (walk == Walk::Found) {
            head.truncate(sos + 2);
            return head;
        }
        if (walk == Walk::Invalid || more.isEmpty() || head.size() >= kMaxHeaderBytes) {
            if (error)
                *error = QStringLiteral("no JPEG picture data found: %1").arg(path);
            return {};
        }
        chunk *= 2;
    }
}

bool jpegIsComplete(const QByteArray &jpeg)
{
    qsizetype pos = scanOffset(jpeg);
    if (pos < 0)
        return false;
    const auto *data = reinterpret_cast<const uchar *>(jpeg.constData());
    const qsizetype size = jpeg.size();
    // pos is at a marker segment (the first SOS); after each segment comes entropy data.
    for (;;) {
        if (pos + 4 > size)
            return false;
        const int length = (data[pos + 2] << 8) | data[pos + 3];
        pos += 2 + length;
        for (;;) {
            if (pos >= size)
                return false;
            const void *ff = std::memchr(data + pos, 0xFF, size_t(size - pos));
            if (!ff)
                return false;
            pos = static_cast<const uchar *>(ff) - data;
            if (pos + 1 >= size)
                return false;
            const uchar next = data[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
            } else if (next == 0xFF) {
                pos += 1;
            } else if (next == kEoi) {
                return true;
            } else {
                break; // a table or the next scan of a progressive picture
            }
        }
    }
}

bool samePictureData(const QByteArray &a, const QByteArray &b)
{
    struct Picture {
        std::vector<QByteArrayView> tables;
        qsizetype sos = -1;
    };
    auto collect = [](const QByteArray &jpeg, Picture &out) {
        const Walk walk = walkSegments(jpeg, out.sos, [&](const Segment &s) {
            if (s.marker == kDqt || s.marker == kDht || s.marker == kDri || s.marker == kDac ||
                isStartOfFrame(s.marker))
                out.tables.push_back(QByteArrayView(jpeg).sliced(s.offset, s.size));
        });
        return walk == Walk::Found;
    };
    Picture pa, pb;
    if (!collect(a, pa) || !collect(b, pb))
        return false;
    if (pa.tables != pb.tables)
        return false;
    return QByteArrayView(a).sliced(pa.sos) == QByteArrayView(b).sliced(pb.sos);
}

bool hasExifSegment(const QByteArray &jpeg)
{
    bool found = false;
    qsizetype sos = -1;
    walkSegments(jpeg, sos, [&](const Segment &s) {
        if (s.marker == kApp1 && s.size >= 10 &&
            std::memcmp(jpeg.constData() + s.offset + 4, "Exif\0\0", 6) == 0)
            found = true;
    });
    return found;
}

} // namespace tolvarine
