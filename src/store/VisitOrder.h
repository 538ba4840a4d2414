#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

namespace tolvarine {

// Display positions of a panel, and so the most pictures of a visit it shows.
constexpr int kOralPositions = 7;
constexpr int kFacePositions = 5;

// The position named for the index-th picture of a visit (from 0) by a shooting
// order: character index+1, read as a number. nullopt when the order has no such
// character, which ends the placing. A character that is not a digit "0".."9"
// reads as 0, as a numeric conversion of such text does on the original platform.
std::optional<int> positionForIndex(const QString &order, int index);

struct Placement {
    int index = 0;    // entry in the visit's path list
    int position = 0; // display position, 0 <= position < maxCount
};

// Where the pictures of a visit of entryCount pictures are shown: the first
// maxCount entries, up to the end of the order string. A position outside the
// panel (a digit of maxCount or more) has no control and is left out.
std::vector<Placement> placeVisit(const QString &order, int entryCount, int maxCount);

// The first index i below maxCount whose order character names position; nullopt
// when none does before the order string ends.
std::optional<int> indexForPosition(const QString &order, int position, int maxCount);

// The path of the picture shown at a position of the current visit: entry i of the
// visit's paths for the first matching i, or empty when no character matches, the
// order ends first, or the visit has no entry i.
QString fileNameAtPosition(const QString &order, const QStringList &paths, int intPictNo, int maxCount);

} // namespace tolvarine
