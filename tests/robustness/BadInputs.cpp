#include "BadInputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QStringEncoder>

#include "sampledata/SamplePictures.h"
#include "support/TestSupport.h"

// jpeglib.h wants FILE and size_t declared first.
#include <jpeglib.h>

namespace tolvarine::test {

namespace {

using sample::TiffWriter;

const QString kStamp = QStringLiteral("2009:05:12 14:03:27");

QByteArray be16(int value) { return QByteArray(1, char((value >> 8) & 0xFF)) + char(value & 0xFF); }

QByteArray segment(uchar marker, const QByteArray &payload)
{
    return QByteArray(1, char(0xFF)) + char(marker) + be16(int(payload.size()) + 2) + payload;
}

QByteArray plainJpeg(int width = 160, int height = 120)
{
    return encodeJpeg(makeGradientImage(width, height), 90);
}

// --- walking the test's own files (independent of the code under test) ---------

struct Seg {
    qsizetype offset;
    uchar marker;
    qsizetype size;
};

// The segments up to and including the first SOS header.
std::vector<Seg> segmentsOf(const QByteArray &jpeg)
{
    std::vector<Seg> out;
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const uchar marker = uchar(jpeg[pos + 1]);
        const qsizetype size = 2 + ((uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]));
        out.push_back({pos, marker, size});
        if (marker == 0xDA)
            break;
        pos += size;
    }
    return out;
}

Seg firstSegment(const QByteArray &jpeg, uchar marker)
{
    for (const Seg &s : segmentsOf(jpeg))
        if (s.marker == marker || (marker == 0xC0 && s.marker >= 0xC0 && s.marker <= 0xC2))
            return s;
    return {-1, 0, 0};
}

// Where each scan's entropy data ends, in file order.
std::vector<qsizetype> scanEnds(const QByteArray &jpeg)
{
    std::vector<qsizetype> ends;
    qsizetype pos = firstSegment(jpeg, 0xDA).offset;
    const auto *d = reinterpret_cast<const uchar *>(jpeg.constData());
    while (pos >= 0 && pos + 4 <= jpeg.size() && d[pos] == 0xFF && d[pos + 1] != 0xD9) {
        const uchar marker = d[pos + 1];
        pos += 2 + ((d[pos + 2] << 8) | d[pos + 3]);
        if (marker != 0xDA)
            continue;
        while (pos + 1 < jpeg.size()
               && !(d[pos] == 0xFF && d[pos + 1] != 0 && (d[pos + 1] < 0xD0 || d[pos + 1] > 0xD7)))
            ++pos;
        ends.push_back(pos);
    }
    return ends;
}

QByteArray withSegmentAfterSoi(const QByteArray &jpeg, const QByteArray &seg)
{
    return sample::withSegment(jpeg, seg);
}

QByteArray replaced(QByteArray bytes, qsizetype at, const QByteArray &with)
{
    if (at >= 0 && at + with.size() <= bytes.size())
        bytes.replace(at, with.size(), with);
    return bytes;
}

// --- libjpeg, for codings Qt's writer does not make -----------------------------

struct Coding {
    Coding(int w, int h, int n = 3, J_COLOR_SPACE space = JCS_RGB)
        : width(w), height(h), components(n), in(space)
    {}
    Coding &storedAs(J_COLOR_SPACE space) { return store = space, *this; }
    Coding &progressive() { return inScans = true, *this; }
    Coding &arithmetic() { return arith = true, *this; }
    Coding &flat() { return oneColour = true, *this; } // every scan then is a few bytes
    Coding &restartEvery(int blocks) { return restartInterval = blocks, *this; }
    Coding &sampled(std::vector<std::pair<int, int>> factors) { return sampling = std::move(factors), *this; }

    int width, height, components;
    J_COLOR_SPACE in;
    J_COLOR_SPACE store = JCS_UNKNOWN; // the colour space written, when not the default
    bool inScans = false, arith = false, oneColour = false;
    int restartInterval = 0;
    std::vector<std::pair<int, int>> sampling;
};

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

QByteArray encodeCoding(const Coding &c)
{
    jpeg_compress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<JpegFailure *>(common->err)->jump, 1);
    };
    unsigned char *out = nullptr;
    unsigned long size = 0;
    if (setjmp(failure.jump)) {
        jpeg_destroy_compress(&info);
        std::free(out);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(c.width);
    info.image_height = JDIMENSION(c.height);
    info.input_components = c.components;
    info.in_color_space = c.in;
    jpeg_set_defaults(&info);
    if (c.store != JCS_UNKNOWN)
        jpeg_set_colorspace(&info, c.store);
    jpeg_set_quality(&info, 85, TRUE);
    for (size_t i = 0; i < c.sampling.size() && int(i) < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = c.sampling[i].first;
        info.comp_info[i].v_samp_factor = c.sampling[i].second;
    }
    if (c.inScans)
        jpeg_simple_progression(&info);
    info.arith_code = c.arith ? TRUE : FALSE;
    info.restart_interval = unsigned(c.restartInterval);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(c.width * c.components));
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < c.width; ++x)
            for (int k = 0; k < c.components; ++k)
                row[size_t(x * c.components + k)] =
                    JSAMPLE(c.oneColour ? 90 + 40 * k : (x * 255 / c.width + y * (k + 1) * 3) & 0xFF);
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// The picture with its last scan (and the tables before it) repeated: a decoder
// goes through the whole coefficient buffer once per scan.
QByteArray withScansRepeated(const QByteArray &jpeg, int times)
{
    const std::vector<qsizetype> ends = scanEnds(jpeg);
    if (ends.empty())
        return jpeg;
    const qsizetype to = ends.back();
    const qsizetype from = ends.size() > 1 ? ends[ends.size() - 2] : firstSegment(jpeg, 0xDA).offset;
    QByteArray out = jpeg.left(to);
    const QByteArray chunk = jpeg.mid(from, to - from);
    for (int i = 0; i < times; ++i)
        out += chunk;
    return out + jpeg.mid(to);
}

