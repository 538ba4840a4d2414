#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "ViewTestData.h"
#include "imaging/ImagingControl.h"
#include "viewer/ViewPicture.h"

namespace tolvarine {
namespace {

// --- adjustments -----------------------------------------------------------------

struct AdjustCase {
    const char *name;
    std::function<void(AppSettings &)> set;
    QRgb dark;  // what (64, 64, 64) becomes
    QRgb light; // what (192, 192, 192) becomes
};

class Adjusting : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(Adjusting, ChangesPixelsAsItsSwitchesSay)
{
    AppSettings settings;
    GetParam().set(settings);
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(64, 64, 64));
    image.setPixel(1, 0, qRgb(192, 192, 192));
    ImagingControl img1;
    img1.setImage(image);
    subAdjust(img1, settings);
    EXPECT_EQ(QColor(img1.image().pixel(0, 0)), QColor(GetParam().dark));
    EXPECT_EQ(QColor(img1.image().pixel(1, 0)), QColor(GetParam().light));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Adjusting,
    ::testing::Values(AdjustCase{"ContrastSpreadsFrom128",
                                 [](AppSettings &s) {
                                     s.Contrast = 1;
                                     s.ContrastTi = 50;
                                 },
                                 qRgb(54, 54, 54), qRgb(202, 202, 202)},
                      AdjustCase{"ContrastSkippedWhenOff", [](AppSettings &s) { s.ContrastTi = 50; },
                                 qRgb(64, 64, 64), qRgb(192, 192, 192)},
                      AdjustCase{"BrightnessRaises",
                                 [](AppSettings &s) {
                                     s.Kido = 1;
                                     s.KidoTi = 30;
                                 },
                                 qRgb(87, 87, 87), qRgb(215, 215, 215)},
                      AdjustCase{"BrightnessSkippedWhenOff", [](AppSettings &s) { s.KidoTi = 30; },
                                 qRgb(64, 64, 64), qRgb(192, 192, 192)},
                      AdjustCase{"RedAmountChangesOnlyRed",
                                 [](AppSettings &s) {
                                     s.RGB = 1;
                                     s.RedTi = 50;
                                 },
                                 qRgb(54, 64, 64), qRgb(202, 192, 192)},
                      AdjustCase{"BlueAmountNarrowsOnlyBlue",
                                 [](AppSettings &s) {
                                     s.RGB = 1;
                                     s.BlueTi = -50;
                                 },
                                 qRgb(64, 64, 74), qRgb(192, 192, 182)},
                      AdjustCase{"ColoursSkippedWhenOff", [](AppSettings &s) { s.RedTi = 50; },
                                 qRgb(64, 64, 64), qRgb(192, 192, 192)},
                      // 64 -> 45 by contrast, then +77; the other order would give 145.
                      AdjustCase{"ContrastBeforeBrightness",
                                 [](AppSettings &s) {
                                     s.Contrast = s.Kido = 1;
                                     s.ContrastTi = s.KidoTi = 100;
                                 },
                                 qRgb(122, 122, 122), qRgb(255, 255, 255)},
                      // 20000 x 3 wrapped to 16 bits would be -5536 and flatten everything to 128.
                      AdjustCase{"HugeAmountHeldInsteadOfWrapped",
                                 [](AppSettings &s) {
                                     s.Contrast = 1;
                                     s.ContrastTi = 20000;
                                 },
                                 qRgb(0, 0, 0), qRgb(255, 255, 255)}),
    [](const ::testing::TestParamInfo<AdjustCase> &info) { return std::string(info.param.name); });

// --- decoding at the scale needed ----------------------------------------------

TEST(ViewPicture, DecodesAtTheScaleNeededAndRefitsFromWhatItHolds)
{
    test::Sandbox box;
    const QString path = test::writeQuadrantPicture(box, "a.jpg", QDateTime(QDate(2009, 3, 15), QTime(10, 0)),
                                                    QSize(2400, 1600));
    ViewPicture picture(path, PanelKind::Oral, 0, AppSettings());

    ASSERT_TRUE(picture.fit(QSize(533, 434)).ok());
    EXPECT_EQ(picture.fittedImage().size(), QSize(533, 355));
    EXPECT_EQ(picture.decodeCount(), 1);
    EXPECT_EQ(picture.storedSize(), QSize(2400, 1600));

    // The first decode was at a quarter (600 x 400); anything up to that refits from it.
    ASSERT_TRUE(picture.fit(QSize(300, 300)).ok());
    ASSERT_TRUE(picture.fit(QSize(600, 400)).ok());
    EXPECT_EQ(picture.fittedImage().size(), QSize(600, 400));
    EXPECT_EQ(picture.decodeCount(), 1);
    // More than it holds: decoded again, at a larger reduction only.
    ASSERT_TRUE(picture.fit(QSize(1100, 800)).ok());
    EXPECT_EQ(picture.fittedImage().size(), QSize(1100, 733));
    EXPECT_EQ(picture.decodeCount(), 2);

    // A zoom decodes at the power-of-two reduction its scale needs, the whole picture
    // while that stays small, and asks nothing more while its tile shows what is wanted.
    const QRectF visible(100, 100, 500, 400);
    std::optional<ZoomRequest> request = picture.zoomRequest(visible, 0.4);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->reduction, 2);
    EXPECT_EQ(request->region, QRect(0, 0, 2400, 1600));
    picture.takeZoom(decodeZoom(*request));
    EXPECT_EQ(picture.zoomTile().image.size(), QSize(1200, 800));
    EXPECT_FALSE(picture.zoomRequest(visible, 0.5));
    request = picture.zoomRequest(visible, 3.0);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->reduction, 1);
    picture.takeZoom(decodeZoom(*request));
    EXPECT_EQ(picture.zoomTile().image.size(), QSize(2400, 1600));
    picture.releaseZoom();
    EXPECT_TRUE(picture.zoomTile().image.isNull());
    EXPECT_EQ(test::cornerColours(picture.fittedImage()), "rgbw");
}

