#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include <QPainter>

#include "imaging/ImagingControl.h"
#include "imaging/ImagingTestData.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

const QColor kRed(Qt::red), kGreen(Qt::green), kBlue(Qt::blue), kWhite(Qt::white);

struct Corners {
    QColor topLeft, topRight, bottomLeft, bottomRight;
};

struct TurnCase {
    const char *name;
    std::function<bool(ImagingControl &)> apply;
    QSize size;      // of a 40 x 20 picture afterwards
    Corners corners; // of the quadrant picture afterwards
    // Where the pixel (x, y) of a w x h picture ends up.
    std::function<QPoint(int x, int y, int w, int h)> moves;
};

std::ostream &operator<<(std::ostream &os, const TurnCase &c) { return os << c.name; }

class Turning : public ::testing::TestWithParam<TurnCase> {};

} // namespace

TEST_P(Turning, QuadrantsLandWhereExpected)
{
    const TurnCase &c = GetParam();
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(40, 20));
    ASSERT_TRUE(c.apply(control));
    EXPECT_EQ(QSize(control.opBitmapWidth(), control.opBitmapHeight()), c.size);
    const QImage &out = control.image();
    const int r = out.width() - 1, b = out.height() - 1;
    EXPECT_EQ(out.pixelColor(0, 0), c.corners.topLeft);
    EXPECT_EQ(out.pixelColor(r, 0), c.corners.topRight);
    EXPECT_EQ(out.pixelColor(0, b), c.corners.bottomLeft);
    EXPECT_EQ(out.pixelColor(r, b), c.corners.bottomRight);
}

TEST_P(Turning, EveryPixelMovesExactly)
{
    const TurnCase &c = GetParam();
    const QImage before = test::makeDistinctImage(40, 20);
    ImagingControl control;
    control.setImage(before);
    ASSERT_TRUE(c.apply(control));
    const QImage &after = control.image();
    ASSERT_EQ(after.size(), c.size);
    int wrong = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QPoint to = c.moves(x, y, before.width(), before.height());
            if (after.pixel(to) != before.pixel(x, y))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    ImagingControl, Turning,
    ::testing::Values(TurnCase{"rotate90",
                               [](ImagingControl &c) { return c.opRotate(9000, true, Qt::white); },
                               QSize(20, 40),
                               {kBlue, kRed, kWhite, kGreen},
                               [](int x, int y, int, int h) { return QPoint(h - 1 - y, x); }},
                      TurnCase{"rotate180",
                               [](ImagingControl &c) { return c.opRotate(18000, true, Qt::white); },
                               QSize(40, 20),
                               {kWhite, kBlue, kGreen, kRed},
                               [](int x, int y, int w, int h) { return QPoint(w - 1 - x, h - 1 - y); }},
                      TurnCase{"rotate270",
                               [](ImagingControl &c) { return c.opRotate(27000, true, Qt::white); },
                               QSize(20, 40),
                               {kGreen, kWhite, kRed, kBlue},
                               [](int x, int y, int w, int) { return QPoint(y, w - 1 - x); }},
                      TurnCase{"rotateMinus90",
                               [](ImagingControl &c) { return c.opRotate(-9000, true, Qt::white); },
                               QSize(20, 40),
                               {kGreen, kWhite, kRed, kBlue},
                               [](int x, int y, int w, int) { return QPoint(y, w - 1 - x); }},
                      TurnCase{"rotate360",
                               [](ImagingControl &c) { return c.opRotate(36000, true, Qt::white); },
                               QSize(40, 20),
                               {kRed, kGreen, kBlue, kWhite},
                               [](int x, int y, int, int) { return QPoint(x, y); }},
                      TurnCase{"mirror",
                               [](ImagingControl &c) { return c.opMirror(); },
                               QSize(40, 20),
                               {kGreen, kRed, kWhite, kBlue},
                               [](int x, int y, int w, int) { return QPoint(w - 1 - x, y); }},
                      TurnCase{"flip",
                               [](ImagingControl &c) { return c.opFlip(); },
                               QSize(40, 20),
                               {kBlue, kWhite, kRed, kGreen},
                               [](int x, int y, int, int h) { return QPoint(x, h - 1 - y); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ImagingControl, ResizeRoundsToTheAskedSize)
{
    struct Row {
        float w, h;
        QSize expected;
    };
    // 195 x (195 x h / w) is how the panels shrink a picture.
    const std::vector<Row> rows{{195.f, 195.f * 20 / 40, {195, 98}},
                                {1.f, 1.f, {1, 1}},
                                {100.4f, 50.6f, {100, 51}},
                                {400.f, 10.f, {400, 10}},
                                {40.f, 20.f, {40, 20}}};
    for (const auto &row : rows) {
        ImagingControl control;
        control.setImage(test::makeQuadrantImage(40, 20));
        ASSERT_TRUE(control.opResize(row.w, row.h, 0));
        EXPECT_EQ(control.image().size(), row.expected);
    }
    // Smooth, not sampled: the middle of a red-green border blends.
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(40, 20));
    ASSERT_TRUE(control.opResize(3, 2));
    const QColor middle = control.image().pixelColor(1, 0);
    EXPECT_GT(middle.red(), 40);
    EXPECT_GT(middle.green(), 40);
}

TEST(ImagingControl, InvalidResizeFailsAndKeepsTheBitmap)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto &[w, h] : std::vector<std::pair<float, float>>{
             {0.f, 10.f}, {10.f, -3.f}, {nan, 10.f}, {10.f, 1e9f}, {0.2f, 0.2f}}) {
        ImagingControl control;
        control.setImage(test::makeQuadrantImage(40, 20));
        EXPECT_FALSE(control.opResize(w, h));
        EXPECT_FALSE(control.lastFailure().ok());
        EXPECT_EQ(control.image().size(), QSize(40, 20));
    }
}

