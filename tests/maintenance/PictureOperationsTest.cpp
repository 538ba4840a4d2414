#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>

#include "browse/BrowseWindowFixture.h"
#include "imaging/ExifMetadata.h"
#include "maintenance/MaintenanceController.h"
#include "maintenance/frmChang.h"
#include "maintenance/frmDate.h"

using namespace tolvarine;

namespace {

struct DateRow {
    const char *year, *month, *day;
    QDate accepted; // invalid: refused
};

class DateDialog : public ::testing::TestWithParam<DateRow> {};

TEST_P(DateDialog, AcceptsOnlyARealDayOfTheYears1970To2070)
{
    const DateRow &row = GetParam();
    test::MessageRecorder messages;
    frmDate dialog(nullptr);
    dialog.txtYear->setText(row.year);
    dialog.txtMonth->setText(row.month);
    dialog.txtDay->setText(row.day);
    dialog.cmdOK->click();
    if (!row.accepted.isValid()) {
        EXPECT_EQ(messages.texts(), QStringList{"不正な日付です"});
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.txtDay->text(), row.day); // kept for another try
        return;
    }
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.datNewDate(), QDateTime(row.accepted, QTime(12, 0)));
}

INSTANTIATE_TEST_SUITE_P(Maintenance, DateDialog,
                         ::testing::Values(DateRow{"1969", "12", "31", {}}, DateRow{"2071", "1", "1", {}},
                                           DateRow{"2009", "13", "1", {}}, DateRow{"2009", "1", "32", {}},
                                           DateRow{"2009", "4", "31", {}}, DateRow{"2009", "x", "1", {}},
                                           DateRow{"2009", "2", "29", {}}, DateRow{"2009", "2", "", {}},
                                           DateRow{"2009", "2", "28", QDate(2009, 2, 28)},
                                           DateRow{"１９７０", " 01 ", "1", QDate(1970, 1, 1)}),
                         test::namedBy([](const DateRow &r) {
                             return QString("%1_%2_%3").arg(r.year, r.month, r.day);
                         }));

// A patient 00012 with one picture of 12 May 2009 (Exif and file date alike), its
// thumbnail made, and the context menu opened over it.
class PictureMenu : public test::BrowseWindow {
protected:
    void open(QByteArray bytes = {})
    {
        folder = patient("00012");
        path = test::writeExifPicture(folder + "/a.jpg", "2009:05:12 09:00:00", QDateTime(day, QTime(9, 0)));
        if (!bytes.isEmpty())
            box.write("pictures/000/00012/a.jpg", bytes);
        test::setModified(path, QDateTime(day, QTime(9, 0)));
        w = loadWindow();
        commit(*w, "12");
        w->ImgSam_MouseDown(0, Qt::RightButton, {}, 0, 0);
        w->mnuPict->hide();
        ASSERT_EQ(w->state().strPopupFile, path);
    }
    void answerDate(const char *year, const char *month, const char *day)
    {
        w->maintenance().setDateRunner([=](frmDate &d) {
            d.txtYear->setText(year);
            d.txtMonth->setText(month);
            d.txtDay->setText(day);
            d.cmdOK->click();
        });
    }
    QStringList dates() const { return entries(w->List1); }

    const QDate day{2009, 5, 12};
    QString folder, path;
    std::unique_ptr<frmMain> w;
};

TEST_F(PictureMenu, ANewDateIsWrittenAndListedUnderEitherDating)
{
    for (const char *fileHizuke : {"1", "0"}) {
        setSetting("FileHizuke", fileHizuke);
        open();
        answerDate("2008", "3", "3");
        w->mnuPictKousin->trigger();
        EXPECT_EQ(readExifDateTime(path).value_or("none"), "2008:03:03 12:00:00");
        EXPECT_EQ(QFileInfo(path).lastModified(), QDateTime(QDate(2008, 3, 3), QTime(12, 0)));
        EXPECT_EQ(dates(), QStringList{"2008/03/03"}) << fileHizuke;
        EXPECT_TRUE(messages.texts().isEmpty());
    }
}

