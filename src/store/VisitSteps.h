#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "store/VisitListing.h"

namespace tolvarine {

// One visit of a patient seen from one display position: the visit date and the
// picture shown at that position then, empty when the visit has none there.
struct PositionVisit {
    QString date;
    QString path;
};

// Every intraoral visit of a listed folder, oldest first, with the picture the
// panel shows at the position on that visit's date.
std::vector<PositionVisit> oralPositionVisits(const QStringList &strOralFile,
                                              const std::vector<QDateTime> &datOralFile, int intOralCount,
                                              const QString &jyunban, int position);

// The same for a face folder, its pictures dated as FileHizuke says.
std::vector<PositionVisit> facePositionVisits(const QString &faceFolder, int16_t fileHizuke,
                                              const QString &faceJyunban, int position);
// The same for the face folder's pictures dated as the panels date them: a picture
// whose date cannot be read (it vanished) stands under the zero date, as in the
// facial date list. A failed dating is not told here: the caption of the view
// tells it for the picture it shows.
std::vector<PositionVisit> facePositionVisits(DatedPictures &pictures, const QString &faceJyunban,
                                              int position);

// The visit whose picture at the position is path.
std::optional<int> visitShowing(const std::vector<PositionVisit> &visits, const QString &path);

// The nearest visit before (direction < 0) or after (direction > 0) visit `from`
// that has a picture at the position; visits without one are passed over.
// nullopt at the first or last such visit.
std::optional<int> steppedVisit(const std::vector<PositionVisit> &visits, int from, int direction);

} // namespace tolvarine
