#pragma once

#include <vector>

#include <QString>

#include "import/DropImport.h"
#include "platform/Outcome.h"

namespace tolvarine {

// What the drop import, the file browser button and the thumbnail rebuild tell
// and ask the user.

// The one message that lists the files an import could not take.
QString notImportedMessage(const std::vector<ImportFailure> &failures);
// Fills what the import tells and asks the user: refusals of the number, the
// question for an empty number, the files not imported.
void addImportMessages(ImportHost &host);

// A thumbnail rebuild that stopped at a file it could not delete, titled "サムネイル".
void showThumbnailDeletionFailure(const Outcome &failure);
// The file browser could not be started.
void showFileBrowserMissing();

} // namespace tolvarine
