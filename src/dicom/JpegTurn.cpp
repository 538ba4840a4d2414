#include "dicom/JpegTurn.h"

#include <memory>

#include <QImage>
#include <QTransform>

#include <turbojpeg.h>

#include "imaging/JpegStructure.h"

namespace tolvarine {

namespace {

struct TjHandle {
    explicit TjHandle(tjhandle h) : handle(h) {}
    ~TjHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
    TjHandle(const TjHandle &) = delete;
    TjHandle &operator=(const TjHandle &) = delete;
    tjhandle handle;
};

struct TjBuffer {
    ~TjBuffer() { tjFree(data); }
    unsigned char *data = nullptr;
    unsigned long size = 0;
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)); }
};

const unsigned char *bytesOf(const QByteArray &jpeg)
{
    return reinterpret_cast<const unsigned char *>(jpeg.constData());
}

QString tjError(tjhandle handle) { return QString::fromLocal8Bit(tjGetErrorStr2(handle)); }

bool isStartOfFrame(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The lossless transform a code asks for; TJXOP_NONE for none.
int transformFor(PanelKind kind, int16_t code)
{
    switch (code) {
    case 1:
        return TJXOP_ROT180;
    case 2:
        return TJXOP_HFLIP;
    case 3:
        return TJXOP_VFLIP;
    case 4:
        return kind == PanelKind::Face ? TJXOP_ROT90 : TJXOP_NONE;
    case 5:
        return kind == PanelKind::Face ? TJXOP_ROT270 : TJXOP_NONE;
    default:
        return TJXOP_NONE;
    }
}

// The same turn on decoded pixels, for the pictures the transform cannot turn exactly.
QImage turned(const QImage &image, int op)
{
    switch (op) {
    case TJXOP_ROT180:
        return image.mirrored(true, true);
    case TJXOP_HFLIP:
        return image.mirrored(true, false);
    case TJXOP_VFLIP:
        return image.mirrored(false, true);
    case TJXOP_ROT90:
        return image.transformed(QTransform().rotate(90));
    case TJXOP_ROT270:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

Outcome lossless(const QByteArray &jpeg, int op, bool perfect, QByteArray &out)
{
    TjHandle tj(tjInitTransform());
    if (!tj.handle)
        return Outcome::failed(Status::Refused, QStringLiteral("no JPEG transform"));
    tjtransform transform{};
    transform.op = op;
    transform.options = perfect ? TJXOPT_PERFECT : 0;
    TjBuffer result;
    if (tjTransform(tj.handle, bytesOf(jpeg), static_cast<unsigned long>(jpeg.size()), 1, &result.data,
                    &result.size, &transform, 0)
        != 0)
        return Outcome::failed(Status::Damaged, tjError(tj.handle));
    out = result.bytes();
    return Outcome::done();
}

Outcome reencoded(const QByteArray &jpeg, int op, const JpegFrame &frame, QByteArray &out)
{
    TjHandle in(tjInitDecompress());
    int width = 0, height = 0, subsamp = 0, colourspace = 0;
    if (!in.handle
        || tjDecompressHeader3(in.handle, bytesOf(jpeg), static_cast<unsigned long>(jpeg.size()), &width,
                               &height, &subsamp, &colourspace)
               != 0)
        return Outcome::failed(Status::Damaged, in.handle ? tjError(in.handle) : QString());
    const bool grey = frame.colour == JpegFrame::Colour::Grey;
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        return Outcome::failed(Status::Refused, QStringLiteral("out of memory"));
    if (tjDecompress2(in.handle, bytesOf(jpeg), static_cast<unsigned long>(jpeg.size()), image.bits(), width,
                      int(image.bytesPerLine()), height, grey ? TJPF_GRAY : TJPF_RGB, TJFLAG_ACCURATEDCT)
        != 0)
        return Outcome::failed(Status::Damaged, tjError(in.handle));
    const QImage result = turned(image, op);
    TjHandle enc(tjInitCompress());
    TjBuffer encoded;
    if (!enc.handle
        || tjCompress2(enc.handle, result.constBits(), result.width(), int(result.bytesPerLine()),
                       result.height(), grey ? TJPF_GRAY : TJPF_RGB, &encoded.data, &encoded.size,
                       grey ? TJSAMP_GRAY : subsamp, kReencodeQuality, TJFLAG_ACCURATEDCT)
               != 0)
        return Outcome::failed(Status::Refused, enc.handle ? tjError(enc.handle) : QString());
    out = encoded.bytes();
    return Outcome::done();
}

} // namespace

std::optional<JpegFrame> readJpegFrame(const QByteArray &jpeg)
{
    JpegFrame frame;
    const auto *data = bytesOf(jpeg);
    for (const JpegSegment &segment : jpegSegments(jpeg)) {
        if (!isStartOfFrame(segment.marker) || segment.size < 10)
            continue;
        const qsizetype at = segment.offset + 4;
        frame.process = segment.marker;
        frame.precision = data[at];
        frame.height = (data[at + 1] << 8) | data[at + 2];
        frame.width = (data[at + 3] << 8) | data[at + 4];
        frame.components = data[at + 5];
        break;
    }
    if (frame.process == 0)
        return std::nullopt;
    TjHandle tj(tjInitDecompress());
    int width = 0, height = 0, subsamp = 0, colourspace = 0;
    if (!tj.handle
        || tjDecompressHeader3(tj.handle, data, static_cast<unsigned long>(jpeg.size()), &width, &height,
                               &subsamp, &colourspace)
               != 0)
        return std::nullopt;
    switch (colourspace) {
    case TJCS_GRAY:
        frame.colour = JpegFrame::Colour::Grey;
        break;
    case TJCS_YCbCr:
        frame.colour = JpegFrame::Colour::YCbCr;
        break;
    case TJCS_RGB:
        frame.colour = JpegFrame::Colour::Rgb;
        break;
    default:
        frame.colour = JpegFrame::Colour::Other;
        break;
    }
    frame.subsampled = subsamp != TJSAMP_444 && subsamp != TJSAMP_GRAY;
    return frame;
}

bool codeTurns(PanelKind kind, int16_t code) { return transformFor(kind, code) != TJXOP_NONE; }

bool codeMirrors(PanelKind kind, int16_t code)
{
    const int op = transformFor(kind, code);
    return op == TJXOP_HFLIP || op == TJXOP_VFLIP;
}

Outcome baselineJpeg(const QByteArray &jpeg, PanelKind kind, int16_t code, BaselineJpeg &out)
{
    if (!looksLikeJpeg(jpeg))
        return Outcome::failed(Status::NotJpeg);
    if (!jpegIsComplete(jpeg))
        return Outcome::failed(Status::Damaged, QStringLiteral("the picture is cut short"));
    const std::optional<JpegFrame> frame = readJpegFrame(jpeg);
    if (!frame)
        return Outcome::failed(Status::Damaged, QStringLiteral("no readable frame header"));
    if (frame->colour == JpegFrame::Colour::Other || frame->precision != 8)
        return Outcome::failed(Status::Refused, QStringLiteral("not an 8-bit grey or colour picture"));
    const int op = transformFor(kind, code);
    out = BaselineJpeg{};
    if (op == TJXOP_NONE && frame->baseline()) {
        out.jpeg = jpeg;
        out.frame = *frame;
        return Outcome::done();
    }
    QByteArray result;
    Outcome made = lossless(jpeg, op, true, result);
    out.change = JpegChange::Lossless;
    if (!made && op != TJXOP_NONE) {
        // Not exact: the edge blocks would stay unturned. Decoding needs a whole picture.
        made = reencoded(jpeg, op, *frame, result);
        out.change = JpegChange::Reencoded;
    }
    if (!made)
        return made;
    const std::optional<JpegFrame> after = readJpegFrame(result);
    if (!after || !after->baseline())
        return Outcome::failed(Status::Refused, QStringLiteral("cannot be made JPEG Baseline"));
    out.jpeg = result;
    out.frame = *after;
    return Outcome::done();
}

} // namespace tolvarine
