#pragma once

#include <QString>

namespace tolvarine {

// The Japanese UI font the windows are designed in.
QString japaneseUiFontFamily(); // "ＭＳ Ｐゴシック"

// Lets the Japanese UI font resolve to IPA P Gothic, or another installed Japanese
// font, where it is not installed. Safe to call more than once.
void installFontSubstitutions();

} // namespace tolvarine