// The frame header's height and width replaced.
QByteArray claiming(const QByteArray &jpeg, int width, int height)
{
    const Seg sof = firstSegment(jpeg, 0xC0);
    return replaced(jpeg, sof.offset + 5, be16(height) + be16(width));
}

// The frame header's marker replaced (and its precision byte, when given).
QByteArray frameMarked(const QByteArray &jpeg, uchar marker, int precision = -1)
{
    const Seg sof = firstSegment(jpeg, 0xC0);
    QByteArray out = replaced(jpeg, sof.offset + 1, QByteArray(1, char(marker)));
    return precision < 0 ? out : replaced(out, sof.offset + 4, QByteArray(1, char(precision)));
}

// --- Exif blocks laid out by hand ---------------------------------------------------

QByteArray exifPicture(const QByteArray &tiff)
{
    return withSegmentAfterSoi(plainJpeg(), sample::exifApp1(tiff));
}

QByteArray dateBlock(const QByteArray &raw, int type = 2, std::optional<quint32> count = std::nullopt)
{
    TiffWriter t(false);
    t.appendIfd({t.ascii(0x010F, QStringLiteral("Tolvarine")),
                 TiffWriter::Field{0x0132, type, count.value_or(quint32(raw.size())), raw}});
    return t.data();
}

QByteArray dateText(const QString &text) { return text.toLatin1() + '\0'; }

// IFD0 (Make, DateTime, the Exif pointer) and an Exif IFD with DateTimeOriginal;
// `shape` may then break it. Offsets of the places are handed to it.
struct Layout {
    TiffWriter tiff{false};
    TiffWriter::Placed ifd0;
    TiffWriter::Placed exif;
};

// Where the value offset of entry `index` of an IFD is written.
quint32 entryValueField(quint32 ifd, int index) { return ifd + 2 + quint32(index) * 12 + 8; }

QByteArray shapedBlock(const std::function<void(Layout &)> &shape)
{
    Layout l;
    l.ifd0 = l.tiff.appendIfd({l.tiff.ascii(0x010F, QStringLiteral("Tolvarine")),
                               l.tiff.ascii(0x0132, kStamp), l.tiff.longs(0x8769, {0})});
    l.exif = l.tiff.appendIfd({l.tiff.ascii(0x9003, kStamp), l.tiff.longs(0xA005, {0})});
    l.tiff.setLong(l.ifd0.valueAt.at(0x8769), l.exif.offset);
    l.tiff.setLong(l.exif.valueAt.at(0xA005), 0);
    shape(l);
    return l.tiff.data();
}

// IFD0 with Make and DateTime, and an Exif IFD with DateTimeOriginal and the note.
QByteArray makerNoteBlock(const QString &make, const QByteArray &note)
{
    TiffWriter t(false);
    const auto ifd0 = t.appendIfd({t.ascii(0x010F, make), t.ascii(0x0132, kStamp), t.longs(0x8769, {0})});
    const auto exif = t.appendIfd({t.ascii(0x9003, kStamp), TiffWriter::bytes(0x927C, 7, note)});
    t.setLong(ifd0.valueAt.at(0x8769), exif.offset);
    return t.data();
}

QByteArray sjis(const QString &text)
{
    QStringEncoder encoder("Shift_JIS");
    const QByteArray bytes = encoder.encode(text);
    return encoder.hasError() ? QByteArray() : bytes;
}

QByteArray cp932(const QString &text)
{
    const QByteArray bytes = sjis(text);
    return bytes.isEmpty() ? text.toUtf8() : bytes;
}

void add(std::vector<BadPicture> &out, const std::string &name, const QByteArray &bytes,
         std::optional<QDate> day = std::nullopt)
{
    out.push_back({name, bytes, day});
}

// --- the families ---------------------------------------------------------------------

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The PNG with its header's width and height replaced and its checksum made right.
QByteArray pngSized(QByteArray png, quint32 width, quint32 height)
{
    const auto be32 = [](quint32 v) { return be16(int(v >> 16)) + be16(int(v & 0xFFFF)); };
    png.replace(16, 8, be32(width) + be32(height));
    return png.replace(29, 4, be32(crc32(QByteArrayView(png).sliced(12, 17))));
}

std::vector<BadPicture> notJpeg()
{
    std::vector<BadPicture> out;
    const QByteArray good = goodPicture();
    add(out, "zero_bytes", {});
    add(out, "one_byte_FF", QByteArray(1, char(0xFF)));
    add(out, "SOI_only", QByteArray("\xFF\xD8", 2));
    add(out, "SOI_and_FF", QByteArray("\xFF\xD8\xFF", 3));
    add(out, "SOI_EOI", QByteArray("\xFF\xD8\xFF\xD9", 4));
    // Its date is whole within those bytes.
    add(out, "100_bytes_of_a_picture", good.left(100), corpusExifDay());
    QByteArray noise(100, '\0');
    quint32 state = 12345;
    for (char &c : noise) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 24);
    }
    add(out, "100_bytes_of_noise", noise);
    add(out, "all_FF_64K", QByteArray(65536, char(0xFF)));
    add(out, "SOI_then_all_FF", QByteArray("\xFF\xD8", 2) + QByteArray(65536, char(0xFF)));
    add(out, "text", QByteArray("This is no picture.\r\n"));
    add(out, "PDF",
        QByteArray("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n2 0 obj << /Type /Pages "
                   "/Kids [] /Count 0 >> endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n"));
    const auto encoded = [](const QImage &image, const char *format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, format).write(image);
        return bytes;
    };
    const QImage picture = makeQuadrantImage(120, 90);
    add(out, "PNG", encoded(picture, "png"));
    add(out, "BMP", encoded(picture, "bmp"));
    add(out, "GIF_header", QByteArray("GIF89a\x10\x00\x10\x00\x80\x00\x00", 13));
    add(out, "PPM", encoded(picture, "ppm"));
    add(out, "PNG_cut_short", encoded(picture, "png").left(60));
    // Headers of other formats claiming enormous pictures (a PNG's header keeps its
    // checksum right, so that the size is believed).
    const QByteArray png = encoded(picture, "png");
    add(out, "PNG_claiming_65535x65535", pngSized(png, 65535, 65535));
    add(out, "PNG_1bit_claiming_30000x30000", [] {
        QImage mono(30000, 8, QImage::Format_Mono);
        mono.fill(1);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(mono);
        return pngSized(bytes, 30000, 30000);
    }());
    add(out, "PBM_claiming_30000x30000", QByteArray("P4\n30000 30000\n") + QByteArray(64, '\0'));
    add(out, "PPM_claiming_65535x65535", QByteArray("P6\n65535 65535\n255\n") + QByteArray(64, '\x7F'));
    add(out, "BMP_claiming_30000x30000",
        replaced(encoded(picture, "bmp"), 18, QByteArray("\x30\x75\0\0\x30\x75\0\0", 8)));
    add(out, "XPM_with_a_million_colours",
        QByteArray("/* XPM */\nstatic char *x[] = {\n\"10 10 1000000 4\",\n\"aaaa c #FF0000\",\n};\n"));
    add(out, "ICO_header", QByteArray("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0\x10\0\0\0\x16\0\0\0", 22));
    add(out, "JPEG_bytes_after_a_text_line", QByteArray("junk\n") + good);
    return out;
}

