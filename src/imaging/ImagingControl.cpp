#include "imaging/ImagingControl.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <utility>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTransform>

#include "imaging/ExifMetadata.h"
#include "imaging/JpegStructure.h"
#include "platform/FileSystem.h"

namespace tolvarine {

namespace {

// No photograph of the store comes near these; a file claiming more is refused
// before anything is allocated for it, also when only a reduced decode is asked for.
constexpr qint64 kMaxFileBytes = ImagingControl::kMaxPictureBytes;
constexpr qint64 kMaxClaimedPixels = 400LL * 1000 * 1000;
constexpr int kMaxResizeSide = 32768;
// Each scan is a pass over the whole picture; cameras and editors write at most a
// few dozen, and libjpeg-turbo's own tools stop at this many.
constexpr int kMostScans = 500;

// Qt's limit for one decoded image, which the program's other large buffers keep
// too; 0 when it is switched off.
qint64 allocationLimitBytes() { return qint64(QImageReader::allocationLimit()) * 1024 * 1024; }

// A decode holds its picture's coefficients (kept whole for a picture in several
// scans) and its bitmap at the four bytes a pixel every later step turns it into.
qint64 decodeBytes(qint64 coefficientBytes, QSize bitmap)
{
    return coefficientBytes + qint64(std::max(bitmap.width(), 0)) * std::max(bitmap.height(), 0) * 4;
}

// Whether such a decode stays within the limit: the two are held at once.
bool withinAllocationLimit(qint64 coefficientBytes, QSize bitmap)
{
    const qint64 limit = allocationLimitBytes();
    return limit <= 0 || decodeBytes(coefficientBytes, bitmap) <= limit;
}

Outcome tooLarge(QSize size, const QString &path)
{
    return Outcome::failed(
        Status::Refused,
        QStringLiteral("picture too large (%1 x %2): %3").arg(size.width()).arg(size.height()).arg(path));
}

// What the decodes in progress hold, across threads. A fill decodes as many
// pictures at once as there are cores, so each one within the limit is not enough:
// a decode waits until what it will hold fits beside the others'. One alone always
// goes; one beyond the limit on its own was refused before it got here.
class DecodeMemory {
public:
    explicit DecodeMemory(qint64 bytes)
    {
        const qint64 limit = allocationLimitBytes();
        if (limit <= 0 || bytes <= 0)
            return;
        bytes_ = std::min(bytes, limit);
        std::unique_lock<std::mutex> lock(shared().mutex);
        shared().released.wait(lock, [&] { return shared().held == 0 || shared().held + bytes_ <= limit; });
        shared().held += bytes_;
    }
    ~DecodeMemory()
    {
        if (bytes_ == 0)
            return;
        {
            const std::lock_guard<std::mutex> lock(shared().mutex);
            shared().held -= bytes_;
        }
        shared().released.notify_all();
    }
    DecodeMemory(const DecodeMemory &) = delete;
    DecodeMemory &operator=(const DecodeMemory &) = delete;

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable released;
        qint64 held = 0;
    };
    static Shared &shared()
    {
        static Shared s;
        return s;
    }
    qint64 bytes_ = 0;
};

constexpr int kThumbnailQuality = 90;
constexpr int kPictureQuality = 95;

// The largest power-of-two reduction libjpeg decodes directly that still gives at
// least the wanted size; invalid when the picture is needed whole. A wanted side
// of 0 does not constrain that side.
QSize reducedDecodeSize(QSize full, QSize wanted)
{
    if (!wanted.isValid() || full.isEmpty() || (wanted.width() == 0 && wanted.height() == 0))
        return {};
    for (int divisor : {8, 4, 2}) {
        const QSize reduced((full.width() + divisor - 1) / divisor, (full.height() + divisor - 1) / divisor);
        if (reduced.width() >= wanted.width() && reduced.height() >= wanted.height())
            return reduced;
    }
    return {};
}

// Decodes JPEG bytes as the load does: as stored, at the given scale.
QImage decodeJpeg(const QByteArray &bytes, QSize decodeSize)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    if (decodeSize.isValid())
        reader.setScaledSize(decodeSize);
    return reader.read();
}

