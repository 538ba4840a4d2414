#pragma once

#include <QListWidget>
#include <QString>

namespace tolvarine {

// The classic folder list: the chain of folders from the root down to the open
// folder, then the open folder's subfolders, sorted without regard to case. A click
// only highlights; a double click or Enter opens the highlighted folder.
// changed() is emitted once for each change of the open folder; setting the open
// folder again emits nothing.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole;      // the folder an entry stands for
    static constexpr int LevelRole = Qt::UserRole + 1; // its depth below the root

    explicit FolderList(QWidget *parent = nullptr);

    // The open folder; empty until one is set.
    QString path() const { return path_; }
    // False, and the open folder unchanged, when path is not an existing folder.
    bool setPath(const QString &path);
    // Reads the open folder's subfolders again.
    void refresh();

    // The path an entry stands for.
    static QString entryPath(const QListWidgetItem *item);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void open(QListWidgetItem *item);
    void addEntry(const QString &text, const QString &path, int level, bool chain);

    QString path_;
};

} // namespace tolvarine
