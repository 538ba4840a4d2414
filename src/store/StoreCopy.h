#pragma once

#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

// The last numbered name tried before giving up.
inline constexpr int kMaxNumberedName = 9999;

// "<base>_<number><extension>": IMG_0001.jpg with 2 gives IMG_0001_2.jpg. A name
// without an extension (or only a leading dot) gets the number at its end.
QString numberedName(const QString &fileName, int number);

// Copies a file into a folder under fileName, keeping its last-modified time, and
// never touching a file that is already there (names compared ignoring case). When
// the name is taken by the same bytes, the copy counts as done; otherwise the first
// free numbered name is used. The copy is written to a hidden temporary file in the
// folder and renamed into place without replacing anything, so a failure leaves
// no file behind and the folder never shows a cut-off picture. Done or Unchanged
// name the file that holds the picture in the detail.
Outcome copyIntoFolder(const QString &source, const QString &folder, const QString &fileName);

} // namespace tolvarine