// Whether a JPEG that ends without its end-of-image marker still holds all of its
// picture data. The decoder makes up the blocks it finds no data for; bytes added
// after the end then take their place, so the picture changes. When the scans
// were complete, bytes after them are passed over and nothing changes.
bool scansComplete(const QByteArray &bytes, const QImage &decoded, QSize decodeSize)
{
    QByteArray extended = bytes;
    quint32 state = 0x9E3779B9u;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1664525u + 1013904223u;
        extended.append(char((state >> 24) % 0xFF)); // never FF: no marker
    }
    extended.append("\xFF\xD9", 2);
    const QImage filled = decodeJpeg(extended, decodeSize);
    return !filled.isNull() && filled.convertToFormat(decoded.format()) == decoded;
}

QByteArray encodeJpeg(const QImage &image, int quality, QString &error)
{
    // Always three components, also for a grey bitmap.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setOptimizedWrite(false);
    writer.setProgressiveScanWrite(false);
    if (!writer.write(rgb)) {
        error = writer.errorString();
        return {};
    }
    return bytes;
}

std::array<uchar, 256> brightnessTable(int value)
{
    std::array<uchar, 256> table{};
    const int shift = int(std::lround(value * 255.0 / 1000.0));
    for (int v = 0; v < 256; ++v)
        table[size_t(v)] = uchar(std::clamp(v + shift, 0, 255));
    return table;
}

std::array<uchar, 256> contrastTable(int value)
{
    std::array<uchar, 256> table{};
    const double factor = (1000.0 + value) / 1000.0;
    for (int v = 0; v < 256; ++v)
        table[size_t(v)] = uchar(std::clamp(int(std::lround(128 + (v - 128) * factor)), 0, 255));
    return table;
}

// Applies a per-channel table in place; a grey plane has its one channel.
void applyTable(QImage &image, const std::array<uchar, 256> &table)
{
    if (image.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < image.height(); ++y) {
            uchar *line = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x)
                line[x] = table[line[x]];
        }
        return;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
}

