#pragma once

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>

namespace tolvarine {

// A visit date: "yyyy/mm/dd" with a four-digit year and two-digit month and day.
QString visitDateText(const QDate &date);
QString visitDateText(const QDateTime &dateTime);

// Reads a visit date back; nullopt for text that is not a real calendar date.
// One-digit months and days are accepted as well.
std::optional<QDate> parseVisitDate(const QString &text);

// The first free blank picture name in a folder: "nopic.jpg", then "nopic1.jpg",
// "nopic2.jpg" and so on. Any entry whose name matches ignoring case is taken.
QString nextBlankPictureName(const QString &folder);

// Names given by the display-order renaming; numbers count from 1.
QString orderedOralName(const QString &prefix, int number);
QString orderedFaceName(const QString &prefix, int number);

// The date prefix of the renaming: "yyyymmdd-".
QString datePrefix(const QDate &date);
// The prefix offered for the current visit date, or for today when that is not a
// valid visit date.
QString offeredDatePrefix(const QString &visitDate, const QDate &today);

// The picture's new path under a new name in the same folder. The folder part ends
// at the last "/" found searching back from four characters before the end; empty
// when there is none (no picture at that position).
QString renamedPicturePath(const QString &picturePath, const QString &newName);

} // namespace tolvarine
