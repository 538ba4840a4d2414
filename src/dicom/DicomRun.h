#pragma once

#include <functional>
#include <future>
#include <utility>
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

// One picture of a visit, read: its bytes, their digest, and which of the visit's
// pictures with the same bytes and code in the same panel it is.
struct ReadPicture {
    Outcome outcome;
    QByteArray bytes;
    QByteArray digest;
    int occurrence = 0;
};

// The visits of a plan: ranges [first, end) of its pictures with one patient and date.
std::vector<std::pair<size_t, size_t>> visitRanges(const DicomPlan &plan);

// Reads the pictures of a visit, on several threads at once if wanted. Pictures with
// the same bytes (two blank pictures of a day) are told apart by their order, so that
// each keeps an identifier of its own; a picture waits only for the earlier pictures
// that could hold its bytes (same panel, code and file size), so that reading one
// picture and writing another overlap.
class VisitReading {
public:
    VisitReading(const DicomPlan &plan, size_t first, size_t end);
    // Picture i of the plan (first <= i < end). Each picture is read once, and only
    // after every earlier picture of the visit has been started.
    ReadPicture read(size_t i);

private:
    const DicomPlan &plan_;
    size_t first_;
    std::vector<qint64> sizes_;
    std::vector<std::promise<QByteArray>> digests_;
    std::vector<std::shared_future<QByteArray>> known_;
};

// Builds a read picture's object: the patient, the visit's study and the panel's
// series with identifiers derived from the clinic, the patient, the visit and the
// picture's bytes; turned as its position says; its view and mirror mark.
PreparedPicture preparePicture(const DicomSource &source, const ReadPicture &read, const QString &clinic);

// The largest picture file taken.
constexpr qint64 kMaxPictureBytes = qint64(512) * 1024 * 1024;

} // namespace tolvarine
