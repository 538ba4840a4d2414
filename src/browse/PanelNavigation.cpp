#include "browse/PanelNavigation.h"

#include <cstdlib>
#include <limits>

namespace tolvarine {

std::optional<int> nextShownPlace(const std::vector<ShownPlace> &places, int from, Qt::ArrowType direction)
{
    const ShownPlace *origin = nullptr;
    for (const ShownPlace &place : places) {
        if (place.id == from)
            origin = &place;
    }
    if (!origin || direction == Qt::NoArrow)
        return std::nullopt;
    const QPoint start = origin->rect.center();
    const bool horizontal = direction == Qt::LeftArrow || direction == Qt::RightArrow;
    const int sign = direction == Qt::LeftArrow || direction == Qt::UpArrow ? -1 : 1;

    std::optional<int> best;
    long long bestScore = std::numeric_limits<long long>::max();
    for (const ShownPlace &place : places) {
        if (place.id == from)
            continue;
        const QPoint offset = place.rect.center() - start;
        const int ahead = sign * (horizontal ? offset.x() : offset.y());
        const int aside = std::abs(horizontal ? offset.y() : offset.x());
        // A place only barely ahead but far to the side is not in that direction:
        // the left column of one panel must not lead Left into the other panel.
        if (ahead <= 0 || 2LL * ahead <= aside)
            continue;
        const long long score = ahead + 2LL * aside;
        if (score < bestScore) {
            bestScore = score;
            best = place.id;
        }
    }
    return best;
}

} // namespace tolvarine
