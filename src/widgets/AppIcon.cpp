#include "widgets/AppIcon.h"

#include <QtGlobal>

// The resources are compiled into a static library: nothing refers to them, so they
// must be registered by hand (outside any namespace, as the macro requires).
static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace tolvarine {

QIcon appIcon()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tolvarine-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tolvarine
