#pragma once

#include <optional>

#include <QString>

namespace tolvarine {

// The number as typed, in ASCII: blanks around it (ASCII or ideographic) are
// dropped, full-width digits become 0-9 and an ideographic blank inside becomes a
// blank. Nothing else changes.
QString halfWidthNumber(const QString &typed);

// Whether text reads as a decimal number the way the original number box accepted
// it: blanks around it, an optional sign (blanks may follow it), digits with at
// most one decimal point and at least one digit, and an optional exponent ("e" or
// "d", any case, optional sign, at least one digit). Empty text is no number.
// Hexadecimal and octal literals ("&H10", "&O17"), currency signs and thousands
// separators are refused: the box takes patient numbers, and such text could
// never name a patient folder anyway.
bool isNumericText(const QString &text);

// The value of numeric text; nullopt when isNumericText() refuses it.
std::optional<double> numericValue(const QString &text);

// The patient number a listed folder shows in the number box: the folder's last
// five characters, when they read as a number from 0 to 99999.
std::optional<QString> folderPatientNumber(const QString &folder);

// Whether a folder is laid out as a patient folder of the store: named by a
// five-digit patient number inside the group folder named by its first three.
bool isPatientFolder(const QString &folder);

// What committing a typed patient number finds, in the order of its checks.
enum class PatientLookup { NotNumeric, Invalid, NoPictureFolder, NotFound, Found };

struct PatientLookupResult {
    PatientLookup outcome = PatientLookup::NotNumeric;
    QString krNo;   // the five-character number: set for NoPictureFolder, NotFound and Found
    QString folder; // the patient folder: set for NotFound and Found
};

// Checks a typed number in the order the number box always has, after reading
// full-width digits as ASCII ones.
PatientLookupResult lookUpPatient(const QString &typed, const QString &pictFolda);

} // namespace tolvarine
