#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "imaging/ImagingControl.h"
#include "store/PanelFill.h"
#include "store/StorePaths.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::Sandbox;

// Replaces a picture by bytes that decode to nothing.
void spoil(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("no longer a picture");
}

PanelSetup setup(PanelKind kind, const QString &order = QString(), std::vector<int16_t> codes = {})
{
    PanelSetup s;
    s.kind = kind;
    s.order = order.isEmpty()
                  ? (kind == PanelKind::Oral ? QStringLiteral("0123456") : QStringLiteral("01234"))
                  : order;
    s.codes = codes.empty() ? std::vector<int16_t>(size_t(s.maxCount()), 0) : std::move(codes);
    return s;
}

class PanelFill : public ::testing::Test {
protected:
    QStringList pictures(int count, const QString &folder = QStringLiteral("p"))
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << test::writePicture(box.file(QStringLiteral("%1/IMG_%2.jpg").arg(folder).arg(i)),
                                        QDate(2009, 3, 15), i);
        return paths;
    }

    static std::vector<int> positions(const std::vector<PanelPicture> &shown)
    {
        std::vector<int> out;
        for (const PanelPicture &p : shown)
            out.push_back(p.placement.position);
        return out;
    }

    Sandbox box;
};

TEST_F(PanelFill, PlacesAVisitByTheShootingOrder)
{
    const QStringList three = pictures(3, "three");
    const QStringList nine = pictures(9, "nine");
    struct Case {
        QStringList entries;
        QString order;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {three, "0123456", {0, 1, 2}},
        {nine, "0123456", {0, 1, 2, 3, 4, 5, 6}},
        {nine, "6543210", {6, 5, 4, 3, 2, 1, 0}},
        {nine, "012", {0, 1, 2}},
        {nine, "01", {0, 1}},
        {three, "071", {0, 1}}, // no position 7: that picture is not shown
    };
    for (const Case &c : cases) {
        const std::vector<PanelPicture> shown = preparePanel(c.entries, setup(PanelKind::Oral, c.order));
        EXPECT_EQ(positions(shown), c.positions) << c.order.toStdString();
        for (const PanelPicture &p : shown) {
            EXPECT_EQ(p.picture, c.entries.at(p.placement.index));
            EXPECT_EQ(p.image.width(), 195);
            EXPECT_EQ(p.image.height(), 146); // 195 x 60 / 80
        }
    }
    const std::vector<PanelPicture> reversed = preparePanel(nine, setup(PanelKind::Oral, "6543210"));
    EXPECT_EQ(reversed.front().picture, nine.at(0));
    EXPECT_EQ(reversed.front().placement.position, 6);
    EXPECT_EQ(reversed.back().picture, nine.at(6));
    EXPECT_EQ(reversed.back().placement.position, 0);
}

TEST_F(PanelFill, TheFirstFillWritesTheThumbnailAndTheNextLoadsIt)
{
    const QStringList entries = pictures(2);
    const PanelSetup oral = setup(PanelKind::Oral);
    const std::vector<PanelPicture> first = preparePanel(entries, oral);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_FALSE(first[0].fromThumbnail);
    EXPECT_FALSE(QFileInfo::exists(thumbnailPath(entries[0])));
    EXPECT_EQ(saveMissingThumbnails(first, oral), 2);
    const QString thumbnail = box.file("p/IMG_0sn.cmp");
    ASSERT_TRUE(QFileInfo::exists(thumbnail));
    EXPECT_EQ(test::decoded(thumbnail).size(), QSize(195, 146));

    // The pictures cannot be decoded any more: what the next fill shows is the thumbnail.
    for (const QString &picture : entries)
        spoil(picture);
    const std::vector<PanelPicture> second = preparePanel(entries, oral);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_TRUE(second[0].fromThumbnail);
    EXPECT_EQ(second[0].image.convertToFormat(QImage::Format_RGB32), test::decoded(thumbnail));
    EXPECT_EQ(saveMissingThumbnails(second, oral), 0);
}

struct TurnCase {
    PanelKind kind;
    int16_t code;
    const char *corners; // top-left, top-right, bottom-left, bottom-right
    QSize size;
};

class PanelTurning : public PanelFill, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(PanelTurning, TurnsANewThumbnailByThePositionsCode)
{
    const TurnCase &c = GetParam();
    const QStringList entries = pictures(4);
    std::vector<int16_t> codes(c.kind == PanelKind::Oral ? 7 : 5, 0);
    codes[3] = c.code;
    const PanelSetup s = setup(c.kind, QString(), codes);
    const std::vector<PanelPicture> shown = preparePanel(entries, s);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(test::cornerColours(shown[3].image), QString::fromLatin1(c.corners));
    EXPECT_EQ(shown[3].image.size(), c.size);
    EXPECT_EQ(test::cornerColours(shown[2].image), QStringLiteral("rgbw"));
    saveMissingThumbnails(shown, s);
    EXPECT_EQ(test::cornerColours(test::decoded(thumbnailPath(entries[3]))), QString::fromLatin1(c.corners));

