#pragma once

#include <QIcon>

namespace tolvarine {

// The program's icon in every size it is drawn in (16 to 256 pixels).
QIcon appIcon();

} // namespace tolvarine
