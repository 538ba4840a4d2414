#pragma once

#include <map>
#include <optional>

#include <QByteArray>
#include <QSize>
#include <QString>

namespace tolvarine {

// Exif metadata of JPEG files. The only place that talks to Exiv2: it works on
// memory buffers only, is handed nothing that does not start FF D8 FF, and every
// Exiv2 failure comes back as a value. Every function here may run on several
// threads at once.

// Comment slots that map onto Exif text tags, keyed by slot number. An empty
// text means "leave the tag as it is", never "delete it".
using CommentTexts = std::map<int, QString>;

// The Exif key a comment slot is written to, or nullptr when the slot stays in memory.
const char *exifKeyForSlot(int slot);

// Capture date-time of a JPEG file as stored ("yyyy:mm:dd hh:mm:ss"):
// Exif.Image.DateTime, else Exif.Photo.DateTimeOriginal, else
// Exif.Photo.DateTimeDigitized. Reads only the segments before the picture data.
// Empty when the file is no JPEG, cannot be read or carries no date.
std::optional<QString> readExifDateTime(const QString &path);

// The same from JPEG bytes (a whole file or just its leading segments).
std::optional<QString> exifDateTime(const QByteArray &jpeg);

// Texts of every mapped slot the JPEG carries; slot 2 follows the date fallback
// of readExifDateTime. Empty optional when the metadata cannot be read.
std::optional<CommentTexts> readCommentTexts(const QByteArray &jpeg, QString *error = nullptr);

struct MetadataResult {
    bool ok = false;
    bool changed = false; // false: the input already carried the texts, jpeg is empty
    QByteArray jpeg;      // the complete new file
    QString error;
};

// Sets the mapped slots of texts in a whole JPEG file held in memory and leaves
// everything else, the compressed picture above all, exactly as it was. The result
// is checked before it is returned: it parses, the texts read back, no metadata
// item of the input went missing and the picture data is byte for byte the same.
MetadataResult rewriteMetadata(const QByteArray &jpeg, const CommentTexts &texts);

// Puts the metadata found in source (a JPEG's leading segments, may be empty) into
// a freshly encoded JPEG of the given size, then the texts. The embedded preview,
// which shows the old picture, is dropped; the size tags follow the new picture.
MetadataResult carryMetadata(const QByteArray &source, const QByteArray &encoded, QSize size,
                             const CommentTexts &texts);

} // namespace tolvarine
