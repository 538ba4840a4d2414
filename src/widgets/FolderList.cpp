#include "widgets/FolderList.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/FileSystem.h"

namespace tolvarine {

namespace {

// Indents each entry by its depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(indent(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return QSize(base.width() + indent(option, index), base.height());
    }

private:
    static int indent(const QStyleOptionViewItem &option, const QModelIndex &index)
    {
        return index.data(FolderList::LevelRole).toInt()
               * option.fontMetrics.horizontalAdvance(QLatin1Char('0'));
    }
};

QStringList subfolders(const QString &folder)
{
    QStringList names = folderEntries(folder, EntryKind::Folders);
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return storeNameLess(a, b); });
    return names;
}

} // namespace

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Opening is ours: some styles activate an item on a single click.
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::open);
}

QString FolderList::entryPath(const QListWidgetItem *item)
{
    return item ? item->data(PathRole).toString() : QString();
}

bool FolderList::setPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QString cleaned = QDir::cleanPath(info.absoluteFilePath());
    if (cleaned == path_)
        return true;
    path_ = cleaned;
    refresh();
    emit changed();
    return true;
}

void FolderList::refresh()
{
    clear();
    if (path_.isEmpty())
        return;
    const QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder = QStringLiteral("/");
    addEntry(folder, folder, 0, true);
    for (int i = 0; i < parts.size(); ++i) {
        folder = QDir(folder).filePath(parts.at(i));
        addEntry(parts.at(i), folder, i + 1, true);
    }
    QListWidgetItem *openEntry = item(count() - 1);
    const int childLevel = static_cast<int>(parts.size()) + 1;
    for (const QString &name : subfolders(path_))
        addEntry(name, QDir(path_).filePath(name), childLevel, false);
    setCurrentItem(openEntry);
    scrollToItem(openEntry);
}

void FolderList::addEntry(const QString &text, const QString &path, int level, bool chain)
{
    auto *entry = new QListWidgetItem(
        style()->standardIcon(chain ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon), text, this);
    entry->setData(PathRole, path);
    entry->setData(LevelRole, level);
    entry->setToolTip(path);
}

void FolderList::open(QListWidgetItem *item)
{
    const QString target = entryPath(item);
    if (target.isEmpty())
        return;
    if (!setPath(target))
        refresh(); // the folder went away meanwhile
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace tolvarine
