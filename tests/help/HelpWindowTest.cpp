#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include "help/HelpContents.h"
#include "help/frmAbout.h"
#include "help/frmHelp.h"
#include "support/WindowFixture.h"

using namespace tolvarine;

namespace {

const QString kHelpSource = QStringLiteral(TOLVARINE_HELP_SOURCE_DIR "/tolvarin.html");

QString sourceHelp()
{
    QFile file(kHelpSource);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The headings of the file as its markup has them, read without the code under test.
QStringList markupHeadings(const QString &html)
{
    QStringList out;
    static const QRegularExpression heading(QStringLiteral("<h[1-6][^>]*>(.*?)</h[1-6]>"));
    for (auto m = heading.globalMatch(html); m.hasNext();) {
        QTextDocument text;
        text.setHtml(m.next().captured(1));
        out << text.toPlainText().simplified();
    }
    return out;
}

QStringList treeTitles(QTreeWidget *tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        out << (*it)->text(0);
    return out;
}

} // namespace

class AboutKeys : public ::testing::TestWithParam<Qt::Key> {};

TEST_P(AboutKeys, PressOkAndClose)
{
    frmAbout about;
    about.show();
    QTest::keyClick(&about, GetParam());
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutKeys, ::testing::Values(Qt::Key_Return, Qt::Key_Escape),
                         test::namedBy([](Qt::Key key) { return key == Qt::Key_Return ? "Enter" : "Esc"; }));

using HelpMenuTest = test::WindowFixture;

TEST_F(HelpMenuTest, VersionWindowIsModalOverTheMainWindowWithItsTexts)
{
    auto w = loadWindow();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget())) {
            seen = true;
            EXPECT_EQ(about->windowTitle(), "Tolvarineのﾊﾞｰｼﾞｮﾝ情報");
            EXPECT_EQ(about->lblTitle->text(), "Tolvarine");
            EXPECT_EQ(about->lblVersion->text(), "ﾊﾞｰｼﾞｮﾝ 1.1.4");
            EXPECT_FALSE(about->picIcon->pixmap().isNull());
            EXPECT_EQ(about->parentWidget(), w.get());
            QTest::keyClick(about, Qt::Key_Escape);
        }
    });
    w->mnuHelpAbout->trigger();
    EXPECT_TRUE(seen);
}

struct ViewerCase {
    const char *name;
    bool search;
    bool fileThere;
};

class HelpViewer : public test::WindowFixture, public ::testing::WithParamInterface<ViewerCase> {};

// Opened twice with a keyword typed and the other page chosen in between: the same
// window, back on its page with an empty keyword.
TEST_P(HelpViewer, OpensTheSameWindowAfreshOnItsPage)
{
    const ViewerCase c = GetParam();
    if (c.fileThere) {
        ASSERT_TRUE(QFile::copy(kHelpSource, helpFilePath(program)));
    }
    test::MessageRecorder messages;
    auto w = loadWindow();
    QAction *entry = c.search ? w->mnuHelpSearch : w->mnuHelpContent;
    entry->trigger();
    frmHelp *viewer = w->findChild<frmHelp *>();
    ASSERT_NE(viewer, nullptr);
    viewer->tabHelp->setCurrentIndex(c.search ? 0 : 1);
    viewer->txtKeyword->setText(QStringLiteral("印刷"));
    entry->trigger();

    EXPECT_EQ(w->findChildren<frmHelp *>().size(), 1);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->tabHelp->currentIndex(), c.search ? 1 : 0);
    EXPECT_TRUE(viewer->txtKeyword->text().isEmpty());
    EXPECT_TRUE(messages.messages().empty()) << messages.texts().join('\n').toStdString();
    if (c.fileThere) {
        const QStringList headings = markupHeadings(sourceHelp());
        ASSERT_GT(headings.size(), 20);
        EXPECT_EQ(treeTitles(viewer->tvwContents), headings);
        EXPECT_EQ(viewer->lstFound->count(), int(headings.size()));
        EXPECT_TRUE(viewer->notice().isEmpty());
    } else {
        EXPECT_EQ(viewer->tvwContents->topLevelItemCount(), 0);
        EXPECT_TRUE(viewer->notice().contains(QStringLiteral("見つかりません")));
        EXPECT_TRUE(viewer->txtTopic->toPlainText().contains(helpFilePath(program)));
    }
}

INSTANTIATE_TEST_SUITE_P(Openings, HelpViewer,
                         ::testing::Values(ViewerCase{"contents", false, true},
                                           ViewerCase{"search", true, true},
                                           ViewerCase{"contents without the file", false, false},
                                           ViewerCase{"search without the file", true, false}),
                         test::namedBy([](const ViewerCase &c) { return c.name; }));

// Every caption the main window's menus show (mnemonic marks as shown, "(&P)" as
// "(P)") is explained in the help; every picture the help shows is shipped with it.
TEST_F(HelpMenuTest, HelpFileExplainsEveryMenuCaptionAndHasItsPictures)
{
    const QString html = sourceHelp();
    QTextDocument document;
    document.setHtml(html);
    const QString text = document.toPlainText();
    auto w = loadWindow();
    QList<QAction *> entries = w->mnuPict->actions();
    for (QAction *top : w->menuBar()->actions()) {
        entries << top;
        if (top->menu())
            entries << top->menu()->actions();
    }
    int captions = 0;
    for (QAction *a : entries) {
        if (a->isSeparator())
            continue;
        const QString caption = QString(a->text()).remove(u'&');
        EXPECT_TRUE(text.contains(caption)) << caption.toStdString();
        ++captions;
    }
    EXPECT_GE(captions, 18);
    static const QRegularExpression image(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
    int pictures = 0;
    for (auto m = image.globalMatch(html); m.hasNext(); ++pictures)
        EXPECT_TRUE(QFile::exists(QStringLiteral(TOLVARINE_HELP_SOURCE_DIR "/") + m.next().captured(1)));
    EXPECT_GE(pictures, 2);
}
