#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QPushButton>

#include "maintenance/frmChang.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

// Each text is "patient folder | face folder". Files are named without ".jpg"
// unless they carry an extension; shown pictures stand at positions 0, 1, 2 … (the
// default shooting orders), a name with "+" lies in the folder without being shown.
struct OrderRow {
    const char *name, *visit, *shown, *pressed, *after;
    int clashes;
};

QStringList side(const char *text, int which)
{
    QStringList names;
    for (const QString &n : QString(text).split('|').value(which).split(' ', Qt::SkipEmptyParts))
        names << (n.contains('.') ? n : n + ".jpg");
    return names;
}

class DisplayOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(DisplayOrder, RenamesInThePressedOrderAndNeverOverAName)
{
    const OrderRow &row = GetParam();
    test::Sandbox box;
    auto store = box.settings();
    AppSettings settings;
    BrowseState browse;
    browse.strNowDate = row.visit;
    for (const int which : {0, 1}) {
        for (QString name : side(row.shown, which)) {
            const bool shown = !name.startsWith('+');
            const QString path = box.write((which ? "p/face/" : "p/") + name.remove('+'), "x");
            if (shown)
                (which ? browse.ListFace : browse.List2) << path;
        }
    }
    int16_t changed = 0;
    test::MessageRecorder messages;
    frmChang dialog({nullptr, [&]() -> QSettings & { return *store; }, settings, browse, changed});
    for (const QChar c : QString(row.pressed).section('|', 0, 0))
        dialog.cmdOral[size_t(c.digitValue())]->click();
    for (const QChar c : QString(row.pressed).section('|', 1, 1))
        dialog.cmdFace[size_t(c.digitValue())]->click();
    dialog.cmdChange->click();

    for (const int which : {0, 1}) {
        QStringList expected = side(row.after, which),
                    found = QDir(box.file(which ? "p/face" : "p")).entryList(QDir::Files);
        expected.replaceInStrings("today-", QDate::currentDate().toString("yyyyMMdd-"));
        expected.sort();
        found.sort();
        EXPECT_EQ(found, expected);
    }
    EXPECT_EQ(messages.texts(),
              QStringList(row.clashes, "同名のﾌｧｲﾙがあり変更できません\r\nﾌｧｲﾙ名を変更して下さい"));
    EXPECT_EQ(changed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, DisplayOrder,
    ::testing::Values(OrderRow{"oral 3 0 1", "2009/05/12", "a b c d e|", "301|",
                               "20090512-1 20090512-2 20090512-3 c e|", 0},
                      OrderRow{"in the names' own order", "2009/05/12", "20090512-1 20090512-2|", "01|",
                               "20090512-1 20090512-2|", 1},
                      OrderRow{"name taken in another case", "2009/05/12", "a b +20090512-1.JPG|", "10|",
                               "a b 20090512-1.JPG|", 1},
                      OrderRow{"empty position 6 then 0", "2009/05/12", "a b|", "60|", "20090512-2 b|", 0},
                      OrderRow{"no valid visit date", "2009/02/30", "a|", "0|", "today-1|", 0},
                      OrderRow{"facial 2 1", "2009/05/12", "|f0 f1 f2", "|21", "|20090512-F1 20090512-F2 f0",
                               0}),
    test::namedBy([](const OrderRow &r) { return r.name; }));

} // namespace
