#include "options/OptionRules.h"

#include <limits>

namespace tolvarine {

namespace {

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Decimal digits in the largest width, 2147483647.
constexpr int kMostTwipsDigits = 10;

} // namespace

bool isOrderPrefix(const QString &text, int positions)
{
    if (positions < 0 || positions > 10 || text.size() > positions)
        return false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isAsciiDigit(c) || c.digitValue() >= positions || text.indexOf(c) != i)
            return false;
    }
    return true;
}

OrderValidator::OrderValidator(int positions, QObject *parent) : QValidator(parent), positions_(positions) {}

QValidator::State OrderValidator::validate(QString &input, int &) const
{
    if (!isOrderPrefix(input, positions_))
        return Invalid;
    return input.size() == positions_ ? Acceptable : Intermediate;
}

std::optional<int32_t> wholeTwips(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > kMostTwipsDigits)
        return std::nullopt;
    for (const QChar c : digits)
        if (!isAsciiDigit(c))
            return std::nullopt;
    const qint64 value = digits.toLongLong();
    if (value < 1 || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

QValidator::State TwipsValidator::validate(QString &input, int &) const
{
    if (input.size() > kMostTwipsDigits)
        return Invalid;
    for (const QChar c : input)
        if (!isAsciiDigit(c))
            return Invalid;
    return wholeTwips(input) ? Acceptable : Intermediate;
}

} // namespace tolvarine
