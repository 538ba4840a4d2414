#pragma once

#include <optional>
#include <vector>

#include <QRect>

namespace tolvarine {

// A shown thumbnail: an identifier of the caller's choosing (a display position,
// or a panel and position folded into one number) and where it is on screen.
struct ShownPlace {
    int id = 0;
    QRect rect;
};

// The place an arrow key moves the focus to from place `from`: among the places
// whose centre lies beyond from's centre in that direction, more ahead than half
// as far to the side, the nearest, a step
// sideways counting twice a step straight on, so that the same row or column is
// preferred. nullopt when nothing lies that way or from is not among the places.
std::optional<int> nextShownPlace(const std::vector<ShownPlace> &places, int from, Qt::ArrowType direction);

} // namespace tolvarine
