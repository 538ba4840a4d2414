#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "browse/BrowseWindowFixture.h"
#include "imaging/ExifMetadata.h"

using namespace tolvarine;

namespace {

const QDateTime kTemplateTime(QDate(2001, 1, 1), QTime(10, 0));

struct BlankRow {
    const char *name;
    bool face = false;
    bool visitShown = true; // a visit of 12 May 2009 in the panel
    QStringList present;    // in the folder the blank picture goes to
    int16_t fileHizuke = 1;
    const char *made = ""; // below the patient folder; "" for nothing made
    const char *message = "";
    bool withTemplate = true;
    bool withFaceFolder = true;
};

class BlankPicture : public test::BrowseWindow, public ::testing::WithParamInterface<BlankRow> {};

TEST_P(BlankPicture, CopiesTheTemplateDatedAtNoonOfTheShownVisit)
{
    const BlankRow &row = GetParam();
    if (row.withTemplate) {
        ASSERT_TRUE(QFile::copy(TOLVARINE_BLANK_TEMPLATE, program + "/nopic.jpg"));
        test::setModified(program + "/nopic.jpg", kTemplateTime);
    }
    setSetting("FileHizuke", QString::number(row.fileHizuke));
    const QString folder = patient("00012");
    const QDate day(2009, 5, 12);
    picture(folder, "a.jpg", day);
    if (row.withFaceFolder)
        box.mkdir("pictures/000/00012/face");
    if (row.face && row.visitShown)
        picture(folder + "/face", "f.jpg", day);
    const QString target = QString(row.face ? folder + "/face" : folder);
    for (const QString &name : row.present)
        test::touchPicture(target + "/" + name, QDateTime(day.addDays(-9), QTime(10, 0)));
    auto w = loadWindow();
    commit(*w, "12");
    if (!row.visitShown)
        (row.face ? w->state().strFaceDate : w->state().strOralDate).clear();

    row.face ? w->mnuEditFaceNoPicture->trigger() : w->mnuEditNoPicture->trigger();

    EXPECT_EQ(messages.texts(), QString(row.message).isEmpty() ? QStringList() : QStringList{row.message});
    const QString made = folder + "/" + row.made;
    if (!*row.made) {
        EXPECT_FALSE(QFileInfo::exists(target + "/nopic.jpg"));
        return;
    }
    const QDateTime noon(day, QTime(12, 0));
    EXPECT_EQ(readExifDateTime(made).value_or("none"), row.message[0] ? "none" : "2009:05:12 12:00:00");
    EXPECT_EQ(QFileInfo(made).lastModified(), row.message[0] ? kTemplateTime : noon);
    const QStringList shown = row.face ? w->state().ListFace : w->state().List2;
    EXPECT_EQ(shown.contains(made), !row.message[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, BlankPicture,
    ::testing::Values(
        BlankRow{"oral visit of 12 May 2009", false, true, {}, 1, "nopic.jpg"},
        BlankRow{"dated by Exif", false, true, {}, 0, "nopic.jpg"},
        BlankRow{"nopic and nopic1 present", false, true, {"nopic.jpg", "nopic1.jpg"}, 1, "nopic2.jpg"},
        BlankRow{"facial visit", true, true, {}, 1, "face/nopic.jpg"},
        BlankRow{"no intraoral visit shown",
                 false,
                 false,
                 {},
                 1,
                 "nopic.jpg",
                 "日付が取得できません。\r\n空白画像 nopic.jpg は日付なしで追加されました"},
        BlankRow{"no facial visit shown",
                 true,
                 false,
                 {},
                 1,
                 "face/nopic.jpg",
                 "日付が取得できません\r\n空白画像 nopic.jpg は日付なしで追加されました"},
        BlankRow{"no template", false, true, {}, 1, "", "ファイルNopic.jpgがありません", false},
        BlankRow{"no face folder", true, false, {}, 1, "", "faceフォルダがありません", true, false}),
    test::namedBy([](const BlankRow &r) { return r.name; }));

} // namespace
