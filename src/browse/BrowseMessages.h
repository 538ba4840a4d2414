#pragma once

#include <QString>

#include "store/VisitListing.h"

namespace tolvarine {

// What browsing tells the user about the listing of a folder.

// The intraoral and facial scans ended at their picture limits.
QString oralLimitMessage();
QString faceLimitMessage();
// What dating pictures owes the user since it was last asked: each failed dating,
// in the order taken, then the limit text when the scan reached its limit.
void tellDatingFailures(DatedPictures &pictures, bool limitReached = false, const QString &limitText = {});

} // namespace tolvarine
