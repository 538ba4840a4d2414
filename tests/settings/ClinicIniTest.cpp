#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "settings/ClinicIni.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

struct ProfileCase {
    const char *name;
    const char *ini;
    const char *section;
    const char *key;
    const char *expected;
};

class ProfileString : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileString, ReadsAsTheProfileApiDoes)
{
    const ProfileCase &c = GetParam();
    EXPECT_EQ(readProfileString(QString::fromUtf8(c.ini), QLatin1String(c.section), QLatin1String(c.key),
                                QStringLiteral("Err")),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileString,
    ::testing::Values(
        ProfileCase{"plain", "[Clinic]\nName=Sakura\n", "Clinic", "Name", "Sakura"},
        ProfileCase{"caseOfSectionAndKey", "[CLINIC]\nnAmE=Sakura\n", "Clinic", "Name", "Sakura"},
        ProfileCase{"blanksTrimmed", "  [ Clinic ]  \r\n  Name  =   Sakura Dental  \r\n", "Clinic", "Name",
                    "Sakura Dental"},
        ProfileCase{"quotesStripped", "[Clinic]\nName=\"  Sakura  \"\n", "Clinic", "Name", "  Sakura  "},
        ProfileCase{"singleQuotes", "[Clinic]\nName='Sakura'\n", "Clinic", "Name", "Sakura"},
        ProfileCase{"unmatchedQuoteKept", "[Clinic]\nName=\"Sakura\n", "Clinic", "Name", "\"Sakura"},
        ProfileCase{"commentLine", "[Clinic]\n;Name=Old\nName=New\n", "Clinic", "Name", "New"},
        ProfileCase{"semicolonInValueKept", "[Clinic]\nName=A;B\n", "Clinic", "Name", "A;B"},
        ProfileCase{"equalsInValue", "[Clinic]\nName=a=b\n", "Clinic", "Name", "a=b"},
        ProfileCase{"emptyValueIsNotMissing", "[Clinic]\nName=\n", "Clinic", "Name", ""},
        ProfileCase{"firstKeyWins", "[Clinic]\nName=One\nName=Two\n", "Clinic", "Name", "One"},
        ProfileCase{"otherSection", "[Other]\nName=No\n[Clinic]\nSize=9\n", "Clinic", "Name", "Err"},
        ProfileCase{"keyAfterSectionEnds", "[Clinic]\nSize=9\n[Other]\nName=No\n", "Clinic", "Name", "Err"},
        ProfileCase{"keyBeforeAnySection", "Name=No\n[Clinic]\n", "Clinic", "Name", "Err"},
        ProfileCase{"prefixIsNotTheKey", "[Clinic]\nNames=No\nName2=No\n", "Clinic", "Name", "Err"},
        ProfileCase{"lineWithoutEquals", "[Clinic]\nName\nName=Yes\n", "Clinic", "Name", "Yes"},
        ProfileCase{"noFile", "", "Clinic", "Name", "Err"}),
    [](const auto &info) { return std::string(info.param.name); });

struct SizeCase {
    const char *text;
    int points;
};

class ClinicFontSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ClinicFontSize, IsRoundedAndKeptWithinEightToSixteen)
{
    EXPECT_EQ(clinicFontPointSize(QLatin1String(GetParam().text)), GetParam().points);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ClinicFontSize,
                         ::testing::Values(SizeCase{"20", 16}, SizeCase{"5", 8}, SizeCase{"abc", 12},
                                           SizeCase{"Err", 12}, SizeCase{"", 12}, SizeCase{"10", 10},
                                           SizeCase{" 14 ", 14}, SizeCase{"12.5", 12}, SizeCase{"13.5", 14},
                                           SizeCase{"10.4", 10}, SizeCase{"-3", 8}, SizeCase{"1e1", 10},
                                           SizeCase{"1e300", 16}, SizeCase{"9pt", 12}, SizeCase{"nan", 12},
                                           SizeCase{"16", 16}, SizeCase{"8", 8}),
                         test::namedBy([](const SizeCase &c) { return c.text; }));