TEST(ImagingControl, OperationsWithoutBitmapFail)
{
    ImagingControl control;
    EXPECT_EQ(control.opBitmapHandle(), 0u);
    EXPECT_EQ(control.opBitmapWidth(), 0);
    EXPECT_FALSE(control.opResize(10, 10));
    EXPECT_FALSE(control.opRotate(9000));
    EXPECT_FALSE(control.opMirror());
    EXPECT_FALSE(control.opFlip());
    EXPECT_FALSE(control.opContrast(100));
    EXPECT_FALSE(control.opSplitPlanes());
    EXPECT_FALSE(control.opMergePlanes());
    test::Sandbox box;
    EXPECT_FALSE(control.opSaveFile(box.file("t.cmp"), kFormatThumbnail, 24, 2, 0));
    EXPECT_FALSE(QFileInfo::exists(box.file("t.cmp")));
    QImage canvas(10, 10, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_FALSE(control.opPaint(&painter, 0, 0, 10, 10));
}

TEST(ImagingControl, FreeAngleExpandsTheCanvasWithTheBackground)
{
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(40, 40));
    ASSERT_TRUE(control.opRotate(4500, true, Qt::white));
    EXPECT_NEAR(control.opBitmapWidth(), 57, 1);
    EXPECT_NEAR(control.opBitmapHeight(), 57, 1);
    EXPECT_EQ(control.image().pixelColor(0, 0), kWhite);
}

TEST(ImagingControl, LoadDecodesWholeAndAsStored)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", test::encodeJpeg(test::makeQuadrantImage(40, 20), 95));
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, -1));
    EXPECT_EQ(control.opBitmapWidth(), 40);
    EXPECT_EQ(control.opBitmapHeight(), 20);
    EXPECT_NE(control.opBitmapHandle(), 0u);
    EXPECT_FALSE(control.isReducedScale());
    EXPECT_FALSE(control.isDamaged());
    EXPECT_EQ(control.loadedPath(), path);
    EXPECT_TRUE(test::colorsClose(control.image().pixelColor(2, 2), kRed));
    EXPECT_TRUE(test::colorsClose(control.image().pixelColor(37, 17), kWhite));
}

TEST(ImagingControl, ExifOrientationIsNeverApplied)
{
    // Hand-made Exif with Orientation = 6 (rotate 90) in IFD0.
    QByteArray tiff("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
    const QByteArray jpeg = test::withSegment(test::encodeJpeg(test::makeQuadrantImage(40, 20), 95), 0xE1,
                                              QByteArray("Exif\0\0", 6) + tiff);
    test::Sandbox box;
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(box.write("o.jpg", jpeg)));
    EXPECT_EQ(control.image().size(), QSize(40, 20));
    EXPECT_TRUE(test::colorsClose(control.image().pixelColor(2, 2), kRed));
}

