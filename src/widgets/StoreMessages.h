#pragma once

#include <optional>
#include <vector>

#include <QDateTime>

#include <QString>

#include "import/DropImport.h"
#include "platform/Outcome.h"
#include "store/PatientNumber.h"
#include "store/VisitListing.h"

namespace tolvarine {

// The texts the user is shown for what the core reports, in one place: the core
// returns outcomes, the windows word them here and show them through showMessage().

// "VB ｴﾗｰ: '" + error number + "' - " + the system's description + ".".
QString vbErrorText(int error);

// A file date that could not be read, titled "IE5.0以降をｲﾝｽﾄｰﾙ"; one box each.
void showDateFailure(const Outcome &failure);
void showDateFailures(const std::vector<Outcome> &failures);
// The file date of a picture, with the message owed when it cannot be read
// (nullopt then): the main window's funGetFileDate.
std::optional<QDateTime> fileDateOrTell(const QString &fileName);
// A file time that could not be changed: a file that cannot be opened for writing,
// or the change itself failing.
void showFileTimeFailure(const Outcome &failure);

// What committing a patient number shows for each refusal; empty for Found.
QString patientLookupMessage(PatientLookup outcome);
// The intraoral and facial scans ended at their picture limits.
QString oralLimitMessage();
QString faceLimitMessage();
// What dating pictures owes the user since it was last asked: each failed dating,
// in the order taken, then the limit text when the scan reached its limit.
void tellDatingFailures(DatedPictures &pictures, bool limitReached = false, const QString &limitText = {});

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
