#include "widgets/WindowPlace.h"

#include <QSettings>
#include <QWidget>

#include "platform/Twips.h"

namespace tolvarine {

void WindowPlace::restore(QSettings &store, QWidget &window)
{
    loadedTwips_ = readWindowPosition(store, keys_);
    const double dpi = window.logicalDpiX();
    loadedPixels_ = QPoint(twipsToPixels(loadedTwips_.x(), dpi), twipsToPixels(loadedTwips_.y(), dpi));
    window.move(*loadedPixels_);
}

QPointF WindowPlace::twipsOf(const QWidget &window) const
{
    if (loadedPixels_ && window.pos() == *loadedPixels_)
        return loadedTwips_;
    const double dpi = window.logicalDpiX();
    return QPointF(pixelsToTwips(window.pos().x(), dpi), pixelsToTwips(window.pos().y(), dpi));
}

void WindowPlace::save(QSettings &store, const QWidget &window) const
{
    writeWindowPosition(store, keys_, twipsOf(window), window.isMinimized());
    store.sync();
}

} // namespace tolvarine
