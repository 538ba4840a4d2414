#include "store/VisitListing.h"

#include <algorithm>
#include <utility>

#include <QList>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include "store/StoreFiles.h"
#include "store/StoreNames.h"

namespace tolvarine {

namespace {

constexpr int kFirstBatch = 32;
constexpr int kLargestBatch = 512;
// Below this a batch is dated on the calling thread: handing it out costs more.
constexpr int kParallelFrom = 8;

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
    : paths_(std::move(paths)), fileHizuke_(fileHizuke), dates_(size_t(paths_.size()))
{}

int DatedPictures::datedCount() const
{
    return int(std::count_if(dates_.begin(), dates_.end(), [](const auto &d) { return d.has_value(); }));
}

void DatedPictures::dateBatch(int from, int horizon)
{
    batch_ = batch_ == 0 ? kFirstBatch : std::min(batch_ * 2, kLargestBatch);
    const int end = std::max(from + 1, std::min({from + batch_, horizon, size()}));
    QList<int> wanted;
    for (int i = from; i < end; ++i) {
        if (!dates_[size_t(i)])
            wanted << i;
    }
    const int16_t fileHizuke = fileHizuke_;
    const QStringList &paths = paths_;
    auto dateOne = [&paths, fileHizuke](int i) { return pictureDate(paths.at(i), fileHizuke); };
    QList<PictureDate> dated;
    if (wanted.size() < kParallelFrom) {
        for (int i : std::as_const(wanted))
            dated << dateOne(i);
    } else {
        dated = QtConcurrent::blockingMapped<QList<PictureDate>>(wanted, dateOne);
    }
    for (int k = 0; k < wanted.size(); ++k)
        dates_[size_t(wanted.at(k))] = dated.at(k);
}

QDateTime DatedPictures::take(int i, int horizon)
{
    if (!dates_[size_t(i)])
        dateBatch(i, horizon);
    const PictureDate &dated = *dates_[size_t(i)];
    if (!dated.failure)
        failures_.push_back(dated.failure);
    return dated.date;
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