std::vector<BadPicture> cutShort()
{
    std::vector<BadPicture> out;
    const QByteArray good = goodPicture();
    const std::vector<Seg> segs = segmentsOf(good);
    // Inside each segment before the picture data: its marker, its length, its middle.
    const qsizetype exifAt = firstSegment(good, 0xE1).offset;
    for (const Seg &s : segs) {
        // From the Exif segment on, the date may be whole in what is left.
        const std::optional<QDate> found =
            s.offset >= exifAt ? std::optional<QDate>(corpusExifDay()) : std::nullopt;
        const std::string where = "in_segment_FF" + QByteArray::number(s.marker, 16).toUpper().toStdString()
                                  + "_at_" + std::to_string(s.offset);
        add(out, "cut_" + where + "_marker", good.left(s.offset + 1), found);
        add(out, "cut_" + where + "_length", good.left(s.offset + 3), found);
        add(out, "cut_" + where + "_middle", good.left(s.offset + s.size / 2), found);
    }
    const qsizetype scan = firstSegment(good, 0xDA).offset;
    const qsizetype data = scan + firstSegment(good, 0xDA).size;
    for (int percent : {0, 1, 5, 10, 25, 50, 75, 90, 99}) {
        const qsizetype at = data + (good.size() - 2 - data) * percent / 100;
        add(out, "cut_in_picture_data_at_" + std::to_string(percent) + "_percent", good.left(at),
            corpusExifDay());
    }
    add(out, "no_end_marker", good.left(good.size() - 2), corpusExifDay());
    add(out, "half_end_marker", good.left(good.size() - 1), corpusExifDay());
    add(out, "end_marker_twice", good + QByteArray("\xFF\xD9", 2), corpusExifDay());
    add(out, "a_megabyte_of_trailer", good + QByteArray(1 << 20, 'x'), corpusExifDay());
    add(out, "second_picture_after_the_end", good + good, corpusExifDay());
    // A progressive picture cut after each of its scans and inside one.
    const QByteArray progressive = withSegmentAfterSoi(encodeCoding(Coding(320, 240).progressive()),
                                                       sample::exifSegment({{0x0132, kStamp}}));
    const std::vector<qsizetype> ends = scanEnds(progressive);
    for (size_t i = 0; i + 1 < ends.size(); ++i)
        add(out, "progressive_cut_after_scan_" + std::to_string(i + 1), progressive.left(ends[i]),
            corpusExifDay());
    if (ends.size() > 2)
        add(out, "progressive_cut_inside_scan_2", progressive.left((ends[0] + ends[1]) / 2), corpusExifDay());
    return out;
}

