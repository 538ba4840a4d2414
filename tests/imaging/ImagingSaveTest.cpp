#include <signal.h>
#include <sys/resource.h>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "imaging/ExifMetadata.h"
#include "imaging/ImagingControl.h"
#include "imaging/ImagingTestData.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

const QString kOldDate = QStringLiteral("2009:05:12 14:03:27");
const QString kOriginal = QStringLiteral("2001:01:01 09:00:00");
const QString kNewDate = QStringLiteral("2008:03:03 12:00:00");

QByteArray photo(const QString &dateTime = kOldDate, const QString &original = kOriginal)
{
    return test::encodeJpegWithExif(test::makeGradientImage(400, 300), dateTime, original, 92);
}

// How the date writer drives the control: load, carry the file's comments over, set the date, save.
bool writeDate(ImagingControl &control, const QString &path, const QString &date,
               std::function<void(ImagingControl &)> between = {})
{
    control.setOpMethodErrors(false);
    control.opLoadFile(path, 0, 0, 1);
    for (int n = 0; n < kCommentSlots; ++n) {
        control.opComment(n, QString());
        control.opComment(n, control.opReadComment(path, 0, n));
    }
    control.opComment(kCommentDateTime, date);
    if (between)
        between(control);
    return control.opSaveFile(path, kFormatJpegExif, 24, 2, 0);
}

// Writes beyond the limit fail with EFBIG, whoever runs the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
    bool active_ = false;
};

struct Source {
    const char *name;
    QByteArray jpeg;
};

std::ostream &operator<<(std::ostream &os, const Source &s) { return os << s.name; }

std::vector<Source> dateSources()
{
    return {
        {"both_dates", photo()},
        {"original_only", photo(QString(), kOriginal)},
        {"no_exif", test::encodeJpeg(test::makeGradientImage(400, 300), 92)},
        {"xmp_and_comment",
         test::withComment(test::withXmp(photo(), test::sampleXmpPacket()), "clinic note")},
        {"progressive", test::encodeProgressiveJpeg(test::makeGradientImage(400, 300))},
        {"cut_short", test::cutInScan(photo())},
        {"camera_with_second_picture", test::cameraFile({false, true, true, false, true})},
        {"camera_without_date_tag", test::cameraFile({true, true, false})},
    };
}

class DateRewrite : public ::testing::TestWithParam<Source> {};

} // namespace

TEST_P(DateRewrite, OnlyTheMetadataChanges)
{
    const Source &source = GetParam();
    test::Sandbox box;
    const QString path = box.write("p.jpg", source.jpeg);
    ImagingControl reader;
    const QString make = reader.opReadComment(path, 0, 5);
    const QString artist = reader.opReadComment(path, 0, 0);

    ImagingControl control;
    ASSERT_TRUE(writeDate(control, path, kNewDate)) << control.lastFailure().detail.toStdString();

    const QByteArray after = test::fileBytes(path);
    EXPECT_EQ(reader.opReadComment(path, 0, 2), kNewDate);
    EXPECT_EQ(readExifDateTime(path), kNewDate);
    EXPECT_EQ(test::jpegScanData(after), test::jpegScanData(source.jpeg));
    EXPECT_EQ(reader.opReadComment(path, 0, 5), make);
    EXPECT_EQ(reader.opReadComment(path, 0, 0), artist);
    for (const QByteArray &kept : {kOriginal.toLatin1(), test::sampleXmpPacket(), QByteArray("clinic note")})
        EXPECT_EQ(after.contains(kept), source.jpeg.contains(kept));
    // A second run with the same date leaves the file as it is.
    ImagingControl again;
    ASSERT_TRUE(writeDate(again, path, kNewDate));
    EXPECT_EQ(test::fileBytes(path), after);
}

