#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include "support/TestSupport.h"

namespace tolvarine::test {

// Writes a quadrant picture (red, green, blue, white from the top left) as a JPEG
// dated by its last-modified time; returns its path.
QString writeQuadrantPicture(const Sandbox &box, const QString &relative, const QDateTime &modified,
                             QSize size = QSize(1200, 800));

// Writes a quadrant picture of any size as a JPEG, one row at a time, so that a
// picture larger than the image allocation limit costs little to make; returns its
// path, or an empty one when it cannot be written.
QString writeLargeQuadrantJpeg(const Sandbox &box, const QString &relative, QSize size);

// The colours of a bitmap's four corners, top left, top right, bottom left,
// bottom right, each as r, g, b, w, or ? for none of them.
QString cornerColours(const QImage &image);

} // namespace tolvarine::test
