#pragma once

#include <functional>

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace tolvarine {

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

} // namespace tolvarine
