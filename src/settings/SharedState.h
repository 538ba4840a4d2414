#pragma once

#include <cstdint>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tolvarine {

// The run-time state several windows share, under the names the program has always
// used for it. The main window owns one of each and hands them out by reference;
// each member is written only by the part of the program named beside it.

// What the main window's load works out about its surroundings.
struct ShellState {
    bool CompactLayout = false;
    QString WindowsFolder; // the folder of the desktop's opener, empty when none
    bool DropIsOral = true;
    QString ClinicName;
    QString ClinicFontSize;
    QString ClinicFontName;
};

// The patient and visit being browsed.
struct BrowseState {
    QString strKrName;     // the patient name box, as typed
    QString strKrNameFile; // the name file of the listed folder
    // The listed folder's intraoral pictures and their capture dates.
    QStringList strOralFile;
    std::vector<QDateTime> datOralFile;
    int16_t intOralCount = 0;
    int16_t intFaceCount = 0;
    QString strNowDate; // the visit the date lists show
    // The shown visit's pictures, in store order (the hidden lists List2 and ListFace).
    QStringList List2;
    QStringList ListFace;
    QString strOralDate;
    QString strFaceDate;
    QString strPopupFile; // the picture the context menu acts on
    bool blnOralListBusy = false;
    bool blnFaceListBusy = false;

    // The picture a date is written into, and that date.
    QString strTargetFile;
    QDateTime datNewDate;
};

// What the print dialog hands to the print routines.
struct PrintRequest {
    QString strPrintNo;
    QString strPrintName;
    QString strPrintDate;
    QString strPrintComment;
    int16_t intPrintLarge = 0;
};

} // namespace tolvarine
