#include <functional>

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

    // Zooming takes what the fit decode holds, then decodes up to full size.
    ASSERT_TRUE(picture.zoom(1000).ok());
    EXPECT_EQ(picture.decodeCount(), 2);
    ASSERT_TRUE(picture.zoom(2000).ok());
    EXPECT_EQ(picture.zoomImage().size(), QSize(2400, 1600));
    EXPECT_EQ(picture.decodeCount(), 3);
    ASSERT_TRUE(picture.zoom(5000).ok());
    EXPECT_EQ(picture.decodeCount(), 3);
    picture.releaseZoom();
    EXPECT_TRUE(picture.zoomImage().isNull());
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
    ASSERT_TRUE(picture.zoom(800).ok());
    for (const QImage &image : {picture.fittedImage(), picture.zoomImage()}) {
        EXPECT_GT(image.height(), image.width());
        EXPECT_EQ(test::cornerColours(image), "brwg");
        // The red quadrant, now top right, lifted from 0 in green by the brightness.
        EXPECT_GT(qGreen(image.pixel(image.width() - 10, 10)), 12);
    }
}

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
