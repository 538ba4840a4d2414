#include "maintenance/PictureChanges.h"

#include <cerrno>

#include <QDate>
#include <QDir>
#include <QStandardPaths>
#include <QTime>

#include "platform/FileSystem.h"
#include "store/StoreCopy.h"
#include "store/StoreNames.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2070;

// A whole number as typed, blanks around it allowed, in ASCII or full-width digits
// (a Japanese input method gives the latter).
std::optional<int> typedNumber(const QString &text)
{
    const QString number = text.trimmed();
    if (number.isEmpty() || number.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : number) {
        const bool ascii = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool wide = c >= QChar(0xFF10) && c <= QChar(0xFF19);
        if (!ascii && !wide)
            return std::nullopt;
        value = value * 10 + c.digitValue();
    }
    return value;
}

} // namespace

Outcome renameToDisplayOrder(const QString &pressed, const std::function<QString(int position)> &pictureAt,
                             const std::function<QString(int number)> &nameFor)
{
    Outcome result = Outcome::done();
    for (int k = 0; k < int(pressed.size()); ++k) {
        const QString path = pictureAt(pressed.at(k).digitValue());
        const QString name = nameFor(k + 1);
        // A name that is no plain file name would move the picture out of its folder.
        const QString renamed = name.contains(QLatin1Char('/')) ? QString() : renamedPicturePath(path, name);
        if (renamed.isEmpty())
            continue;
        // The picture's own name counts as taken: pressing the order the names
        // already have reports at once.
        if (existsCaseInsensitive(renamed))
            return Outcome::failed(Status::NameTaken, renamed, EEXIST);
        const Outcome moved = renameNoReplace(path, renamed);
        if (moved.status == Status::NameTaken)
            return moved;
        if (!moved && result)
            result = moved;
    }
    return result;
}

Outcome copyBlankPicture(const QString &templatePath, const QString &folder)
{
    const QString name = nextBlankPictureName(folder);
    const QString source = resolveCaseInsensitive(templatePath);
    Outcome copied = source.isEmpty() ? Outcome::failed(Status::Missing, {}, ENOENT)
                                      : copyIntoFolder(source, folder, name);
    if (!copied)
        copied.detail = joinPath(folder, name);
    return copied;
}

Outcome discardPicture(const QString &path)
{
    if (isReadOnlyFile(path))
        return Outcome::failed(Status::ReadOnly, path, EACCES);
    // The home trash's parent may not exist yet on a fresh account; without it
    // Qt finds no trash and the picture would be deleted for good.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (Outcome trashed = moveToTrash(path))
        return trashed;
    // No trash on that file system (or none Qt can reach without copying).
    const Outcome removed = removeFile(path);
    return removed ? Outcome::done() : removed;
}

std::optional<QDateTime> enteredDate(const QString &year, const QString &month, const QString &day)
{
    const std::optional<int> y = typedNumber(year), m = typedNumber(month), d = typedNumber(day);
    if (!y || !m || !d || *y < kFirstYear || *y > kLastYear || *m < 1 || *m > 12 || *d < 1 || *d > 31)
        return std::nullopt;
    const QDate date(*y, *m, *d);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(12, 0));
}

} // namespace tolvarine
