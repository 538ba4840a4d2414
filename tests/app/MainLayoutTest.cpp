#include <optional>

#include <gtest/gtest.h>

#include "app/MainLayout.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

struct DensityCase {
    std::optional<int> dpi;
    const char *text;
};

class FontDensityText : public ::testing::TestWithParam<DensityCase> {};

TEST_P(FontDensityText, IsTheDpiAsEightHexDigitsOrNothing)
{
    EXPECT_EQ(fontDensityText(GetParam().dpi), QLatin1String(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Densities, FontDensityText,
                         ::testing::Values(DensityCase{96, "00000060"}, DensityCase{120, "00000078"},
                                           DensityCase{144, "00000090"}, DensityCase{192, "000000C0"},
                                           DensityCase{255, "000000FF"}, DensityCase{4096, "00001000"},
                                           DensityCase{std::nullopt, "00"}),
                         test::namedBy([](const DensityCase &c) {
                             return c.dpi ? QStringLiteral("dpi%1").arg(*c.dpi) : QStringLiteral("noScreen");
                         }));

struct CompactCase {
    const char *text;
    int16_t osFontSize;
    bool compact;
};

class CompactLayoutRule : public ::testing::TestWithParam<CompactCase> {};

TEST_P(CompactLayoutRule, LooksAtTheLastTwoCharacters)
{
    EXPECT_EQ(compactLayoutFor(QLatin1String(GetParam().text), GetParam().osFontSize), GetParam().compact);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CompactLayoutRule,
    ::testing::Values(CompactCase{"00000060", 0, false}, CompactCase{"00000060", 1, false},
                      CompactCase{"00000078", 0, true}, CompactCase{"00000078", 1, true},
                      CompactCase{"00000090", 0, false}, CompactCase{"00000090", 1, true},
                      CompactCase{"000000C0", -1, true}, CompactCase{"00", 0, false},
                      CompactCase{"00", 1, true}, CompactCase{"", 1, true}, CompactCase{"0", 0, false},
                      // a string value: "96" and "120" are not the hexadecimal texts
                      CompactCase{"96", 0, false}, CompactCase{"120", 1, true}, CompactCase{"160", 1, false},
                      CompactCase{"0x78", 0, true}),
    test::namedBy([](const CompactCase &c) {
        return QStringLiteral("%1_OsFontSize%2").arg(*c.text ? c.text : "empty").arg(c.osFontSize);
    }));

class Layouts : public ::testing::TestWithParam<bool> {};

std::vector<QRect> visibleControls(const MainLayout &l)
{
    std::vector<QRect> all{l.lblKrNo, l.txtKrNo,     l.cmdKrNo,   l.lblKrName, l.txtKrName,
                           l.List3,   l.cmdExplorer, l.lblDrop,   l.cmdDrop,   l.Drive1,
                           l.Dir1,    l.List1,       l.ListFaDate};
    all.insert(all.end(), l.ImgSam.begin(), l.ImgSam.end());
    all.insert(all.end(), l.ImgFace.begin(), l.ImgFace.end());
    return all;
}

TEST_P(Layouts, EveryVisibleControlFitsTheClientArea)
{
    const MainLayout l = mainLayout(GetParam());
    const QRect client(QPoint(0, 0), l.client);
    for (const QRect &r : visibleControls(l))
        EXPECT_TRUE(client.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    EXPECT_EQ(l.window.width() - l.client.width(), 2 * kFrameBorderTwips);
    EXPECT_EQ(l.Line1.x2(), l.client.width());
    EXPECT_EQ(l.Line2.x2(), l.client.width());
}

TEST_P(Layouts, ThumbnailsNeitherOverlapEachOtherNorTheLists)
{
    const MainLayout l = mainLayout(GetParam());
    std::vector<QRect> pictures(l.ImgSam.begin(), l.ImgSam.end());
    pictures.insert(pictures.end(), l.ImgFace.begin(), l.ImgFace.end());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_FALSE(pictures[i].intersects(pictures[j])) << i << " " << j;
        for (const QRect &other : {l.Dir1, l.List1, l.ListFaDate, l.List3, l.Drive1, l.cmdDrop})
            EXPECT_FALSE(pictures[i].intersects(other)) << i;
    }
}

TEST_P(Layouts, TheIntraoralPicturesFormAThreeByThreeGrid)
{
    const bool compact = GetParam();
    const MainLayout l = mainLayout(compact);
    const std::array<int, 3> columns =
        compact ? std::array<int, 3>{2220, 4680, 7120} : std::array<int, 3>{2240, 5300, 8360};
    const std::array<int, 3> rows =
        compact ? std::array<int, 3>{120, 2080, 4080} : std::array<int, 3>{120, 2560, 5040};
    // (position, column, row): top row 4 and 6, middle row 2, 1, 3, bottom row 0 and 5
    const int cells[7][3] = {{4, 1, 0}, {6, 2, 0}, {2, 0, 1}, {1, 1, 1}, {3, 2, 1}, {0, 0, 2}, {5, 1, 2}};
    for (const auto &cell : cells) {
        EXPECT_EQ(l.ImgSam[cell[0]].topLeft(), QPoint(columns[cell[1]], rows[cell[2]])) << cell[0];
    }
    // The facial row of four below the grid, position 4 above position 3.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(l.ImgFace[i].top(), l.ImgFace[0].top());
    EXPECT_EQ(l.ImgFace[0].left(), columns[0]);
    EXPECT_EQ(l.ImgFace[4].left(), l.ImgFace[3].left());
    EXPECT_LT(l.ImgFace[4].bottom(), l.ImgFace[3].top());
    for (const QRect &face : l.ImgFace)
        EXPECT_EQ(face.size(), QSize(1932, 1812));
}

TEST_P(Layouts, TheClinicNameSitsAtAFixedDistanceFromTheRightEdge)
{
    const bool compact = GetParam();
    const MainLayout l = mainLayout(compact);
    EXPECT_EQ(l.lblClinicName, QRect(l.window.width() - (compact ? 2300 : 2600), 200, 2250, 492));
}

INSTANTIATE_TEST_SUITE_P(NormalAndCompact, Layouts, ::testing::Bool(),
                         test::namedBy([](bool compact) { return compact ? "compact" : "normal"; }));

TEST(DesignLayout, DiffersFromTheNormalLayoutOnlyWhereTheLoadSetsIt)
{
    const MainLayout design = designLayout();
    const MainLayout normal = mainLayout(false);
    EXPECT_EQ(design.List3, QRect(2280, 840, 2175, 420));
    EXPECT_EQ(normal.List3, QRect(2280, 840, 2175, 780));
    EXPECT_EQ(mainLayout(true).List3, design.List3);
    EXPECT_EQ(design.lblClinicName, QRect(7800, 5640, 2250, 492));
    EXPECT_EQ(design.Drive1, normal.Drive1);
    EXPECT_EQ(design.txtKrNo, normal.txtKrNo);
}

} // namespace
} // namespace tolvarine