TEST(ViewPicture, ZoomedBitmapIsTurnedAndAdjustedToo)
{
    test::Sandbox box;
    const QString path =
        test::writeQuadrantPicture(box, "f.jpg", QDateTime(QDate(2009, 3, 15), QTime(10, 0)));
    AppSettings settings;
    settings.Kido = 1;
    settings.KidoTi = 30;
    ViewPicture picture(path, PanelKind::Face, 4, settings);
    ASSERT_TRUE(picture.fit(QSize(400, 600)).ok());
    const std::optional<ZoomRequest> request = picture.zoomRequest(QRectF(0, 0, 800, 1200), 1.0);
    ASSERT_TRUE(request);
    picture.takeZoom(decodeZoom(*request));
    EXPECT_EQ(picture.zoomTile().turnedRect, QRectF(0, 0, 800, 1200));
    for (const QImage &image : {picture.fittedImage(), picture.zoomTile().image}) {
        EXPECT_GT(image.height(), image.width());
        EXPECT_EQ(test::cornerColours(image), "brwg");
        // The red quadrant, now top right, lifted from 0 in green by the brightness.
        EXPECT_GT(qGreen(image.pixel(image.width() - 10, 10)), 12);
    }
}

// --- zooming into a picture larger than one decode may hold --------------------

struct RegionCase {
    const char *name;
    PanelKind kind;
    int16_t code;
    const char *corners; // of the turned picture
};

class ZoomRegion : public ::testing::TestWithParam<RegionCase> {
protected:
    static void SetUpTestSuite()
    {
        box = new test::Sandbox;
        // 48 megapixels: 192 MB decoded whole, beyond the allocation limit of a decode.
        path = test::writeLargeQuadrantJpeg(*box, "large.jpg", QSize(8000, 6000));
    }
    static void TearDownTestSuite() { delete box; }
    static inline test::Sandbox *box = nullptr;
    static inline QString path;
};

TEST_P(ZoomRegion, FullSizePartAroundTheMiddleIsTurnedLikeTheWholePicture)
{
    const RegionCase &c = GetParam();
    ASSERT_FALSE(path.isEmpty());
    ViewPicture picture(path, c.kind, c.code, AppSettings());
    ASSERT_TRUE(picture.fit(QSize(800, 800)).ok());
    const QSize turned = picture.turnedSize();
    const QPointF middle(turned.width() / 2.0, turned.height() / 2.0);
    const QRectF visible(middle - QPointF(300, 200), QSizeF(600, 400));
    const std::optional<ZoomRequest> request = picture.zoomRequest(visible, 1.0);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->reduction, 1);
    EXPECT_LE(qint64(request->region.width()) * request->region.height(), kMostZoomPixels);
    const ZoomResult result = decodeZoom(*request);
    ASSERT_TRUE(result.outcome.ok()) << result.outcome.detail.toStdString();
    const ZoomTile &tile = result.tile;
    EXPECT_TRUE(tile.covers(visible, 1.0));
    // Just inside each quadrant, left and right of the middle, above and below it.
    const QString expected = QString::fromLatin1(c.corners);
    const QPointF probes[] = {{-50, -50}, {50, -50}, {-50, 50}, {50, 50}};
    for (int i = 0; i < 4; ++i) {
        const QPointF at = (middle + probes[i] - tile.turnedRect.topLeft()) * tile.scale;
        const QString letter =
            test::cornerColours(tile.image.copy(QRect(at.toPoint() - QPoint(4, 4), QSize(9, 9))));
        EXPECT_EQ(letter.left(1), expected.mid(i, 1)) << "quadrant " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, ZoomRegion,
                         ::testing::Values(RegionCase{"OralAsStored", PanelKind::Oral, 0, "rgbw"},
                                           RegionCase{"OralRotated180", PanelKind::Oral, 1, "wbgr"},
                                           RegionCase{"OralMirrored", PanelKind::Oral, 2, "grwb"},
                                           RegionCase{"OralFlipped", PanelKind::Oral, 3, "bwrg"},
                                           RegionCase{"FaceClockwise", PanelKind::Face, 4, "brwg"},
                                           RegionCase{"Face270", PanelKind::Face, 5, "gwrb"}),
                         [](const ::testing::TestParamInfo<RegionCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(ViewPicture, UndecodableFileFailsWithNoPicture)
{
    test::Sandbox box;
    ViewPicture broken(box.write("b.jpg", "not a picture"), PanelKind::Oral, 0, AppSettings());
    EXPECT_FALSE(broken.fit(QSize(533, 434)).ok());
    EXPECT_TRUE(broken.fittedImage().isNull());
    ViewPicture missing(box.file("gone.jpg"), PanelKind::Oral, 0, AppSettings());
    EXPECT_EQ(missing.fit(QSize(533, 434)).status, Status::Missing);
}

TEST(ViewSize, WindowIsSizeWideAndHeldToOneToFortyInches)
{
    EXPECT_EQ(viewWindowTwips(8000, false), QSize(8000, 6560));
    EXPECT_EQ(viewWindowTwips(8000, true), QSize(6560, 8000));
    EXPECT_EQ(viewWindowTwips(0, false), QSize(1440, 1181));
    EXPECT_EQ(viewWindowTwips(-300, false), QSize(1440, 1181));
    EXPECT_EQ(viewWindowTwips(1000000, false).width(), 57600);
}

} // namespace
} // namespace tolvarine