QImage rotatedFreely(const QImage &source, double degrees, bool expand, const QColor &background)
{
    QTransform turn;
    turn.rotate(degrees);
    const QSize size = expand ? turn.mapRect(QRectF(source.rect())).size().toSize() : source.size();
    QImage out(size, source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(background);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    painter.rotate(degrees);
    painter.drawImage(QPointF(-source.width() / 2.0, -source.height() / 2.0), source);
    return out;
}

bool sameInode(const QString &a, const QString &b)
{
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0
        || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

ImagingControl::ImagingControl() = default;
ImagingControl::~ImagingControl() = default;

bool ImagingControl::fail(Outcome outcome)
{
    lastFailure_ = std::move(outcome);
    return false;
}

void ImagingControl::markChanged() { pristine_ = false; }

void ImagingControl::clear()
{
    image_ = QImage();
    loadedPath_.clear();
    pristine_ = reduced_ = damaged_ = false;
    storedSize_ = QSize();
    planes_ = {};
    planeBase_ = 0;
    comments_ = {};
}

bool ImagingControl::opLoadFile(const QString &path, int, int, int, QSize wantedSize)
{
    return opLoadBytes(readPictureFile(path), wantedSize);
}

PictureBytes ImagingControl::readPictureFile(const QString &path)
{
    PictureBytes file{path, {}, {}};
    file.read = readWholeFile(path, file.bytes, kMaxFileBytes);
    return file;
}

bool ImagingControl::opLoadBytes(const PictureBytes &file, QSize wantedSize)
{
    clear();
    bool jpeg = false;
    qint64 coefficientBytes = 0;
    if (!checkPicture(file, jpeg, coefficientBytes))
        return false;
    const QString &path = file.path;
    QByteArray bytes = file.bytes;

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Pictures are shown as stored; the position's orientation code does the turning.
    reader.setAutoTransform(false);
    QSize decodeSize;
    if (jpeg && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        decodeSize = reducedDecodeSize(reader.size(), wantedSize);
        if (decodeSize.isValid())
            reader.setScaledSize(decodeSize);
    }
    const QSize stored = reader.size();
    const QSize bitmap = decodeSize.isValid() ? decodeSize : stored;
    if (!withinAllocationLimit(coefficientBytes, bitmap))
        return fail(tooLarge(stored, path));
    // Held through the check of a picture cut short, which decodes it once more.
    const DecodeMemory held(decodeBytes(coefficientBytes, bitmap));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return fail(jpeg ? Status::Damaged : Status::Unreadable,
                    QStringLiteral("%1: %2").arg(reader.errorString(), path));

    storedSize_ = stored.isValid() ? stored : image.size();
    image_ = std::move(image);
    loadedPath_ = path;
    pristine_ = true;
    reduced_ = decodeSize.isValid();
    damaged_ = jpeg && !jpegIsComplete(bytes) && !scansComplete(bytes, image_, decodeSize);
    if (jpeg)
        comments_[size_t(kCommentNote)] = jpegComment(bytes).value_or(QString());
    if (damaged_)
        lastFailure_ =
            Outcome::failed(Status::Damaged, QStringLiteral("picture data cut short: %1").arg(path));
    return true;
}

// Whether the file was read and is no empty file, none too long, and no JPEG
// claiming more pixels than any photograph has.
bool ImagingControl::checkPicture(const PictureBytes &file, bool &jpeg, qint64 &coefficientBytes)
{
    if (!file.read)
        return fail(file.read);
    const QString &path = file.path;
    const QByteArray &bytes = file.bytes;
    if (bytes.size() > kMaxFileBytes)
        return fail(Status::Refused, QStringLiteral("file too large: %1").arg(path));
    if (bytes.isEmpty())
        return fail(Status::Damaged, QStringLiteral("empty file: %1").arg(path));

    jpeg = looksLikeJpeg(bytes);
    if (jpeg) {
        const QSize claimed = jpegClaimedSize(bytes);
        if (claimed.isValid() && qint64(claimed.width()) * claimed.height() > kMaxClaimedPixels)
            return fail(tooLarge(claimed, path));
        // What the decoder spends before a single pixel comes out: a pass per scan,
        // and for a progressive picture all its coefficients, whatever the scale.
        const JpegDecodeCost cost = jpegDecodeCost(bytes, kMostScans);
        coefficientBytes = cost.coefficientBytes;
        if (cost.scans > kMostScans)
            return fail(Status::Refused,
                        QStringLiteral("picture in more than %1 scans: %2").arg(kMostScans).arg(path));
        if (allocationLimitBytes() > 0 && cost.coefficientBytes > allocationLimitBytes())
            return fail(Status::Refused,
                        QStringLiteral("picture too large to decode (%1 x %2 in several scans): %3")
                            .arg(claimed.width())
                            .arg(claimed.height())
                            .arg(path));
    }
    return true;
}

bool ImagingControl::opLoadRegion(const QString &path, QRect region, int reduction)
{
    clear();
    const bool stepped = reduction == 1 || reduction == 2 || reduction == 4 || reduction == 8;
    if (!stepped || region.isEmpty() || region.x() < 0 || region.y() < 0 || region.x() % reduction != 0
        || region.y() % reduction != 0 || region.width() % reduction != 0 || region.height() % reduction != 0)
        return fail(Status::Invalid, QStringLiteral("invalid region of %1").arg(path));
    const PictureBytes file = readPictureFile(path);
    bool jpeg = false;
    qint64 coefficientBytes = 0;
    if (!checkPicture(file, jpeg, coefficientBytes))
        return false;
    QByteArray bytes = file.bytes;

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    const QRect steps(0, 0, (stored.width() + reduction - 1) / reduction * reduction,
                      (stored.height() + reduction - 1) / reduction * reduction);
    if (!stored.isValid() || !steps.contains(region))
        return fail(Status::Invalid, QStringLiteral("region outside the picture: %1").arg(path));
    // Clipped before it is scaled, the decoder allocates only the region, and
    // libjpeg reduces it by the power of two while decoding.
    reader.setClipRect(region);
    const QSize bitmap = region.size() / reduction;
    reader.setScaledSize(bitmap);
    if (!withinAllocationLimit(coefficientBytes, bitmap))
        return fail(tooLarge(stored, path));
    const DecodeMemory held(decodeBytes(coefficientBytes, bitmap));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return fail(jpeg ? Status::Damaged : Status::Unreadable,
                    QStringLiteral("%1: %2").arg(reader.errorString(), path));
    storedSize_ = stored;
    image_ = std::move(image);
    loadedPath_ = path;
    reduced_ = true;
    return true;
}

int ImagingControl::opBitmapWidth() const { return image_.width(); }

int ImagingControl::opBitmapHeight() const { return image_.height(); }

bool ImagingControl::opResize(float width, float height, int16_t)
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap to resize"));
    if (!std::isfinite(width) || !std::isfinite(height))
        return fail(Status::Invalid, QStringLiteral("invalid size"));
    const int w = int(std::lround(width));
    const int h = int(std::lround(height));
    if (w < 1 || h < 1 || w > kMaxResizeSide || h > kMaxResizeSide)
        return fail(Status::Invalid, QStringLiteral("invalid size %1 x %2").arg(w).arg(h));
    if (image_.size() == QSize(w, h))
        return true;
    QImage scaled = image_.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull())
        return fail(Status::Refused, QStringLiteral("out of memory resizing to %1 x %2").arg(w).arg(h));
    image_ = std::move(scaled);
    markChanged();
    return true;
}

