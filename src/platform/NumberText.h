#pragma once

#include <optional>

#include <QChar>
#include <QString>

namespace tolvarine {

// A blank inside a line of text: space or tab.
inline bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Half to even (1.5 gives 2, 2.5 gives 2), as Visual Basic's conversions round,
// whatever rounding mode is in force.
double roundHalfToEven(double value);

// How much of the number notation a text may use.
struct NumberSyntax {
    bool exponent = false;        // "1e3", "1d3", any case
    bool blanksAfterSign = false; // "- 12"
};

// A whole text read as one decimal number: blanks around it, an optional sign,
// digits with at most one decimal point and at least one digit, and an exponent
// where the syntax allows it. Gives the number in C notation ("-1.5e3"), ready for
// conversion; nullopt for anything else (hexadecimal, thousands separators,
// currency signs, a second number).
std::optional<QString> decimalNumberText(const QString &text, NumberSyntax syntax);

} // namespace tolvarine
