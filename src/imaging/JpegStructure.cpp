#include "imaging/JpegStructure.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"

#include "platform/FileSystem.h"

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
constexpr uchar kDnl = 0xDC;
constexpr uchar kComment = 0xFE;

// Metadata segments before the first scan rarely exceed a few hundred kilobytes;
// a file that keeps going beyond this is not read further for its metadata.
constexpr qsizetype kMaxHeaderBytes = 8 * 1024 * 1024;
// The first read of a header: every segment of a picture without a large Exif block.
constexpr qsizetype kFirstHeaderRead = 16 * 1024;
// The first read for the Exif block: one page, which holds the date of most cameras
// however long their block, and all of a short block.
constexpr qsizetype kFirstExifRead = 4 * 1024;

bool isStandalone(uchar marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == kSoi;
}

bool isStartOfFrame(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != 0xC8 && marker != kDac;
}

// The segments that may stand between the scans of one picture.
bool isBetweenScans(uchar marker)
{
    return marker == kSos || marker == kDht || marker == kDqt || marker == kDri || marker == kDac
           || marker == kDnl || marker == kComment || (marker >= 0xE0 && marker <= 0xEF);
}

constexpr uchar kApp0 = 0xE0;
constexpr char kExifId[] = "Exif\0\0";
constexpr qsizetype kExifIdSize = 6;
constexpr qsizetype kMaxSegmentLength = 0xFFFF;

enum class Walk { Found, NeedMore, Invalid };

using Segment = JpegSegment;

// Walks the segments between SOI and the first SOS. Bytes that are not a marker
// are skipped, as decoders do.
// On NeedMore, needed (when given) says how long the bytes must be to finish the
// segment cut short and show the next marker, where its length tells, and cutAt
// (when given) where that segment starts.
template <typename Visit>
Walk walkSegments(const QByteArray &jpeg, qsizetype &sosOffset, Visit &&visit, qsizetype *needed = nullptr,
                  qsizetype *cutAt = nullptr)
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
        if (pos + 4 > size) {
            if (needed)
                *needed = pos + 4;
            return Walk::NeedMore;
        }
        const int length = (data[pos + 2] << 8) | data[pos + 3];
        if (length < 2)
            return Walk::Invalid;
        if (pos + 2 + length > size) {
            if (needed)
                *needed = pos + 2 + length + 4;
            if (cutAt)
                *cutAt = pos;
            return Walk::NeedMore;
        }
        visit(Segment{marker, pos, 2 + qsizetype(length)});
        pos += 2 + length;
    }
}

bool isExifSegment(const QByteArray &jpeg, const Segment &s)
{
    return s.marker == kApp1 && s.size >= 4 + kExifIdSize
           && std::memcmp(jpeg.constData() + s.offset + 4, kExifId, kExifIdSize) == 0;
}

qsizetype scanOffset(const QByteArray &jpeg)
{
    qsizetype sos = -1;
    return walkSegments(jpeg, sos, [](const Segment &) {}) == Walk::Found ? sos : -1;
}

} // namespace

bool looksLikeJpeg(const QByteArray &bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == kSoi && uchar(bytes[2]) == 0xFF;
}

qsizetype jpegScanOffset(const QByteArray &jpeg) { return scanOffset(jpeg); }

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

std::vector<JpegSegment> jpegSegments(const QByteArray &jpeg)
{
    std::vector<JpegSegment> segments;
    qsizetype sos = -1;
    walkSegments(jpeg, sos, [&](const Segment &s) { segments.push_back(s); });
    return segments;
}

