#include "settings/SettingsText.h"

#include <cmath>
#include <limits>

#include <QByteArray>
#include <QLocale>
#include <QStringList>

#include "platform/NumberText.h"

namespace tolvarine {

namespace {

// Line breaks, too, are passed over when a text box's number is read.
bool isBlankOrBreak(QChar c) { return isBlank(c) || c == u'\n' || c == u'\r'; }

} // namespace

std::optional<int64_t> storedInteger(const QString &text, int64_t minimum, int64_t maximum)
{
    const std::optional<QString> number = decimalNumberText(text.trimmed(), {});
    if (!number)
        return std::nullopt;
    bool ok = false;
    if (!number->contains(QLatin1Char('.'))) {
        const qlonglong value = number->toLongLong(&ok);
        if (!ok || value < minimum || value > maximum)
            return std::nullopt;
        return value;
    }
    const double value = QLocale::c().toDouble(*number, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = roundHalfToEven(value);
    if (rounded < static_cast<double>(minimum) || rounded > static_cast<double>(maximum))
        return std::nullopt;
    return static_cast<int64_t>(rounded);
}

std::optional<float> storedSingle(const QString &text)
{
    const std::optional<QString> number = decimalNumberText(text.trimmed(), {true, false});
    if (!number)
        return std::nullopt;
    bool ok = false;
    const float value = QLocale::c().toFloat(*number, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString singleText(float value)
{
    if (!std::isfinite(value))
        return QString();
    // Plain decimals, as few as read back exactly; no exponent for any position a
    // window can have.
    for (int decimals = 0; decimals <= 50; ++decimals) {
        const QString text = QString::number(static_cast<double>(value), 'f', decimals);
        if (QLocale::c().toFloat(text) == value)
            return text;
    }
    return QString::number(static_cast<double>(value), 'g', std::numeric_limits<float>::max_digits10);
}

double leadingNumber(const QString &text)
{
    QByteArray number;
    bool digitsSeen = false;
    bool pointSeen = false;
    bool exponentSeen = false;
    for (const QChar c : text) {
        if (isBlankOrBreak(c))
            continue;
        const char ch = c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\0';
        if (ch >= '0' && ch <= '9') {
            number += ch;
            digitsSeen = true;
        } else if ((ch == '+' || ch == '-') && (number.isEmpty() || number.endsWith('e'))) {
            number += ch;
        } else if (ch == '.' && !pointSeen && !exponentSeen) {
            number += ch;
            pointSeen = true;
        } else if ((ch == 'e' || ch == 'E' || ch == 'd' || ch == 'D') && digitsSeen && !exponentSeen) {
            number += 'e';
            exponentSeen = true;
        } else {
            break;
        }
    }
    // An exponent marker or sign with nothing after it is not part of the number.
    while (!number.isEmpty() && (number.endsWith('e') || number.endsWith('+') || number.endsWith('-'))) {
        number.chop(1);
        if (number.endsWith('e'))
            number.chop(1);
    }
    if (!digitsSeen || number.isEmpty())
        return 0.0;
    bool ok = false;
    const double value = QLocale::c().toDouble(QString::fromLatin1(number), &ok);
    if (ok)
        return value;
    // Out of range: keep the sign, so that the caller sees an overflow.
    return number.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
}

std::optional<int32_t> roundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = roundHalfToEven(value);
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(rounded);
}

std::optional<QString> storedText(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QStringLiteral(", "));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    return std::nullopt;
}

} // namespace tolvarine
