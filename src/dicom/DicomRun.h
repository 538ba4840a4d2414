#pragma once

#include <functional>
#include <vector>

#include <QString>

#include "dicom/DicomObject.h"
#include "dicom/DicomPlan.h"
#include "platform/Outcome.h"

namespace tolvarine {

// A picture that did not go, and why.
struct DicomFailure {
    QString path;
    Outcome outcome;
};

// What an export or a send did.
struct DicomSummary {
    int done = 0;      // pictures written or sent (accepted by the archive)
    int skipped = 0;   // already in the target unchanged, or left when cancelled
    int turned = 0;    // of those done: turned without a change of any pixel
    int reencoded = 0; // of those done: turned by encoding them again
    std::vector<DicomFailure> failures;
    Outcome job;            // a fault of the whole run; not ok: nothing of it is left behind or counted
    bool cancelled = false; // the user stopped it
    bool ok() const { return job.ok() && failures.empty() && !cancelled; }
    // Pictures that did not go, of total: after a fault of the run, every one not done
    // or skipped.
    int failed(int total) const { return job.ok() ? int(failures.size()) : total - done - skipped; }
};

// Told after each picture; returns false to stop the run.
using DicomProgress = std::function<bool(int done, int total, const QString &picture)>;

// One picture made ready: read, turned as its position says, described.
struct PreparedPicture {
    Outcome outcome;
    DicomInstance instance;
};

// Reads the picture and builds its object: the patient, the visit's study and the
// panel's series with identifiers derived from the clinic, the patient, the visit
// and the picture's bytes, its view and mirror mark.
PreparedPicture preparePicture(const DicomSource &source, const QString &clinic);

// The largest picture file taken.
constexpr qint64 kMaxPictureBytes = qint64(512) * 1024 * 1024;

} // namespace tolvarine