INSTANTIATE_TEST_SUITE_P(ImagingSave, DateRewrite, ::testing::ValuesIn(dateSources()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImagingSave, DateWriterChangesNothingButTheDate)
{
    test::Sandbox box;
    const QByteArray original = test::cameraFile({true, true, true, false, true});
    const QString path = box.write("p.jpg", original);
    ImagingControl control;
    ASSERT_TRUE(writeDate(control, path, kNewDate)) << control.lastFailure().detail.toStdString();
    const QByteArray after = test::fileBytes(path);
    ASSERT_EQ(after.size(), original.size());
    int differing = 0;
    for (qsizetype i = 0; i < after.size(); ++i)
        differing += after[i] != original[i];
    EXPECT_LE(differing, 19);
    EXPECT_EQ(control.opReadComment(path, 0, 2), kNewDate);
}

TEST(ImagingSave, CommentTwoFallsBackToTheOriginalDate)
{
    test::Sandbox box;
    ImagingControl control;
    EXPECT_EQ(control.opReadComment(box.write("a.jpg", photo()), 0, 2), kOldDate);
    EXPECT_EQ(control.opReadComment(box.write("b.jpg", photo(QString(), kOriginal)), 0, 2), kOriginal);
    EXPECT_TRUE(control.opReadComment(box.write("c.jpg", photo(QString(), QString())), 0, 2).isEmpty());
    EXPECT_TRUE(
        control.opReadComment(box.write("d.jpg", test::encodeJpeg(test::makeGradientImage(8, 8))), 0, 2)
            .isEmpty());
    EXPECT_TRUE(control.opReadComment(box.file("missing.jpg"), 0, 2).isEmpty());
    EXPECT_FALSE(control.lastFailure().ok());
    EXPECT_TRUE(control.opReadComment(box.file("a.jpg"), 0, 175).isEmpty());
    EXPECT_TRUE(control.opReadComment(box.file("a.jpg"), 0, 100).isEmpty());
}

TEST(ImagingSave, ThumbnailIsABaselineJpegThatLoadsAgain)
{
    test::Sandbox box;
    const QString picture = box.write("p.jpg", photo());
    const QString thumb = box.file("psn.cmp");
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(picture, 0, 0, -1, QSize(195, 195)));
    ASSERT_TRUE(control.opResize(195, 195.f * control.opBitmapHeight() / control.opBitmapWidth()));
    ASSERT_TRUE(control.opRotate(18000, true, Qt::white));
    ASSERT_TRUE(control.opSaveFile(thumb, kFormatThumbnail, 24, 2, 0))
        << control.lastFailure().detail.toStdString();

    const QByteArray bytes = test::fileBytes(thumb);
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xD8\xFF", 3)));
    EXPECT_EQ(test::frameMarker(bytes), 0xC0);
    EXPECT_EQ(test::frameComponents(bytes), 3);
    EXPECT_EQ(readExifDateTime(thumb), std::nullopt);

    ImagingControl again;
    ASSERT_TRUE(again.opLoadFile(thumb, 0, 0, -1));
    EXPECT_EQ(again.image().size(), QSize(195, 146));
    // Turned: the gradient's bright right edge is now on the left.
    EXPECT_GT(qRed(again.image().pixel(2, 70)), 200);
    EXPECT_LT(qRed(again.image().pixel(192, 70)), 50);
}

TEST(ImagingSave, GreyBitmapIsSavedWithThreeComponents)
{
    test::Sandbox box;
    ImagingControl control;
    control.setImage(test::makeGradientImage(32, 16).convertToFormat(QImage::Format_Grayscale8));
    ASSERT_TRUE(control.opSaveFile(box.file("gsn.cmp"), kFormatThumbnail));
    EXPECT_EQ(test::frameComponents(test::fileBytes(box.file("gsn.cmp"))), 3);
    EXPECT_FALSE(control.opSaveFile(box.file("x.bmp"), 7));
    EXPECT_FALSE(QFileInfo::exists(box.file("x.bmp")));
}

TEST(ImagingSave, ThumbnailNeverReplacesItsPicture)
{
    test::Sandbox box;
    const QByteArray original = photo();
    const QString path = box.write("p.jpg", original);
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path));
    EXPECT_FALSE(control.opSaveFile(path, kFormatThumbnail));
    EXPECT_EQ(test::fileBytes(path), original);
}

