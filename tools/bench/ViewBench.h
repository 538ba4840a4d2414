#pragma once

#include <QString>

namespace tolvarine {

// Times opening a view of the picture against libjpeg-turbo's own decode at the
// view's scale, and the memory one open view keeps; prints both. False when the
// picture cannot be decoded.
bool benchViewOpen(const QString &picture, int runs);
// Times a zoom of an open view to full size, until the sharp bitmap is ready.
bool benchViewZoom(const QString &picture, int runs);

} // namespace tolvarine
