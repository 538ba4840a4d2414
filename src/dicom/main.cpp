// tolvarine-dicom: the DICOM export and send of the program, from the command line.
#include <cstdio>

#include <QCoreApplication>

#include "dicom/DicomCommand.h"
#include "settings/AppSettings.h"
#include "settings/ProgramFolders.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto store = tolvarine::openSettingsStore();
    return tolvarine::runDicomCommand(app.arguments(), *store, tolvarine::runningProgramFolders(), stdout,
                                      stderr);
}