TEST_F(PictureMenu, CancelChangesNothing)
{
    open();
    const QByteArray before = test::bytesOf(path);
    w->maintenance().setDateRunner([](frmDate &d) { d.cmdCancel->click(); });
    w->mnuPictKousin->trigger();
    EXPECT_EQ(test::bytesOf(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), QDateTime(day, QTime(9, 0)));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(PictureMenu, OnlyTheFileTimeTakingIsSaid)
{
    // Named like a picture, dated by its file time, but no picture to write into.
    open("not a picture");
    answerDate("2008", "3", "3");
    w->mnuPictKousin->trigger();
    EXPECT_EQ(test::bytesOf(path), "not a picture");
    EXPECT_EQ(messages.texts(),
              QStringList{"画像内の撮影日時は変更できませんでした\r\nﾌｧｲﾙ更新日だけを変更しました"});
    EXPECT_EQ(dates(), QStringList{"2008/03/03"});
}

TEST_F(PictureMenu, TheChosenFileIsRedatedWithoutListingAgain)
{
    open();
    QString askedFolder, askedFilter;
    w->maintenance().setFileChooser([&](QWidget *, const QString &folder, const QString &filter) {
        askedFolder = folder;
        askedFilter = filter;
        return path;
    });
    answerDate("2010", "10", "10");
    w->mnuEditKousin->trigger();
    EXPECT_EQ(askedFolder, folder);
    EXPECT_EQ(askedFilter, "(*.jpg)");
    EXPECT_EQ(readExifDateTime(path).value_or("none"), "2010:10:10 12:00:00");
    EXPECT_EQ(dates(), QStringList{"2009/05/12"});
}

TEST_F(PictureMenu, OpeningElsewhereMinimisesTheWindow)
{
    open();
    QString opened;
    w->maintenance().setOpener([&](const QString &file) { opened = file; });
    w->show();
    w->mnuPictKanren->trigger();
    EXPECT_EQ(opened, path);
    EXPECT_TRUE(w->isMinimized());
}

TEST_F(PictureMenu, ChangingTheOrderRebuildsTheThumbnailsOnlyAfterChange)
{
    open();
    const QString thumbnail = folder + "/asn.cmp";
    ASSERT_TRUE(QFileInfo::exists(thumbnail));
    QFile::remove(thumbnail);
    box.write("pictures/000/00012/asn.cmp", "stale");
    w->maintenance().setChangeRunner([](frmChang &d) { d.cmdCancel->click(); });
    w->mnuEditChange->trigger();
    EXPECT_EQ(test::bytesOf(thumbnail), "stale");
    w->maintenance().setChangeRunner([](frmChang &d) { d.cmdChange->click(); });
    w->mnuEditChange->trigger();
    EXPECT_EQ(test::decoded(thumbnail).width(), 195);
}

// Deleting moves the picture into a trash in the test's own folder, never the user's.
struct DeleteRow {
    const char *name;
    MessageAnswer answer;
    bool readOnly, importRunning;
    bool gone;
};

class PictureDeletion : public PictureMenu, public ::testing::WithParamInterface<DeleteRow> {
protected:
    void SetUp() override
    {
        PictureMenu::SetUp();
        for (const char *name : {"HOME", "XDG_DATA_HOME"}) {
            saved.emplace_back(name, qgetenv(name));
            qputenv(name, box.mkdir(QString("home/") + name).toLocal8Bit());
        }
    }
    void TearDown() override
    {
        for (const auto &[name, value] : saved)
            qputenv(name, value);
    }
    std::vector<std::pair<const char *, QByteArray>> saved;
};

TEST_P(PictureDeletion, AskedYesMovesThePictureToTheTrash)
{
    const DeleteRow &row = GetParam();
    open();
    if (row.readOnly)
        QFile::setPermissions(path, QFileDevice::ReadOwner);
    w->mnuPict->setEnabled(!row.importRunning);
    test::MessageRecorder answers(row.answer);
    w->mnuPictDeleat->trigger();

    // Qt's test mode puts the data folder below HOME instead of XDG_DATA_HOME.
    const QString trashed =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/a.jpg";
    ASSERT_TRUE(trashed.startsWith(box.path()));
    EXPECT_EQ(answers.texts(), row.importRunning ? QStringList() : QStringList{"本当に削除しますか"});
    if (!row.importRunning) {
        EXPECT_EQ(answers.messages()[0].defaultAnswer, MessageAnswer::Yes);
    }
    EXPECT_EQ(QFileInfo::exists(path), !row.gone);
    EXPECT_EQ(QFileInfo::exists(trashed), row.gone);
    EXPECT_EQ(dates(), row.gone ? QStringList() : QStringList{"2009/05/12"});
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, PictureDeletion,
    ::testing::Values(DeleteRow{"yes", MessageAnswer::Yes, false, false, true},
                      DeleteRow{"no", MessageAnswer::No, false, false, false},
                      DeleteRow{"read-only stays", MessageAnswer::Yes, true, false, false},
                      DeleteRow{"during an import", MessageAnswer::Yes, false, true, false}),
    test::namedBy([](const DeleteRow &r) { return r.name; }));

} // namespace
