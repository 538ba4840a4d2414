#pragma once

#include <functional>

#include <QListWidget>
#include <QStringList>

class QLabel;

namespace tolvarine {

struct DropAreaTexts;

// The drop area's list: takes file lists dragged from the file browser and says so
// in the drag-over; refuses everything else, and everything while the gate is shut.
// filesDropped() comes once the drop itself has ended, so that the drag source is
// not held while the files are copied.
class DropList : public QListWidget {
    Q_OBJECT
public:
    explicit DropList(QWidget *parent = nullptr);

    // Asked at every drag-over; an empty gate lets every file list in.
    void setDropGate(std::function<bool()> gate);

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool takesDrop(const QDropEvent *event) const;
    void decide(QDropEvent *event) const;

    std::function<bool()> gate_;
};

// Shows a target on the drop area: the label, and the list cleared and filled with
// the instruction lines.
void showDropAreaTexts(QListWidget *list, QLabel *label, const DropAreaTexts &texts);

} // namespace tolvarine