    // The thumbnail knows its code: the same code uses it, another makes it again.
    const std::vector<PanelPicture> same = preparePanel(entries, s);
    EXPECT_TRUE(same[3].fromThumbnail);
    const std::vector<PanelPicture> again = preparePanel(entries, setup(c.kind));
    EXPECT_EQ(again[3].fromThumbnail, c.code == 0);
    EXPECT_EQ(test::cornerColours(again[3].image), QStringLiteral("rgbw"));
}

TEST_F(PanelFill, AThumbnailWithoutItsCodeIsUsedAsItIs)
{
    const QStringList entries = pictures(1);
    // Made by an older program: turned, with no note of the code.
    QImage turned = test::decoded(entries[0]).scaled(195, 146).mirrored(true, true);
    const QString thumbnail =
        box.write(QFileInfo(thumbnailPath(entries[0])).fileName().prepend("p/"), test::encodeJpeg(turned));
    ASSERT_EQ(thumbnail, thumbnailPath(entries[0]));
    const QByteArray before = test::bytesOf(thumbnail);
    const std::vector<PanelPicture> shown = preparePanel(entries, setup(PanelKind::Oral));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].fromThumbnail);
    EXPECT_EQ(test::cornerColours(shown[0].image), QStringLiteral("wbgr"));
    saveMissingThumbnails(shown, setup(PanelKind::Oral));
    EXPECT_EQ(test::bytesOf(thumbnail), before);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PanelTurning,
    ::testing::Values(
        TurnCase{PanelKind::Oral, 0, "rgbw", {195, 146}}, TurnCase{PanelKind::Oral, 1, "wbgr", {195, 146}},
        TurnCase{PanelKind::Oral, 2, "grwb", {195, 146}}, TurnCase{PanelKind::Oral, 3, "bwrg", {195, 146}},
        TurnCase{PanelKind::Oral, 4, "rgbw", {195, 146}}, TurnCase{PanelKind::Oral, 9, "rgbw", {195, 146}},
        TurnCase{PanelKind::Face, 1, "wbgr", {195, 146}}, TurnCase{PanelKind::Face, 4, "brwg", {146, 195}},
        TurnCase{PanelKind::Face, 5, "gwrb", {146, 195}}, TurnCase{PanelKind::Face, -1, "rgbw", {195, 146}}),
    test::namedBy([](const TurnCase &c) {
        return QStringLiteral("%1%2").arg(c.kind == PanelKind::Oral ? "oral" : "face").arg(c.code);
    }));

TEST_F(PanelFill, AReducedDecodeGivesTheHeightOfTheWholePicture)
{
    // 1560 x 905 decodes at an eighth as 195 x 114, but the whole picture gives 113.
    const QString picture = test::writePicture(box.file("big/a.jpg"), QDate(2009, 1, 1), 0, 1560, 905);
    const std::vector<PanelPicture> shown = preparePanel({picture}, setup(PanelKind::Oral));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].image.size(), QSize(195, 113));
    EXPECT_EQ(test::cornerColours(shown[0].image), QStringLiteral("rgbw"));
}

TEST_F(PanelFill, AnUndecodableThumbnailIsMadeAgainAndReplaced)
{
    const QStringList entries = pictures(1);
    const QString thumbnail = box.write("p/IMG_0sn.cmp", "not the thumbnail format of this program");
    const PanelSetup oral = setup(PanelKind::Oral);
    const std::vector<PanelPicture> shown = preparePanel(entries, oral);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0].fromThumbnail);
    EXPECT_EQ(shown[0].image.size(), QSize(195, 146));
    EXPECT_EQ(saveMissingThumbnails(shown, oral), 1);
    EXPECT_EQ(test::decoded(thumbnail).size(), QSize(195, 146));
    EXPECT_TRUE(preparePanel(entries, oral)[0].fromThumbnail);
}

TEST_F(PanelFill, ThumbnailsAreFoundWhateverTheCaseOfTheirNames)
{
    const QString picture = test::writePicture(box.file("p/X.JPG"), QDate(2009, 1, 1));
    const QString upper = box.write("p/XSN.CMP", test::encodeJpeg(test::makeQuadrantImage(20, 10)));
    const std::vector<PanelPicture> shown = preparePanel({picture}, setup(PanelKind::Oral));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].fromThumbnail);
    EXPECT_EQ(shown[0].thumbnail, upper);
    EXPECT_EQ(shown[0].image.size(), QSize(20, 10));
    EXPECT_EQ(saveMissingThumbnails(shown, setup(PanelKind::Oral)), 0);
    EXPECT_FALSE(QFileInfo::exists(box.file("p/Xsn.cmp")));
}

