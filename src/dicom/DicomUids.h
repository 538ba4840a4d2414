#pragma once

#include <QByteArray>
#include <QString>

namespace tolvarine {

// Identifiers of the exported objects, derived from what they hold, so that a
// second export of the same visit gives the same identifiers and an archive files
// it onto the first. Each is a name-based UUID (version 5) of its parts, written
// as a "2.25." UID (its 128 bits in decimal), so that no organisation root is needed.
// The clinic's name is one of the parts: the same patient number in two clinics
// names two patients.

QString uuidUid(const QByteArray &name);

QString studyUid(const QString &clinic, const QString &krNo, const QString &visitDate);
// One series per panel of a visit.
QString seriesUid(const QString &clinic, const QString &krNo, const QString &visitDate, int panel);
// contentDigest: what names the picture's content; code: the turning applied;
// occurrence: which of the visit's pictures with those bytes it is.
QString instanceUid(const QString &clinic, const QString &krNo, const QString &visitDate, int panel,
                    const QByteArray &contentDigest, int code, int occurrence);

} // namespace tolvarine
