#include "imaging/ImagingTestData.h"

#include <QBuffer>
#include <QFile>

#include "sampledata/SamplePictures.h"
#include "support/TestSupport.h"

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

QByteArray withStrayMarker(const QByteArray &jpeg)
{
    qsizetype at = cutInScan(jpeg).size();
    while (at > 0 && (jpeg[at - 1] == '\xFF' || jpeg[at] == '\xFF'))
        --at;
    QByteArray out = jpeg;
    out.replace(at, 4, QByteArray("\xFF\x01\x7F\xF0", 4));
    return out;
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

namespace {

QByteArray segment(uchar marker, const QByteArray &payload)
{
    QByteArray out;
    const int length = int(payload.size()) + 2;
    out.append(char(0xFF)).append(char(marker)).append(char(length >> 8)).append(char(length & 0xFF));
    return out + payload;
}

QByteArray exifBlock(const CameraFileParts &parts)
{
    using Field = sample::TiffWriter::Field;
    sample::TiffWriter tiff(parts.littleEndian);
    std::vector<Field> ifd0{tiff.ascii(0x010F, parts.make),
                            tiff.ascii(0x0110, parts.make + QStringLiteral(" EOS Test")),
                            tiff.shorts(0x0112, {1}),
                            tiff.rational(0x011A, 72, 1),
                            tiff.rational(0x011B, 72, 1),
                            tiff.shorts(0x0128, {2}),
                            tiff.ascii(0x0131, QStringLiteral("Firmware 1.0")),
                            tiff.ascii(0x013B, QStringLiteral("Dr. Test")),
                            tiff.longs(0x8769, {0}),
                            tiff.longs(0x8825, {0})};
    if (parts.dateTime)
        ifd0.push_back(tiff.ascii(0x0132, kCameraDateTime));
    if (parts.badOffset)
        ifd0.push_back({0x010E, 2, 32, tiff.u32(0x7FFF0000)});
    const auto image = tiff.appendIfd(ifd0);

    const QByteArray userComment = QByteArray("ASCII\0\0\0", 8) + "taken at the clinic";
    const std::vector<Field> makerNote{tiff.shorts(0x0001, {24, 2, 0, 4, 0, 0, 0, 3, 1, 65535, 0, 5}),
                                       parts.makerNote == MakerNoteFault::ValueBeyondBlock
                                           ? Field{0x0006, 2, 32, tiff.u32(0x7FFF0000)}
                                           : tiff.ascii(0x0006, QStringLiteral("Canon EOS TEST JPEG")),
                                       tiff.ascii(0x0007, QStringLiteral("Firmware Version 1.0.0")),
                                       tiff.longs(0x000C, {123456})};
    const QByteArray makerNoteSize = tiff.ifdAt(makerNote, 0);
    const auto photo =
        tiff.appendIfd({tiff.rational(0x829A, 1, 125), tiff.rational(0x829D, 56, 10),
                        tiff.shorts(0x8827, {200}), sample::TiffWriter::bytes(0x9000, 7, "0231"),
                        tiff.ascii(0x9003, kCameraOriginal), tiff.ascii(0x9004, kCameraOriginal),
                        sample::TiffWriter::bytes(0x927C, 7, QByteArray(makerNoteSize.size(), '\0')),
                        sample::TiffWriter::bytes(0x9286, 7, userComment), tiff.longs(0xA005, {0})});
    const quint32 makerNoteAt = photo.valueAt.at(0x927C);
    tiff.overwrite(makerNoteAt, tiff.ifdAt(makerNote, makerNoteAt));
    if (parts.makerNote == MakerNoteFault::TooManyEntries)
        tiff.overwrite(makerNoteAt, tiff.u16(0x0400));
    tiff.setLong(image.valueAt.at(0x8769), photo.offset);
    tiff.setLong(photo.valueAt.at(0xA005),
                 tiff.appendIfd({tiff.ascii(0x0001, QStringLiteral("R98"))}).offset);
    tiff.setLong(image.valueAt.at(0x8825),
                 tiff.appendIfd({sample::TiffWriter::bytes(0x0000, 1, QByteArray("\x02\x03\0\0", 4)),
                                 tiff.ascii(0x0001, QStringLiteral("N"))})
                     .offset);

    const QByteArray thumbnail = test::encodeJpeg(test::makeGradientImage(16, 12), 80);
    const auto ifd1 = tiff.appendIfd(
        {tiff.shorts(0x0103, {6}), tiff.longs(0x0201, {0}), tiff.longs(0x0202, {quint32(thumbnail.size())})});
    tiff.setLong(image.nextAt, ifd1.offset);
    tiff.setLong(ifd1.valueAt.at(0x0201), tiff.append(thumbnail));
    return sample::exifApp1(tiff.data());
}

QByteArray photoshopResource(const char *signature, int id, const QByteArray &data)
{
    QByteArray out(signature, 4);
    out.append(char(id >> 8)).append(char(id & 0xFF)).append(QByteArray(2, '\0')); // empty name, padded
    const quint32 size = quint32(data.size());
    out.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    out.append(data);
    if (data.size() % 2)
        out.append('\0');
    return out;
}

QByteArray iptcRecord(int dataset, const QByteArray &value)
{
    QByteArray out("\x1C\x02", 2);
    out.append(char(dataset)).append(char(value.size() >> 8)).append(char(value.size() & 0xFF));
    return out + value;
}

QByteArray photoshopSegment()
{
    const QByteArray iptc = iptcRecord(0, QByteArray("\0\x04", 2)) + iptcRecord(5, "Clinic photo")
                            + iptcRecord(55, "20090512") + iptcRecord(60, "140327");
    return segment(0xED, QByteArray("Photoshop 3.0\0", 14) + photoshopResource("8BIM", 0x0404, iptc)
                             + photoshopResource("8BIM", 0x0404, {})
                             + photoshopResource("8BIM", 0x0425, QByteArray(16, '\x5A'))
                             + photoshopResource("MeSa", 0x0404, iptcRecord(120, "caption")));
}

QByteArray iccSegment()
{
    QByteArray profile(132, '\0');
    profile[3] = char(132);
    profile.replace(36, 4, "acsp");
    return segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + profile);
}

// The MPF index: this picture first, the second one at its offset from the index's header.
QByteArray mpfSegment(quint32 firstSize, quint32 secondSize, quint32 secondOffset)
{
    sample::TiffWriter index(false);
    QByteArray entries =
        index.u32(0x20030000) + index.u32(firstSize) + index.u32(0) + index.u16(0) + index.u16(0);
    entries +=
        index.u32(0x00020002) + index.u32(secondSize) + index.u32(secondOffset) + index.u16(0) + index.u16(0);
    index.appendIfd({sample::TiffWriter::bytes(0xB000, 7, "0100"), index.longs(0xB001, {2}),
                     sample::TiffWriter::bytes(0xB002, 7, entries)});
    return segment(0xE2, QByteArray("MPF\0", 4) + index.data());
}

} // namespace

QByteArray cameraFile(const CameraFileParts &parts)
{
    const QByteArray picture = encodeJpeg(makeDistinctImage(96, 64), 90);
    QByteArray head("\xFF\xD8", 2);
    if (parts.exif)
        head += exifBlock(parts);
    QByteArray rest = iccSegment() + photoshopSegment()
                      + withXmp(QByteArray("\xFF\xD8", 2), sampleXmpPacket()).mid(2)
                      + segment(0xFE, "clinic note") + picture.mid(2);
    if (!parts.secondPicture)
        return head + rest;
    const QByteArray second = encodeJpeg(makeGradientImage(32, 24), 70);
    // The offsets count from the index header, four bytes into the MPF segment's payload.
    const qsizetype mpfSize = mpfSegment(0, 0, 0).size();
    const qsizetype firstSize = head.size() + mpfSize + rest.size();
    const qsizetype indexHeader = head.size() + 4 + 4;
    const QByteArray mpf =
        mpfSegment(quint32(firstSize), quint32(second.size()), quint32(firstSize - indexHeader));
    return head + mpf + rest + second;
}

} // namespace tolvarine::test
