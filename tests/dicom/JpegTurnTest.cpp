#include <gtest/gtest.h>

#include <cstdlib>

#include "dicom/JpegTurn.h"
#include "imaging/ImagingControl.h"
#include "store/PanelFill.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::cornerColours;
using test::encodeJpeg;
using test::makeQuadrantImage;

QImage decode(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
}

// The largest and the mean difference of the channels of the pixels.
struct Difference {
    int largest = 256;
    double mean = 256;
};
Difference difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return {};
    Difference d{0, 0};
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            for (const int delta : {p.red() - q.red(), p.green() - q.green(), p.blue() - q.blue()}) {
                d.largest = std::max(d.largest, std::abs(delta));
                d.mean += std::abs(delta);
            }
        }
    d.mean /= 3.0 * a.width() * a.height();
    return d;
}

// What the panels show for the code: the oracle the exported picture must match.
QImage shownAs(const QImage &picture, PanelKind kind, int16_t code)
{
    ImagingControl control;
    control.setImage(picture);
    turnByCode(control, kind, code);
    return control.image().convertToFormat(QImage::Format_RGB32);
}

struct TurnCase {
    const char *name;
    PanelKind kind;
    int16_t code;
    QSize size;
    JpegChange change;
};

class Turning : public ::testing::TestWithParam<TurnCase> {};

// The exported picture is the one the program shows at the position: turned as the
// panels turn it, without a pixel changed where the size is whole JPEG blocks.
TEST_P(Turning, MatchesThePanelsAndChangesNoPixelWhereItCan)
{
    const TurnCase &c = GetParam();
    const QByteArray stored = encodeJpeg(makeQuadrantImage(c.size.width(), c.size.height()), 90);
    BaselineJpeg out;
    ASSERT_TRUE(baselineJpeg(stored, c.kind, c.code, out)) << c.name;
    EXPECT_EQ(out.change, c.change);
    EXPECT_TRUE(out.frame.baseline());
    const QImage expected = shownAs(decode(stored), c.kind, c.code);
    const QImage got = decode(out.jpeg);
    EXPECT_EQ(QSize(out.frame.width, out.frame.height), got.size());
    EXPECT_EQ(cornerColours(got), cornerColours(expected));
    if (c.change == JpegChange::None) {
        EXPECT_EQ(out.jpeg, stored);
    }
    // Rearranged blocks decode to the same pixels up to the decoder's rounding; a picture
    // encoded again at high quality differs little, mostly at its sharp edges.
    const Difference d = difference(got, expected);
    if (c.change == JpegChange::Reencoded)
        EXPECT_LE(d.mean, 3.0);
    else
        EXPECT_LE(d.largest, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Turning,
    ::testing::Values(
        TurnCase{"none", PanelKind::Oral, 0, {96, 64}, JpegChange::None},
        TurnCase{"rotate 180", PanelKind::Oral, 1, {96, 64}, JpegChange::Lossless},
        TurnCase{"mirror", PanelKind::Oral, 2, {96, 64}, JpegChange::Lossless},
        TurnCase{"flip", PanelKind::Oral, 3, {96, 64}, JpegChange::Lossless},
        TurnCase{"90 on an intraoral position", PanelKind::Oral, 4, {96, 64}, JpegChange::None},
        TurnCase{"face 90 clockwise", PanelKind::Face, 4, {96, 64}, JpegChange::Lossless},
        TurnCase{"face 270", PanelKind::Face, 5, {96, 64}, JpegChange::Lossless},
        TurnCase{"180 of part blocks", PanelKind::Oral, 1, {90, 60}, JpegChange::Reencoded},
        TurnCase{"face 90 of part blocks", PanelKind::Face, 4, {96, 60}, JpegChange::Reencoded},
        TurnCase{"mirror with whole block columns", PanelKind::Oral, 2, {96, 60}, JpegChange::Lossless}),
    test::namedBy([](const TurnCase &c) { return c.name; }));

TEST(BaselineJpeg, MakesAProgressivePictureBaselineWithoutReencoding)
{
    const QByteArray stored = test::encodeProgressiveJpeg(makeQuadrantImage(96, 64));
    ASSERT_FALSE(readJpegFrame(stored)->baseline());
    BaselineJpeg out;
    ASSERT_TRUE(baselineJpeg(stored, PanelKind::Oral, 0, out));
    EXPECT_EQ(out.change, JpegChange::Lossless);
    EXPECT_TRUE(out.frame.baseline());
    EXPECT_EQ(difference(decode(out.jpeg), decode(stored)).largest, 0);
}

struct BadCase {
    const char *name;
    QByteArray bytes;
    Status status;
};

class BadPicture : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadPicture, IsRefusedWithItsReason)
{
    BaselineJpeg out;
    EXPECT_EQ(baselineJpeg(GetParam().bytes, PanelKind::Oral, 1, out).status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadPicture,
    ::testing::Values(BadCase{"not a JPEG", QByteArray("GIF89a........"), Status::NotJpeg},
                      BadCase{"cut short", encodeJpeg(makeQuadrantImage(96, 64)).left(400), Status::Damaged},
                      BadCase{"empty", QByteArray(), Status::NotJpeg}),
    test::namedBy([](const BadCase &c) { return c.name; }));

} // namespace
} // namespace tolvarine