bool ImagingControl::opRotate(int angle, bool expand, QColor background)
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap to rotate"));
    const int normalised = ((angle % 36000) + 36000) % 36000;
    QImage turned;
    switch (normalised) {
    case 0:
        return true;
    case 9000:
        turned = image_.transformed(QTransform().rotate(90));
        break;
    case 18000:
        turned = std::move(image_).mirrored(true, true);
        break;
    case 27000:
        turned = image_.transformed(QTransform().rotate(270));
        break;
    default:
        turned = rotatedFreely(image_, normalised / 100.0, expand, background);
        break;
    }
    if (turned.isNull())
        return fail(Status::Refused, QStringLiteral("out of memory rotating"));
    image_ = std::move(turned);
    markChanged();
    return true;
}

bool ImagingControl::opMirror()
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap to mirror"));
    image_ = std::move(image_).mirrored(true, false);
    markChanged();
    return true;
}

bool ImagingControl::opFlip()
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap to flip"));
    image_ = std::move(image_).mirrored(false, true);
    markChanged();
    return true;
}

bool ImagingControl::isSourceFile(const QString &path) const
{
    if (loadedPath_.isEmpty())
        return false;
    if (sameInode(path, loadedPath_))
        return true;
    return QFileInfo(path).absoluteFilePath() == QFileInfo(loadedPath_).absoluteFilePath();
}

std::map<int, QString> ImagingControl::mappedComments() const
{
    std::map<int, QString> texts;
    for (int slot = 0; slot < kCommentSlots; ++slot) {
        if (exifKeyForSlot(slot) && !comments_[size_t(slot)].isEmpty())
            texts[slot] = comments_[size_t(slot)];
    }
    return texts;
}

bool ImagingControl::rewriteMetadataOnly(const QString &path)
{
    // The bytes on disk now, not those of the load: whatever the file holds keeps its picture.
    const std::optional<FileIdentity> original = fileIdentity(path);
    QByteArray current;
    if (Outcome read = readWholeFile(path, current, kMaxFileBytes); !read)
        return fail(std::move(read));
    if (!original)
        return fail(Status::Missing, path);
    QByteArray rewritten;
    Outcome outcome = rewriteMetadata(current, mappedComments(), rewritten);
    if (!outcome) {
        outcome.detail = QStringLiteral("%1: %2").arg(outcome.detail, path);
        return fail(std::move(outcome));
    }
    if (outcome.status == Status::Unchanged)
        return true;
    if (Outcome written = rewriteFileAtomically(path, rewritten, *original); !written)
        return fail(std::move(written));
    return true;
}

