#pragma once

#include <cstdint>
#include <functional>

#include <QString>
#include <QStringList>

#include "platform/Outcome.h"

class QMimeData;

namespace tolvarine {

// The drop area takes a list of files from the desktop's file browser: drag data
// whose every URL is a local file. Text, remote URLs and anything else are refused.
bool acceptsFileDrop(const QMimeData *data);

// The local paths of the dragged files, in the order the drag source lists them.
QStringList droppedFilePaths(const QMimeData *data);

// What the drop area shows for its target: the label and, when the tips are on,
// the two instruction lines.
struct DropAreaTexts {
    QString label;
    QStringList lines;
};
DropAreaTexts dropAreaTexts(bool dropIsOral, int16_t dropAriaTips);

// Starts a program detached, with its arguments passed as they are (no shell);
// false when it cannot be started.
using ProgramStarter = std::function<bool(const QString &program, const QStringList &arguments)>;

// Opens the file browser on the import folder; Missing when it cannot be started.
Outcome startFileBrowser(const QString &windowsFolder, const QString &pictReadFolda,
                         const ProgramStarter &start = {});

} // namespace tolvarine
