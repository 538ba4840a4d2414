#include "help/frmHelp.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "platform/Twips.h"
#include "widgets/AppIcon.h"
#include "widgets/Fonts.h"

namespace tolvarine {

namespace {

constexpr int kFontPoints = 10;
// Wide enough for the pictures of the help (680 pixels) beside the pages.
constexpr QSize kWindowTwips(15600, 10800);
constexpr int kPagesWidthTwips = 3600;
// A heading shown at the top keeps this much of the text's margin above it.
constexpr int kHeadingGapTwips = 120;
constexpr int kHeadingRole = Qt::UserRole;

QString noticeText(const QString &helpFile, const Outcome &read)
{
    if (read.status == Status::Missing)
        return QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(helpFile);
    const QString reason = read.error != 0 ? systemErrorText(read.error) : read.detail;
    return QStringLiteral("ヘルプファイル「%1」を読み込めません（%2）。").arg(helpFile, reason);
}

} // namespace

frmHelp::frmHelp(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setWindowTitle(applicationTitle() + QStringLiteral(" ヘルプ"));
    setWindowIcon(appIcon());
    setFont(QFont(japaneseUiFontFamily(), kFontPoints));

    tabHelp = new QTabWidget;
    tvwContents = new QTreeWidget;
    tvwContents->setHeaderHidden(true);
    tabHelp->addTab(tvwContents, QStringLiteral("目次"));

    auto *search = new QWidget;
    auto *searchLayout = new QVBoxLayout(search);
    auto *lblKeyword = new QLabel(QStringLiteral("探したい言葉を入力して下さい(一部だけでも探せます)"));
    lblKeyword->setWordWrap(true);
    txtKeyword = new QLineEdit;
    lblKeyword->setBuddy(txtKeyword);
    lstFound = new QListWidget;
    searchLayout->addWidget(lblKeyword);
    searchLayout->addWidget(txtKeyword);
    searchLayout->addWidget(lstFound);
    tabHelp->addTab(search, QStringLiteral("検索"));

    txtTopic = new QTextBrowser;
    txtTopic->setOpenLinks(true);
    txtTopic->setOpenExternalLinks(false);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(tabHelp);
    splitter->addWidget(txtTopic);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    const double dpi = logicalDpiX();
    QSize size = twipsToPixels(kWindowTwips, dpi);
    if (const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    const int pages = twipsToPixels(kPagesWidthTwips, dpi);
    splitter->setSizes({pages, width() - pages});

    connect(tvwContents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { tvwContents_Click(item); });
    connect(tvwContents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { tvwContents_Click(item); });
    connect(txtKeyword, &QLineEdit::textChanged, this, &frmHelp::txtKeyword_Change);
    connect(txtKeyword, &QLineEdit::returnPressed, this, &frmHelp::txtKeyword_Enter);
    connect(lstFound, &QListWidget::currentRowChanged, this, &frmHelp::lstFound_Click);
    connect(lstFound, &QListWidget::itemClicked, this, &frmHelp::lstFound_Click);
}

void frmHelp::showContents(const QString &helpFile) { open(helpFile, false); }

void frmHelp::showSearch(const QString &helpFile) { open(helpFile, true); }

void frmHelp::open(const QString &helpFile, bool search)
{
    load(helpFile);
    QWidget *page = search ? static_cast<QWidget *>(txtKeyword) : tvwContents;
    tabHelp->setCurrentIndex(search ? 1 : 0);
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    page->setFocus(Qt::OtherFocusReason);
}

void frmHelp::load(const QString &helpFile)
{
    headings_.clear();
    notice_.clear();
    QString html;
    const Outcome read = readHelpFile(helpFile, html);
    // Pictures are found beside the file.
    txtTopic->setSearchPaths({QFileInfo(helpFile).absolutePath()});
    if (read) {
        txtTopic->setHtml(html);
        headings_ = helpHeadings(*txtTopic->document());
    } else {
        notice_ = noticeText(helpFile, read);
        txtTopic->setHtml(QStringLiteral("<p>%1</p>").arg(notice_.toHtmlEscaped()));
    }
    fillContents();
    // Filling the list through the keyword's change also when it was empty already.
    txtKeyword->blockSignals(true);
    txtKeyword->clear();
    txtKeyword->blockSignals(false);
    txtKeyword_Change();
    txtTopic->verticalScrollBar()->setValue(0);
}

// The headings as a tree: each under the nearest heading of a higher level before it.
void frmHelp::fillContents()
{
    const QSignalBlocker quiet(tvwContents);
    tvwContents->clear();
    std::vector<std::pair<int, QTreeWidgetItem *>> open;
    for (int i = 0; i < int(headings_.size()); ++i) {
        const HelpHeading &heading = headings_[size_t(i)];
        while (!open.empty() && open.back().first >= heading.level)
            open.pop_back();
        auto *item =
            open.empty() ? new QTreeWidgetItem(tvwContents) : new QTreeWidgetItem(open.back().second);
        item->setText(0, heading.title);
        item->setData(0, kHeadingRole, i);
        open.emplace_back(heading.level, item);
    }
    tvwContents->expandAll();
}

void frmHelp::txtKeyword_Change()
{
    const QSignalBlocker quiet(lstFound);
    lstFound->clear();
    for (int index : findHeadings(headings_, txtKeyword->text())) {
        auto *item = new QListWidgetItem(headings_[size_t(index)].title, lstFound);
        item->setData(kHeadingRole, index);
    }
}

void frmHelp::txtKeyword_Enter()
{
    if (lstFound->count() > 0) {
        lstFound->setCurrentRow(0);
        lstFound_Click();
    }
}

void frmHelp::tvwContents_Click(QTreeWidgetItem *item)
{
    if (item)
        showHeading(item->data(0, kHeadingRole).toInt());
}

void frmHelp::lstFound_Click()
{
    if (const QListWidgetItem *item = lstFound->currentItem())
        showHeading(item->data(kHeadingRole).toInt(), txtKeyword->text().trimmed());
}

void frmHelp::showHeading(int index, const QString &keyword)
{
    if (index < 0 || index >= int(headings_.size()))
        return;
    const HelpHeading &heading = headings_[size_t(index)];
    QTextDocument *document = txtTopic->document();
    QTextCursor cursor(document);
    cursor.setPosition(heading.position);
    if (!keyword.isEmpty()) {
        const QTextCursor found = document->find(keyword, heading.position);
        if (!found.isNull() && found.selectionEnd() <= heading.end)
            cursor = found;
    }
    txtTopic->setTextCursor(cursor);
    // The heading at the top of the text, the match (further down) brought into view.
    const QRectF block = document->documentLayout()->blockBoundingRect(document->findBlock(heading.position));
    txtTopic->verticalScrollBar()->setValue(int(block.top())
                                            - twipsToPixels(kHeadingGapTwips, logicalDpiY()));
    txtTopic->ensureCursorVisible();
}

} // namespace tolvarine