Outcome readJpegHeader(const QString &path, QByteArray &head, HeaderEnd end, const ExifSoFar &enough)
{
    head.clear();
    PrefixReader file;
    if (Outcome opened = file.open(path); !opened)
        return opened;
    // Every read costs a round trip on a file server: the first takes what most
    // headers need, a later one exactly the rest of the segment it found cut short.
    qsizetype wanted = end == HeaderEnd::ExifBlock ? kFirstExifRead : kFirstHeaderRead;
    for (;;) {
        if (Outcome read = file.readMore(head, wanted - head.size()); !read) {
            head.clear();
            return read;
        }
        const bool atEnd = head.size() < wanted;
        qsizetype sos = -1;
        qsizetype wholeEnd = 0;
        qsizetype needed = -1;
        qsizetype exifEnd = -1;
        const Walk walk = walkSegments(
            head, sos,
            [&](const Segment &s) {
                wholeEnd = s.offset + s.size;
                if (exifEnd < 0 && isExifSegment(head, s))
                    exifEnd = wholeEnd;
            },
            &needed);
        if (walk == Walk::Found) {
            head.truncate(sos + 2);
            return Outcome::done(path);
        }
        if (end == HeaderEnd::ExifBlock && exifEnd >= 0) {
            head.truncate(exifEnd);
            return Outcome::done(path);
        }
        if (end == HeaderEnd::ExifBlock && walk == Walk::NeedMore && enough) {
            if (const auto tiff = exifTiffSoFar(head); tiff && enough(*tiff))
                return Outcome::done(path);
        }
        if (walk == Walk::Invalid || atEnd || head.size() >= kMaxHeaderBytes) {
            if (!looksLikeJpeg(head)) {
                head.clear();
                return Outcome::failed(Status::NotJpeg, path);
            }
            if (exifEnd >= 0) {
                head.truncate(wholeEnd);
                return Outcome::done(path);
            }
            head.clear();
            return Outcome::failed(Status::Damaged,
                                   QStringLiteral("no JPEG picture data found: %1").arg(path));
        }
        wanted = std::min(kMaxHeaderBytes, needed > head.size() ? needed : 2 * head.size());
    }
}

bool jpegIsComplete(const QByteArray &jpeg) { return jpegEndOfImage(jpeg) >= 0; }

namespace {

// Walks the scans from the first SOS on, calling visit with each marker segment
// between them (the SOS ones included) until it returns false. Offset just past
// the end-of-image marker, or -1 (see jpegEndOfImage) or when visit stopped.
template <typename Visit> qsizetype walkScans(const QByteArray &jpeg, Visit &&visit)
{
    qsizetype pos = scanOffset(jpeg);
    if (pos < 0)
        return -1;
    const auto *data = reinterpret_cast<const uchar *>(jpeg.constData());
    const qsizetype size = jpeg.size();
    // pos is at a marker segment (the first SOS); after each segment comes entropy data.
    for (;;) {
        if (pos + 4 > size || !visit(data[pos + 1], pos))
            return -1;
        const int length = (data[pos + 2] << 8) | data[pos + 3];
        if (length < 2)
            return -1;
        pos += 2 + length;
        for (;;) {
            if (pos >= size)
                return -1;
            const void *ff = std::memchr(data + pos, 0xFF, size_t(size - pos));
            if (!ff)
                return -1;
            pos = static_cast<const uchar *>(ff) - data;
            if (pos + 1 >= size)
                return -1;
            const uchar next = data[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
            } else if (next == 0xFF) {
                pos += 1;
            } else if (next == kEoi) {
                return pos + 2;
            } else if (isBetweenScans(next)) {
                break; // a table or the next scan of a progressive picture
            } else {
                return -1; // a stray marker: where the picture ends would be a guess
            }
        }
    }
}

bool isProgressive(uchar startOfFrame)
{
    return startOfFrame == 0xC2 || startOfFrame == 0xC6 || startOfFrame == 0xCA || startOfFrame == 0xCE;
}

} // namespace

qsizetype jpegEndOfImage(const QByteArray &jpeg)
{
    return walkScans(jpeg, [](uchar, qsizetype) { return true; });
}

JpegDecodeCost jpegDecodeCost(const QByteArray &jpeg, int mostScans)
{
    JpegDecodeCost cost;
    const auto *d = reinterpret_cast<const uchar *>(jpeg.constData());
    qsizetype frame = -1;
    uchar frameMarker = 0;
    qsizetype sos = -1;
    walkSegments(jpeg, sos, [&](const Segment &s) {
        if (frame < 0 && isStartOfFrame(s.marker) && s.size >= 10) {
            frame = s.offset;
            frameMarker = s.marker;
        }
    });
    walkScans(jpeg, [&](uchar marker, qsizetype) {
        if (marker == kSos)
            ++cost.scans;
        return cost.scans <= mostScans;
    });
    if (frame < 0)
        return cost;
    const int height = (d[frame + 5] << 8) | d[frame + 6];
    const int width = (d[frame + 7] << 8) | d[frame + 8];
    const int components = d[frame + 9];
    const int frameSize = (d[frame + 2] << 8) | d[frame + 3];
    if (components < 1 || 8 + 3 * components > frameSize)
        return cost;
    // A first scan that does not take every component is followed by others.
    const bool firstScanPartial = sos >= 0 && sos + 4 < jpeg.size() && d[sos + 4] < components;
    if (!isProgressive(frameMarker) && cost.scans <= 1 && !firstScanPartial)
        return cost;
    int hMax = 1, vMax = 1;
    for (int c = 0; c < components; ++c) {
        hMax = std::max(hMax, d[frame + 11 + 3 * c] >> 4);
        vMax = std::max(vMax, d[frame + 11 + 3 * c] & 15);
    }
    for (int c = 0; c < components; ++c) {
        const int h = std::max(1, d[frame + 11 + 3 * c] >> 4), v = std::max(1, d[frame + 11 + 3 * c] & 15);
        const qint64 across = (qint64(width) * h + 8 * hMax - 1) / (8 * hMax);
        const qint64 down = ((qint64(height) * v + 8 * vMax - 1) / (8 * vMax) + v - 1) / v * v;
        cost.coefficientBytes += across * down * 64 * 2;
    }
    return cost;
}