TEST(ImagingSave, ReducedOrDamagedBitmapNeverReplacesItsFile)
{
    test::Sandbox box;
    const QByteArray whole = photo();
    const QByteArray cut = test::cutInScan(whole);
    struct Row {
        const char *name;
        QByteArray bytes;
        QSize wanted;
    };
    for (const Row &row : {Row{"reduced", whole, QSize(50, 50)}, Row{"cut short", cut, QSize()}}) {
        SCOPED_TRACE(row.name);
        const QString path = box.write(QStringLiteral("%1.jpg").arg(QLatin1String(row.name)), row.bytes);
        const QString link = box.file(QStringLiteral("%1-link.jpg").arg(QLatin1String(row.name)));
        ASSERT_TRUE(QFile::link(path, link));
        for (const QString &target : {path, link}) {
            ImagingControl control;
            ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1, row.wanted));
            ASSERT_TRUE(control.opRotate(9000));
            control.opComment(2, kNewDate);
            EXPECT_FALSE(control.opSaveFile(target, kFormatJpegExif));
            EXPECT_FALSE(control.lastFailure().ok());
            EXPECT_EQ(test::fileBytes(path), row.bytes);
        }
        // Elsewhere it may go.
        ImagingControl control;
        ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1, row.wanted));
        EXPECT_TRUE(control.opSaveFile(box.file(QStringLiteral("%1-copy.jpg").arg(QLatin1String(row.name))),
                                       kFormatJpegExif));
    }
}

TEST(ImagingSave, ReducedLoadStillRewritesTheDate)
{
    test::Sandbox box;
    const QByteArray original = photo();
    const QString path = box.write("p.jpg", original);
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, -1, QSize(50, 50)));
    ASSERT_TRUE(control.isReducedScale());
    control.opComment(2, kNewDate);
    ASSERT_TRUE(control.opSaveFile(path, kFormatJpegExif));
    EXPECT_EQ(readExifDateTime(path), kNewDate);
    EXPECT_EQ(test::jpegScanData(test::fileBytes(path)), test::jpegScanData(original));
}

TEST(ImagingSave, ReadOnlyFileIsNeverWritten)
{
    test::Sandbox box;
    const QByteArray original = photo();
    const QString path = box.write("p.jpg", original);
    const QDateTime stamp(QDate(2005, 6, 7), QTime(10, 0));
    ASSERT_TRUE(test::setModified(path, stamp));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(isReadOnlyFile(path));

    ImagingControl control;
    EXPECT_FALSE(writeDate(control, path, kNewDate));
    EXPECT_FALSE(control.lastFailure().ok());
    ImagingControl changed;
    EXPECT_FALSE(writeDate(changed, path, kNewDate, [](ImagingControl &c) { c.opMirror(); }));
    EXPECT_FALSE(changed.opSaveFile(path, kFormatThumbnail));

    EXPECT_EQ(test::fileBytes(path), original);
    EXPECT_EQ(QFileInfo(path).lastModified(), stamp);
    EXPECT_TRUE(isReadOnlyFile(path));
}

TEST(ImagingSave, WriteCutShortLeavesTheOriginal)
{
    test::Sandbox box;
    const QByteArray original = photo();
    ASSERT_GT(original.size(), 8192);
    const QString path = box.write("store/p.jpg", original);
    ImagingControl control;
    control.setOpMethodErrors(false);
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1));
    control.opComment(2, kNewDate);
    bool saved = true;
    bool savedChanged = true;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        saved = control.opSaveFile(path, kFormatJpegExif);
        ASSERT_TRUE(control.opMirror());
        savedChanged = control.opSaveFile(path, kFormatJpegExif);
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(savedChanged);
    EXPECT_FALSE(control.lastFailure().ok());
    EXPECT_EQ(test::fileBytes(path), original);
    EXPECT_EQ(QDir(box.file("store")).entryList(QDir::Files | QDir::Hidden), QStringList{"p.jpg"});
}

