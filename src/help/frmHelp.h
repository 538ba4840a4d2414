#pragma once

#include <vector>

#include <QString>
#include <QWidget>

#include "help/HelpContents.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace tolvarine {

// The help viewer: a non-modal window with a contents page (the file's headings)
// and a search page (a keyword and the headings it finds) beside the text. Every
// opening reads the file again and starts afresh; a file that cannot be read is
// told in the window itself.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *owner = nullptr);

    void showContents(const QString &helpFile);
    // The search page with an empty keyword.
    void showSearch(const QString &helpFile);

    const std::vector<HelpHeading> &headings() const { return headings_; }
    // What the window says instead of the help; empty while the file is shown.
    const QString &notice() const { return notice_; }

    QTabWidget *tabHelp = nullptr;
    QTreeWidget *tvwContents = nullptr;
    QLineEdit *txtKeyword = nullptr;
    QListWidget *lstFound = nullptr;
    QTextBrowser *txtTopic = nullptr;

private:
    void open(const QString &helpFile, bool search);
    void load(const QString &helpFile);
    void fillContents();
    void txtKeyword_Change();
    void txtKeyword_Enter();
    void tvwContents_Click(QTreeWidgetItem *item);
    void lstFound_Click();
    // Scrolls the text to a heading; with a keyword, marks its first match in the section.
    void showHeading(int index, const QString &keyword = QString());

    std::vector<HelpHeading> headings_;
    QString notice_;
};

} // namespace tolvarine