bool samePictureData(const QByteArray &a, const QByteArray &b)
{
    struct Picture {
        std::vector<QByteArrayView> tables;
        qsizetype sos = -1;
    };
    auto collect = [](const QByteArray &jpeg, Picture &out) {
        const Walk walk = walkSegments(jpeg, out.sos, [&](const Segment &s) {
            if (s.marker == kDqt || s.marker == kDht || s.marker == kDri || s.marker == kDac
                || isStartOfFrame(s.marker))
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

std::optional<JpegSegment> exifSegmentOf(const QByteArray &jpeg)
{
    std::optional<JpegSegment> found;
    qsizetype sos = -1;
    walkSegments(jpeg, sos, [&](const Segment &s) {
        if (!found && isExifSegment(jpeg, s))
            found = s;
    });
    return found;
}

bool hasExifSegment(const QByteArray &jpeg) { return exifSegmentOf(jpeg).has_value(); }

std::optional<QByteArrayView> exifTiffSoFar(const QByteArray &jpeg)
{
    if (const auto whole = exifSegmentOf(jpeg))
        return exifTiffOf(jpeg, *whole);
    qsizetype sos = -1;
    qsizetype cut = -1;
    if (walkSegments(jpeg, sos, [](const Segment &) {}, nullptr, &cut) != Walk::NeedMore || cut < 0)
        return std::nullopt;
    const Segment partial{uchar(jpeg[cut + 1]), cut, jpeg.size() - cut};
    if (!isExifSegment(jpeg, partial))
        return std::nullopt;
    return QByteArrayView(jpeg).sliced(cut + 4 + kExifIdSize);
}

QByteArrayView exifTiffOf(const QByteArray &jpeg, const JpegSegment &exif)
{
    const qsizetype start = exif.offset + 4 + kExifIdSize;
    if (exif.offset < 0 || start > exif.offset + exif.size || exif.offset + exif.size > jpeg.size())
        return {};
    return QByteArrayView(jpeg).sliced(start, exif.offset + exif.size - start);
}

QByteArray makeExifSegment(QByteArrayView tiff)
{
    const qsizetype length = 2 + kExifIdSize + tiff.size();
    if (length > kMaxSegmentLength)
        return {};
    QByteArray segment;
    segment.reserve(2 + length);
    segment.append(char(0xFF)).append(char(kApp1));
    segment.append(char(length >> 8)).append(char(length & 0xFF));
    segment.append(kExifId, kExifIdSize).append(tiff);
    return segment;
}

qsizetype exifInsertionOffset(const QByteArray &jpeg)
{
    qsizetype at = 2;
    for (const JpegSegment &s : jpegSegments(jpeg)) {
        if (s.offset != at || s.marker != kApp0)
            break;
        at += s.size;
    }
    return at;
}

std::optional<QString> jpegComment(const QByteArray &jpeg)
{
    for (const JpegSegment &segment : jpegSegments(jpeg)) {
        if (segment.marker == kComment && segment.size >= 4)
            return QString::fromUtf8(jpeg.mid(segment.offset + 4, segment.size - 4));
    }
    return std::nullopt;
}

QByteArray withJpegComment(const QByteArray &jpeg, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const qsizetype length = bytes.size() + 2;
    const qsizetype at = exifInsertionOffset(jpeg);
    if (length > 0xFFFF || at < 2)
        return jpeg;
    QByteArray segment("\xFF\xFE", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(bytes);
    QByteArray out = jpeg;
    out.insert(at, segment);
    return out;
}

} // namespace tolvarine
