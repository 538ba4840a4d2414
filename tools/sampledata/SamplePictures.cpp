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
            const double shade =
                0.45 + 0.25 * column[size_t(x)] * row + 0.4 * columnFall[size_t(x)] * rowFall;
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

TiffWriter::TiffWriter(bool littleEndian) : le_(littleEndian)
{
    tiff_ = littleEndian ? QByteArray("II*\0", 4) : QByteArray("MM\0*", 4);
    tiff_ += u32(8);
}

QByteArray TiffWriter::u16(quint32 value) const
{
    QByteArray out(2, '\0');
    out[le_ ? 0 : 1] = char(value & 0xFF);
    out[le_ ? 1 : 0] = char((value >> 8) & 0xFF);
    return out;
}

QByteArray TiffWriter::u32(quint32 value) const
{
    return le_ ? u16(value & 0xFFFF) + u16(value >> 16) : u16(value >> 16) + u16(value & 0xFFFF);
}

TiffWriter::Field TiffWriter::ascii(int tag, const QString &text) const
{
    const QByteArray value = asciiValue(text);
    return {tag, 2, quint32(value.size()), value};
}

TiffWriter::Field TiffWriter::shorts(int tag, const std::vector<quint16> &values) const
{
    QByteArray value;
    for (quint16 v : values)
        value += u16(v);
    return {tag, 3, quint32(values.size()), value};
}

TiffWriter::Field TiffWriter::longs(int tag, const std::vector<quint32> &values) const
{
    QByteArray value;
    for (quint32 v : values)
        value += u32(v);
    return {tag, 4, quint32(values.size()), value};
}

TiffWriter::Field TiffWriter::rational(int tag, quint32 numerator, quint32 denominator) const
{
    return {tag, 5, 1, u32(numerator) + u32(denominator)};
}

TiffWriter::Field TiffWriter::bytes(int tag, int type, const QByteArray &value)
{
    return {tag, type, quint32(value.size()), value};
}

QByteArray TiffWriter::ifdAt(std::vector<Field> fields, quint32 at, Placed *placed) const
{
    std::stable_sort(fields.begin(), fields.end(),
                     [](const Field &a, const Field &b) { return a.tag < b.tag; });
    Placed where;
    where.offset = at;
    QByteArray ifd = u16(quint32(fields.size()));
    QByteArray values;
    const quint32 valuesAt = at + 2 + quint32(fields.size()) * 12 + 4;
    for (const Field &f : fields) {
        ifd += u16(quint32(f.tag)) + u16(quint32(f.type)) + u32(f.count);
        if (f.value.size() <= 4) {
            where.valueAt[f.tag] = at + quint32(ifd.size());
            ifd += f.value.leftJustified(4, '\0');
        } else {
            where.valueAt[f.tag] = valuesAt + quint32(values.size());
            ifd += u32(valuesAt + quint32(values.size()));
            values += f.value;
            if (values.size() % 2)
                values += '\0';
        }
    }
    where.nextAt = at + quint32(ifd.size());
    ifd += u32(0);
    if (placed)
        *placed = where;
    return ifd + values;
}

TiffWriter::Placed TiffWriter::appendIfd(std::vector<Field> fields)
{
    if (tiff_.size() % 2)
        tiff_ += '\0';
    Placed placed;
    tiff_ += ifdAt(std::move(fields), quint32(tiff_.size()), &placed);
    return placed;
}

quint32 TiffWriter::append(const QByteArray &data)
{
    if (tiff_.size() % 2)
        tiff_ += '\0';
    const quint32 at = quint32(tiff_.size());
    tiff_ += data;
    return at;
}

void TiffWriter::setLong(quint32 at, quint32 value) { overwrite(at, u32(value)); }

void TiffWriter::overwrite(quint32 at, const QByteArray &data)
{
    tiff_.replace(qsizetype(at), data.size(), data);
}

QByteArray exifApp1(const QByteArray &tiff)
{
    const int length = 2 + 6 + int(tiff.size());
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((length >> 8) & 0xFF)).append(char(length & 0xFF));
    return app1.append(QByteArray("Exif\0\0", 6)).append(tiff);
}

QByteArray exifSegment(const std::vector<ExifTag> &ifd0Tags, const std::vector<ExifTag> &exifTags)
{
    TiffWriter tiff(false);
    std::vector<TiffWriter::Field> ifd0;
    for (const ExifTag &t : ifd0Tags)
        ifd0.push_back(tiff.ascii(t.tag, t.text));
    if (!exifTags.empty())
        ifd0.push_back(tiff.longs(0x8769, {0}));
    const TiffWriter::Placed placed = tiff.appendIfd(ifd0);
    if (!exifTags.empty()) {
        std::vector<TiffWriter::Field> exif;
        for (const ExifTag &t : exifTags)
            exif.push_back(tiff.ascii(t.tag, t.text));
        tiff.setLong(placed.valueAt.at(0x8769), tiff.appendIfd(exif).offset);
    }
    return exifApp1(tiff.data());
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
