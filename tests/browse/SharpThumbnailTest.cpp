#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QThreadPool>
#include <QTransform>

#include <gtest/gtest.h>

#include "BrowseWindowFixture.h"
#include "store/PanelFill.h"
#include "store/StorePaths.h"

namespace tolvarine {
namespace {

// A desktop scaled to 200 %: set before the application is made, for this whole binary.
[[maybe_unused]] const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

const QDate kLatest(2009, 3, 15);
const QDate kEarlier(2009, 1, 20);

class SharpThumbnails : public test::BrowseWindow {
protected:
    // Runs what the fills left for later: the decodes of sharper pictures and their delivery.
    static void settle()
    {
        QCoreApplication::processEvents();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
};

struct SharpCase {
    const char *name;
    PanelKind kind;
    int16_t code;
    const char *corners;
};

class SharpTurning : public SharpThumbnails, public ::testing::WithParamInterface<SharpCase> {};

TEST_P(SharpTurning, ThumbnailsAreDrawnAtTheControlsDevicePixelsTurnedByTheirCode)
{
    const SharpCase &c = GetParam();
    setSetting(c.kind == PanelKind::Oral ? "PictSyori0" : "FacePictSyori0", QString::number(c.code));
    const QString folder = patient("00123");
    const QString oral = test::writePicture(folder + "/IMG_0001.jpg", kLatest, 0, 800, 600);
    const QString face = test::writePicture(folder + "/face/F_0001.jpg", kLatest, 0, 800, 600);
    const auto w = loadWindow();
    commit(*w, "123");
    const ImagingView *view = c.kind == PanelKind::Oral ? w->ImgSam[0] : w->ImgFace[0];
    ASSERT_EQ(view->devicePixelRatioF(), 2.0);

    const QSize device = view->devicePictureSize();
    const QSize thumbnail = view->control().image().size();
    ASSERT_GT(device.width(), thumbnail.width());
    settle();
    EXPECT_EQ(view->paintedImage().size(), device);
    EXPECT_EQ(test::cornerColours(view->paintedImage()), c.corners);
    // The control and the thumbnail file keep the thumbnail's own size.
    EXPECT_EQ(turnsSideways(c.kind, c.code) ? thumbnail.transposed() : thumbnail,
              QSize(kThumbnailWidth, 146));
    EXPECT_EQ(test::decoded(thumbnailPath(c.kind == PanelKind::Oral ? oral : face)).size(), thumbnail);
    EXPECT_TRUE(messages.texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Codes, SharpTurning,
                         ::testing::Values(SharpCase{"OralAsStored", PanelKind::Oral, 0, "rgbw"},
                                           SharpCase{"OralRotated180", PanelKind::Oral, 1, "wbgr"},
                                           SharpCase{"FaceClockwise", PanelKind::Face, 4, "brwg"}),
                         test::namedBy([](const SharpCase &c) { return c.name; }));

// The earlier visit's pictures cannot be decoded (only their thumbnails, flipped
// upside down, can), so nothing sharper ever comes for them: whatever a view shows
// after the refill is either their thumbnail or a stale picture of the other visit.
TEST_F(SharpThumbnails, ARefillBeforeTheSharpPicturesArriveShowsOnlyItsOwnThumbnails)
{
    const QString folder = patient("00123");
    const QImage flipped =
        test::makeQuadrantImage(kThumbnailWidth, 146).transformed(QTransform().scale(1, -1));
    for (int i = 0; i < 3; ++i) {
        test::writePicture(folder + QStringLiteral("/IMG_001%1.jpg").arg(i), kLatest, i * 40, 800, 600);
        const QString broken = test::touchPicture(folder + QStringLiteral("/IMG_000%1.jpg").arg(i),
                                                  QDateTime(kEarlier, QTime(9, i)));
        box.write(QDir(box.path()).relativeFilePath(thumbnailPath(broken)), test::encodeJpeg(flipped));
    }
    const auto w = loadWindow();
    commit(*w, "123");
    // The latest visit's sharper pictures are made but not yet delivered when the other fills.
    QCoreApplication::processEvents();
    QThreadPool::globalInstance()->waitForDone();
    userSelects(w->List1, kEarlier.toString("yyyy/MM/dd"));
    settle();

    ASSERT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2}));
    for (int position : shownOral(*w)) {
        const ImagingView *view = w->ImgSam[size_t(position)];
        EXPECT_EQ(view->paintedImage().cacheKey(), view->control().image().cacheKey()) << position;
        EXPECT_EQ(test::cornerColours(view->paintedImage()), "bwrg") << position;
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
} // namespace tolvarine
