#pragma once

#include <cstdio>

#include <QSettings>
#include <QString>
#include <QStringList>

#include "platform/Outcome.h"
#include "settings/ProgramFolders.h"

namespace tolvarine {

// tolvarine-dicom: the DICOM export and send of the menu, for one visit, one patient
// or the whole store, from scripts. Reads the program's settings from store (the picture
// folder defaulting as the program's does) and the clinic's name from the
// administrator's folder; prints progress to err and a summary to out.
// Returns the exit status: 0 when every picture went, 1 when any picture or the run
// failed, 2 for a command line it cannot use.
int runDicomCommand(const QStringList &arguments, QSettings &store, const ProgramFolders &folders,
                    std::FILE *out, std::FILE *err);

extern const char kDicomCommandHelp[];

// An outcome in English words, for the command line: what happened, the file or the
// library's text, and the system's description of errno when there is one.
QString outcomeWords(const Outcome &outcome);

} // namespace tolvarine
