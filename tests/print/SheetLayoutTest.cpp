#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>

#include "print/SheetLayout.h"

namespace tolvarine {
namespace {

PanelSetup setup(PanelKind kind, const QString &order, std::vector<int16_t> codes = {})
{
    const size_t count = kind == PanelKind::Oral ? kOralPositions : kFacePositions;
    codes.resize(count, 0);
    return {kind, order, codes};
}

// At 1440 dots per inch with the printable area at the origin, a pixel is a twip.
SheetGeometry inTwips(SheetKind kind) { return {kind, QRect(0, 0, 11340, 16160), 1440}; }

struct PlaceCase {
    const char *name;
    SheetKind kind;
    PanelKind panel;
    int position;
    QPoint at;
};

class SheetPlaces : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(SheetPlaces, PictureStandsAtItsPlace)
{
    const PlaceCase &c = GetParam();
    const SheetPlace place =
        placeSheetPicture(inTwips(c.kind), {c.panel, 0, c.position, 0}, QSize(1600, 1200));
    const int box = c.kind == SheetKind::Normal ? 2300 : 3120;
    EXPECT_EQ(place.twips, QRect(c.at, QSize(box, box * 3 / 4)));
    EXPECT_EQ(place.device, place.twips);
}

constexpr auto N = SheetKind::Normal;
constexpr auto L = SheetKind::Large;
constexpr auto O = PanelKind::Oral;
constexpr auto F = PanelKind::Face;

INSTANTIATE_TEST_SUITE_P(
    EveryPlace, SheetPlaces,
    ::testing::Values(
        PlaceCase{"Normal_Oral0", N, O, 0, {500, 5950}}, PlaceCase{"Normal_Oral1", N, O, 1, {3170, 3800}},
        PlaceCase{"Normal_Oral2", N, O, 2, {500, 3800}}, PlaceCase{"Normal_Oral3", N, O, 3, {5840, 3800}},
        PlaceCase{"Normal_Oral4", N, O, 4, {3170, 1640}}, PlaceCase{"Normal_Oral5", N, O, 5, {3170, 5950}},
        PlaceCase{"Normal_Oral6", N, O, 6, {5840, 1640}}, PlaceCase{"Normal_Face0", N, F, 0, {500, 8110}},
        PlaceCase{"Normal_Face1", N, F, 1, {3170, 8110}}, PlaceCase{"Normal_Face2", N, F, 2, {5840, 8110}},
        PlaceCase{"Normal_Face3", N, F, 3, {8450, 8110}}, PlaceCase{"Normal_Face4", N, F, 4, {8450, 5490}},
        PlaceCase{"Large_Oral0", L, O, 0, {570, 6520}}, PlaceCase{"Large_Oral1", L, O, 1, {3970, 3800}},
        PlaceCase{"Large_Oral2", L, O, 2, {570, 3800}}, PlaceCase{"Large_Oral3", L, O, 3, {7370, 3800}},
        PlaceCase{"Large_Oral4", L, O, 4, {3970, 1040}}, PlaceCase{"Large_Oral5", L, O, 5, {3970, 6520}},
        PlaceCase{"Large_Oral6", L, O, 6, {7370, 1040}}, PlaceCase{"Large_Face0", L, F, 0, {570, 9240}},
        PlaceCase{"Large_Face1", L, F, 1, {3970, 9240}}, PlaceCase{"Large_Face2", L, F, 2, {7370, 9240}},
        PlaceCase{"Large_Face3", L, F, 3, {570, 12600}}, PlaceCase{"Large_Face4", L, F, 4, {3970, 12600}}),
    [](const auto &info) { return std::string(info.param.name); });

struct SizeCase {
    const char *name;
    SheetKind kind;
    PanelKind panel;
    int16_t code;
    QSize stored;
    QSize printed; // twips
};

class SheetSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SheetSizes, FixedSideAndProportions)
{
    const SizeCase &c = GetParam();
    const SheetPlace place = placeSheetPicture(inTwips(c.kind), {c.panel, 0, 0, c.code}, c.stored);
    EXPECT_EQ(place.twips.size(), c.printed);
    // Turned a quarter, the picture is brought to the transposed size first.
    const bool quarter = c.panel == PanelKind::Face && (c.code == 4 || c.code == 5);
    EXPECT_EQ(sizeBeforeTurn(place), quarter ? c.printed.transposed() : c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SheetSizes,
    ::testing::Values(SizeCase{"FaceQuarterTurnIsBoxHigh", N, F, 4, {1600, 1200}, {1725, 2300}},
                      SizeCase{"FaceThreeQuarterTurn", N, F, 5, {1600, 1200}, {1725, 2300}},
                      SizeCase{"FaceHalfTurnKeepsWidth", N, F, 1, {1600, 1200}, {2300, 1725}},
                      SizeCase{"OralLarge", L, O, 0, {1600, 1200}, {3120, 2340}},
                      SizeCase{"OralIgnoresQuarterCodes", N, O, 4, {1600, 1200}, {2300, 1725}},
                      SizeCase{"HalfRoundsDownToEven", N, O, 0, {4600, 4601}, {2300, 2300}},
                      SizeCase{"HalfRoundsUpToEven", N, O, 0, {4600, 4603}, {2300, 2302}},
                      SizeCase{"NoSizeNoPicture", N, O, 0, {0, 0}, {0, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SheetLayout, DevicePixelsFollowTheResolutionFromThePrintableCorner)
{
    const SheetGeometry g{SheetKind::Normal, QRect(30, 40, 4725, 6733), 600};
    const SheetPlace place = placeSheetPicture(g, {PanelKind::Oral, 0, 0, 0}, QSize(1600, 1200));
    // 500 x 600 / 1440 = 208.3, 5950 -> 2479.2, 2300 -> 958.3, 1725 -> 718.75
    EXPECT_EQ(place.device, QRect(30 + 208, 40 + 2479, 958, 719));
    const SheetLayout layout =
        layoutSheet(g, setup(PanelKind::Oral, "0123456"), {}, setup(PanelKind::Face, "01234"), {});
    EXPECT_EQ(layout.number, QPoint(30 + 250, 40 + 250));
    EXPECT_EQ(layout.clinic, QPoint(30 + 3708, 40 + 6375));
}

TEST(SheetLayout, PrintsOnlyAsManyPicturesAsTheOrderHasDigits)
{
    const std::vector<QSize> nine(9, QSize(1600, 1200));
    const SheetLayout full = layoutSheet(inTwips(N), setup(O, "0123456"), nine, setup(F, "01234"),
                                         std::vector<QSize>(6, QSize(1600, 1200)));
    ASSERT_EQ(full.pictures.size(), 12u);
    EXPECT_EQ(full.pictures[6].slot.index, 6);
    EXPECT_EQ(full.pictures[7].slot.panel, F);

    const SheetLayout shortOrder =
        layoutSheet(inTwips(N), setup(O, "31"), nine, setup(F, ""), {QSize(10, 10)});
    ASSERT_EQ(shortOrder.pictures.size(), 2u);
    EXPECT_EQ(shortOrder.pictures[0].twips.topLeft(), QPoint(5840, 3800));
    EXPECT_EQ(shortOrder.pictures[1].twips.topLeft(), QPoint(3170, 3800));
}

struct CommentCase {
    const char *name;
    SheetKind kind;
    QPoint comment;
};

class SheetComment : public ::testing::TestWithParam<CommentCase> {};

TEST_P(SheetComment, NoVisitLeavesTheTextsAndTheComment)
{
    const SheetLayout layout =
        layoutSheet(inTwips(GetParam().kind), setup(O, "0123456"), {}, setup(F, "01234"), {});
    EXPECT_TRUE(layout.pictures.empty());
    EXPECT_EQ(layout.number, QPoint(600, 600));
    EXPECT_EQ(layout.name, QPoint(1900, 800));
    EXPECT_EQ(layout.date, QPoint(8900, 800));
    EXPECT_EQ(layout.clinic, QPoint(8900, 15300));
    // From its place to the printable area's right edge, down to the clinic's name.
    EXPECT_EQ(layout.comment, QRect(GetParam().comment, QPoint(11339, 15299)));
}

INSTANTIATE_TEST_SUITE_P(Layouts, SheetComment,
                         ::testing::Values(CommentCase{"NormalBelowTheFaces", N, {600, 11340}},
                                           CommentCase{"LargeBesideTheLastFace", L, {7370, 12600}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SheetLayout, CommentSystemStretchesOverASmallerPrintableArea)
{
    // Half the designed area: the comment's units shrink with it.
    const SheetLayout layout =
        layoutSheet({N, QRect(100, 0, 5670, 8080), 1440}, setup(O, ""), {}, setup(F, ""), {});
    EXPECT_EQ(layout.comment.topLeft(), QPoint(100 + 300, 5670));
}

struct PaperCase {
    const char *name;
    SheetKind kind;
    QPageSize::PageSizeId paper;
};

class CommentRoom : public ::testing::TestWithParam<PaperCase> {};

// The comment's place follows the paper; the pictures and the clinic's name do not.
TEST_P(CommentRoom, NeverReachesAPictureOrTheClinicName)
{
    const PaperCase &c = GetParam();
    constexpr int dpi = 600;
    constexpr int textHeight = 90; // 10.5 points and a little
    const QPageLayout page(QPageSize(c.paper), QPageLayout::Portrait, QMarginsF(4.2, 4.2, 4.2, 4.2),
                           QPageLayout::Millimeter);
    const QRect area = page.paintRectPixels(dpi);
    // Camera pictures, one intraoral upright, one face turned a quarter.
    std::vector<QSize> oral(7, QSize(1600, 1200)), face(5, QSize(1600, 1200));
    oral[2] = QSize(1200, 1600);
    const SheetLayout layout =
        layoutSheet({c.kind, area, dpi, textHeight}, setup(O, "0123456"), oral, setup(F, "01234", {4}), face);
    ASSERT_EQ(layout.pictures.size(), 12u);
    const QRect &room = layout.comment;
    EXPECT_TRUE(area.contains(room)) << room.x() << "," << room.y() << " " << room.width() << "x"
                                     << room.height();
    EXPECT_GE(room.height(), textHeight) << "no line of the comment fits";
    EXPECT_FALSE(
        room.intersects(QRect(layout.clinic, QPoint(area.right(), layout.clinic.y() + textHeight - 1))));
    for (const SheetPlace &p : layout.pictures)
        EXPECT_FALSE(room.intersects(p.device))
            << "picture " << p.slot.position << (p.slot.panel == F ? " face" : "");
}

INSTANTIATE_TEST_SUITE_P(Papers, CommentRoom,
                         ::testing::Values(PaperCase{"Normal_A4", N, QPageSize::A4},
                                           PaperCase{"Normal_Letter", N, QPageSize::Letter},
                                           PaperCase{"Normal_B5", N, QPageSize::JisB5},
                                           PaperCase{"Normal_A5", N, QPageSize::A5},
                                           PaperCase{"Large_A4", L, QPageSize::A4},
                                           PaperCase{"Large_Letter", L, QPageSize::Letter},
                                           PaperCase{"Large_B5", L, QPageSize::JisB5}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvarine
