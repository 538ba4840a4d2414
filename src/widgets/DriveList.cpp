#include "widgets/DriveList.h"

#include <algorithm>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>

#include "platform/FileSystem.h"
#include "widgets/FolderList.h"

namespace tolvarine {

namespace {

bool holds(const QString &root, const QString &path)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent), source_(&DriveList::readyVolumeRoots)
{
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::selectionChanged);
    refresh();
}

void DriveList::setVolumeSource(VolumeSource source)
{
    source_ = source ? std::move(source) : VolumeSource(&DriveList::readyVolumeRoots);
    refresh();
}

QStringList DriveList::readyVolumeRoots()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        // Bind-mounted single files are mounts too, but not drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots << QDir::cleanPath(volume.rootPath());
    }
    // Inside a chroot or a container the root is no mount point of its own and the
    // mount table leaves it out, yet every path lies on it.
    roots << QStringLiteral("/");
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end(), [](const QString &a, const QString &b) {
        if ((a == QLatin1String("/")) != (b == QLatin1String("/")))
            return a == QLatin1String("/");
        return storeNameLess(a, b);
    });
    return roots;
}

QString DriveList::rootHolding(const QStringList &roots, const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QString cleaned = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best;
    for (const QString &root : roots) {
        if (holds(root, cleaned) && root.size() > best.size())
            best = root;
    }
    return best;
}

void DriveList::refresh()
{
    const QStringList roots = source_();
    {
        const QSignalBlocker blocker(this);
        clear();
        for (const QString &root : roots)
            addItem(root, root);
        const int keep = findData(drive_);
        setCurrentIndex(keep >= 0 ? keep : (count() > 0 ? 0 : -1));
    }
    selectionChanged(currentIndex());
}

bool DriveList::setDrive(const QString &path)
{
    const QString root = rootHolding(source_(), path);
    if (root.isEmpty())
        return false;
    if (findData(root) < 0)
        refresh();
    const int index = findData(root);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

void DriveList::selectionChanged(int index)
{
    const QString now = index >= 0 ? itemData(index).toString() : QString();
    if (now == drive_)
        return;
    drive_ = now;
    emit changed();
}

void followDrive(DriveList &drives, FolderList &folders)
{
    const QString drive = drives.drive();
    if (drive.isEmpty())
        return;
    QStringList roots;
    for (int i = 0; i < drives.count(); ++i)
        roots << drives.itemData(i).toString();
    if (DriveList::rootHolding(roots, folders.path()) == drive)
        return;
    if (!QFileInfo(drive).isReadable() || !folders.setPath(drive))
        drives.setDrive(folders.path());
}

} // namespace tolvarine
