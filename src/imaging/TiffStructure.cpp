#include "imaging/TiffStructure.h"

#include <set>

namespace tolvarine {

namespace {

constexpr quint16 kTagExifIfd = 0x8769;
constexpr quint16 kTagGpsIfd = 0x8825;
constexpr quint16 kTagInteropIfd = 0xA005;
constexpr quint16 kTagThumbnailOffset = 0x0201;
constexpr quint16 kTagThumbnailLength = 0x0202;
constexpr quint16 kTagStripOffsets = 0x0111;
constexpr quint16 kTagSubIfds = 0x014A;

int typeSize(quint16 type)
{
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7: // BYTE, ASCII, SBYTE, UNDEFINED
        return 1;
    case 3:
    case 8: // SHORT, SSHORT
        return 2;
    case 4:
    case 9:
    case 11:
    case 13: // LONG, SLONG, FLOAT, IFD
        return 4;
    case 5:
    case 10:
    case 12: // RATIONAL, SRATIONAL, DOUBLE
        return 8;
    default:
        return -1;
    }
}

class Reader {
public:
    Reader(QByteArrayView data, bool littleEndian) : data_(data), le_(littleEndian) {}

    bool has(qsizetype at, qsizetype size) const { return at >= 0 && size >= 0 && at <= data_.size() - size; }

    quint16 u16(qsizetype at) const
    {
        const auto b0 = uchar(data_[at]), b1 = uchar(data_[at + 1]);
        return le_ ? quint16(b0 | b1 << 8) : quint16(b0 << 8 | b1);
    }

    quint32 u32(qsizetype at) const
    {
        const quint32 a = u16(at), b = u16(at + 2);
        return le_ ? (b << 16 | a) : (a << 16 | b);
    }

private:
    QByteArrayView data_;
    bool le_;
};

// Reads one IFD into layout; false when its entry table does not fit the block.
bool readIfd(const Reader &in, qsizetype offset, TiffIfd ifd, TiffLayout &layout, quint32 *next)
{
    if (!in.has(offset, 2))
        return false;
    const int count = in.u16(offset);
    if (!in.has(offset + 2, qsizetype(count) * 12 + (next ? 4 : 0)))
        return false;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = offset + 2 + qsizetype(i) * 12;
        TiffEntry e{ifd, in.u16(at), in.u16(at + 2), in.u32(at + 4), at, -1, -1};
        const int unit = typeSize(e.type);
        if (unit > 0) {
            e.valueSize = qsizetype(e.count) * unit;
            const qsizetype valueAt = e.valueSize <= 4 ? at + 8 : qsizetype(in.u32(at + 8));
            if (in.has(valueAt, e.valueSize))
                e.valueOffset = valueAt;
        }
        layout.entries.push_back(e);
    }
    if (next)
        *next = in.u32(offset + 2 + qsizetype(count) * 12);
    return true;
}

// The value as unsigned number (SHORT or LONG, first element), nullopt otherwise.
std::optional<quint32> tiffNumber(QByteArrayView tiff, const TiffLayout &layout, const TiffEntry &entry)
{
    if (entry.valueOffset < 0 || entry.count < 1)
        return std::nullopt;
    const Reader in(tiff, layout.littleEndian);
    if (entry.type == 3)
        return in.u16(entry.valueOffset);
    if (entry.type == 4 || entry.type == 13)
        return in.u32(entry.valueOffset);
    return std::nullopt;
}

} // namespace

std::optional<TiffLayout> readTiffLayout(QByteArrayView tiff)
{
    if (tiff.size() < 8)
        return std::nullopt;
    TiffLayout layout;
    if (tiff.startsWith(QByteArrayView("II*\0", 4)))
        layout.littleEndian = true;
    else if (!tiff.startsWith(QByteArrayView("MM\0*", 4)))
        return std::nullopt;
    const Reader in(tiff, layout.littleEndian);

    quint32 ifd1 = 0;
    const qsizetype ifd0 = in.u32(4);
    if (!readIfd(in, ifd0, TiffIfd::Image, layout, &ifd1))
        return std::nullopt;

    // Sub-IFDs may point anywhere, also back at one already read.
    std::set<qsizetype> seen{ifd0};
    const auto follow = [&](TiffIfd from, quint16 tag, TiffIfd to, bool hasNext) {
        const TiffEntry *pointer = findTiffEntry(layout, from, tag);
        if (!pointer || pointer->valueOffset < 0 || (pointer->type != 4 && pointer->type != 13))
            return;
        const qsizetype at = in.u32(pointer->valueOffset);
        if (seen.insert(at).second) {
            quint32 ignored = 0;
            TiffLayout sub;
            if (readIfd(in, at, to, sub, hasNext ? &ignored : nullptr))
                layout.entries.insert(layout.entries.end(), sub.entries.begin(), sub.entries.end());
        }
    };
    follow(TiffIfd::Image, kTagExifIfd, TiffIfd::Photo, false);
    follow(TiffIfd::Image, kTagGpsIfd, TiffIfd::Gps, false);
    follow(TiffIfd::Photo, kTagInteropIfd, TiffIfd::Interop, false);
    if (ifd1 != 0 && seen.insert(ifd1).second) {
        quint32 ignored = 0;
        TiffLayout sub;
        if (readIfd(in, ifd1, TiffIfd::Thumbnail, sub, &ignored))
            layout.entries.insert(layout.entries.end(), sub.entries.begin(), sub.entries.end());
    }
    return layout;
}

const TiffEntry *findTiffEntry(const TiffLayout &layout, TiffIfd ifd, quint16 tag)
{
    for (const TiffEntry &e : layout.entries) {
        if (e.ifd == ifd && e.tag == tag)
            return &e;
    }
    return nullptr;
}

bool isTiffPointer(const TiffEntry &entry)
{
    switch (entry.tag) {
    case kTagExifIfd:
    case kTagGpsIfd:
    case kTagInteropIfd:
    case kTagThumbnailOffset:
    case kTagStripOffsets:
    case kTagSubIfds:
        return true;
    default:
        return false;
    }
}

std::optional<std::pair<qsizetype, qsizetype>> tiffThumbnail(QByteArrayView tiff, const TiffLayout &layout)
{
    const TiffEntry *offset = findTiffEntry(layout, TiffIfd::Thumbnail, kTagThumbnailOffset);
    const TiffEntry *length = findTiffEntry(layout, TiffIfd::Thumbnail, kTagThumbnailLength);
    if (!offset || !length)
        return std::nullopt;
    const auto at = tiffNumber(tiff, layout, *offset);
    const auto size = tiffNumber(tiff, layout, *length);
    if (!at || !size || !Reader(tiff, layout.littleEndian).has(qsizetype(*at), qsizetype(*size)))
        return std::nullopt;
    return std::make_pair(qsizetype(*at), qsizetype(*size));
}

} // namespace tolvarine
