#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace tolvarine {

// Reads a value from initialisation-file text the way the platform's profile API
// does: section and key without regard to case, the first of each that matches,
// the value trimmed and freed of one pair of surrounding quotes, lines starting
// with ';' ignored. A key that is not there gives defaultValue.
QString readProfileString(const QString &iniText, const QString &section, const QString &key,
                          const QString &defaultValue);

// The three values of "clinic.ini", each "Err" when its key is missing and at most
// 63 CP932 bytes long.
struct ClinicIni {
    QString ClinicName;
    QString ClinicFontSize;
    QString ClinicFontName;
};

inline constexpr int kClinicValueMaxBytes = 63;
inline constexpr int kClinicDesignFontSize = 12;

// Path of "clinic.ini" in folder (its name compared without regard to case), or an
// empty string when there is none.
QString clinicIniPath(const QString &folder);

// nullopt when folder holds no "clinic.ini". An unreadable file gives "Err" for all three.
std::optional<ClinicIni> readClinicIni(const QString &folder);
// The values from the bytes of a "clinic.ini".
ClinicIni clinicIniFromBytes(const QByteArray &bytes);

// A numeric size, rounded to the nearest integer (halves to even) and kept within
// 8..16; anything else keeps the design size.
int clinicFontPointSize(const QString &sizeText, int designSize = kClinicDesignFontSize);

} // namespace tolvarine
