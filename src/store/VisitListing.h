#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QFuture>
#include <QString>
#include <QStringList>

#include "store/CaptureDate.h"

namespace tolvarine {

// Slots of the intraoral scan (0 to 1200) and the facial date scan's count.
constexpr int kOralSlots = 1201;
constexpr int kFaceScanLimit = 751;

// The pictures of one folder, in store order, dated when first needed. Datings
// run on the read pool, many at once, ahead of the reader, but never beyond the
// horizon the reader names, so a scan that can take only so many pictures dates
// no more. Each take() is one dating as the user sees it: a failed file-date read
// is owed a message each time, and the failures queue up in the order of the
// takes, whatever order the reads end in. Destroying it waits for the datings
// still running.
class DatedPictures {
public:
    DatedPictures() = default;
    DatedPictures(QStringList paths, int16_t fileHizuke);
    ~DatedPictures();
    DatedPictures(DatedPictures &&) noexcept = default;
    DatedPictures &operator=(DatedPictures &&) noexcept = default;

    int size() const { return int(paths_.size()); }
    const QStringList &paths() const { return paths_; }
    const QString &path(int i) const { return paths_.at(i); }

    // The capture date of picture i; pictures up to horizon (exclusive) may be
    // dated along with it.
    QDateTime take(int i, int horizon);

    // Pictures whose dating has begun.
    int datedCount() const;

    // The failed datings of the takes since the last call, in the order taken.
    std::vector<Outcome> takeFailures();

private:
    void dateAhead(int from, int horizon);
    void stop();

    QStringList paths_;
    int16_t fileHizuke_ = 1;
    std::vector<std::optional<PictureDate>> dates_;
    std::vector<QFuture<PictureDate>> running_;
    int started_ = 0; // pictures [0, started_) are dated or being dated
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::vector<Outcome> failures_;
};

// What the intraoral scan of a folder leaves for the panels and lists.
struct OralListing {
    QStringList strOralFile;            // the filled slots, in enumeration order
    std::vector<QDateTime> datOralFile; // their capture dates
    int intOralCount = 0;
    QStringList dates;         // the distinct visit dates, in the order met
    bool limitReached = false; // ended at the 1201st picture; the user is told
};

// Takes at most 1201 pictures and ends after the 1201st; lists every visit date.
OralListing scanOralPictures(DatedPictures &pictures);

struct FaceDateListing {
    QStringList dates; // distinct visit dates, in the order met
    int intFaceCount = 0;
    bool limitReached = false; // ended at the 751st picture; the user is told
};

// The facial date scan: the same date rules; ends after the 751st picture.
FaceDateListing scanFaceDates(DatedPictures &pictures);

// The greatest date compared as text (for visit dates the latest day); empty for
// no dates.
QString latestDate(const QStringList &dates);

// The intraoral pictures of a visit date among the filled slots, in ascending
// store order.
QStringList visitPictures(const QStringList &strOralFile, const std::vector<QDateTime> &datOralFile,
                          int intOralCount, const QString &date);

// The first five facial pictures of a visit date, in enumeration order; dating
// stops at the fifth.
QStringList faceVisitPictures(DatedPictures &pictures, const QString &date);

} // namespace tolvarine
