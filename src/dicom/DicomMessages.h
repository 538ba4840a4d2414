#pragma once

#include <QString>

#include "dicom/DicomRun.h"
#include "dicom/DicomSend.h"

namespace tolvarine {

// What the DICOM menu entries tell the user, worded from the core's outcomes.

// Why one picture did not go.
QString dicomFailureReason(const Outcome &outcome);

// The closing message of an export or a send: how many pictures went, which did
// not and why (each by its file name), or why nothing went at all.
QString exportSummaryText(const DicomSummary &summary, int total);
QString sendSummaryText(const DicomSummary &summary, int total, const DicomNode &node);

} // namespace tolvarine
