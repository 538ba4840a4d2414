#pragma once

#include <QString>

#include "dicom/DicomRun.h"

namespace tolvarine {

// The DICOMDIR of a folder, whatever the case of its name; empty when it has none.
QString existingDicomDir(const QString &folder);

enum class ExistingDicomDir {
    Refuse, // a folder that holds a DICOMDIR is left untouched (NameTaken)
    AddTo,  // the pictures join the folder's DICOMDIR, whose records all stay
};

// Writes the pictures into folder as DICOM media: one file each under
// DICOM/P<patient>/<visit date>/ with names of 8 characters, and the DICOMDIR that
// lists them, so that the folder can be burnt or copied and read as a file-set.
// A picture that cannot be read or made ready is a failure of its own and the
// others still go; a file already there with the same bytes is skipped, one holding
// the same picture described otherwise (another view assigned since) is replaced,
// and any other file of the name is never touched (NameTaken). A fault of
// the run (a failed write, a DICOMDIR that cannot be read or made) or a cancel
// removes every file and folder the run made and puts back what it replaced, so
// nothing partial stays.
DicomSummary exportToFolder(const DicomPlan &plan, const QString &clinic, const QString &folder,
                            ExistingDicomDir existing, const DicomProgress &progress = {});

} // namespace tolvarine
