#include <gtest/gtest.h>

#include "store/PatientNumber.h"
#include "store/StorePaths.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

struct NumericCase {
    const char *text;
    bool numeric;
};

class NumericText : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericText, ReadsAsANumberLikeTheOriginalBox)
{
    const NumericCase &c = GetParam();
    EXPECT_EQ(isNumericText(QString::fromUtf8(c.text)), c.numeric) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumericText,
    ::testing::Values(NumericCase{"123", true}, NumericCase{"00123", true}, NumericCase{" 12", true},
                      NumericCase{"12 ", true}, NumericCase{"\t7", true}, NumericCase{"-5", true},
                      NumericCase{"+5", true}, NumericCase{"- 5", true}, NumericCase{"1.5", true},
                      NumericCase{"1.", true}, NumericCase{".5", true}, NumericCase{"1e3", true},
                      NumericCase{"1E+3", true}, NumericCase{"2d-1", true}, NumericCase{"", false},
                      NumericCase{" ", false}, NumericCase{"12a", false}, NumericCase{"a12", false},
                      NumericCase{".", false}, NumericCase{"-", false}, NumericCase{"1e", false},
                      NumericCase{"1.2.3", false}, NumericCase{"1 2", false}, NumericCase{"&H10", false},
                      NumericCase{"1,000", false}, NumericCase{"１２３", false}, NumericCase{"5-", false}),
    test::namedBy([](const NumericCase &c) {
        return test::labelled(c.text, {{"１２３", "fullWidth123"}, {" ", "blank"}});
    }));

TEST(NumericValue, GivesTheValueOfNumericTextOnly)
{
    EXPECT_DOUBLE_EQ(*numericValue(QStringLiteral(" 00456 ")), 456.0);
    EXPECT_DOUBLE_EQ(*numericValue(QStringLiteral("1e3")), 1000.0);
    EXPECT_DOUBLE_EQ(*numericValue(QStringLiteral("-2.5")), -2.5);
    EXPECT_FALSE(numericValue(QStringLiteral("12a")).has_value());
}

struct FolderNumberCase {
    const char *folder;
    const char *shown; // nullptr: the box is left alone
};

class FolderNumber : public ::testing::TestWithParam<FolderNumberCase> {};

TEST_P(FolderNumber, ShowsTheLastFiveCharactersWhenTheyAreAPatientNumber)
{
    const FolderNumberCase &c = GetParam();
    const auto shown = folderPatientNumber(QString::fromUtf8(c.folder));
    if (c.shown) {
        ASSERT_TRUE(shown.has_value()) << c.folder;
        EXPECT_EQ(*shown, QString::fromUtf8(c.shown));
    } else {
        EXPECT_FALSE(shown.has_value()) << c.folder;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderNumber,
                         ::testing::Values(FolderNumberCase{"/p/001/00123", "00123"},
                                           FolderNumberCase{"/p/123/00456", "00456"},
                                           FolderNumberCase{"/p/x/99999", "99999"},
                                           FolderNumberCase{"/p/x/00000", "00000"},
                                           FolderNumberCase{"/tmp/Photos", nullptr},
                                           FolderNumberCase{"/p/a-001", nullptr},   // "a-001"
                                           FolderNumberCase{"/p/x/-0001", nullptr}, // "-0001" is below 0
                                           FolderNumberCase{"/p/1.5e3", "1.5e3"},   // reads 1500
                                           FolderNumberCase{"/p/ 1e05", nullptr},   // 100000 is too big
                                           FolderNumberCase{"/p/x/1e9", nullptr},   // "x/1e9"
                                           FolderNumberCase{"/", nullptr}),
                         test::namedBy([](const FolderNumberCase &c) { return c.folder; }));

class Lookup : public ::testing::Test {
protected:
    test::Sandbox box;
    QString pictures = box.mkdir(QStringLiteral("pict"));
};

TEST_F(Lookup, ChecksInTheOrderOfItsMessages)
{
    box.mkdir(QStringLiteral("pict/001/00123"));
    struct Case {
        QString typed;
        QString folda;
        PatientLookup outcome;
    };
    const QString missingFolda = box.file(QStringLiteral("none"));
    const Case cases[] = {
        {QStringLiteral("12a"), missingFolda, PatientLookup::NotNumeric},
        {QString(), pictures, PatientLookup::NotNumeric},
        {QStringLiteral("123456"), missingFolda, PatientLookup::Invalid},
        {QStringLiteral(" 12345"), pictures, PatientLookup::NotFound},
        {QStringLiteral("123"), missingFolda, PatientLookup::NoPictureFolder},
        {QStringLiteral("123"), QString(), PatientLookup::NoPictureFolder},
        {QStringLiteral(" 12"), pictures, PatientLookup::NotFound},
        // Blanks around the number are no part of it.
        {QStringLiteral("123 "), pictures, PatientLookup::Found},
        {QStringLiteral(" 123"), pictures, PatientLookup::Found},
        {QStringLiteral("1 23"), pictures, PatientLookup::NotNumeric},
        {QStringLiteral("124"), pictures, PatientLookup::NotFound},
        {QStringLiteral("123"), pictures, PatientLookup::Found},
        {QStringLiteral("00123"), pictures + QStringLiteral("/"), PatientLookup::Found},
        // Typed with the Japanese input method on.
        {QStringLiteral("１２３"), pictures, PatientLookup::Found},
        {QStringLiteral("　１２３"), pictures, PatientLookup::Found},
        {QStringLiteral("１２３　"), pictures, PatientLookup::Found},
        {QStringLiteral("12３"), pictures, PatientLookup::Found},
        {QStringLiteral("１２a"), pictures, PatientLookup::NotNumeric},
        {QStringLiteral("１　２"), pictures, PatientLookup::NotNumeric},
    };
    for (const Case &c : cases) {
        const PatientLookupResult r = lookUpPatient(c.typed, c.folda);
        EXPECT_EQ(r.outcome, c.outcome) << c.typed.toStdString() << " in " << c.folda.toStdString();
        if (r.outcome == PatientLookup::Found) {
            EXPECT_EQ(r.folder, pictures + QStringLiteral("/001/00123"));
        }
    }
    EXPECT_EQ(lookUpPatient(QStringLiteral(" 12"), pictures).folder, pictures + QStringLiteral("/000/00012"));
}

TEST_F(Lookup, AFileInPlaceOfThePatientFolderIsNoPatient)
{
    box.write(QStringLiteral("pict/001/00123"), "not a folder");
    EXPECT_EQ(lookUpPatient(QStringLiteral("123"), pictures).outcome, PatientLookup::NotFound);
}

} // namespace
} // namespace tolvarine