bool ImagingControl::opSaveFile(const QString &path, int format, int, int, int)
{
    if (format != kFormatThumbnail && format != kFormatJpegExif)
        return fail(Status::Invalid, QStringLiteral("unsupported save format %1").arg(format));
    if (QFileInfo::exists(path) && isReadOnlyFile(path))
        return fail(Status::ReadOnly, path);

    const bool overSource = isSourceFile(path);
    if (format == kFormatJpegExif && overSource && pristine_)
        return rewriteMetadataOnly(path);
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap to save"));
    if (overSource && format == kFormatThumbnail)
        return fail(Status::Refused,
                    QStringLiteral("a thumbnail does not replace its picture: %1").arg(path));
    if (overSource && (reduced_ || damaged_))
        return fail(Status::Refused,
                    QStringLiteral("the bitmap is a reduced or incomplete decode of %1 and does not "
                                   "replace it")
                        .arg(path));

    QString error;
    QByteArray bytes =
        encodeJpeg(image_, format == kFormatThumbnail ? kThumbnailQuality : kPictureQuality, error);
    if (bytes.isEmpty())
        return fail(Status::Invalid, error);
    if (format == kFormatThumbnail && !comments_[size_t(kCommentNote)].isEmpty())
        bytes = withJpegComment(bytes, comments_[size_t(kCommentNote)]);
    if (format == kFormatJpegExif) {
        QByteArray source;
        if (!loadedPath_.isEmpty())
            readJpegHeader(loadedPath_, source); // gone or unreadable: a fresh Exif block
        QByteArray withMetadata;
        Outcome carried = carryMetadata(source, bytes, image_.size(), mappedComments(), withMetadata);
        if (!carried)
            return fail(std::move(carried));
        bytes = std::move(withMetadata);
    }
    // Over its own picture only while that is still there: one renamed meanwhile
    // is not brought back under its old name.
    const std::optional<FileIdentity> original = overSource ? fileIdentity(path) : std::nullopt;
    if (overSource && !original)
        return fail(Status::Missing, path);
    const Outcome written =
        overSource ? rewriteFileAtomically(path, bytes, *original) : writeFileAtomically(path, bytes);
    if (!written)
        return fail(written);
    return true;
}

quintptr ImagingControl::opBitmapHandle() const { return image_.isNull() ? 0 : kBitmapHandle; }

void ImagingControl::setOpBitmapHandle(quintptr handle)
{
    if (handle == 0) {
        clear();
        return;
    }
    if (handle == kBitmapHandle && !image_.isNull())
        return;
    if (planeBase_ != 0 && handle >= planeBase_ && handle < planeBase_ + 3
        && !planes_[handle - planeBase_].isNull()) {
        image_ = planes_[handle - planeBase_];
        markChanged();
        return;
    }
    fail(Status::Invalid, QStringLiteral("unknown bitmap handle"));
}

bool ImagingControl::opContrast(int16_t value)
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap"));
    const int c = std::clamp(int(value), -1000, 1000);
    if (c == 0)
        return true;
    applyTable(image_, contrastTable(c));
    markChanged();
    return true;
}

bool ImagingControl::opBrightness(int16_t value)
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap"));
    const int b = std::clamp(int(value), -1000, 1000);
    if (b == 0)
        return true;
    applyTable(image_, brightnessTable(b));
    markChanged();
    return true;
}

bool ImagingControl::opSplitPlanes(int16_t)
{
    if (image_.isNull())
        return fail(Status::Invalid, QStringLiteral("no bitmap"));
    const QImage rgb = image_.convertToFormat(QImage::Format_RGB32);
    for (auto &plane : planes_)
        plane = QImage(rgb.size(), QImage::Format_Grayscale8);
    if (planes_[2].isNull()) {
        planes_ = {};
        return fail(Status::Refused, QStringLiteral("out of memory splitting planes"));
    }
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *blue = planes_[0].scanLine(y);
        uchar *green = planes_[1].scanLine(y);
        uchar *red = planes_[2].scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            blue[x] = uchar(qBlue(in[x]));
            green[x] = uchar(qGreen(in[x]));
            red[x] = uchar(qRed(in[x]));
        }
    }
    planeBase_ = nextHandle_;
    nextHandle_ += 3;
    return true;
}