TEST(ImagingSave, UnreadableExifBlockIsNotReplaced)
{
    test::Sandbox box;
    const QByteArray original = test::withSegment(test::encodeJpeg(test::makeGradientImage(64, 48)), 0xE1,
                                                  QByteArray("Exif\0\0MM\0\x2A\xFF\xFF\xFF\xF0", 14));
    const QString path = box.write("p.jpg", original);
    ImagingControl control;
    EXPECT_FALSE(writeDate(control, path, kNewDate));
    EXPECT_FALSE(control.lastFailure().ok());
    EXPECT_EQ(test::fileBytes(path), original);
}

TEST(ImagingSave, VanishedFileIsNotRecreated)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", photo());
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1));
    ASSERT_TRUE(QFile::remove(path));
    control.opComment(2, kNewDate);
    EXPECT_FALSE(control.opSaveFile(path, kFormatJpegExif));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(ImagingSave, FileReplacedSinceLoadKeepsItsOwnPicture)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", photo());
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1));
    // Another program puts a different picture under the same name.
    const QByteArray other = test::encodeJpegWithExif(test::makeQuadrantImage(120, 80), kOldDate);
    ASSERT_TRUE(writeFileAtomically(path, other).ok());
    control.opComment(2, kNewDate);
    ASSERT_TRUE(control.opSaveFile(path, kFormatJpegExif));
    EXPECT_EQ(test::jpegScanData(test::fileBytes(path)), test::jpegScanData(other));
    EXPECT_EQ(readExifDateTime(path), kNewDate);
}

TEST(ImagingSave, EncodedCopyCarriesTheMetadata)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", photo());
    const QString copy = box.file("copy.jpg");
    ImagingControl control;
    ASSERT_TRUE(control.opLoadFile(path, 0, 0, 1));
    ASSERT_TRUE(control.opRotate(9000));
    ASSERT_TRUE(control.opSaveFile(copy, kFormatJpegExif)) << control.lastFailure().detail.toStdString();
    EXPECT_EQ(readExifDateTime(copy), kOldDate); // no slot set: the source's own date
    EXPECT_TRUE(test::fileBytes(copy).contains(kOriginal.toLatin1()));
    EXPECT_EQ(control.opReadComment(copy, 0, 5), "TolvarineTest");

    control.opComment(2, kNewDate);
    ASSERT_TRUE(control.opSaveFile(copy, kFormatJpegExif));
    EXPECT_EQ(readExifDateTime(copy), kNewDate);
    ImagingControl again;
    ASSERT_TRUE(again.opLoadFile(copy));
    EXPECT_EQ(again.image().size(), QSize(300, 400));
    EXPECT_EQ(readExifDateTime(path), kOldDate);
}

TEST(ImagingSave, ChangedBitmapReplacesItsWholeDecodedFile)
{
    test::Sandbox box;
    const QString path = box.write("p.jpg", photo());
    ImagingControl control;
    ASSERT_TRUE(writeDate(control, path, kNewDate, [](ImagingControl &c) { c.opRotate(27000); }));
    ImagingControl again;
    ASSERT_TRUE(again.opLoadFile(path));
    EXPECT_EQ(again.image().size(), QSize(300, 400));
    EXPECT_EQ(readExifDateTime(path), kNewDate);
    EXPECT_EQ(again.opReadComment(path, 0, 0), "Dr. Test");
}

TEST(ImagingSave, BitmapWithoutFileGetsFreshExif)
{
    test::Sandbox box;
    ImagingControl control;
    control.setImage(test::makeQuadrantImage(40, 20));
    control.opComment(2, kNewDate);
    const QString path = box.file("new.jpg");
    ASSERT_TRUE(control.opSaveFile(path, kFormatJpegExif, 24, 2, 0));
    EXPECT_EQ(readExifDateTime(path), kNewDate);
    ImagingControl again;
    ASSERT_TRUE(again.opLoadFile(path));
    EXPECT_TRUE(test::colorsClose(again.image().pixelColor(2, 2), Qt::red));
}
