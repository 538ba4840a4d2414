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
    const bool valid = row.accepted.isValid();
    EXPECT_EQ(messages.texts(), valid ? QStringList() : QStringList{"不正な日付です"});
    EXPECT_EQ(dialog.datNewDate(),
              valid ? std::optional(QDateTime(row.accepted, QTime(12, 0))) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, DateDialog,
    ::testing::Values(DateRow{"1969", "12", "31", {}}, DateRow{"2071", "1", "1", {}},
                      DateRow{"2009", "13", "1", {}}, DateRow{"2009", "1", "32", {}},
                      DateRow{"2009", "4", "31", {}}, DateRow{"2009", "x", "1", {}},
                      DateRow{"2009", "2", "29", {}}, DateRow{"2009", "2", "28", QDate(2009, 2, 28)},
                      DateRow{"１９７０", " 01 ", "1", QDate(1970, 1, 1)}),
    test::namedBy([](const DateRow &r) { return QString("%1_%2_%3").arg(r.year, r.month, r.day); }));

// Patient 00012 with one picture dated 12 May 2009 in its Exif and file time and an
// empty face folder, the context menu opened over it; pictures are dated by their
// Exif date. The desktop's trash is the test's own.
class PictureMenu : public test::BrowseWindow {
protected:
    void SetUp() override
    {
        BrowseWindow::SetUp();
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
    void open(const QByteArray &bytes = {})
    {
        setSetting("FileHizuke", "0");
        path = test::writeExifPicture(patient("00012") + "/a.jpg", "2009:05:12 09:00:00", taken);
        if (!bytes.isEmpty())
            box.write("pictures/000/00012/a.jpg", bytes);
        test::setModified(path, taken);
        box.mkdir("pictures/000/00012/face");
        w = loadWindow();
        commit(*w, "12");
        w->ImgSam_MouseDown(0, Qt::RightButton, {}, 0, 0);
        w->mnuPict->hide();
        ASSERT_EQ(w->state().strPopupFile, path);
    }
    QStringList dates() const { return entries(w->List1); }

    const QDateTime taken{QDate(2009, 5, 12), QTime(9, 0)};
    QString path;
    std::unique_ptr<frmMain> w;
    std::vector<std::pair<const char *, QByteArray>> saved;
};

// A message means the panel shows no visit, so the copy stays undated and says so.
struct BlankRow {
    const char *name;
    bool face;
    QStringList present; // blank pictures already in the folder
    const char *made, *message;
};

class BlankPicture : public PictureMenu, public ::testing::WithParamInterface<BlankRow> {};

TEST_P(BlankPicture, CopiesTheTemplateDatedAtNoonOfTheShownVisit)
{
    const BlankRow &row = GetParam();
    const QDateTime templateTime(QDate(2001, 1, 1), QTime(10, 0));
    ASSERT_TRUE(QFile::copy(TOLVARINE_BLANK_TEMPLATE, program + "/nopic.jpg"));
    test::setModified(program + "/nopic.jpg", templateTime);
    for (const QString &name : row.present)
        test::touchPicture(box.file("pictures/000/00012/" + name), taken.addDays(-9));
    open();
    const bool dated = !*row.message;
    if (!dated)
        (row.face ? w->state().strFaceDate : w->state().strOralDate).clear();

    (row.face ? w->mnuEditFaceNoPicture : w->mnuEditNoPicture)->trigger();

    const QString made = box.file("pictures/000/00012/") + row.made;
    const QString undated = QString(row.message) + "\r\n空白画像 nopic.jpg は日付なしで追加されました";
    EXPECT_EQ(messages.texts(), dated ? QStringList() : QStringList{undated});
    EXPECT_EQ(readExifDateTime(made).value_or("none"), dated ? "2009:05:12 12:00:00" : "none");
    EXPECT_EQ(QFileInfo(made).lastModified(), dated ? QDateTime(taken.date(), QTime(12, 0)) : templateTime);
    EXPECT_EQ((row.face ? w->state().ListFace : w->state().List2).contains(made), dated);
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, BlankPicture,
    ::testing::Values(BlankRow{"oral visit of 12 May 2009", false, {}, "nopic.jpg", ""},
                      BlankRow{
                          "nopic and nopic1 present", false, {"nopic.jpg", "nopic1.jpg"}, "nopic2.jpg", ""},
                      BlankRow{"no intraoral visit shown", false, {}, "nopic.jpg", "日付が取得できません。"},
                      BlankRow{"no facial visit shown", true, {}, "face/nopic.jpg", "日付が取得できません"}),
    test::namedBy([](const BlankRow &r) { return r.name; }));

struct DateChangeRow {
    const char *name, *bytes;
    bool ok; // 2008/3/3 entered and OK, or キャンセル
    const char *exif, *listed, *message;
};

class PictureDateChange : public PictureMenu, public ::testing::WithParamInterface<DateChangeRow> {};

TEST_P(PictureDateChange, WritesTheDayOrSaysWhatDidNotTake)
{
    const DateChangeRow &row = GetParam();
    open(row.bytes);
    w->maintenance().setDateRunner([&](frmDate &d) {
        d.txtYear->setText("2008");
        d.txtMonth->setText("3");
        d.txtDay->setText("3");
        (row.ok ? d.cmdOK : d.cmdCancel)->click();
    });
    w->mnuPictKousin->trigger();
    EXPECT_EQ(readExifDateTime(path).value_or("none"), row.exif);
    EXPECT_EQ(QFileInfo(path).lastModified(), row.ok ? QDateTime(QDate(2008, 3, 3), QTime(12, 0)) : taken);
    EXPECT_EQ(dates(), QStringList{row.listed});
    EXPECT_EQ(messages.texts(), *row.message ? QStringList{row.message} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, PictureDateChange,
    ::testing::Values(DateChangeRow{"OK", "", true, "2008:03:03 12:00:00", "2008/03/03", ""},
                      DateChangeRow{"cancel", "", false, "2009:05:12 09:00:00", "2009/05/12", ""},
                      DateChangeRow{
                          "no picture inside", "not a picture", true, "none", "2008/03/03",
                          "画像内の撮影日時は変更できませんでした\r\nﾌｧｲﾙ更新日だけを変更しました"}),
    test::namedBy([](const DateChangeRow &r) { return r.name; }));

struct DeleteRow {
    const char *name;
    bool readOnly, importRunning;
};

class PictureDeletion : public PictureMenu, public ::testing::WithParamInterface<DeleteRow> {};

TEST_P(PictureDeletion, YesMovesTheLastPictureOfAVisitToTheTrash)
{
    const DeleteRow &row = GetParam();
    open();
    if (row.readOnly)
        QFile::setPermissions(path, QFileDevice::ReadOwner);
    w->mnuPict->setEnabled(!row.importRunning);
    test::MessageRecorder answers(MessageAnswer::Yes);
    w->mnuPictDeleat->trigger();

    const bool gone = !row.readOnly && !row.importRunning;
    // Qt's test mode keeps the data folder below HOME.
    const QString trashed =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/a.jpg";
    ASSERT_TRUE(trashed.startsWith(box.path()));
    EXPECT_EQ(answers.texts(), row.importRunning ? QStringList() : QStringList{"本当に削除しますか"});
    EXPECT_TRUE(row.importRunning || answers.messages()[0].defaultAnswer == MessageAnswer::Yes);
    EXPECT_EQ(QFileInfo::exists(path), !gone);
    EXPECT_EQ(QFileInfo::exists(trashed), gone);
    EXPECT_EQ(dates(), gone ? QStringList() : QStringList{"2009/05/12"});
}

INSTANTIATE_TEST_SUITE_P(Maintenance, PictureDeletion,
                         ::testing::Values(DeleteRow{"yes", false, false},
                                           DeleteRow{"read-only", true, false},
                                           DeleteRow{"during an import", false, true}),
                         test::namedBy([](const DeleteRow &r) { return r.name; }));

} // namespace
