#include "browse/PatientNumber.h"

#include <cmath>

#include <QFileInfo>

#include "store/StorePaths.h"

namespace tolvarine {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The text rebuilt in the C locale's notation ("-1.5e3"), or nullopt.
std::optional<QString> normalisedNumber(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n && isBlank(text.at(i)))
            ++i;
    };
    QString out;
    skipBlanks();
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        out += text.at(i++);
        skipBlanks();
    }
    int digits = 0;
    while (i < n && isDigit(text.at(i))) {
        out += text.at(i++);
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        out += text.at(i++);
        while (i < n && isDigit(text.at(i))) {
            out += text.at(i++);
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && QStringLiteral("eEdD").contains(text.at(i))) {
        out += QLatin1Char('e');
        ++i;
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            out += text.at(i++);
        int exponentDigits = 0;
        while (i < n && isDigit(text.at(i))) {
            out += text.at(i++);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    skipBlanks();
    if (i != n)
        return std::nullopt;
    return out;
}

} // namespace

bool isNumericText(const QString &text)
{
    return normalisedNumber(text).has_value();
}

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

PatientLookupResult lookUpPatient(const QString &typed, const QString &pictFolda)
{
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
