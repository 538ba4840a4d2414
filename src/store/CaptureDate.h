#pragma once

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>

namespace tolvarine {

class ImagingControl;

// The date a picture without any readable date is given.
QDateTime zeroDate();

// The calendar date in an Exif date-time text, looked for only at the year, month
// and day positions ("yyyy?mm?dd"); separators and the time of day are ignored.
std::optional<QDate> exifTextDate(const QString &exifDateTime);

// Last-modified time of a file, local, to the second. A file whose time cannot be
// read is reported in a message box and gives nullopt.
std::optional<QDateTime> funGetFileDate(const QString &strFileName);

// The Exif capture date at midnight, or the file date when the picture carries no
// usable date (the zero date when that fails too).
QDateTime funGetExifFileDate(ImagingControl &imgPrint, const QString &strFileName);

// The capture date as the setting FileHizuke chooses it, worked out without showing anything and without an imaging
// control, so that many pictures can be dated on several threads at once. The
// message a failed file-date read owes the user travels with the result; the
// caller shows it, in its own order, with reportDateFailure().
struct PictureDate {
    QDateTime date;
    QString failure; // text of the owed message; empty when none is owed
};
PictureDate pictureDate(const QString &fileName, int16_t fileHizuke);
void reportDateFailure(const PictureDate &dated);

// pictureDate() with its owed message shown at once.
QDateTime captureDate(const QString &fileName, int16_t fileHizuke);

// Rewrites the picture so that its Exif date-time holds datNewDate, carrying every
// other comment over. Reports nothing: a failure leaves the file as it was.
// Returns whether the file now carries the new date.
bool subWriteExifDate(ImagingControl &imgPrint, const QString &strTargetFile, const QDateTime &datNewDate);

// Sets last-write to datNewDate and last-access to now; reports a file it cannot
// open for writing, or a failed change, in a message box. Returns success.
bool subSetFileTime(const QString &strTargetFile, const QDateTime &datNewDate);

} // namespace tolvarine
