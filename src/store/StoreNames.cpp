#include "store/StoreNames.h"

#include <QDir>
#include <QSet>
#include <QStringList>

#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

QString visitDateText(const QDate &date)
{
    if (!date.isValid())
        return {};
    return QString::asprintf("%04d/%02d/%02d", date.year(), date.month(), date.day());
}

QString visitDateText(const QDateTime &dateTime) { return visitDateText(dateTime.date()); }

std::optional<QDate> parseVisitDate(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3 || parts.at(0).size() != 4)
        return std::nullopt;
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || (i > 0 && part.size() > 2))
            return std::nullopt;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        }
        values[i] = part.toInt();
    }
    const QDate date(values[0], values[1], values[2]);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString nextBlankPictureName(const QString &folder)
{
    QSet<QString> taken;
    for (const QString &entry : folderEntries(folder, EntryKind::All, true))
        taken.insert(entry.toCaseFolded());

    QString name = QStringLiteral("nopic.jpg");
    // The set is finite, so a free number is always found.
    for (int n = 1; taken.contains(name.toCaseFolded()); ++n)
        name = QStringLiteral("nopic%1.jpg").arg(n);
    return name;
}

QString orderedOralName(const QString &prefix, int number)
{
    return prefix + QString::number(number) + QStringLiteral(".jpg");
}

QString orderedFaceName(const QString &prefix, int number)
{
    return prefix + QLatin1Char('F') + QString::number(number) + QStringLiteral(".jpg");
}

QString datePrefix(const QDate &date)
{
    return QString::asprintf("%04d%02d%02d-", date.year(), date.month(), date.day());
}

QString offeredDatePrefix(const QString &visitDate, const QDate &today)
{
    return datePrefix(parseVisitDate(visitDate).value_or(today));
}

QString renamedPicturePath(const QString &picturePath, const QString &newName)
{
    // Searching from four characters before the end skips the ".jpg" of the name.
    const int from = int(picturePath.size()) - 5;
    if (from < 0)
        return {};
    const int slash = int(picturePath.lastIndexOf(QLatin1Char('/'), from));
    if (slash < 0)
        return {};
    return picturePath.left(slash + 1) + newName;
}

} // namespace tolvarine
