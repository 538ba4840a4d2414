#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <QVariant>

namespace tolvarine {

// Conversions between the store's text values and numbers.

// A stored integer: optional blanks and sign, decimal digits, optionally a decimal
// fraction, which is rounded half to even as Visual Basic's conversion to Integer does
// ("1.5" gives 2, "2.5" gives 2). nullopt for anything else ("abc", "1.5x", "",
// hexadecimal, exponents) and for values outside [minimum, maximum].
std::optional<int64_t> storedInteger(const QString &text, int64_t minimum, int64_t maximum);

// A stored single-precision number, as written by singleText (exponent allowed).
// nullopt for text that is not a finite float.
std::optional<float> storedSingle(const QString &text);

// The shortest plain decimal text that reads back as exactly the same float: "200",
// "1234.5", "1234.56", "-15". Empty for infinity and NaN.
QString singleText(float value);

// The numeric value of the leading number of a text, as Visual Basic's Val: blanks,
// tabs and line breaks anywhere are ignored, reading stops at the first character
// that cannot continue the number, no number gives 0 ("12.7" gives 12.7, "12abc" 12,
// "abc" 0, "1e3" 1000). Radix prefixes (&H, &O) are not recognised.
double leadingNumber(const QString &text);

// A text box value rounded half to even into a 32-bit integer; nullopt when it does
// not fit.
std::optional<int32_t> roundToInt32(double value);

// The text of a stored value. A hand-edited file may hold an unquoted "a,b", which the
// INI reader splits into a list; it comes back joined with ", ". nullopt for a value
// that is absent or holds no text (e.g. an @Rect(...) entry).
std::optional<QString> storedText(const QVariant &value);

} // namespace tolvarine
