#include "store/VisitListing.h"

#include <algorithm>
#include <utility>

#include <QSet>

#include "platform/ReadPool.h"
#include "store/StoreFiles.h"
#include "store/StoreNames.h"

namespace tolvarine {

namespace {

// Datings started ahead of the one taken, as many as keep every read of the pool
// busy while the reader works through the results.
int datingsAhead() { return 4 * readsInFlight(); }

// Each visit date once, in the order met. There is no limit on the number of
// visits: the scan runs in name order and camera names count up, so a limit would
// hide the newest visits and show an older one as the latest.
class VisitDates {
public:
    explicit VisitDates(QStringList &dates) : dates_(dates) {}
    void add(const QString &date)
    {
        if (!seen_.contains(date)) {
            seen_.insert(date);
            dates_ << date;
        }
    }

private:
    QStringList &dates_;
    QSet<QString> seen_;
};

} // namespace

DatedPictures::DatedPictures(QStringList paths, int16_t fileHizuke)
    : paths_(std::move(paths)), fileHizuke_(fileHizuke), dates_(size_t(paths_.size())),
      running_(size_t(paths_.size())), cancelled_(std::make_shared<std::atomic<bool>>(false))
{}

DatedPictures::~DatedPictures() { stop(); }

void DatedPictures::stop()
{
    // Datings not begun yet end at once; those reading finish their file.
    if (cancelled_)
        cancelled_->store(true);
    for (QFuture<PictureDate> &dating : running_) {
        if (dating.isValid())
            dating.waitForFinished();
    }
}

int DatedPictures::datedCount() const { return started_; }

void DatedPictures::dateAhead(int from, int horizon)
{
    const int end = std::max(from + 1, std::min({horizon, size(), from + datingsAhead()}));
    for (; started_ < end; ++started_) {
        running_[size_t(started_)] =
            startRead([path = paths_.at(started_), fileHizuke = fileHizuke_, cancelled = cancelled_] {
                return cancelled->load() ? PictureDate{} : pictureDate(path, fileHizuke);
            });
    }
}

QDateTime DatedPictures::take(int i, int horizon)
{
    dateAhead(i, horizon);
    auto &dated = dates_[size_t(i)];
    if (!dated)
        dated = running_[size_t(i)].takeResult();
    if (!dated->failure)
        failures_.push_back(dated->failure);
    return dated->date;
}

std::vector<Outcome> DatedPictures::takeFailures() { return std::exchange(failures_, {}); }

OralListing scanOralPictures(DatedPictures &pictures)
{
    OralListing listing;
    VisitDates dates(listing.dates);
    for (int i = 0; i < pictures.size(); ++i) {
        const QDateTime date = pictures.take(i, kOralSlots);
        dates.add(visitDateText(date));
        listing.strOralFile << pictures.path(i);
        listing.datOralFile.push_back(date);
        if (++listing.intOralCount >= kOralSlots) {
            listing.limitReached = true;
            break;
        }
    }
    return listing;
}

FaceDateListing scanFaceDates(DatedPictures &pictures)
{
    FaceDateListing listing;
    VisitDates dates(listing.dates);
    for (int i = 0; i < pictures.size(); ++i) {
        dates.add(visitDateText(pictures.take(i, kFaceScanLimit)));
        if (++listing.intFaceCount >= kFaceScanLimit) {
            listing.limitReached = true;
            break;
        }
    }
    return listing;
}

QString latestDate(const QStringList &dates)
{
    QString latest;
    for (const QString &date : dates) {
        if (date > latest)
            latest = date;
    }
    return latest;
}

QStringList visitPictures(const QStringList &strOralFile, const std::vector<QDateTime> &datOralFile,
                          int intOralCount, const QString &date)
{
    QStringList paths;
    const int filled = std::min({intOralCount, int(strOralFile.size()), int(datOralFile.size())});
    for (int i = 0; i < filled; ++i) {
        if (visitDateText(datOralFile[size_t(i)]) == date)
            paths << strOralFile.at(i);
    }
    sortStorePaths(paths);
    return paths;
}

QStringList faceVisitPictures(DatedPictures &pictures, const QString &date)
{
    constexpr int kMostFacePictures = 5;
    QStringList paths;
    for (int i = 0; i < pictures.size() && paths.size() < kMostFacePictures; ++i) {
        if (visitDateText(pictures.take(i, pictures.size())) == date)
            paths << pictures.path(i);
    }
    return paths;
}

} // namespace tolvarine
