#pragma once

#include <optional>
#include <vector>

#include <QDateTime>

#include <QString>

#include "platform/Outcome.h"
#include "store/PatientNumber.h"

namespace tolvarine {

// The texts several windows show for what the store reports: the core returns
// outcomes, the windows word them and show them through showMessage(). What only
// one window tells lives in that window's folder.

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

} // namespace tolvarine
