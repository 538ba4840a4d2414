#include <optional>

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>

#include "store/StoreNames.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

TEST(StoreNames, VisitDateIsYearMonthDayWithSlashes)
{
    EXPECT_EQ(visitDateText(QDate(2009, 3, 15)), "2009/03/15");
    EXPECT_EQ(visitDateText(QDateTime(QDate(2008, 12, 1), QTime(23, 59, 59))), "2008/12/01");
    EXPECT_EQ(visitDateText(QDate(987, 1, 2)), "0987/01/02");
    EXPECT_EQ(visitDateText(QDate()), "");
}

struct DateRow {
    const char *text;
    std::optional<QDate> date;
};

class VisitDateParsing : public ::testing::TestWithParam<DateRow> {};

TEST_P(VisitDateParsing, AcceptsOnlyRealDates)
{
    const DateRow &row = GetParam();
    EXPECT_EQ(parseVisitDate(QString::fromUtf8(row.text)), row.date);
}

INSTANTIATE_TEST_SUITE_P(
    Store, VisitDateParsing,
    ::testing::Values(DateRow{"2009/03/15", QDate(2009, 3, 15)}, DateRow{"2009/3/5", QDate(2009, 3, 5)},
                      DateRow{"2008/02/29", QDate(2008, 2, 29)}, DateRow{"2009/02/29", std::nullopt},
                      DateRow{"2009/13/01", std::nullopt}, DateRow{"2009-03-15", std::nullopt},
                      DateRow{"09/03/15", std::nullopt}, DateRow{"2009/03/15/", std::nullopt},
                      DateRow{"2009/0a/15", std::nullopt}, DateRow{"2009/003/15", std::nullopt},
                      DateRow{"", std::nullopt}),
    test::namedBy([](const DateRow &r) { return r.text; }));

struct BlankRow {
    QStringList files;
    QStringList folders;
    const char *expected;
};

class BlankPictureNames : public ::testing::TestWithParam<BlankRow> {};

TEST_P(BlankPictureNames, FirstFreeNameIgnoringCase)
{
    const BlankRow &row = GetParam();
    test::Sandbox box;
    const QString folder = box.mkdir("p");
    for (const QString &name : row.files)
        box.write("p/" + name, "x");
    for (const QString &name : row.folders)
        box.mkdir("p/" + name);
    EXPECT_EQ(nextBlankPictureName(folder), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Store, BlankPictureNames,
    ::testing::Values(BlankRow{{}, {}, "nopic.jpg"}, BlankRow{{"x.jpg"}, {}, "nopic.jpg"},
                      BlankRow{{"nopic.jpg"}, {}, "nopic1.jpg"}, BlankRow{{"NOPIC.JPG"}, {}, "nopic1.jpg"},
                      BlankRow{{"nopic.jpg", "NOPIC1.jpg"}, {}, "nopic2.jpg"},
                      BlankRow{{"nopic1.jpg"}, {}, "nopic.jpg"},
                      BlankRow{{"nopic.jpg", "nopic1.jpg", "nopic3.jpg"}, {}, "nopic2.jpg"},
                      BlankRow{{"nopic.jpg"}, {"Nopic1.jpg"}, "nopic2.jpg"}),
    test::namedBy([](const BlankRow &r) {
        return r.files.isEmpty() && r.folders.isEmpty()
                   ? QStringLiteral("emptyVisit")
                   : QStringLiteral("files_") + r.files.join(QLatin1Char('_'))
                         + (r.folders.isEmpty()
                                ? QString()
                                : QStringLiteral("_folders_") + r.folders.join(QLatin1Char('_')));
    }));

TEST(StoreNames, BlankNameInMissingFolderIsTheFirst)
{
    test::Sandbox box;
    EXPECT_EQ(nextBlankPictureName(box.file("nothere")), "nopic.jpg");
}

TEST(StoreNames, DisplayOrderNames)
{
    EXPECT_EQ(orderedOralName("20090315-", 1), "20090315-1.jpg");
    EXPECT_EQ(orderedOralName("20090315-", 7), "20090315-7.jpg");
    EXPECT_EQ(orderedFaceName("20090315-", 3), "20090315-F3.jpg");
    EXPECT_EQ(orderedFaceName("", 12), "F12.jpg");
    EXPECT_EQ(orderedFaceName(offeredDatePrefix("2009/03/15", QDate(2024, 1, 2)), 3), "20090315-F3.jpg");
}

TEST(StoreNames, OfferedPrefixFallsBackToToday)
{
    const QDate today(2024, 1, 2);
    EXPECT_EQ(offeredDatePrefix("2009/03/15", today), "20090315-");
    EXPECT_EQ(offeredDatePrefix("2009/3/5", today), "20090305-");
    EXPECT_EQ(offeredDatePrefix("", today), "20240102-");
    EXPECT_EQ(offeredDatePrefix("2009/02/30", today), "20240102-");
    EXPECT_EQ(datePrefix(QDate(2010, 11, 9)), "20101109-");
}

TEST(StoreNames, RenamedPathKeepsTheFolder)
{
    EXPECT_EQ(renamedPicturePath("/P/001/00123/IMG_0001.jpg", "20090315-1.jpg"),
              "/P/001/00123/20090315-1.jpg");
    EXPECT_EQ(renamedPicturePath("/P/001/00123/face/a.JPG", "20090315-F1.jpg"),
              "/P/001/00123/face/20090315-F1.jpg");
    EXPECT_EQ(renamedPicturePath("/a.jpg", "n.jpg"), "/n.jpg");
    // the search starts before the extension: a "/" there is not the folder's
    EXPECT_EQ(renamedPicturePath("x/.jpg", "n.jpg"), "x/n.jpg");
    EXPECT_EQ(renamedPicturePath("xy.j/g", "n.jpg"), "");
    EXPECT_EQ(renamedPicturePath("", "n.jpg"), "");
    EXPECT_EQ(renamedPicturePath("a.jpg", "n.jpg"), "");
}

} // namespace