TEST(ImagingControl, ReducedScaleLoadIsNeverSmallerThanWanted)
{
    test::Sandbox box;
    const QString path = box.write("big.jpg", test::encodeJpeg(test::makeGradientImage(1600, 1200), 85));
    struct Row {
        QSize wanted;
        bool reduced;
    };
    const std::vector<Row> rows{{{195, 195}, true}, {{195, 0}, true},      {{100, 100}, true},
                                {{900, 10}, false}, {{2000, 2000}, false}, {{1600, 1200}, false},
                                {QSize(), false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.wanted.width() << "x" << row.wanted.height());
        ImagingControl control;
        ASSERT_TRUE(control.opLoadFile(path, 0, 0, -1, row.wanted));
        const QSize got = control.image().size();
        EXPECT_EQ(control.isReducedScale(), row.reduced);
        if (!row.reduced) {
            EXPECT_EQ(got, QSize(1600, 1200));
            continue;
        }
        EXPECT_GE(got.width(), row.wanted.width());
        EXPECT_GE(got.height(), row.wanted.height());
        EXPECT_LT(got.width(), 1600);
        EXPECT_NEAR(double(got.width()) / got.height(), 4.0 / 3.0, 0.02);
        // The usual thumbnail step afterwards gives the exact size.
        ASSERT_TRUE(control.opResize(195, 195.f * got.height() / got.width()));
        EXPECT_EQ(control.image().size(), QSize(195, 146));
    }
}

namespace {

struct BadFile {
    const char *name;
    QByteArray bytes;
    QSize wanted;
    bool loads;
    bool damaged;
};

std::ostream &operator<<(std::ostream &os, const BadFile &f) { return os << f.name; }

std::vector<BadFile> badFiles()
{
    const QByteArray jpeg = test::encodeJpegWithExif(test::makeQuadrantImage(64, 64), "2009:05:12 14:03:27");
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage.append(char((i * 7919 + 13) & 0xFF));
    const QByteArray huge = test::withClaimedSize(jpeg, 60000, 60000);
    return {
        {"zero_bytes", QByteArray(), QSize(), false, false},
        {"garbage", garbage, QSize(), false, false},
        {"jpeg_signature_then_garbage", QByteArray("\xFF\xD8\xFF", 3) + garbage, QSize(), false, false},
        {"truncated_header", jpeg.left(40), QSize(), false, false},
        {"half_a_jpeg", test::cutInScan(jpeg), QSize(), true, true},
        {"half_a_jpeg_reduced", test::cutInScan(jpeg), QSize(8, 8), true, true},
        {"png_named_jpg", test::encodePng(test::makeQuadrantImage(64, 64)), QSize(), true, false},
        {"claims_60000_square", huge, QSize(), false, false},
        {"claims_60000_square_reduced", huge, QSize(195, 195), false, false},
        {"no_scan",
         jpeg.left(test::jpegScanData(jpeg).isEmpty() ? 0 : jpeg.size() - test::jpegScanData(jpeg).size())
             + QByteArray("\xFF\xD9", 2),
         QSize(), false, false},
    };
}

class BadFiles : public ::testing::TestWithParam<BadFile> {};

} // namespace

TEST_P(BadFiles, LoadGivesAClearResult)
{
    const BadFile &f = GetParam();
    test::Sandbox box;
    const QString path = box.write("bad.jpg", f.bytes);
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(10, 10)); // a previous picture must not linger
    const bool loaded = control.opLoadFile(path, 0, 0, 1, f.wanted);
    EXPECT_EQ(loaded, f.loads);
    if (loaded) {
        EXPECT_NE(control.opBitmapHandle(), 0u);
        EXPECT_EQ(control.isDamaged(), f.damaged);
        if (f.damaged) {
            // The upper part is the picture's own.
            EXPECT_TRUE(test::colorsClose(control.image().pixelColor(1, 1), kRed));
        }
    } else {
        EXPECT_EQ(control.opBitmapHandle(), 0u);
        EXPECT_FALSE(control.lastFailure().ok());
    }
    EXPECT_EQ(test::fileBytes(path), f.bytes);
}

INSTANTIATE_TEST_SUITE_P(ImagingControl, BadFiles, ::testing::ValuesIn(badFiles()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImagingControl, MissingFileFails)
{
    test::Sandbox box;
    ImagingControl control;
    EXPECT_FALSE(control.opLoadFile(box.file("none.jpg")));
    EXPECT_FALSE(control.lastFailure().ok());
    EXPECT_FALSE(control.opLoadFile(box.path()));
}

TEST(ImagingControl, BrightnessAndContrastFollowTheirFormulas)
{
    struct Row {
        bool contrast;
        int value;
        int in;
        int out;
    };
    const std::vector<Row> rows{
        {false, 200, 100, 151}, {false, -200, 100, 49}, {false, 1000, 100, 255}, {false, -1000, 100, 0},
        {true, 1000, 200, 255}, {true, 1000, 100, 72},  {true, -1000, 30, 128},  {true, 500, 100, 86},
        {true, -500, 228, 178}, {true, 0, 77, 77},      {false, 0, 77, 77},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message()
                     << (row.contrast ? "contrast " : "brightness ") << row.value << " on " << row.in);
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(qRgb(row.in, row.in, row.in));
        ImagingControl control;
        control.setImage(image);
        ASSERT_TRUE(row.contrast ? control.opContrast(int16_t(row.value))
                                 : control.opBrightness(int16_t(row.value)));
        const QRgb p = control.image().pixel(2, 2);
        EXPECT_EQ(qRed(p), row.out);
        EXPECT_EQ(qGreen(p), row.out);
        EXPECT_EQ(qBlue(p), row.out);
    }
}