std::vector<BadPicture> header()
{
    std::vector<BadPicture> out;
    const QByteArray good = goodPicture();
    const QByteArray plain = plainJpeg(320, 240);
    const QByteArray progressive = encodeCoding(Coding(320, 240).progressive());
    const Seg sof = firstSegment(plain, 0xC0);
    const Seg dqt = firstSegment(plain, 0xDB);
    const Seg dht = firstSegment(plain, 0xC4);
    const Seg sos = firstSegment(plain, 0xDA);
    const auto size = [](int w, int h) { return std::to_string(w) + "x" + std::to_string(h); };
    for (const auto &[w, h] : std::vector<std::pair<int, int>>{{65535, 65535},
                                                               {65535, 1},
                                                               {1, 65535},
                                                               {0, 240},
                                                               {320, 0},
                                                               {0, 0},
                                                               {20000, 20000},
                                                               {12000, 12000}})
        add(out, "baseline_claiming_" + size(w, h), claiming(plain, w, h));
    for (const auto &[w, h] :
         std::vector<std::pair<int, int>>{{65535, 65535}, {20000, 20000}, {16000, 16000}, {8000, 8000}})
        add(out, "progressive_claiming_" + size(w, h), claiming(progressive, w, h));
    // The frame header's fields.
    add(out, "frame_with_no_components", replaced(plain, sof.offset + 9, QByteArray(1, '\0')));
    add(out, "frame_with_255_components", replaced(plain, sof.offset + 9, QByteArray(1, char(255))));
    add(out, "sampling_factor_0", replaced(plain, sof.offset + 11, QByteArray(1, '\0')));
    add(out, "sampling_factor_5x5", replaced(plain, sof.offset + 11, QByteArray(1, char(0x55))));
    add(out, "quantisation_table_9", replaced(plain, sof.offset + 12, QByteArray(1, char(9))));
    add(out, "component_ids_equal", replaced(plain, sof.offset + 13, QByteArray(1, plain[sof.offset + 10])));
    add(out, "frame_length_0", replaced(plain, sof.offset + 2, be16(0)));
    add(out, "frame_length_past_the_end", replaced(plain, sof.offset + 2, be16(0xFFFF)));
    add(out, "two_frame_headers",
        plain.left(sos.offset) + plain.mid(sof.offset, sof.size) + plain.mid(sos.offset));
    add(out, "no_frame_header", plain.left(sof.offset) + plain.mid(sof.offset + sof.size));
    add(out, "scan_before_frame",
        plain.left(sof.offset) + plain.mid(sof.offset + sof.size, sos.offset - sof.offset - sof.size)
            + plain.mid(sos.offset, sos.size) + plain.mid(sof.offset, sof.size) + plain.mid(sos.offset));
    // Tables.
    add(out, "no_quantisation_table", plain.left(dqt.offset) + plain.mid(dqt.offset + dqt.size));
    add(out, "no_huffman_tables", [&] {
        QByteArray b = plain;
        for (Seg s = firstSegment(b, 0xC4); s.offset >= 0; s = firstSegment(b, 0xC4))
            b.remove(s.offset, s.size);
        return b;
    }());
    add(out, "quantisation_table_of_zeros", replaced(plain, dqt.offset + 5, QByteArray(64, '\0')));
    add(out, "huffman_counts_over_256", replaced(plain, dht.offset + 5, QByteArray(16, char(0xFF))));
    add(out, "huffman_class_7", replaced(plain, dht.offset + 4, QByteArray(1, char(0x70))));
    add(out, "table_length_1", replaced(plain, dqt.offset + 2, be16(1)));
    // The scan header.
    add(out, "scan_with_no_components", replaced(plain, sos.offset + 4, QByteArray(1, '\0')));
    add(out, "scan_with_9_components", replaced(plain, sos.offset + 4, QByteArray(1, char(9))));
    add(out, "scan_of_an_unknown_component", replaced(plain, sos.offset + 5, QByteArray(1, char(77))));
    add(out, "scan_spectral_range_reversed",
        replaced(plain, sos.offset + sos.size - 3, QByteArray("\x3F\x00", 2)));
    // Markers where they make no sense, many segments, long ones.
    add(out, "restart_interval_1_without_restarts", withSegmentAfterSoi(plain, segment(0xDD, be16(1))));
    add(out, "restart_interval_0", withSegmentAfterSoi(plain, segment(0xDD, be16(0))));
    add(out, "end_marker_after_SOI", QByteArray("\xFF\xD8\xFF\xD9", 4) + plain.mid(2));
    add(out, "SOI_twice", QByteArray("\xFF\xD8", 2) + plain);
    add(out, "reserved_marker_FF01", withSegmentAfterSoi(plain, QByteArray("\xFF\x01", 2)));
    add(out, "restart_marker_in_the_header", withSegmentAfterSoi(plain, QByteArray("\xFF\xD3", 2)));
    add(out, "10000_fill_bytes", withSegmentAfterSoi(plain, QByteArray(10000, char(0xFF))));
    add(out, "bytes_between_segments", withSegmentAfterSoi(plain, QByteArray(300, 'a')));
    QByteArray manyApp;
    for (int i = 0; i < 10000; ++i)
        manyApp += segment(0xE5, QByteArray("ab"));
    add(out, "10000_APP5_segments", withSegmentAfterSoi(good, manyApp), corpusExifDay());
    QByteArray manyComments;
    for (int i = 0; i < 2000; ++i)
        manyComments += segment(0xFE, QByteArray(30, 'c'));
    add(out, "2000_comment_segments", withSegmentAfterSoi(good, manyComments), corpusExifDay());
    add(out, "comment_of_65533_bytes", withSegmentAfterSoi(good, segment(0xFE, QByteArray(65533, 'c'))),
        corpusExifDay());
    add(out, "comment_of_invalid_UTF8",
        withSegmentAfterSoi(good, segment(0xFE, QByteArray("\xC0\xAF\xFF\xFE", 4))), corpusExifDay());
    add(out, "APP2_past_the_end", good.left(2) + QByteArray("\xFF\xE2\xFF\xF0", 4) + QByteArray(100, 'i'));
    add(out, "APP0_length_0", withSegmentAfterSoi(plain, QByteArray("\xFF\xE0\x00\x00", 4)));
    add(out, "define_number_of_lines_after_the_scan",
        plain.left(plain.size() - 2) + segment(0xDC, be16(240)) + "\xFF\xD9");
    add(out, "hierarchical_DHP_marker",
        withSegmentAfterSoi(plain, segment(0xDE, plain.mid(sof.offset + 4, sof.size - 4))));
    add(out, "expand_marker", withSegmentAfterSoi(plain, segment(0xDF, QByteArray(1, char(0x11)))));
    return out;
}