class ClinicIniFile : public ::testing::Test {
protected:
    void write(const QByteArray &bytes, const QString &name = QStringLiteral("clinic.ini"))
    {
        box.write(name, bytes);
    }
    test::Sandbox box;
};

TEST_F(ClinicIniFile, NoFileGivesNothing)
{
    EXPECT_FALSE(readClinicIni(box.path()).has_value());
    box.mkdir(QStringLiteral("clinic.ini"));
    EXPECT_FALSE(readClinicIni(box.path()).has_value());
    EXPECT_FALSE(readClinicIni(QString()).has_value());
}

TEST_F(ClinicIniFile, ReadsTheThreeValues)
{
    write("[Clinic]\r\nName=さくら歯科医院\r\nSize=14\r\nFont=IPAPGothic\r\n");
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("さくら歯科医院"));
    EXPECT_EQ(ini->ClinicFontSize, QStringLiteral("14"));
    EXPECT_EQ(ini->ClinicFontName, QStringLiteral("IPAPGothic"));
}

TEST_F(ClinicIniFile, MissingKeysGiveErr)
{
    write("[Clinic]\nSize=10\n");
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("Err"));
    EXPECT_EQ(ini->ClinicFontSize, QStringLiteral("10"));
    EXPECT_EQ(ini->ClinicFontName, QStringLiteral("Err"));
}

TEST_F(ClinicIniFile, ReadsShiftJisAndUtf8WithBom)
{
    const auto sjis = encodeCp932(QStringLiteral("[Clinic]\r\nName=医療法人　ひまわり会\r\n"));
    ASSERT_TRUE(sjis);
    write(*sjis);
    auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("医療法人　ひまわり会"));

    write(QByteArray("\xEF\xBB\xBF") + QStringLiteral("[Clinic]\nName=ｸﾘﾆｯｸ\n").toUtf8());
    ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("ｸﾘﾆｯｸ"));
}

TEST_F(ClinicIniFile, ADamagedLineDoesNotCostTheOthers)
{
    const QByteArray bytes("[Clinic]\nName=Sakura\nFont=\x81\n");
    ASSERT_FALSE(decodeUtf8OrCp932(bytes).has_value()); // neither UTF-8 nor CP932 as a whole
    write(bytes);
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("Sakura"));
}

TEST_F(ClinicIniFile, ValuesAreCutAtSixtyThreeShiftJisBytes)
{
    // 40 double-byte characters are 80 bytes: 31 of them fit.
    const QString longName = QString(40, QChar(0x3042));
    write(
        QStringLiteral("[Clinic]\nName=%1\nFont=%2\n").arg(longName, QString(70, QLatin1Char('f'))).toUtf8());
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QString(31, QChar(0x3042)));
    EXPECT_EQ(ini->ClinicFontName, QString(63, QLatin1Char('f')));

    // One single-byte character more, and the half-width katakana stay whole.
    write(QStringLiteral("[Clinic]\nName=a%1\n").arg(QString(70, QChar(0xFF71))).toUtf8());
    EXPECT_EQ(readClinicIni(box.path())->ClinicName, QStringLiteral("a") + QString(62, QChar(0xFF71)));
}

TEST_F(ClinicIniFile, ValueEndsAtTheFirstNul)
{
    write(QByteArray("[Clinic]\nName=Sak\0ura\n", 22));
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("Sak"));
}

TEST_F(ClinicIniFile, TheNameOfTheFileIsFoundWithoutRegardToCase)
{
    write("[Clinic]\nName=Upper\n", QStringLiteral("CLINIC.INI"));
    const auto ini = readClinicIni(box.path());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ClinicName, QStringLiteral("Upper"));
}

} // namespace
} // namespace tolvarine
