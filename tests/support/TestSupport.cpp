#include "support/TestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

namespace tolvarine::test {

Sandbox::Sandbox()
{
    dir_.setAutoRemove(true);
}

QString Sandbox::file(const QString &relative) const
{
    return dir_.filePath(relative);
}

QString Sandbox::write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QString Sandbox::mkdir(const QString &relative) const
{
    const QString path = file(relative);
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<QSettings> Sandbox::settings() const
{
    return std::make_unique<QSettings>(file(QStringLiteral("settings/Tolvarine.ini")),
                                       QSettings::IniFormat);
}

MessageRecorder::MessageRecorder(MessageAnswer answer)
{
    previous_ = setMessageHandler([this, answer](const MessageRequest &request) {
        messages_.push_back(request);
        return answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    setMessageHandler(std::move(previous_));
}

QStringList MessageRecorder::texts() const
{
    QStringList out;
    for (const auto &m : messages_)
        out << m.text;
    return out;
}

QImage makeGradientImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / qMax(1, width - 1), y * 255 / qMax(1, height - 1), 128));
    return image;
}

QImage makeQuadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    const int hw = width / 2, hh = height / 2;
    p.fillRect(0, 0, hw, hh, Qt::red);
    p.fillRect(hw, 0, width - hw, hh, Qt::green);
    p.fillRect(0, hh, hw, height - hh, Qt::blue);
    p.fillRect(hw, hh, width - hw, height - hh, Qt::white);
    return image;
}

QByteArray encodeJpeg(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

namespace {

void put16(QByteArray &b, int v)
{
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
}

void put32(QByteArray &b, quint32 v)
{
    put16(b, int(v >> 16));
    put16(b, int(v & 0xFFFF));
}

struct AsciiTag {
    int tag;
    QByteArray value; // with its terminating NUL
};

// One IFD of ASCII tags (plus an optional pointer tag) laid out at ifdOffset.
QByteArray buildIfd(const std::vector<AsciiTag> &tags, quint32 ifdOffset, int pointerTag,
                    quint32 pointerValue, QByteArray &data)
{
    const int count = int(tags.size()) + (pointerTag ? 1 : 0);
    quint32 dataOffset = ifdOffset + 2 + quint32(count) * 12 + 4;
    QByteArray ifd;
    put16(ifd, count);
    std::vector<std::pair<int, QByteArray>> entries;
    for (const auto &t : tags) {
        QByteArray e;
        put16(e, t.tag);
        put16(e, 2); // ASCII
        put32(e, quint32(t.value.size()));
        if (t.value.size() <= 4) {
            QByteArray v = t.value;
            v.append(QByteArray(4 - v.size(), '\0'));
            e.append(v);
        } else {
            put32(e, dataOffset + quint32(data.size()));
            data.append(t.value);
            if (data.size() % 2)
                data.append('\0');
        }
        entries.emplace_back(t.tag, e);
    }
    if (pointerTag) {
        QByteArray e;
        put16(e, pointerTag);
        put16(e, 4); // LONG
        put32(e, 1);
        put32(e, pointerValue);
        entries.emplace_back(pointerTag, e);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &e : entries)
        ifd.append(e.second);
    put32(ifd, 0);
    return ifd;
}

} // namespace

QByteArray encodeJpegWithExif(const QImage &image, const QString &dateTime, const QString &original,
                              int quality)
{
    const QByteArray jpeg = encodeJpeg(image, quality);
    std::vector<AsciiTag> ifd0Tags{{0x010F, QByteArray("TolvarineTest", 14)},
                                   {0x013B, QByteArray("Dr. Test", 9)}};
    if (!dateTime.isEmpty()) {
        QByteArray v = dateTime.toLatin1();
        v.append('\0');
        ifd0Tags.push_back({0x0132, v});
    }
    std::sort(ifd0Tags.begin(), ifd0Tags.end(), [](const auto &a, const auto &b) { return a.tag < b.tag; });

    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    const bool withExifIfd = !original.isEmpty();
    // Lay IFD0 out first to learn where the Exif IFD can start.
    QByteArray data0;
    QByteArray ifd0 = buildIfd(ifd0Tags, 8, withExifIfd ? 0x8769 : 0, 0, data0);
    if (withExifIfd) {
        const quint32 exifOffset = 8 + quint32(ifd0.size() + data0.size());
        data0.clear();
        ifd0 = buildIfd(ifd0Tags, 8, 0x8769, exifOffset, data0);
        QByteArray v = original.toLatin1();
        v.append('\0');
        QByteArray data1;
        const QByteArray ifd1 = buildIfd({{0x9003, v}}, exifOffset, 0, 0, data1);
        tiff.append(ifd0).append(data0).append(ifd1).append(data1);
    } else {
        tiff.append(ifd0).append(data0);
    }

    QByteArray app1("\xFF\xE1", 2);
    put16(app1, 2 + 6 + int(tiff.size()));
    app1.append(QByteArray("Exif\0\0", 6)).append(tiff);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

bool setModified(const QString &path, const QDateTime &local)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        // Read-only files: fall back to utimensat, which needs no write access for root.
        struct timespec times[2];
        times[0].tv_sec = local.toSecsSinceEpoch();
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
    }
    return f.setFileTime(local, QFileDevice::FileModificationTime);
}

QByteArray jpegScanData(const QByteArray &jpeg)
{
    // Walk the marker segments up to start-of-scan (FF DA).
    int pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (uchar(jpeg[pos]) != 0xFF)
            return {};
        const uchar marker = uchar(jpeg[pos + 1]);
        if (marker == 0xDA)
            return jpeg.mid(pos);
        const int length = (uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]);
        pos += 2 + length;
    }
    return {};
}

bool colorsClose(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace tolvarine::test
