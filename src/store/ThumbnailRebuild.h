#pragma once

#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

// Deletes every thumbnail file ("*sn.cmp", any case) directly in the listed folder,
// then in its face folder; other subfolders are not touched. A thumbnail that
// cannot be deleted (a read-only one counts) stops it there with the errno of the
// failure; thumbnails deleted before stay deleted. The caller lists the folder
// again on success, so that the panels make every thumbnail afresh.
Outcome deleteThumbnails(const QString &listedFolder);

} // namespace tolvarine
