#pragma once

#include <optional>

#include <QPoint>
#include <QPointF>

#include "settings/AppSettings.h"

class QSettings;
class QWidget;

namespace tolvarine {

// Where a window that remembers its place stands, in twips of the settings store.
// A window that was not moved gives back the stored twips unchanged, so that the
// place does not drift through pixel rounding from one run to the next.
class WindowPlace {
public:
    explicit WindowPlace(const WindowPositionKeys &keys) : keys_(keys) {}

    // Reads the stored place and moves the window there.
    void restore(QSettings &store, QWidget &window);
    // Writes the window's place, unless it is minimised, and syncs the store.
    void save(QSettings &store, const QWidget &window) const;

private:
    QPointF twipsOf(const QWidget &window) const;

    WindowPositionKeys keys_;
    QPointF loadedTwips_;
    std::optional<QPoint> loadedPixels_;
};

} // namespace tolvarine
