#pragma once

#include <functional>

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace tolvarine {

class FolderList;

// The drive list: the mounted, ready file systems by their root path, "/" first.
// changed() is emitted once for each change of the selected drive, whether the
// user or the program made it.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    // Where the drives come from: readyVolumeRoots() unless replaced (tests).
    using VolumeSource = std::function<QStringList()>;

    explicit DriveList(QWidget *parent = nullptr);
    void setVolumeSource(VolumeSource source);

    // Root path of the selected drive; empty when nothing is listed.
    QString drive() const { return drive_; }
    // Selects the drive holding path. False, and nothing changed, when no listed
    // drive holds it.
    bool setDrive(const QString &path);
    // Reads the mounted file systems again; the selection stays where it can.
    void refresh();

    // Root paths of the mounted, ready file systems, "/" first, the rest sorted.
    static QStringList readyVolumeRoots();
    // The root among roots that holds path: the longest one that is path itself or
    // one of its parent folders. Empty when none does.
    static QString rootHolding(const QStringList &roots, const QString &path);

signals:
    void changed();

private:
    void selectionChanged(int index);

    VolumeSource source_;
    QString drive_;
};

// What choosing a drive does to the folder list beside it: it opens the drive's root,
// unless it already shows a folder of that drive (as when the drive list was just
// pointed at the open folder's drive). A drive that cannot be listed puts the drive
// list back on the drive of the folder still open.
void followDrive(DriveList &drives, FolderList &folders);

} // namespace tolvarine