std::vector<BadPicture> coding()
{
    std::vector<BadPicture> out;
    const QByteArray plain = plainJpeg(320, 240);
    const auto coded = [](const Coding &c) { return encodeCoding(c); };
    add(out, "progressive", coded(Coding(320, 240).progressive()));
    add(out, "arithmetic", coded(Coding(320, 240).arithmetic()));
    add(out, "arithmetic_progressive", coded(Coding(320, 240).progressive().arithmetic()));
    add(out, "greyscale", coded(Coding(320, 240, 1, JCS_GRAYSCALE)));
    add(out, "greyscale_progressive", coded(Coding(320, 240, 1, JCS_GRAYSCALE).progressive()));
    add(out, "CMYK", coded(Coding(320, 240, 4, JCS_CMYK)));
    add(out, "YCCK", coded(Coding(320, 240, 4, JCS_CMYK).storedAs(JCS_YCCK)));
    add(out, "RGB_without_YCbCr", coded(Coding(320, 240).storedAs(JCS_RGB)));
    add(out, "two_components", coded(Coding(320, 240, 2, JCS_UNKNOWN)));
    add(out, "restart_every_block", coded(Coding(320, 240).restartEvery(1)));
    add(out, "sampling_4x1", coded(Coding(320, 240).sampled({{4, 1}, {1, 1}, {1, 1}})));
    add(out, "sampling_1x4_chroma_2x2", coded(Coding(320, 240).sampled({{1, 4}, {2, 2}, {1, 1}})));
    add(out, "one_pixel", coded(Coding(1, 1)));
    add(out, "one_row_of_60000", coded(Coding(60000, 1)));
    add(out, "one_column_of_60000", coded(Coding(1, 60000)));
    // Codings this libjpeg does not decode: the frame header says so.
    add(out, "12_bit_extended", frameMarked(plain, 0xC1, 12));
    add(out, "16_bit_precision", frameMarked(plain, 0xC1, 16));
    add(out, "precision_0", frameMarked(plain, 0xC0, 0));
    for (uchar sof : {0xC3, 0xC5, 0xC6, 0xC7, 0xCB, 0xCD, 0xCE, 0xCF})
        add(out, "frame_marker_" + QByteArray::number(sof, 16).toUpper().toStdString(),
            frameMarked(plain, sof));
    add(out, "12_bit_arithmetic", frameMarked(coded(Coding(320, 240).arithmetic()), 0xC9, 12));
    // Thousands of scans: each one is a pass over the whole picture.
    add(out, "progressive_with_3000_scans_1024x768",
        withScansRepeated(coded(Coding(1024, 768).progressive().flat()), 3000));
    add(out, "progressive_with_5000_scans_2048x1536",
        withScansRepeated(coded(Coding(2048, 1536).progressive().flat()), 5000));
    add(out, "arithmetic_with_3000_scans_1024x768",
        withScansRepeated(coded(Coding(1024, 768).progressive().arithmetic().flat()), 3000));
    add(out, "baseline_with_1000_scans", withScansRepeated(plain, 1000));
    return out;
}

