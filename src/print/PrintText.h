#pragma once

#include <QDate>
#include <QString>

#include "settings/SharedState.h"

namespace tolvarine {

// The date in the Japanese era calendar, as the print dialog offers it:
// era name, year of the era, month and day without leading zeros
// (2009-03-05 gives 平成21年3月5日). A date before the first era of the table,
// or an invalid one, gives the empty text.
QString eraDateText(const QDate &date);

// The request the print dialog's OK hands to the print routines: an empty number
// or name stays empty instead of printing a lone "No." or " 様"; the date and
// comment go as typed.
PrintRequest makePrintRequest(const QString &number, const QString &name, const QString &date,
                              const QString &comment, bool large);

// The PDF file name proposed for a sheet: the printed patient number and the visit
// date, "00123_2009-03-15.pdf". A part that is empty (or a date that is no visit
// date) is left out, and characters a file name should not hold become "_".
QString sheetPdfName(const PrintRequest &request, const QString &visitDate);

} // namespace tolvarine
