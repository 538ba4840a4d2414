#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tolvarine {

// Window and control geometry is designed in twips; this is the only place that
// knows how many twips make an inch.
constexpr double kTwipsPerInch = 1440.0;

int twipsToPixels(double twips, double dpi);
double pixelsToTwips(double pixels, double dpi);
QRect twipsToPixels(const QRect &twipsRect, double dpi);
QSize twipsToPixels(const QSize &twipsSize, double dpi);
QPoint twipsToPixels(const QPoint &twipsPoint, double dpi);

} // namespace tolvarine
