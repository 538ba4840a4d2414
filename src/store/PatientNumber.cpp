#include "store/PatientNumber.h"

#include <cmath>

#include <QDir>
#include <QFileInfo>

#include "platform/NumberText.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

// The number box's notation: blanks may follow the sign, an exponent is allowed.
std::optional<QString> normalisedNumber(const QString &text) { return decimalNumberText(text, {true, true}); }

} // namespace

QString halfWidthNumber(const QString &typed)
{
    constexpr char16_t kIdeographicSpace = u'\u3000';
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(kIdeographicSpace); };
    QString text = typed;
    // Stray blanks around the number are no part of it: padded into the folder
    // name they would name a patient who never exists.
    while (!text.isEmpty() && isBlank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    for (QChar &c : text) {
        if (c >= QChar(u'０') && c <= QChar(u'９'))
            c = QChar(u'0' + (c.unicode() - u'０'));
        else if (c == QChar(kIdeographicSpace))
            c = QLatin1Char(' ');
    }
    return text;
}

bool isNumericText(const QString &text) { return normalisedNumber(text).has_value(); }

std::optional<double> numericValue(const QString &text)
{
    const std::optional<QString> number = normalisedNumber(text);
    if (!number)
        return std::nullopt;
    bool ok = false;
    const double value = number->toDouble(&ok);
    // An exponent too large for a double still is numeric text; it is just huge.
    if (!ok)
        return number->startsWith(QLatin1Char('-')) ? -HUGE_VAL : HUGE_VAL;
    return value;
}

std::optional<QString> folderPatientNumber(const QString &folder)
{
    const QString last = folder.right(kPatientNumberLength);
    const std::optional<double> value = numericValue(last);
    if (!value || *value < 0 || *value > 99999)
        return std::nullopt;
    return last;
}

bool isPatientFolder(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    const QString name = info.fileName();
    if (name.size() != kPatientNumberLength)
        return false;
    for (const QChar c : name) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return QFileInfo(info.path()).fileName() == name.left(kGroupLength);
}

PatientLookupResult lookUpPatient(const QString &typedAsIs, const QString &pictFolda)
{
    const QString typed = halfWidthNumber(typedAsIs);
    PatientLookupResult result;
    if (!isNumericText(typed)) {
        result.outcome = PatientLookup::NotNumeric;
        return result;
    }
    const std::optional<QString> krNo = padPatientNumber(typed);
    if (!krNo) {
        result.outcome = PatientLookup::Invalid;
        return result;
    }
    result.krNo = *krNo;
    if (pictFolda.isEmpty() || !QFileInfo(pictFolda).isDir()) {
        result.outcome = PatientLookup::NoPictureFolder;
        return result;
    }
    result.folder = patientFolder(pictFolda, *krNo);
    result.outcome = !result.folder.isEmpty() && QFileInfo(result.folder).isDir() ? PatientLookup::Found
                                                                                  : PatientLookup::NotFound;
    return result;
}

} // namespace tolvarine
