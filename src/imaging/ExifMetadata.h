#pragma once

#include <map>
#include <optional>

#include <QByteArray>
#include <QSize>
#include <QString>

#include "platform/Outcome.h"

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

// The years a capture date may have: those of the calendar the stores were
// written with, 100 to 9999. A date outside them is neither read nor written.
bool isCaptureYear(int year);

// Whether text is a date-time as it is written: exactly "yyyy:mm:dd hh:mm:ss",
// digits where the form has them, a real day of a capture year, a real time.
bool isExifDateTime(const QString &text);

// Capture date-time of a JPEG file as stored ("yyyy:mm:dd hh:mm:ss"):
// Exif.Image.DateTime, else Exif.Photo.DateTimeOriginal, else
// Exif.Photo.DateTimeDigitized. Reads the file only up to the end of its Exif
// block (up to the picture data when it has none), or of a long block only as far
// as a valid Exif.Image.DateTime.
// Empty when the file is no JPEG, cannot be read or carries no date.
std::optional<QString> readExifDateTime(const QString &path);

// The same from JPEG bytes (a whole file or just its leading segments).
std::optional<QString> exifDateTime(const QByteArray &jpeg);

// Texts of every mapped slot the JPEG carries; slot 2 follows the date fallback
// of readExifDateTime.
Outcome readCommentTexts(const QByteArray &jpeg, CommentTexts &texts);

// Sets the mapped slots of texts in a whole JPEG file held in memory, touching as
// few bytes as it can: a date that replaces one of the same length is written
// over the old one's characters; otherwise only the Exif segment is replaced (or
// inserted), every other byte of the file copied as it was. A date that is not
// isExifDateTime is Invalid. Rebuilding the segment is Refused when Exiv2
// complained while reading the old one (what it could not read it would drop),
// and when the segment would change size while the file carries data after its
// picture, or its picture's end cannot be found for sure, since such data may be
// found by its offset. The result is checked before it is handed out (Unverified
// otherwise): every byte outside the Exif segment the same, every Exif item except
// those set decoding to the same value, none added, a maker note that Exiv2 did
// not read whole left byte for byte where it was, and the texts reading back.
// Unchanged, and rewritten left empty, when the texts are there.
Outcome rewriteMetadata(const QByteArray &jpeg, const CommentTexts &texts, QByteArray &rewritten);

// Puts the metadata found in source (a JPEG's leading segments, may be empty) into
// a freshly encoded JPEG of the given size, then the texts (a date that is not
// isExifDateTime is Invalid). The embedded preview, which shows the old picture,
// is dropped; the size tags follow the new picture.
Outcome carryMetadata(const QByteArray &source, const QByteArray &encoded, QSize size,
                      const CommentTexts &texts, QByteArray &result);

} // namespace tolvarine
