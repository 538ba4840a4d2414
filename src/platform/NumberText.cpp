#include "platform/NumberText.h"

#include <cfenv>
#include <cmath>

namespace tolvarine {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

double roundHalfToEven(double value)
{
    const int previous = std::fegetround();
    if (previous != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    if (previous != FE_TONEAREST)
        std::fesetround(previous);
    return rounded;
}

std::optional<QString> decimalNumberText(const QString &text, NumberSyntax syntax)
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
        if (syntax.blanksAfterSign)
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
    if (syntax.exponent && i < n && QStringLiteral("eEdD").contains(text.at(i))) {
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

} // namespace tolvarine
