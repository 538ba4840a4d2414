#include "browse/VisitListing.h"

#include <algorithm>
#include <utility>

#include <QList>
#include <QtConcurrent/QtConcurrentMap>

#include "store/StoreFiles.h"
#include "store/StoreNames.h"

namespace tolvarine {

namespace {

constexpr int kFirstBatch = 32;
constexpr int kLargestBatch = 512;
// Below this a batch is dated on the calling thread: handing it out costs more.
constexpr int kParallelFrom = 8;

// The date rules shared by both scans: the first picture's date always goes in;
// a later picture ends the scan (false) while the list is full, or adds its date
// when it is new.
bool addVisitDate(QStringList &dates, bool first, const QString &date)
{
    if (first) {
        dates << date;
        return true;
    }
    if (dates.size() > kDateListFull)
        return false;
    if (!dates.contains(date))
        dates << date;
    return true;
}

} // namespace

DatedPictures::DatedPictures(QStringList paths, int16_t fileHizuke)
    : paths_(std::move(paths)), fileHizuke_(fileHizuke), dates_(size_t(paths_.size()))
{
}

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

std::vector<Outcome> DatedPictures::takeFailures()
{
    return std::exchange(failures_, {});
}

OralListing scanOralPictures(DatedPictures &pictures)
{
    OralListing listing;
    for (int i = 0; i < pictures.size(); ++i) {
        const QDateTime date = pictures.take(i, kOralSlots);
        if (!addVisitDate(listing.dates, i == 0, visitDateText(date)))
            break;
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
    for (int i = 0; i < pictures.size(); ++i) {
        if (!addVisitDate(listing.dates, i == 0, visitDateText(pictures.take(i, kFaceScanLimit))))
            break;
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