quintptr ImagingControl::opColorPlane(int plane) const
{
    if (planeBase_ == 0 || plane < 0 || plane > 2)
        return 0;
    return planeBase_ + quintptr(plane);
}

void ImagingControl::setOpColorPlane(int plane, quintptr value)
{
    if (planeBase_ == 0 || plane < 0 || plane > 2) {
        fail(Status::Invalid, QStringLiteral("no colour planes"));
        return;
    }
    QImage source;
    if (value == kBitmapHandle)
        source = image_;
    else if (value >= planeBase_ && value < planeBase_ + 3)
        source = planes_[value - planeBase_];
    if (source.isNull()) {
        fail(Status::Invalid, QStringLiteral("unknown bitmap handle"));
        return;
    }
    planes_[size_t(plane)] = source.format() == QImage::Format_Grayscale8
                                 ? source
                                 : source.convertToFormat(QImage::Format_Grayscale8);
}

bool ImagingControl::opMergePlanes(int16_t)
{
    if (planeBase_ == 0)
        return fail(Status::Invalid, QStringLiteral("no colour planes"));
    const QSize size = planes_[0].size();
    for (const auto &plane : planes_) {
        if (plane.isNull() || plane.size() != size)
            return fail(Status::Invalid, QStringLiteral("colour planes differ in size"));
    }
    QImage merged(size, QImage::Format_RGB32);
    if (merged.isNull())
        return fail(Status::Refused, QStringLiteral("out of memory merging planes"));
    for (int y = 0; y < size.height(); ++y) {
        const uchar *blue = planes_[0].constScanLine(y);
        const uchar *green = planes_[1].constScanLine(y);
        const uchar *red = planes_[2].constScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(merged.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            out[x] = qRgb(red[x], green[x], blue[x]);
    }
    image_ = std::move(merged);
    planes_ = {};
    planeBase_ = 0;
    markChanged();
    return true;
}

void ImagingControl::opFinish()
{
    // Adjustments are applied as they come; nothing is pending.
}

bool ImagingControl::opPaint(QPainter *device, float left, float top, float width, float height)
{
    if (!device || image_.isNull())
        return fail(Status::Invalid, QStringLiteral("nothing to paint"));
    if (!(width > 0) || !(height > 0))
        return fail(Status::Invalid, QStringLiteral("empty paint rectangle"));
    device->save();
    device->setRenderHint(QPainter::SmoothPixmapTransform);
    device->drawImage(QRectF(left, top, width, height), image_);
    device->restore();
    return true;
}

QString ImagingControl::opReadComment(const QString &path, int, int number)
{
    if (number == kCommentNote) {
        QByteArray head;
        if (Outcome read = readJpegHeader(path, head); !read) {
            fail(std::move(read));
            return {};
        }
        return jpegComment(head).value_or(QString());
    }
    if (number < 0 || number >= kCommentSlots || !exifKeyForSlot(number))
        return {};
    QByteArray head;
    CommentTexts texts;
    Outcome read = readJpegHeader(path, head);
    if (read)
        read = readCommentTexts(head, texts);
    if (!read) {
        fail(std::move(read));
        return {};
    }
    const auto it = texts.find(number);
    return it == texts.end() ? QString() : it->second;
}

void ImagingControl::opComment(int number, const QString &text)
{
    if (number >= 0 && number < kCommentSlots)
        comments_[size_t(number)] = text;
}

QString ImagingControl::comment(int number) const
{
    return number >= 0 && number < kCommentSlots ? comments_[size_t(number)] : QString();
}

void ImagingControl::setImage(const QImage &image)
{
    image_ = image;
    markChanged();
}

} // namespace tolvarine
