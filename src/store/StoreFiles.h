#pragma once

#include <QString>
#include <QStringList>

namespace tolvarine {

// Store names are compared without regard to case, because stores are copied from
// a case-insensitive file system. These functions read the disk; the path rules
// themselves are in StorePaths.h.

// The face folder of a patient folder as it exists on disk, whatever its case
// ("face" preferred, then "Face"); empty when there is none.
QString existingFaceFolder(const QString &patientFolder);

// Where to look for facial pictures: the existing face folder, else the "face"
// spelling (which then does not exist, so nothing is found).
QString faceFolderForReading(const QString &patientFolder);

// Where the import puts facial pictures: the existing face folder, else "Face".
QString faceFolderForCreating(const QString &patientFolder);

// Full paths of the pictures ("*.jpg", any case) directly in a folder, in store
// order. Only regular files count; hidden files (a leading ".", such as the "._"
// companions other systems leave behind) are not pictures. A missing or unreadable
// folder gives an empty list.
QStringList listPictures(const QString &folder);

// Full paths of the thumbnail files ("*sn.cmp", any case) directly in a folder,
// under the same rules as listPictures().
QStringList listThumbnails(const QString &folder);

// Store order: ascending by full path without regard to case; paths that differ
// only in case are ordered by their exact text, so that the order is total.
bool storePathLess(const QString &a, const QString &b);
void sortStorePaths(QStringList &paths);

} // namespace tolvarine
