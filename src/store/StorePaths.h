#pragma once

#include <optional>

#include <QString>

namespace tolvarine {

// Length of a patient number as it appears in every store path.
constexpr int kPatientNumberLength = 5;
// Characters of the patient number that name its group folder.
constexpr int kGroupLength = 3;

// Joins a folder and a name with exactly one "/" between them: a folder that
// already ends with "/" gets none added.
QString joinPath(const QString &folder, const QString &name);

// Left-pads a typed patient number with "0" to five characters, by its length as
// typed (the text is not reformatted, so " 12" becomes "00 12"). Empty text and
// text of six or more characters give nullopt.
std::optional<QString> padPatientNumber(const QString &typed);

// Folders of a five-character patient number under the picture folder. Return an
// empty string when the number is not five characters or holds a "/" or NUL, and
// when the picture folder is empty, so that nothing is ever looked for or created
// outside the picture folder.
QString groupFolder(const QString &pictFolda, const QString &krNo);
QString patientFolder(const QString &pictFolda, const QString &krNo);

// The face folder as the program spells it when it looks into it. The store may
// hold it in another case; see existingFaceFolder() for the one on disk.
QString faceFolder(const QString &patientFolder);

// The picture's full path without its last four characters, then "sn.cmp".
// Empty for a path too short to have an extension.
QString thumbnailPath(const QString &picturePath);

// The patient name file of a listed folder.
QString nameFilePath(const QString &listedFolder);

// The blank picture template beside the program.
QString blankTemplatePath(const QString &programFolder);

} // namespace tolvarine
