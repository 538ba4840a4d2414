#include "import/DropList.h"

#include <utility>

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMetaObject>
#include <QMimeData>

#include "import/DropArea.h"

namespace tolvarine {

DropList::DropList(QWidget *parent) : QListWidget(parent)
{
    // Drops reach an item view through its viewport.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
}

void DropList::setDropGate(std::function<bool()> gate) { gate_ = std::move(gate); }

bool DropList::takesDrop(const QDropEvent *event) const
{
    return (event->possibleActions() & Qt::CopyAction) && acceptsFileDrop(event->mimeData())
           && (!gate_ || gate_());
}

void DropList::decide(QDropEvent *event) const
{
    if (takesDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

void DropList::dragEnterEvent(QDragEnterEvent *event) { decide(event); }

void DropList::dragMoveEvent(QDragMoveEvent *event) { decide(event); }

void DropList::dragLeaveEvent(QDragLeaveEvent *event) { event->accept(); }

void DropList::dropEvent(QDropEvent *event)
{
    decide(event);
    if (!event->isAccepted())
        return;
    const QStringList paths = droppedFilePaths(event->mimeData());
    QMetaObject::invokeMethod(
        this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
}

void showDropAreaTexts(QListWidget *list, QLabel *label, const DropAreaTexts &texts)
{
    if (list) {
        list->clear();
        list->addItems(texts.lines);
    }
    if (label)
        label->setText(texts.label);
}

} // namespace tolvarine
