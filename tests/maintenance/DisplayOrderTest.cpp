#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "maintenance/frmChang.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

// The shown visit's pictures stand at positions 0, 1, 2 … in store order (the
// default shooting orders); "{today}" in a name is today's date prefix.
struct OrderRow {
    const char *name;
    const char *nowDate;
    QStringList oral, face, others;
    const char *oralPressed, *facePressed;
    QStringList oralAfter, faceAfter;
    int clashes;
};

class DisplayOrder : public ::testing::TestWithParam<OrderRow> {};

QStringList files(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files);
    names.sort();
    return names;
}

TEST_P(DisplayOrder, RenamesInTheOrderPressedAndNeverOverAName)
{
    const OrderRow &row = GetParam();
    test::Sandbox box;
    auto store = box.settings();
    AppSettings settings;
    BrowseState browse;
    browse.strNowDate = row.nowDate;
    for (const QString &name : row.oral)
        browse.List2 << box.write("p/" + name, name.toUtf8());
    for (const QString &name : row.face)
        browse.ListFace << box.write("p/face/" + name, name.toUtf8());
    for (const QString &name : row.others)
        box.write("p/" + name, "other");
    int16_t changed = 0;
    test::MessageRecorder messages;

    frmChang dialog({nullptr, [&]() -> QSettings & { return *store; }, settings, browse, changed});
    for (const QChar c : QString(row.oralPressed))
        dialog.cmdOral[size_t(c.digitValue())]->click();
    for (const QChar c : QString(row.facePressed))
        dialog.cmdFace[size_t(c.digitValue())]->click();
    dialog.cmdChange->click();

    const QString today = QDate::currentDate().toString("yyyyMMdd-");
    auto expected = [&](QStringList names) {
        names.replaceInStrings("{today}", today);
        names.sort();
        return names;
    };
    EXPECT_EQ(files(box.file("p")), expected(row.oralAfter));
    EXPECT_EQ(files(box.file("p/face")), expected(row.faceAfter));
    EXPECT_EQ(messages.texts(),
              QStringList(row.clashes, "同名のﾌｧｲﾙがあり変更できません\r\nﾌｧｲﾙ名を変更して下さい"));
    EXPECT_EQ(changed, 1);
}

const QStringList kFive{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};

INSTANTIATE_TEST_SUITE_P(Maintenance, DisplayOrder,
                         ::testing::Values(OrderRow{"oral 3 0 1 numbered 1 2 3, others kept",
                                                    "2009/05/12",
                                                    kFive,
                                                    {},
                                                    {},
                                                    "301",
                                                    "",
                                                    {"20090512-1.jpg", "20090512-2.jpg", "20090512-3.jpg",
                                                     "c.jpg", "e.jpg"},
                                                    {},
                                                    0},
                                           OrderRow{"the names' own order clashes at once",
                                                    "2009/05/12",
                                                    {"20090512-1.jpg", "20090512-2.jpg"},
                                                    {},
                                                    {},
                                                    "01",
                                                    "",
                                                    {"20090512-1.jpg", "20090512-2.jpg"},
                                                    {},
                                                    1},
                                           OrderRow{"a name taken in another case clashes",
                                                    "2009/05/12",
                                                    {"a.jpg", "b.jpg"},
                                                    {},
                                                    {"20090512-1.JPG"},
                                                    "10",
                                                    "",
                                                    {"20090512-1.JPG", "a.jpg", "b.jpg"},
                                                    {},
                                                    1},
                                           OrderRow{"empty position 6 uses up number 1",
                                                    "2009/05/12",
                                                    {"a.jpg", "b.jpg"},
                                                    {},
                                                    {},
                                                    "60",
                                                    "",
                                                    {"20090512-2.jpg", "b.jpg"},
                                                    {},
                                                    0},
                                           OrderRow{"no valid visit date gives today",
                                                    "2009/02/30",
                                                    {"a.jpg"},
                                                    {},
                                                    {},
                                                    "0",
                                                    "",
                                                    {"{today}1.jpg"},
                                                    {},
                                                    0},
                                           OrderRow{"facial names carry F",
                                                    "2009/05/12",
                                                    {},
                                                    {"f0.jpg", "f1.jpg", "f2.jpg"},
                                                    {},
                                                    "",
                                                    "21",
                                                    {},
                                                    {"20090512-F1.jpg", "20090512-F2.jpg", "f0.jpg"},
                                                    0},
                                           OrderRow{"an oral clash still renames the facial",
                                                    "2009/05/12",
                                                    {"20090512-1.jpg"},
                                                    {"f.jpg"},
                                                    {},
                                                    "0",
                                                    "0",
                                                    {"20090512-1.jpg"},
                                                    {"20090512-F1.jpg"},
                                                    1}),
                         test::namedBy([](const OrderRow &r) { return r.name; }));

TEST(DisplayOrderDialog, PressesNumberTheButtonsUntilResetAndCancelKeepsThePlace)
{
    test::Sandbox box;
    auto store = box.settings();
    AppSettings settings;
    BrowseState browse;
    browse.List2 << box.write("p/a.jpg", "a");
    int16_t changed = 1;
    frmChang dialog({nullptr, [&]() -> QSettings & { return *store; }, settings, browse, changed});
    EXPECT_EQ(dialog.windowTitle(), "ファイル名 表示順　変更");
    EXPECT_EQ(dialog.pos(), QPoint(587, 40)); // 8800 and 600 twips at 96 dpi

    dialog.cmdOral[3]->click();
    dialog.cmdOral[0]->click();
    dialog.cmdFace[4]->click();
    EXPECT_EQ(dialog.lblOral[3]->text(), "1");
    EXPECT_EQ(dialog.lblOral[0]->text(), "2");
    EXPECT_EQ(dialog.lblFace[4]->text(), "F1");
    EXPECT_FALSE(dialog.cmdOral[3]->isEnabled());
    EXPECT_EQ(dialog.strOralOrder, "30");

    dialog.cmdReset->click();
    EXPECT_TRUE(dialog.cmdOral[3]->isEnabled() && dialog.cmdFace[4]->isEnabled());
    EXPECT_TRUE(dialog.lblOral[3]->text().isEmpty() && dialog.lblFace[4]->text().isEmpty());
    EXPECT_TRUE(dialog.strOralOrder.isEmpty() && dialog.strFaceOrder.isEmpty());

    dialog.cmdOral[0]->click();
    dialog.move(300, 200);
    dialog.cmdCancel->click();
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(QDir(box.file("p")).entryList(QDir::Files), QStringList{"a.jpg"});
    store->beginGroup(settingsSection());
    EXPECT_EQ(store->value("fChangeLeft").toString(), "4500");
    EXPECT_EQ(store->value("fChangeTop").toString(), "3000");
}

} // namespace
