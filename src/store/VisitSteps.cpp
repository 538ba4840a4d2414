#include "store/VisitSteps.h"

#include <algorithm>
#include <map>

#include "store/StoreFiles.h"
#include "store/StoreNames.h"
#include "store/VisitListing.h"
#include "store/VisitOrder.h"

namespace tolvarine {

std::vector<PositionVisit> oralPositionVisits(const QStringList &strOralFile,
                                              const std::vector<QDateTime> &datOralFile, int intOralCount,
                                              const QString &jyunban, int position)
{
    const int filled = std::min({intOralCount, int(strOralFile.size()), int(datOralFile.size())});
    QStringList dates;
    for (int i = 0; i < filled; ++i)
        dates << visitDateText(datOralFile[size_t(i)]);
    dates.removeDuplicates();
    // Visit dates are yyyy/mm/dd: text order is time order.
    std::sort(dates.begin(), dates.end());

    std::vector<PositionVisit> visits;
    for (const QString &date : dates) {
        const QStringList pictures = visitPictures(strOralFile, datOralFile, intOralCount, date);
        visits.push_back({date, fileNameAtPosition(jyunban, pictures, position, kOralPositions)});
    }
    return visits;
}

std::vector<PositionVisit> facePositionVisits(const QString &faceFolder, int16_t fileHizuke,
                                              const QString &faceJyunban, int position)
{
    DatedPictures pictures(listPictures(faceFolder), fileHizuke);
    return facePositionVisits(pictures, faceJyunban, position);
}

std::vector<PositionVisit> facePositionVisits(DatedPictures &pictures, const QString &faceJyunban,
                                              int position)
{
    // A visit's facial pictures are its first five in store order, as the panel takes them.
    std::map<QString, QStringList> byDate;
    for (int i = 0; i < pictures.size(); ++i) {
        QStringList &visit = byDate[visitDateText(pictures.take(i, pictures.size()))];
        if (visit.size() < kFacePositions)
            visit << pictures.path(i);
    }
    std::vector<PositionVisit> visits;
    for (const auto &[date, paths] : byDate)
        visits.push_back({date, fileNameAtPosition(faceJyunban, paths, position, kFacePositions)});
    return visits;
}

std::optional<int> visitShowing(const std::vector<PositionVisit> &visits, const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    for (size_t i = 0; i < visits.size(); ++i) {
        if (visits[i].path == path)
            return int(i);
    }
    return std::nullopt;
}

std::optional<int> steppedVisit(const std::vector<PositionVisit> &visits, int from, int direction)
{
    if (direction == 0)
        return std::nullopt;
    const int step = direction < 0 ? -1 : 1;
    for (int i = from + step; i >= 0 && i < int(visits.size()); i += step) {
        if (!visits[size_t(i)].path.isEmpty())
            return i;
    }
    return std::nullopt;
}

} // namespace tolvarine
