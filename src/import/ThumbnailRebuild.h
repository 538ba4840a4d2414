#pragma once

#include <functional>
#include <optional>

#include <QString>

namespace tolvarine {

// Deletes every thumbnail file ("*sn.cmp", any case) directly in the listed folder,
// then in its face folder; other subfolders are not touched. A thumbnail that
// cannot be deleted (a read-only one counts) stops it there, and the text of the
// message to show comes back; thumbnails deleted before stay deleted.
std::optional<QString> deleteThumbnails(const QString &listedFolder);

// Throws the listed patient's thumbnails away and lists the folder again, so that
// the panels make every thumbnail afresh; on a failure shows the message, titled
// "サムネイル", and does not list again.
void rebuildThumbnails(const QString &listedFolder, const std::function<void()> &refresh);

} // namespace tolvarine