TEST_F(PanelFill, AReadOnlyThumbnailIsNeverOverwrittenButThePictureIsShown)
{
    const QStringList entries = pictures(1);
    const QByteArray garbage("an undecodable, read-only thumbnail");
    const QString thumbnail = box.write("p/IMG_0sn.cmp", garbage);
    ASSERT_TRUE(QFile::setPermissions(thumbnail, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const PanelSetup oral = setup(PanelKind::Oral);
    MadeThumbnails made;
    const std::vector<PanelPicture> shown = preparePanel(entries, oral, &made);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].image.size(), QSize(195, 146));
    EXPECT_EQ(saveMissingThumbnails(shown, oral, &made), 0);
    QFile f(thumbnail);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);

    // The nested fills of the same operation take the made thumbnail instead of
    // decoding the picture again.
    EXPECT_EQ(made.size(), 1);
    spoil(entries[0]);
    EXPECT_EQ(preparePanel(entries, oral, &made)[0].image, shown[0].image);
    EXPECT_TRUE(preparePanel(entries, oral)[0].image.isNull());
}

TEST_F(PanelFill, AReadOnlyFolderStillShowsEveryPicture)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root; the read-only thumbnail case covers it";
    const QStringList entries = pictures(3);
    const QString folder = box.file("p");
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const PanelSetup oral = setup(PanelKind::Oral);
    const std::vector<PanelPicture> shown = preparePanel(entries, oral);
    EXPECT_EQ(saveMissingThumbnails(shown, oral), 0);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(shown.size(), 3u);
    for (const PanelPicture &p : shown)
        EXPECT_EQ(p.image.size(), QSize(195, 146));
    EXPECT_FALSE(QFileInfo::exists(box.file("p/IMG_0sn.cmp")));
}

TEST_F(PanelFill, BrokenPicturesAreSkippedAndACutOffOneKeepsNoThumbnail)
{
    const QStringList good = pictures(1);
    const QString broken = box.write("p/IMG_1.jpg", "not a picture");
    QByteArray jpeg = test::encodeJpeg(test::makeQuadrantImage(200, 150), 95);
    const QString cut = box.write("p/IMG_2.jpg", jpeg.left(jpeg.size() * 2 / 3));
    const PanelSetup oral = setup(PanelKind::Oral);
    const std::vector<PanelPicture> shown = preparePanel({good[0], broken, cut}, oral);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_FALSE(shown[0].image.isNull());
    EXPECT_TRUE(shown[1].image.isNull());
    EXPECT_FALSE(shown[2].image.isNull());
    EXPECT_EQ(saveMissingThumbnails(shown, oral), 1);
    EXPECT_TRUE(QFileInfo::exists(thumbnailPath(good[0])));
    EXPECT_FALSE(QFileInfo::exists(thumbnailPath(broken)));
    EXPECT_FALSE(QFileInfo::exists(thumbnailPath(cut)));
}

// Only a picture whose data really is cut short goes without a thumbnail file: one
// that lacks just its end marker holds the whole picture.
TEST_F(PanelFill, OnlyAPictureReallyCutShortKeepsNoThumbnail)
{
    const QByteArray jpeg = test::encodeJpeg(test::makeQuadrantImage(200, 150), 95);
    ASSERT_TRUE(jpeg.endsWith("\xFF\xD9"));
    struct Row {
        const char *name;
        QByteArray bytes;
        bool kept;
    };
    const Row rows[] = {
        {"whole", jpeg, true},
        {"without its end marker", jpeg.chopped(2), true},
        {"last blocks missing", jpeg.chopped(60), false},
        {"cut in the middle", jpeg.left(jpeg.size() / 2), false},
    };
    const PanelSetup oral = setup(PanelKind::Oral);
    for (const Row &row : rows) {
        const QString path =
            box.write(QStringLiteral("cut/%1.jpg").arg(QString::fromLatin1(row.name)), row.bytes);
        const std::vector<PanelPicture> shown = preparePanel({path}, oral);
        ASSERT_EQ(shown.size(), 1u) << row.name;
        EXPECT_FALSE(shown[0].image.isNull()) << row.name;
        saveMissingThumbnails(shown, oral);
        EXPECT_EQ(QFileInfo::exists(thumbnailPath(path)), row.kept) << row.name;
    }
}

TEST_F(PanelFill, TwoPicturesSharingAThumbnailNameWriteItOnce)
{
    QImage red(80, 60, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString upper = box.write("p/x.JPG", test::encodeJpeg(red));
    const QStringList lower = {test::writePicture(box.file("p/x.jpg"), QDate(2009, 1, 1))};
    ASSERT_EQ(thumbnailPath(upper), thumbnailPath(lower[0]));
    const PanelSetup oral = setup(PanelKind::Oral);
    const std::vector<PanelPicture> shown = preparePanel({upper, lower[0]}, oral);
    EXPECT_EQ(saveMissingThumbnails(shown, oral), 1);
    EXPECT_EQ(test::cornerColours(test::decoded(thumbnailPath(upper))), QStringLiteral("rrrr"));
}

} // namespace
} // namespace tolvarine
