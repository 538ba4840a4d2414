#include "store/StorePaths.h"

namespace tolvarine {

namespace {

const QString kSeparator = QStringLiteral("/");

// Five characters never make "." or ".."; only a separator or NUL could lead the
// path out of its folder.
bool isUsablePatientNumber(const QString &krNo)
{
    return krNo.size() == kPatientNumberLength && !krNo.contains(QLatin1Char('/'))
           && !krNo.contains(QChar(u'\0'));
}

} // namespace

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(kSeparator))
        return folder + name;
    return folder + kSeparator + name;
}

std::optional<QString> padPatientNumber(const QString &typed)
{
    if (typed.isEmpty() || typed.size() > kPatientNumberLength)
        return std::nullopt;
    return QString(kPatientNumberLength - typed.size(), QLatin1Char('0')) + typed;
}

QString groupFolder(const QString &pictFolda, const QString &krNo)
{
    if (pictFolda.isEmpty() || !isUsablePatientNumber(krNo))
        return {};
    return joinPath(pictFolda, krNo.left(kGroupLength));
}

QString patientFolder(const QString &pictFolda, const QString &krNo)
{
    const QString group = groupFolder(pictFolda, krNo);
    if (group.isEmpty())
        return {};
    return joinPath(group, krNo);
}

QString faceFolder(const QString &patientFolder) { return joinPath(patientFolder, QStringLiteral("face")); }

QString thumbnailPath(const QString &picturePath)
{
    constexpr int kExtensionLength = 4; // ".jpg"
    if (picturePath.size() <= kExtensionLength)
        return {};
    return picturePath.left(picturePath.size() - kExtensionLength) + QStringLiteral("sn.cmp");
}

QString nameFilePath(const QString &listedFolder)
{
    return joinPath(listedFolder, QStringLiteral("krname.txt"));
}

QString blankTemplatePath(const QString &programFolder)
{
    return joinPath(programFolder, QStringLiteral("nopic.jpg"));
}

} // namespace tolvarine
