#include <string>
#include <vector>

#include <QTextDocument>

#include <gtest/gtest.h>

#include "help/HelpContents.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

const char *const kSample = "<h1>はじめに</h1><p>概要</p>"
                            "<h2>印刷する</h2><p>写真とプリンタを選びます。</p>"
                            "<h3>印刷プレビュー</h3><p>PDF の確認</p>"
                            "<h2>写真の削除</h2><p>ゴミ箱へ移します。</p>";

std::vector<HelpHeading> sampleHeadings()
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(kSample));
    return helpHeadings(document);
}

std::vector<std::string> titles(const std::vector<HelpHeading> &headings, const std::vector<int> &indexes)
{
    std::vector<std::string> out;
    for (int i : indexes)
        out.push_back(headings[size_t(i)].title.toStdString());
    return out;
}

} // namespace

TEST(HelpHeadings, EveryHeadingInOrderWithItsLevelAndOnlyItsOwnSection)
{
    const std::vector<HelpHeading> headings = sampleHeadings();
    EXPECT_EQ(titles(headings, {0, 1, 2, 3}),
              (std::vector<std::string>{"はじめに", "印刷する", "印刷プレビュー", "写真の削除"}));
    std::vector<int> levels;
    for (const HelpHeading &h : headings)
        levels.push_back(h.level);
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 3, 2}));
    EXPECT_TRUE(headings[1].text.contains(QStringLiteral("プリンタ")));
    EXPECT_FALSE(headings[1].text.contains(QStringLiteral("PDF")));
}

struct SearchCase {
    const char *name;
    const char *keyword;
    std::vector<std::string> found;
};

class HelpSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(HelpSearch, FindsTheHeadingsHoldingThePartialWord)
{
    const std::vector<HelpHeading> headings = sampleHeadings();
    EXPECT_EQ(titles(headings, findHeadings(headings, QString::fromUtf8(GetParam().keyword))),
              GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, HelpSearch,
    ::testing::Values(
        SearchCase{"part of two titles", "印刷", {"印刷する", "印刷プレビュー"}},
        SearchCase{"half width finds full width", "ﾌﾟﾚﾋﾞｭｰ", {"印刷プレビュー"}},
        SearchCase{"letter case ignored in the text", "pdf", {"印刷プレビュー"}},
        SearchCase{"titles before texts", "写真", {"写真の削除", "印刷する"}},
        SearchCase{"blanks around ignored", " 削除 ", {"写真の削除"}},
        SearchCase{"empty finds every heading", "", {"はじめに", "印刷する", "印刷プレビュー", "写真の削除"}},
        SearchCase{"unknown word finds none", "レントゲン", {}}),
    test::namedBy([](const SearchCase &c) { return c.name; }));