std::vector<BadPicture> exif()
{
    std::vector<BadPicture> out;
    const QDate day = corpusExifDay();
    // Date-time texts.
    // Texts whose year, month and day places still hold the day are read as it.
    const std::vector<std::pair<std::string, QByteArray>> readable{
        {"hour_25", dateText(QStringLiteral("2009:05:12 25:03:27"))},
        {"signs_in_the_month", dateText(QStringLiteral("2009:+5:12 14:03:27"))},
        {"date_only", dateText(QStringLiteral("2009:05:12"))},
        {"no_terminator", QByteArray("2009:05:12 14:03:27")},
        {"Shift_JIS_lead_byte_at_the_end", QByteArray("2009:05:12 14:03:2\x82", 20)},
        {"UTF8_full_width", QStringLiteral("２００９：０５：１２").toUtf8() + '\0'},
    };
    for (const auto &[name, raw] : readable)
        add(out, "DateTime_" + name, exifPicture(dateBlock(raw)), day);
    const std::vector<std::pair<std::string, QByteArray>> dates{
        {"zeros", dateText(QStringLiteral("0000:00:00 00:00:00"))},
        {"blanks", dateText(QStringLiteral("    :  :     :  :  "))},
        {"empty", QByteArray(1, '\0')},
        {"month_13", dateText(QStringLiteral("2009:13:12 14:03:27"))},
        {"day_32", dateText(QStringLiteral("2009:05:32 14:03:27"))},
        {"february_30", dateText(QStringLiteral("2009:02:30 14:03:27"))},
        {"year_10000", dateText(QStringLiteral("10000:05:12 14:03:27"))},
        {"year_99", dateText(QStringLiteral("0099:05:12 14:03:27"))},
        {"negative_year", dateText(QStringLiteral("-009:05:12 14:03:27"))},
        {"short_fields", dateText(QStringLiteral("2009:5:12 4:3:27"))},
        {"leading_blank", dateText(QStringLiteral(" 2009:05:12 14:03:27"))},
        {"NUL_inside", QByteArray("2009:05\0:12 14:03:27", 20)},
        {"Shift_JIS", cp932(QStringLiteral("２００９年５月１２日")) + '\0'},
        {"control_characters", QByteArray("\x01\x02\x03\x04:\x05\x06:\x07\x08 \x1b[2J\r\n\t\x7f", 20)},
        {"10000_characters", QByteArray(10000, '9') + '\0'},
        {"high_bytes", QByteArray(19, char(0xE9)) + '\0'},
    };
    for (const auto &[name, raw] : dates)
        add(out, "DateTime_" + name, exifPicture(dateBlock(raw)));
    add(out, "DateTime_with_dashes", exifPicture(dateBlock(dateText(QStringLiteral("2009-05-12 14:03:27")))),
        day);
    add(out, "DateTime_count_0", exifPicture(dateBlock(dateText(kStamp), 2, 0u)), day);
    add(out, "DateTime_count_4G", exifPicture(dateBlock(dateText(kStamp), 2, 0xFFFFFFFFu)), day);
    add(out, "DateTime_count_past_the_end", exifPicture(dateBlock(dateText(kStamp), 2, 100000u)), day);
    add(out, "DateTime_as_SHORT", exifPicture(dateBlock(dateText(kStamp), 3, 10u)));
    add(out, "DateTime_as_UNDEFINED", exifPicture(dateBlock(dateText(kStamp), 7)), day);
    add(out, "DateTime_as_RATIONAL", exifPicture(dateBlock(dateText(kStamp), 5, 2u)));
    add(out, "DateTime_of_type_0", exifPicture(dateBlock(dateText(kStamp), 0)));
    add(out, "DateTime_of_type_99", exifPicture(dateBlock(dateText(kStamp), 99)));
    // The structure.
    const auto shaped = [&](const std::string &name, const std::function<void(Layout &)> &shape,
                            std::optional<QDate> found = std::nullopt) {
        add(out, name, exifPicture(shapedBlock(shape)), found);
    };
    shaped(
        "intact", [](Layout &) {}, day);
    shaped(
        "IFD0_next_is_IFD0", [](Layout &l) { l.tiff.setLong(l.ifd0.nextAt, l.ifd0.offset); }, day);
    shaped(
        "IFD0_next_is_the_Exif_IFD", [](Layout &l) { l.tiff.setLong(l.ifd0.nextAt, l.exif.offset); }, day);
    shaped(
        "Exif_IFD_is_IFD0", [](Layout &l) { l.tiff.setLong(l.ifd0.valueAt.at(0x8769), l.ifd0.offset); }, day);
    shaped(
        "Interop_IFD_is_the_Exif_IFD",
        [](Layout &l) { l.tiff.setLong(l.exif.valueAt.at(0xA005), l.exif.offset); }, day);
    shaped(
        "Interop_IFD_is_IFD0", [](Layout &l) { l.tiff.setLong(l.exif.valueAt.at(0xA005), l.ifd0.offset); },
        day);
    shaped(
        "IFD1_loops_to_itself",
        [](Layout &l) {
            const auto ifd1 = l.tiff.appendIfd({l.tiff.longs(0x0201, {0}), l.tiff.longs(0x0202, {0})});
            l.tiff.setLong(l.ifd0.nextAt, ifd1.offset);
            l.tiff.setLong(ifd1.nextAt, ifd1.offset);
        },
        day);
    shaped(
        "IFD_chain_of_500",
        [](Layout &l) {
            quint32 previous = l.ifd0.nextAt;
            for (int i = 0; i < 500; ++i) {
                const auto next = l.tiff.appendIfd({l.tiff.shorts(0x0103, {6})});
                l.tiff.setLong(previous, next.offset);
                previous = next.nextAt;
            }
        },
        day);
    shaped(
        "Exif_IFD_past_the_end", [](Layout &l) { l.tiff.setLong(l.ifd0.valueAt.at(0x8769), 0x7FFFFFF0); },
        day);
    shaped(
        "Exif_IFD_at_4G_minus_2", [](Layout &l) { l.tiff.setLong(l.ifd0.valueAt.at(0x8769), 0xFFFFFFFE); },
        day);
    shaped("IFD0_past_the_end", [](Layout &l) { l.tiff.setLong(4, 0x00100000); });
    shaped("IFD0_at_0", [](Layout &l) { l.tiff.setLong(4, 0); });
    shaped("IFD0_inside_the_header", [](Layout &l) { l.tiff.setLong(4, 2); });
    shaped("IFD0_with_65535_entries", [](Layout &l) { l.tiff.overwrite(l.ifd0.offset, l.tiff.u16(0xFFFF)); });
    shaped("IFD0_with_no_entries", [](Layout &l) { l.tiff.overwrite(l.ifd0.offset, l.tiff.u16(0)); });
    shaped(
        "DateTime_value_past_the_end",
        [](Layout &l) { l.tiff.setLong(entryValueField(l.ifd0.offset, 1), 0x7FFFFFF0); }, day);
    shaped(
        "DateTime_value_inside_the_header",
        [](Layout &l) { l.tiff.setLong(entryValueField(l.ifd0.offset, 1), 1); }, day);
    shaped(
        "thumbnail_past_the_end",
        [](Layout &l) {
            const auto ifd1 =
                l.tiff.appendIfd({l.tiff.longs(0x0201, {0x7FFFFFF0}), l.tiff.longs(0x0202, {4096})});
            l.tiff.setLong(l.ifd0.nextAt, ifd1.offset);
        },
        day);
    shaped(
        "thumbnail_length_4G",
        [](Layout &l) {
            const auto ifd1 =
                l.tiff.appendIfd({l.tiff.longs(0x0201, {8}), l.tiff.longs(0x0202, {0xFFFFFFFF})});
            l.tiff.setLong(l.ifd0.nextAt, ifd1.offset);
        },
        day);
    shaped(
        "thumbnail_of_broken_JPEG",
        [](Layout &l) {
            const quint32 at = l.tiff.append(QByteArray("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF", 11));
            const auto ifd1 = l.tiff.appendIfd({l.tiff.longs(0x0201, {at}), l.tiff.longs(0x0202, {11})});
            l.tiff.setLong(l.ifd0.nextAt, ifd1.offset);
        },
        day);
    QByteArray noise(600, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 37) ^ 0xA5);
    add(out, "maker_note_of_noise", exifPicture(makerNoteBlock(QStringLiteral("Tolvarine"), noise)), day);
    // A Nikon note whose inner IFD is its own next IFD, and a Canon one whose
    // entry count runs far past it.
    add(out, "Nikon_maker_note_looping",
        exifPicture(makerNoteBlock(QStringLiteral("NIKON CORPORATION"),
                                   QByteArray::fromHex("4e696b6f6e000210000"
                                                       "04d4d002a0000000800010001000700"
                                                       "0000040000000800000008"))),
        day);
    add(out, "Canon_maker_note_count_huge",
        exifPicture(
            makerNoteBlock(QStringLiteral("Canon"), QByteArray::fromHex("ffff00010002ffffffff00000000"))),
        day);
    add(out, "Olympus_maker_note_cut",
        exifPicture(makerNoteBlock(QStringLiteral("OLYMPUS IMAGING CORP."),
                                   QByteArray("OLYMPUS\0II\x03\0\xFF\xFF", 14))),
        day);
    // The block's header.
    add(out, "Exif_id_only", withSegmentAfterSoi(plainJpeg(), segment(0xE1, QByteArray("Exif\0\0", 6))));
    add(out, "Exif_cut_in_the_TIFF_header",
        withSegmentAfterSoi(plainJpeg(), segment(0xE1, QByteArray("Exif\0\0II*\0", 10))));
    add(out, "Exif_byte_order_XX", exifPicture(replaced(shapedBlock([](Layout &) {}), 0, "XX")));
    add(out, "Exif_magic_43", exifPicture(replaced(shapedBlock([](Layout &) {}), 2, QByteArray("\0+", 2))));
    add(out, "Exif_without_its_padding",
        withSegmentAfterSoi(plainJpeg(), segment(0xE1, "Exif" + shapedBlock([](Layout &) {}))));
    add(out, "two_Exif_blocks_first_broken",
        withSegmentAfterSoi(exifPicture(shapedBlock([](Layout &) {})),
                            segment(0xE1, QByteArray("Exif\0\0MM\0*\xFF\xFF\xFF\xFF", 14))));
    add(out, "Exif_after_the_picture_data", plainJpeg() + sample::exifApp1(shapedBlock([](Layout &) {})));
    // Over 64 KiB: the length field wraps, or the block goes on in a second segment.
    const QByteArray big = shapedBlock([](Layout &l) { l.tiff.append(QByteArray(70000, 'x')); });
    add(out, "APP1_over_64K_length_wrapped", withSegmentAfterSoi(plainJpeg(), sample::exifApp1(big)), day);
    add(out, "APP1_over_64K_in_two_segments",
        withSegmentAfterSoi(plainJpeg(),
                            segment(0xE1, "Exif\0\0" + big.left(65000)) + segment(0xE1, big.mid(65000))),
        day);
    add(out, "APP1_of_65535_with_DateTime_beyond_it",
        exifPicture(shapedBlock([](Layout &l) {
                        const quint32 at = l.tiff.append(QByteArray(65600, 'y'));
                        l.tiff.setLong(entryValueField(l.ifd0.offset, 1), at + 65000);
                    }).left(65527)));
    // Other metadata blocks beside a good Exif block.
    const QByteArray good = goodPicture();
    add(out, "XMP_unclosed",
        withSegmentAfterSoi(good, segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
                                                    + "<x:xmpmeta><rdf:RDF><rdf:Description>"
                                                    + QByteArray(3000, '<'))),
        day);
    add(out, "XMP_entity_expansion",
        withSegmentAfterSoi(
            good, segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
                                    + "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">"
                                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
                                      "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
                                      "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><x>&d;&d;&d;</x>")),
        day);
    add(out, "Photoshop_IPTC_noise",
        withSegmentAfterSoi(good,
                            segment(0xED, QByteArray("Photoshop 3.0\08BIM\x04\x04\0\0\xFF\xFF\xFF\xFF", 26))),
        day);
    add(out, "ICC_profile_noise",
        withSegmentAfterSoi(
            good, segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + QByteArray(200, char(0xEE)))),
        day);
    return out;
}