TEST(ImagingControl, ContrastPerColourPlane)
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(qRgb(200, 60, 30));
    ImagingControl control;
    control.setImage(image);
    EXPECT_EQ(control.opColorPlane(2), 0u);
    ASSERT_TRUE(control.opSplitPlanes(0));
    const quintptr red = control.opColorPlane(2);
    EXPECT_NE(red, 0u);
    EXPECT_NE(control.opColorPlane(0), control.opColorPlane(1));

    // The viewer's sequence for each plane: red +500, green untouched, blue -1000.
    const std::vector<std::pair<int, int16_t>> steps{{2, 500}, {1, 0}, {0, -1000}};
    for (const auto &[plane, value] : steps) {
        control.setOpBitmapHandle(control.opColorPlane(plane));
        ASSERT_NE(control.opBitmapHandle(), 0u);
        EXPECT_EQ(control.image().format(), QImage::Format_Grayscale8);
        ASSERT_TRUE(control.opContrast(value));
        control.setOpColorPlane(plane, control.opBitmapHandle());
    }
    ASSERT_TRUE(control.opMergePlanes(0));
    control.opFinish();
    const QRgb p = control.image().pixel(3, 2);
    EXPECT_EQ(qRed(p), 236); // 128 + 72 x 1.5
    EXPECT_EQ(qGreen(p), 60);
    EXPECT_EQ(qBlue(p), 128);
    EXPECT_EQ(control.image().size(), QSize(6, 4));
    EXPECT_FALSE(control.opMergePlanes(0)); // planes are used up
}

TEST(ImagingControl, BitmapHandleEmptiesAndUnknownHandlesAreIgnored)
{
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(8, 8));
    control.setOpBitmapHandle(12345);
    EXPECT_EQ(control.image().size(), QSize(8, 8));
    EXPECT_FALSE(control.lastFailure().ok());
    control.setOpBitmapHandle(control.opBitmapHandle());
    EXPECT_EQ(control.image().size(), QSize(8, 8));
    control.setOpBitmapHandle(0);
    EXPECT_EQ(control.opBitmapHandle(), 0u);
    EXPECT_TRUE(control.image().isNull());
}

TEST(ImagingControl, PaintFillsTheRectangle)
{
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(40, 20));
    QImage canvas(100, 100, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        ASSERT_TRUE(control.opPaint(&painter, 10.f, 20.f, 80.f, 40.f));
        EXPECT_FALSE(control.opPaint(&painter, 0.f, 0.f, 0.f, 10.f));
    }
    EXPECT_TRUE(test::colorsClose(canvas.pixelColor(20, 30), kRed));
    EXPECT_TRUE(test::colorsClose(canvas.pixelColor(80, 30), kGreen));
    EXPECT_TRUE(test::colorsClose(canvas.pixelColor(20, 55), kBlue));
    EXPECT_TRUE(test::colorsClose(canvas.pixelColor(80, 55), kWhite));
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(50, 70), QColor(Qt::black));
    EXPECT_FALSE(control.opPaint(nullptr, 0, 0, 10, 10));
}

TEST(ImagingControl, CommentSlotsHoldTextUntilTheNextLoad)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", test::encodeJpeg(test::makeQuadrantImage(8, 8)));
    ImagingControl control;
    control.opComment(2, "2008:03:03 12:00:00");
    control.opComment(174, "last");
    control.opComment(175, "out of range");
    control.opComment(-1, "out of range");
    EXPECT_EQ(control.comment(2), "2008:03:03 12:00:00");
    EXPECT_EQ(control.comment(174), "last");
    EXPECT_TRUE(control.comment(175).isEmpty());
    ASSERT_TRUE(control.opLoadFile(path));
    EXPECT_TRUE(control.comment(2).isEmpty());
    control.setOpMethodErrors(false);
    EXPECT_FALSE(control.opMethodErrors());
}
