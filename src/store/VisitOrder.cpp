#include "store/VisitOrder.h"

namespace tolvarine {

std::optional<int> positionForIndex(const QString &order, int index)
{
    if (index < 0 || index >= order.size())
        return std::nullopt;
    const QChar c = order.at(index);
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        return 0;
    return c.unicode() - u'0';
}

std::vector<Placement> placeVisit(const QString &order, int entryCount, int maxCount)
{
    std::vector<Placement> placements;
    for (int i = 0; i < entryCount && i < maxCount; ++i) {
        const std::optional<int> position = positionForIndex(order, i);
        if (!position)
            break;
        if (*position < maxCount)
            placements.push_back({i, *position});
    }
    return placements;
}

std::optional<int> indexForPosition(const QString &order, int position, int maxCount)
{
    for (int i = 0; i < maxCount; ++i) {
        const std::optional<int> named = positionForIndex(order, i);
        if (!named)
            return std::nullopt;
        if (*named == position)
            return i;
    }
    return std::nullopt;
}

QString fileNameAtPosition(const QString &order, const QStringList &paths, int intPictNo, int maxCount)
{
    const std::optional<int> index = indexForPosition(order, intPictNo, maxCount);
    if (!index || *index >= paths.size())
        return {};
    return paths.at(*index);
}

} // namespace tolvarine