std::vector<BadPicture> mutated()
{
    std::vector<BadPicture> out;
    const QByteArray good = goodPicture();
    const qsizetype scan = firstSegment(good, 0xDA).offset;
    // Every ninth byte of the segments before the picture data, overwritten by
    // FF, 00 or its own complement in turn; then places in the picture data.
    int k = 0;
    for (qsizetype at = 2; at < scan + 14; at += 9, ++k) {
        const char by = k % 3 == 0 ? char(0xFF) : k % 3 == 1 ? char(0) : char(~good[at]);
        add(out,
            "byte_" + std::to_string(at)
                + (k % 3 == 0   ? "_FF"
                   : k % 3 == 1 ? "_00"
                                : "_inverted"),
            replaced(good, at, QByteArray(1, by)), corpusExifDay());
    }
    for (int i = 1; i <= 20; ++i) {
        const qsizetype at = scan + 14 + (good.size() - scan - 16) * i / 21;
        add(out, "picture_data_byte_" + std::to_string(at) + (i % 2 ? "_FF" : "_inverted"),
            replaced(good, at, QByteArray(1, i % 2 ? char(0xFF) : char(~good[at]))), corpusExifDay());
    }
    return out;
}

} // namespace

const char *faultName(PictureFault fault)
{
    switch (fault) {
    case PictureFault::NotJpeg:
        return "NotJpeg";
    case PictureFault::CutShort:
        return "CutShort";
    case PictureFault::Header:
        return "Header";
    case PictureFault::Coding:
        return "Coding";
    case PictureFault::Exif:
        return "Exif";
    case PictureFault::Mutated:
        return "Mutated";
    }
    return "?";
}

QDate corpusExifDay() { return QDate(2009, 5, 12); }

QByteArray goodPicture()
{
    static const QByteArray picture = encodeJpegWithExif(makeGradientImage(160, 120), kStamp);
    return picture;
}

std::vector<BadPicture> badPictures(PictureFault fault)
{
    switch (fault) {
    case PictureFault::NotJpeg:
        return notJpeg();
    case PictureFault::CutShort:
        return cutShort();
    case PictureFault::Header:
        return header();
    case PictureFault::Coding:
        return coding();
    case PictureFault::Exif:
        return exif();
    case PictureFault::Mutated:
        return mutated();
    }
    return {};
}

