#include "sampledata/SamplePictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QImageWriter>
#include <QPainter>

namespace tolvarine::sample {

namespace {

quint32 nextRandom(quint32 &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

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

struct Entry {
    int tag;
    int type; // 2 ASCII, 4 LONG
    QByteArray ascii;
    quint32 value = 0;
};

// Lays out one IFD at offset; out-of-line values follow it.
QByteArray layoutIfd(std::vector<Entry> entries, quint32 offset)
{
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
    QByteArray ifd, data;
    const quint32 dataStart = offset + 2 + quint32(entries.size()) * 12 + 4;
    put16(ifd, int(entries.size()));
    for (const Entry &e : entries) {
        put16(ifd, e.tag);
        put16(ifd, e.type);
        if (e.type == 2) {
            put32(ifd, quint32(e.ascii.size()));
            if (e.ascii.size() <= 4) {
                ifd.append(e.ascii.leftJustified(4, '\0'));
            } else {
                put32(ifd, dataStart + quint32(data.size()));
                data.append(e.ascii);
                if (data.size() % 2)
                    data.append('\0');
            }
        } else {
            put32(ifd, 1);
            put32(ifd, e.value);
        }
    }
    put32(ifd, 0);
    return ifd + data;
}

QByteArray asciiValue(const QString &text)
{
    QByteArray v = text.toLatin1();
    v.append('\0');
    return v;
}

} // namespace

QImage makeCameraLikeImage(int width, int height, quint32 seed, const QString &label)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = seed * 2654435761u + 1u;
    const double phaseA = (nextRandom(state) % 628) / 100.0;
    const double phaseB = (nextRandom(state) % 628) / 100.0;
    const int baseR = 150 + int(nextRandom(state) % 80), baseG = 90 + int(nextRandom(state) % 60),
              baseB = 80 + int(nextRandom(state) % 60);
    // Separable shading keeps 24-megapixel pictures quick to make.
    std::vector<double> column(static_cast<size_t>(width)), columnFall(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const double fx = double(x) / width;
        column[size_t(x)] = std::sin(fx * 5.0 + phaseA);
        columnFall[size_t(x)] = 1.0 - std::abs(fx - 0.5);
    }
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double fy = double(y) / height;
        const double row = std::cos(fy * 4.0 + phaseB);
        const double rowFall = 1.0 - std::abs(fy - 0.5);
        for (int x = 0; x < width; ++x) {
            const double shade = 0.45 + 0.25 * column[size_t(x)] * row + 0.4 * columnFall[size_t(x)] * rowFall;
            const int grain = int(nextRandom(state) % 25) - 12;
            line[x] = qRgb(std::clamp(int(baseR * shade) + grain, 0, 255),
                           std::clamp(int(baseG * shade) + grain, 0, 255),
                           std::clamp(int(baseB * shade) + grain, 0, 255));
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 5; ++i) {
        const int r = int(std::min(width, height) * (0.05 + (nextRandom(state) % 10) / 100.0));
        const QPointF c(nextRandom(state) % std::max(1, width), nextRandom(state) % std::max(1, height));
        QRadialGradient g(c, r);
        g.setColorAt(0, QColor(250, 245, 235, 200));
        g.setColorAt(1, QColor(250, 245, 235, 0));
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, r, r);
    }
    if (!label.isEmpty()) {
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(std::max(8, height / 8));
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(255, 255, 255, 220));
        p.drawText(image.rect(), Qt::AlignCenter, label);
    }
    return image;
}

QByteArray encodeCameraJpeg(const QImage &image, const QDateTime &taken, int quality)
{
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        if (!writer.write(image))
            return {};
    }
    const QString stamp = taken.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    return withSegment(jpeg, exifSegment({{0x010F, QStringLiteral("Tolvarine")},
                                          {0x0110, QStringLiteral("Sample Camera")},
                                          {0x0132, stamp}},
                                         {{0x9003, stamp}, {0x9004, stamp}}));
}

QByteArray exifSegment(const std::vector<ExifTag> &ifd0Tags, const std::vector<ExifTag> &exifTags)
{
    std::vector<Entry> ifd0;
    for (const ExifTag &t : ifd0Tags)
        ifd0.push_back({t.tag, 2, asciiValue(t.text), 0});
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    if (exifTags.empty()) {
        tiff += layoutIfd(ifd0, 8);
    } else {
        // IFD0 at 8, then the Exif sub-IFD right after IFD0 and its data.
        ifd0.push_back({0x8769, 4, {}, 0});
        const quint32 exifOffset = 8 + quint32(layoutIfd(ifd0, 8).size());
        ifd0.back().value = exifOffset;
        std::vector<Entry> exif;
        for (const ExifTag &t : exifTags)
            exif.push_back({t.tag, 2, asciiValue(t.text), 0});
        tiff += layoutIfd(ifd0, 8) + layoutIfd(exif, exifOffset);
    }
    QByteArray app1("\xFF\xE1", 2);
    put16(app1, 2 + 6 + int(tiff.size()));
    app1.append(QByteArray("Exif\0\0", 6)).append(tiff);
    return app1;
}

QByteArray withSegment(const QByteArray &jpeg, const QByteArray &segment)
{
    return jpeg.left(2) + segment + jpeg.mid(2);
}

bool writeCameraJpeg(const QString &path, const QImage &image, const QDateTime &taken, int quality)
{
    const QByteArray bytes = encodeCameraJpeg(image, taken, quality);
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.flush();
    return file.setFileTime(taken, QFileDevice::FileModificationTime);
}

} // namespace tolvarine::sample
