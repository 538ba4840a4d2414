#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

namespace tolvarine {

// The TIFF structure inside an Exif block, read without any metadata library, so
// that a rewrite can be done in place and checked against the original bytes.
// Every offset is checked against the block; nothing here trusts the file.

enum class TiffIfd { Image, Photo, Gps, Interop, Thumbnail };

struct TiffEntry {
    TiffIfd ifd;
    quint16 tag;
    quint16 type;
    quint32 count;
    qsizetype entryOffset; // of the 12-byte entry, from the start of the TIFF header
    qsizetype valueOffset; // of the value bytes, inline or not; -1 when outside the block
    qsizetype valueSize;   // count times the size of the type; -1 for an unknown type
};

struct TiffLayout {
    bool littleEndian = false;
    std::vector<TiffEntry> entries; // in the order found
};

// Walks IFD0, the Exif, GPS and interoperability sub-IFDs and IFD1. Empty when the
// header or IFD0 is unreadable; a sub-IFD that is unreadable is left out.
std::optional<TiffLayout> readTiffLayout(QByteArrayView tiff);

// The first entry of that IFD with that tag, or nullptr.
const TiffEntry *findTiffEntry(const TiffLayout &layout, TiffIfd ifd, quint16 tag);

inline constexpr quint16 kTiffAscii = 2;
inline constexpr quint16 kTagDateTime = 0x0132;
inline constexpr quint16 kTagMakerNote = 0x927C;

// Whether the entry points at other data whose place a rewrite may change: the
// sub-IFD pointers and the thumbnail offset.
bool isTiffPointer(const TiffEntry &entry);

// Offset and length of IFD1's JPEG thumbnail, when both are there and inside the block.
std::optional<std::pair<qsizetype, qsizetype>> tiffThumbnail(QByteArrayView tiff, const TiffLayout &layout);

} // namespace tolvarine
