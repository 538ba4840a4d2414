#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <QValidator>

namespace tolvarine {

// Whether text can be, or can still become, a shooting order of `positions`
// positions: position digits "0" up to positions − 1 only, each at most once, and
// no more of them than there are positions.
bool isOrderPrefix(const QString &text, int positions);

// Holds a typed order box to position digits, each once. A complete order is
// acceptable; a shorter one is left for OK's length check to refuse.
class OrderValidator : public QValidator {
    Q_OBJECT
public:
    OrderValidator(int positions, QObject *parent);
    State validate(QString &input, int &pos) const override;

private:
    int positions_;
};

// The view width as typed: a whole number of twips, from 1 up to what 32 bits hold,
// written in decimal digits with blanks around allowed. nullopt for anything else
// ("", "0", "-5", "12.5", "1e3", "8000twip", "９０００", too large).
std::optional<int32_t> wholeTwips(const QString &text);

// What the view width box lets be typed: decimal digits, as many as the largest
// width has.
class TwipsValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace tolvarine
