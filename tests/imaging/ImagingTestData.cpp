#include "imaging/ImagingTestData.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

namespace tolvarine::test {

namespace {

// Offset of the frame header (FF Cn, n a frame type), or -1.
qsizetype frameOffset(const QByteArray &jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const uchar marker = uchar(jpeg[pos + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return pos;
        if (marker == 0xDA)
            return -1;
        pos += 2 + ((uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]));
    }
    return -1;
}

} // namespace

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray withSegment(const QByteArray &jpeg, uchar marker, const QByteArray &payload)
{
    QByteArray segment;
    segment.append(char(0xFF)).append(char(marker));
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray withXmp(const QByteArray &jpeg, const QByteArray &packet)
{
    return withSegment(jpeg, 0xE1, QByteArray("http://ns.adobe.com/xap/1.0/", 29) + packet);
}

QByteArray withComment(const QByteArray &jpeg, const QByteArray &text)
{
    return withSegment(jpeg, 0xFE, text);
}

QByteArray cutInScan(const QByteArray &jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF && uchar(jpeg[pos + 1]) != 0xDA)
        pos += 2 + ((uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]));
    return jpeg.left(pos + (jpeg.size() - pos) / 2);
}

QByteArray withClaimedSize(const QByteArray &jpeg, int width, int height)
{
    QByteArray out = jpeg;
    const qsizetype at = frameOffset(out);
    if (at < 0)
        return out;
    out[at + 5] = char(height >> 8);
    out[at + 6] = char(height & 0xFF);
    out[at + 7] = char(width >> 8);
    out[at + 8] = char(width & 0xFF);
    return out;
}

int frameComponents(const QByteArray &jpeg)
{
    const qsizetype at = frameOffset(jpeg);
    return at < 0 || at + 9 >= jpeg.size() ? 0 : uchar(jpeg[at + 9]);
}

int frameMarker(const QByteArray &jpeg)
{
    const qsizetype at = frameOffset(jpeg);
    return at < 0 ? 0 : uchar(jpeg[at + 1]);
}

QByteArray encodePng(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray encodeProgressiveJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(90);
    writer.write(image);
    return bytes;
}

QImage makeDistinctImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 13) & 0xFF));
    return image;
}

QByteArray sampleXmpPacket()
{
    return QByteArrayLiteral(
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator><rdf:Seq><rdf:li>Tolvarine "
        "Tester</rdf:li></rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta>"
        "<?xpacket end=\"w\"?>");
}

} // namespace tolvarine::test
