#include "platform/Twips.h"

#include <cmath>

namespace tolvarine {

int twipsToPixels(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double pixelsToTwips(double pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

QRect twipsToPixels(const QRect &r, double dpi)
{
    return QRect(twipsToPixels(r.x(), dpi), twipsToPixels(r.y(), dpi), twipsToPixels(r.width(), dpi),
                 twipsToPixels(r.height(), dpi));
}

QSize twipsToPixels(const QSize &s, double dpi)
{
    return QSize(twipsToPixels(s.width(), dpi), twipsToPixels(s.height(), dpi));
}

QPoint twipsToPixels(const QPoint &p, double dpi)
{
    return QPoint(twipsToPixels(p.x(), dpi), twipsToPixels(p.y(), dpi));
}

} // namespace tolvarine
