#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/FileSystem.h"

namespace tolvarine {

// The first field of the first line of a name file's text: blanks around it are
// dropped; an unquoted field ends at a comma or the line end; a field opened by a
// double quote runs to the closing quote (commas and blanks inside belong to it)
// and whatever follows the closing quote is ignored.
QString firstNameField(const QString &text);

// Reads the patient name from a name file (found whatever the case of its name).
// A missing file gives an empty name; a file that cannot be read or decoded gives
// nullopt, so that the caller leaves the shown name as it was.
std::optional<QString> readPatientName(const QString &nameFilePath);
// The same from the bytes of a name file.
std::optional<QString> patientNameFromBytes(const QByteArray &bytes);

// The bytes of a name file: the name and CR LF in CP932, so that the original
// platform reads it, or UTF-8 with a BOM when CP932 cannot carry the name so that
// it reads back unchanged. A name with a comma is quoted so that it reads back
// whole.
QByteArray encodePatientName(const QString &name);

// Writes the name file atomically, into the existing file of that name whatever
// its case. An empty name writes nothing and a read-only file is left untouched;
// both give ok = false.
Outcome writePatientName(const QString &nameFilePath, const QString &name);

} // namespace tolvarine
