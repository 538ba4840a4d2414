#pragma once

#include <cstdint>
#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

class ImagingControl;

// The date a picture without any readable date is given.
QDateTime zeroDate();

// The calendar date in an Exif date-time text, looked for only at the year, month
// and day positions ("yyyy?mm?dd"); separators and the time of day are ignored.
std::optional<QDate> exifTextDate(const QString &exifDateTime);

// Last-modified time of a file, local, to the second. nullopt when it cannot be
// read; failure then holds the errno.
std::optional<QDateTime> readFileDate(const QString &fileName, Outcome *failure = nullptr);

// The Exif capture date at midnight, read through the imaging control, or the
// file date when the picture carries no usable date (the zero date when that
// fails too, with failure set).
QDateTime exifOrFileDate(ImagingControl &imgPrint, const QString &fileName, Outcome *failure = nullptr);

// The capture date as the setting FileHizuke chooses it, worked out without an
// imaging control, so that many pictures can be dated on several threads at once.
// A failed file-date read travels with the result for the caller to report, in
// its own order.
struct PictureDate {
    QDateTime date;
    Outcome failure; // ok when nothing went wrong
};
PictureDate pictureDate(const QString &fileName, int16_t fileHizuke);

// Rewrites the picture so that its Exif date-time holds the new date, carrying
// every other comment over. Invalid, before the file is read, for a date that
// cannot be written (no date, or a year outside the capture years). A failure
// leaves the file as it was.
Outcome writeExifDate(ImagingControl &imgPrint, const QString &targetFile, const QDateTime &newDate);

// Sets last-write to newDate and last-access to now. ReadOnly for a file that
// cannot be opened for writing (a read-only one always), WriteFailed when the
// change itself fails.
Outcome setFileTime(const QString &targetFile, const QDateTime &newDate);

} // namespace tolvarine