std::vector<BadText> badTexts(TextKind kind)
{
    const QString name = QStringLiteral("歯科 太郎");
    const bool ini = kind == TextKind::ClinicIni;
    // The text as the file holds it: the name file's one line, or the clinic's section.
    const auto body = [&](const QString &value, const QString &eol = QStringLiteral("\r\n")) {
        return ini ? QStringLiteral("[Clinic]") + eol + QStringLiteral("Name=") + value + eol
                         + QStringLiteral("Size=12") + eol
                   : value + eol;
    };
    const auto utf16 = [](const QString &text, bool bigEndian, bool bom) {
        QStringEncoder encoder(bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE,
                               bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return QByteArray(encoder.encode(text));
    };
    const QString nothing = ini ? QStringLiteral("Err") : QString();
    std::vector<BadText> out{
        {"Shift_JIS", cp932(body(name)), name},
        {"UTF8", body(name).toUtf8(), name},
        {"UTF8_with_BOM", "\xEF\xBB\xBF" + body(name).toUtf8(), name},
        {"UTF16LE_with_BOM", utf16(body(name), false, true), name},
        {"UTF16BE_with_BOM", utf16(body(name), true, true), name},
        {"UTF16LE_without_BOM", utf16(body(name), false, false), {}},
        {"BOM_then_Shift_JIS", "\xEF\xBB\xBF" + cp932(body(name)), {}},
        {"empty", {}, nothing},
        {"only_a_BOM", "\xEF\xBB\xBF", nothing},
        {"only_a_line_break", "\r\n", nothing},
        {"several_lines", cp932(body(name) + body(QStringLiteral("別人")) + QStringLiteral("三行目\r\n")),
         name},
        {"LF_only", cp932(body(name, QStringLiteral("\n"))), name},
        {"CR_only", cp932(body(name, QStringLiteral("\r"))), ini ? std::optional<QString>() : name},
        {"no_line_break", cp932(body(name, QStringLiteral(" "))).trimmed(), {}},
        {"half_width_katakana", cp932(body(QStringLiteral("ｼｶ ﾀﾛｳ"))), QStringLiteral("ｼｶ ﾀﾛｳ")},
        {"Shift_JIS_lead_byte_at_the_end", cp932(body(QStringLiteral("歯科"))).left(ini ? 18 : 3), {}},
        {"EUC_JP", QByteArray("\xBB\xF5\xB2\xCA \xC2\xC0\xCF\xBA\r\n"), {}},
        {"Latin1", QByteArray("M\xFCller\r\n"), {}},
        {"NUL_bytes", cp932(body(name)).replace(' ', '\0'), {}},
        {"control_characters", QByteArray("\x1b[2J\x07\x08\x7f\r\n"), {}},
        {"a_quote_left_open", cp932(body(QStringLiteral("\"歯科, 太郎"))), {}},
        {"blanks_only", cp932(body(QStringLiteral(" \t　 "))), {}},
        {"100K_line", cp932(body(QString(100000, QChar(u'歯')))), {}},
        {"10MB", cp932(body(name)) + QByteArray(10 * 1024 * 1024, 'x'), {}},
        {"10MB_single_line", QByteArray(10 * 1024 * 1024, 'y'), {}},
        // Found by fuzzing: a BOM inside the text, quoted alone, must read back after a write.
        {"quoted_BOM", body(QStringLiteral("\"\uFEFF\"歯科")).toUtf8(),
         ini ? std::optional<QString>() : QStringLiteral("\uFEFF")},
        {"UTF16_lone_surrogate_and_odd_byte", QByteArray::fromBase64("//5ZWQDf//9hjv////8ADWEACg=="),
         std::optional<QString>()},
        {"quote_left_open_before_a_blank", QByteArray("\xEF\xBB\xBF\"YYamada \r\nnakoma\n"),
         ini ? std::optional<QString>() : QStringLiteral("YYamada ")},
    };
    if (ini) {
        out.push_back({"no_Clinic_section", cp932(QStringLiteral("Name=歯科\r\n")), QStringLiteral("Err")});
        out.push_back({"section_twice", cp932(body(name) + body(QStringLiteral("別医院"))), name});
        out.push_back({"section_unclosed", cp932(QStringLiteral("[Clinic\r\nName=歯科\r\n")), {}});
        out.push_back({"key_without_equals", cp932(QStringLiteral("[Clinic]\r\nName\r\nSize=12\r\n")),
                       QStringLiteral("Err")});
        out.push_back(
            {"name_of_1000_characters", cp932(body(QString(1000, QChar(u'医')))), QString(31, QChar(u'医'))});
        out.push_back({"size_1e309_and_NaN",
                       cp932(QStringLiteral("[Clinic]\r\nName=歯科\r\nSize=1e309\r\nFont=nan\r\n")),
                       QStringLiteral("歯科")});
        out.push_back({"10000_sections", QByteArray("[A]\r\n").repeated(10000) + cp932(body(name)), name});
    }
    return out;
}

std::vector<OddName> oddNames()
{
    return {
        {"Shift_JIS_name", QByteArray("\x8E\xCA\x90\x5E.jpg")}, // 写真
        {"Latin1_name", QByteArray("photo_\xE9t\xE9.jpg")},
        {"lone_continuation_byte", QByteArray("\x80.jpg")},
        {"overlong_slash", QByteArray("a\xC0\xAF"
                                      "b.jpg")},
        {"encoded_surrogate", QByteArray("\xED\xA0\x80.jpg")},
        {"FF_FE", QByteArray("\xFF\xFE.jpg")},
        {"valid_then_cut_character", QByteArray("\xE5\x86\x99\xE7.jpg")},
        {"line_break_in_the_name", QByteArray("a\nb.jpg")},
        {"blanks_around", QByteArray("  a  .jpg")},
        {"backslash_and_colon", QByteArray("a\\b:c*.jpg")},
        {"starts_with_a_dash", QByteArray("-rf.jpg")},
        {"name_of_250_bytes", QByteArray(246, 'n') + ".jpg"},
        {"upper_case", QByteArray("UPPER.JPG")},
        {"double_extension", QByteArray("a.jpg.jpg")},
        {"looks_like_a_thumbnail", QByteArray("xsn.cmp.jpg")},
        {"FIFO", QByteArray("fifo.jpg"), OddKind::Fifo},
        {"link_to_dev_zero", QByteArray("zero.jpg"), OddKind::DevZeroLink},
        {"dangling_link", QByteArray("gone.jpg"), OddKind::DanglingLink},
        {"link_loop", QByteArray("loop.jpg"), OddKind::LinkLoop},
        {"folder", QByteArray("folder.jpg"), OddKind::Folder},
        {"link_to_a_picture", QByteArray("link.jpg"), OddKind::LinkToPicture},
    };
}

bool makeOddFile(const QByteArray &folder, const OddName &odd, const QByteArray &picture)
{
    const QByteArray path = folder + '/' + odd.nativeName;
    switch (odd.kind) {
    case OddKind::Regular:
    case OddKind::LinkToPicture: {
        const QByteArray target = odd.kind == OddKind::Regular ? path : folder + "/.target";
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, picture.constData(), size_t(picture.size())) == picture.size();
        ::close(fd);
        return written && (odd.kind == OddKind::Regular || ::symlink(".target", path.constData()) == 0);
    }
    case OddKind::Fifo:
        return ::mkfifo(path.constData(), 0644) == 0;
    case OddKind::DevZeroLink:
        return ::symlink("/dev/zero", path.constData()) == 0;
    case OddKind::DanglingLink:
        return ::symlink("nowhere.jpg", path.constData()) == 0;
    case OddKind::LinkLoop:
        return ::symlink(odd.nativeName.constData(), path.constData()) == 0;
    case OddKind::Folder:
        return ::mkdir(path.constData(), 0755) == 0;
    }
    return false;
}

} // namespace tolvarine::test
