#include <memory>

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include "settings/AppSettings.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

constexpr auto kProgramFolder = "/opt/tolvarine/bin";

QString rawValue(QSettings &store, const QString &key)
{
    store.beginGroup(QStringLiteral("Settings"));
    const QVariant value = store.value(key);
    store.endGroup();
    EXPECT_EQ(value.metaType().id(), QMetaType::QString) << key.toStdString();
    return value.toString();
}

void putRaw(QSettings &store, const QString &key, const QString &text)
{
    store.beginGroup(QStringLiteral("Settings"));
    store.setValue(key, text);
    store.endGroup();
}

GeneralSettingsInput sampleInput()
{
    GeneralSettingsInput in;
    in.PictSyori = {1, 2, 3, 0, 1, 2, 3};
    in.FacePictSyori = {5, 4, 3, 2, 1};
    in.Jyunban = QStringLiteral("6543210");
    in.FaceJyunban = QStringLiteral("43210");
    in.PictFolda = QStringLiteral("/srv/写真/口腔");
    in.PictReadFolda = QStringLiteral("/media/camera, card 1");
    in.ViewSizeText = QStringLiteral("9000");
    in.OsFontSizeState = 1;
    in.FileHizukeState = 0;
    in.DropAriaTipsState = 0;
    in.ViewItiState = 1;
    in.ContrastState = 1;
    in.KidoState = 0;
    in.RGBState = 1;
    in.ContrastTi = -250;
    in.KidoTi = 300;
    in.RedTi = 10;
    in.GreenTi = -20;
    in.BlueTi = 30;
    return in;
}

} // namespace

TEST(AppSettingsStore, EmptyStoreGivesEveryDefault)
{
    test::Sandbox box;
    auto store = box.settings();
    const AppSettings s = loadAppSettings(*store, QString::fromLatin1(kProgramFolder));
    for (int16_t code : s.PictSyori)
        EXPECT_EQ(code, 0);
    for (int16_t code : s.FacePictSyori)
        EXPECT_EQ(code, 0);
    EXPECT_EQ(s.Jyunban, "0123456");
    EXPECT_EQ(s.FaceJyunban, "01234");
    EXPECT_EQ(s.PictFolda, kProgramFolder);
    EXPECT_EQ(s.PictReadFolda, kProgramFolder);
    EXPECT_EQ(s.ViewSize, 8000);
    EXPECT_EQ(s.OsFontSize, 0);
    EXPECT_EQ(s.DropAriaTips, 1);
    EXPECT_EQ(s.ViewIti, 0);
    EXPECT_EQ(s.FileHizuke, 1);
    EXPECT_EQ(s.Contrast, 0);
    EXPECT_EQ(s.Kido, 0);
    EXPECT_EQ(s.RGB, 0);
    EXPECT_EQ(s.ContrastTi, 0);
    EXPECT_EQ(s.KidoTi, 0);
    EXPECT_EQ(s.RedTi, 0);
    EXPECT_EQ(s.GreenTi, 0);
    EXPECT_EQ(s.BlueTi, 0);

    EXPECT_EQ(readWindowPosition(*store, kMainPosition), QPointF(200, 200));
    EXPECT_EQ(readWindowPosition(*store, kViewPosition), QPointF(200, 200));
    EXPECT_EQ(readWindowPosition(*store, kKrNoPosition), QPointF(2800, 2200));
    EXPECT_EQ(readWindowPosition(*store, kChangePosition), QPointF(8800, 600));
    // Reading creates nothing.
    EXPECT_TRUE(store->allKeys().isEmpty());
}

TEST(AppSettingsStore, WrittenSettingsLoadBackInAFreshStore)
{
    test::Sandbox box;
    const GeneralSettingsInput in = sampleInput();
    AppSettings written;
    {
        auto store = box.settings();
        writeGeneralSettings(*store, in, written);
    }
    auto store = box.settings();
    const AppSettings s = loadAppSettings(*store, QString::fromLatin1(kProgramFolder));
    EXPECT_EQ(s.PictSyori, in.PictSyori);
    EXPECT_EQ(s.FacePictSyori, in.FacePictSyori);
    EXPECT_EQ(s.Jyunban, in.Jyunban);
    EXPECT_EQ(s.FaceJyunban, in.FaceJyunban);
    EXPECT_EQ(s.PictFolda, in.PictFolda);
    EXPECT_EQ(s.PictReadFolda, in.PictReadFolda);
    EXPECT_EQ(s.ViewSize, 9000);
    EXPECT_EQ(s.OsFontSize, 1);
    EXPECT_EQ(s.FileHizuke, 0);
    EXPECT_EQ(s.DropAriaTips, 0);
    EXPECT_EQ(s.ViewIti, 1);
    EXPECT_EQ(s.Contrast, 1);
    EXPECT_EQ(s.Kido, 0);
    EXPECT_EQ(s.RGB, 1);
    EXPECT_EQ(s.ContrastTi, -250);
    EXPECT_EQ(s.KidoTi, 300);
    EXPECT_EQ(s.RedTi, 10);
    EXPECT_EQ(s.GreenTi, -20);
    EXPECT_EQ(s.BlueTi, 30);

    // The record handed in holds what was written.
    EXPECT_EQ(written.PictSyori, s.PictSyori);
    EXPECT_EQ(written.FacePictSyori, s.FacePictSyori);
    EXPECT_EQ(written.PictReadFolda, s.PictReadFolda);
    EXPECT_EQ(written.ViewSize, s.ViewSize);
    EXPECT_EQ(written.ViewIti, s.ViewIti);
    EXPECT_EQ(written.GreenTi, s.GreenTi);
}

TEST(AppSettingsStore, ValuesAreTextInGroupSettings)
{
    test::Sandbox box;
    AppSettings s;
    {
        auto store = box.settings();
        writeGeneralSettings(*store, sampleInput(), s);
        writeWindowPosition(*store, kMainPosition, QPointF(1234.5, 200), false);
    }
    QFile file(box.file(QStringLiteral("settings/Tolvarine.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString ini = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(ini.startsWith(QStringLiteral("[Settings]")));
    for (const char *line : {"ViewSize=9000", "PictSyori2=3", "FacePictSyori0=5", "ContrastTi=-250",
                             "Jyunban=6543210", "MainLeft=1234.5", "MainTop=200", "ViewIti=1"})
        EXPECT_TRUE(ini.contains(QLatin1String(line))) << line;
    EXPECT_EQ(ini.count(QStringLiteral("[")), 1) << "one group only";

    auto store = box.settings();
    EXPECT_EQ(rawValue(*store, QStringLiteral("PictFolda")), "/srv/写真/口腔");
    EXPECT_EQ(rawValue(*store, QStringLiteral("KidoTi")), "300");
}

TEST(AppSettingsStore, WritingKeepsTheCallersGroup)
{
    test::Sandbox box;
    auto store = box.settings();
    store->beginGroup(QStringLiteral("Other"));
    AppSettings s;
    writeGeneralSettings(*store, sampleInput(), s);
    writeWindowPosition(*store, kViewPosition, QPointF(1, 2), false);
    loadAppSettings(*store, QString());
    readWindowPosition(*store, kViewPosition);
    EXPECT_EQ(store->group(), "Other");
    EXPECT_TRUE(store->childKeys().isEmpty());
}

struct FlagCase {
    int state;
    const char *osFontSizeAndFileHizuke;
    const char *dropAriaTipsAndViewIti;
    const char *contrastKidoRgb;
};

class FlagNormalisation : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagNormalisation, StoredTextFollowsTheCheckBoxState)
{
    const FlagCase c = GetParam();
    test::Sandbox box;
    auto store = box.settings();
    GeneralSettingsInput in = sampleInput();
    in.OsFontSizeState = in.FileHizukeState = c.state;
    in.DropAriaTipsState = in.ViewItiState = c.state;
    in.ContrastState = in.KidoState = in.RGBState = c.state;
    AppSettings s;
    writeGeneralSettings(*store, in, s);

    for (const char *key : {"OsFontSize", "FileHizuke"})
        EXPECT_EQ(rawValue(*store, QLatin1String(key)), c.osFontSizeAndFileHizuke) << key;
    for (const char *key : {"DropAriaTips", "ViewIti"})
        EXPECT_EQ(rawValue(*store, QLatin1String(key)), c.dropAriaTipsAndViewIti) << key;
    for (const char *key : {"Contrast", "Kido", "RGB"})
        EXPECT_EQ(rawValue(*store, QLatin1String(key)), c.contrastKidoRgb) << key;

    EXPECT_EQ(QString::number(s.OsFontSize), c.osFontSizeAndFileHizuke);
    EXPECT_EQ(QString::number(s.FileHizuke), c.osFontSizeAndFileHizuke);
    EXPECT_EQ(QString::number(s.DropAriaTips), c.dropAriaTipsAndViewIti);
    EXPECT_EQ(QString::number(s.ViewIti), c.dropAriaTipsAndViewIti);
    EXPECT_EQ(QString::number(s.RGB), c.contrastKidoRgb);
}

INSTANTIATE_TEST_SUITE_P(
    CheckStates, FlagNormalisation,
    ::testing::Values(FlagCase{0, "0", "0", "0"}, FlagCase{1, "1", "1", "1"}, FlagCase{2, "1", "0", "2"}),
    test::namedBy([](const FlagCase &c) { return QStringLiteral("state%1").arg(c.state); }));

struct ViewSizeCase {
    const char *text;
    int32_t expected;
};

class ViewSizeText : public ::testing::TestWithParam<ViewSizeCase> {};

TEST_P(ViewSizeText, IsTheLeadingNumberRoundedToAnInteger)
{
    const ViewSizeCase c = GetParam();
    test::Sandbox box;
    auto store = box.settings();
    GeneralSettingsInput in = sampleInput();
    in.ViewSizeText = QString::fromUtf8(c.text);
    AppSettings s;
    s.ViewSize = 7777;
    writeGeneralSettings(*store, in, s);
    EXPECT_EQ(s.ViewSize, c.expected);
    EXPECT_EQ(rawValue(*store, QStringLiteral("ViewSize")), QString::number(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, ViewSizeText,
                         ::testing::Values(ViewSizeCase{"9000", 9000}, ViewSizeCase{"abc", 0},
                                           ViewSizeCase{"", 0}, ViewSizeCase{"12.7", 13},
                                           ViewSizeCase{"12abc", 12}, ViewSizeCase{" 9 000 ", 9000},
                                           ViewSizeCase{"2.5", 2}, ViewSizeCase{"3.5", 4},
                                           ViewSizeCase{"-7", -7}, ViewSizeCase{"1e3", 1000},
                                           ViewSizeCase{"1.2.3", 1}, ViewSizeCase{"+", 0},
                                           ViewSizeCase{"8000ﾂｲｯﾌﾟ", 8000},
                                           // Too large for the field: the previous width stays.
                                           ViewSizeCase{"99999999999", 7777}, ViewSizeCase{"1e400", 7777}),
                         test::namedBy([](const ViewSizeCase &c) {
                             return test::labelled(c.text, {{"8000ﾂｲｯﾌﾟ", "8000_halfWidthKana"}});
                         }));

TEST(WindowPositions, MinimisedWindowWritesNothing)
{
    test::Sandbox box;
    auto store = box.settings();
    writeWindowPosition(*store, kKrNoPosition, QPointF(100, 300), true);
    EXPECT_TRUE(store->allKeys().isEmpty());

    writeWindowPosition(*store, kKrNoPosition, QPointF(450, 900), false);
    writeWindowPosition(*store, kKrNoPosition, QPointF(-32000, -32000), true);
    EXPECT_EQ(readWindowPosition(*store, kKrNoPosition), QPointF(450, 900));
}

struct PositionCase {
    float left;
    float top;
    const char *leftText;
    const char *topText;
};

class PositionText : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PositionText, ComesBackUnchanged)
{
    const PositionCase c = GetParam();
    test::Sandbox box;
    {
        auto store = box.settings();
        writeWindowPosition(*store, kChangePosition, QPointF(c.left, c.top), false);
    }
    auto store = box.settings();
    EXPECT_EQ(rawValue(*store, QStringLiteral("fChangeLeft")), c.leftText);
    EXPECT_EQ(rawValue(*store, QStringLiteral("fChangeTop")), c.topText);
    const QPointF back = readWindowPosition(*store, kChangePosition);
    EXPECT_EQ(static_cast<float>(back.x()), c.left);
    EXPECT_EQ(static_cast<float>(back.y()), c.top);
}

INSTANTIATE_TEST_SUITE_P(Values, PositionText,
                         ::testing::Values(PositionCase{200.0f, 200.0f, "200", "200"},
                                           PositionCase{1234.5f, 200.25f, "1234.5", "200.25"},
                                           PositionCase{1234.56f, 0.1f, "1234.56", "0.1"},
                                           PositionCase{-150.0f, 0.0f, "-150", "0"},
                                           PositionCase{16777217.0f, 123456.789f, "16777216", "123456.79"},
                                           PositionCase{3.0e7f, 1.0e-6f, "30000000", "0.000001"}),
                         test::namedBy([](const PositionCase &c) {
                             return QStringLiteral("left%1_top%2").arg(c.leftText, c.topText);
                         }));

TEST(WindowPositions, WrittenValuesAreOnDiskAtOnce)
{
    test::Sandbox box;
    auto store = box.settings();
    writeWindowPosition(*store, kMainPosition, QPointF(640, 480.5), false);
    AppSettings s;
    writeGeneralSettings(*store, sampleInput(), s);
    // The file itself, while the store is still open: the program may end at once.
    QFile file(box.file(QStringLiteral("settings/Tolvarine.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray ini = file.readAll();
    EXPECT_TRUE(ini.contains("MainTop=480.5"));
    EXPECT_TRUE(ini.contains("ViewSize=9000"));
}

TEST(WindowPositions, PositionBeyondSinglePrecisionKeepsTheStoredOne)
{
    test::Sandbox box;
    auto store = box.settings();
    writeWindowPosition(*store, kViewPosition, QPointF(300, 400), false);
    writeWindowPosition(*store, kViewPosition, QPointF(1e300, 5), false);
    EXPECT_EQ(readWindowPosition(*store, kViewPosition), QPointF(300, 400));
}

struct GarbageCase {
    const char *key;
    const char *text;
    int32_t expected; // the field's value after loading
};

int32_t fieldOf(const AppSettings &s, const QString &key)
{
    if (key == "ViewSize")
        return s.ViewSize;
    if (key == "PictSyori3")
        return s.PictSyori[3];
    if (key == "FacePictSyori4")
        return s.FacePictSyori[4];
    if (key == "FileHizuke")
        return s.FileHizuke;
    if (key == "DropAriaTips")
        return s.DropAriaTips;
    if (key == "OsFontSize")
        return s.OsFontSize;
    if (key == "Contrast")
        return s.Contrast;
    if (key == "Kido")
        return s.Kido;
    if (key == "ContrastTi")
        return s.ContrastTi;
    if (key == "BlueTi")
        return s.BlueTi;
    ADD_FAILURE() << "no field for " << key.toStdString();
    return -1;
}

class StoredNumber : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(StoredNumber, ConvertsOrFallsBackToTheDefault)
{
    const GarbageCase c = GetParam();
    test::Sandbox box;
    auto store = box.settings();
    putRaw(*store, QLatin1String(c.key), QString::fromUtf8(c.text));
    const AppSettings s = loadAppSettings(*store, QString());
    EXPECT_EQ(fieldOf(s, QLatin1String(c.key)), c.expected) << c.key << "=" << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredNumber,
    ::testing::Values(GarbageCase{"ViewSize", "abc", 8000}, GarbageCase{"ViewSize", "1.5x", 8000},
                      GarbageCase{"ViewSize", "", 8000}, GarbageCase{"ViewSize", " 6000 ", 6000},
                      GarbageCase{"ViewSize", "6000.", 6000}, GarbageCase{"ViewSize", ".5", 0},
                      GarbageCase{"ViewSize", "&H1F40", 8000}, GarbageCase{"ViewSize", "7e3", 8000},
                      GarbageCase{"ViewSize", "3000000000", 8000}, GarbageCase{"ViewSize", "-5", -5},
                      GarbageCase{"PictSyori3", "2", 2}, GarbageCase{"PictSyori3", "x2", 0},
                      GarbageCase{"PictSyori3", "１", 0}, GarbageCase{"FacePictSyori4", "9", 9},
                      GarbageCase{"FileHizuke", "40000", 1}, GarbageCase{"FileHizuke", "-32768", -32768},
                      GarbageCase{"FileHizuke", "32768", 1}, GarbageCase{"DropAriaTips", "yes", 1},
                      GarbageCase{"OsFontSize", "+1", 1}, GarbageCase{"Contrast", "1.6", 2},
                      GarbageCase{"Kido", "2.5", 2}, GarbageCase{"Kido", "-0.5", 0},
                      GarbageCase{"ContrastTi", "99999999999", 0}, GarbageCase{"BlueTi", "-1000", -1000},
                      GarbageCase{"BlueTi", "12,5", 0}),
    test::namedBy([](const GarbageCase &c) {
        return QStringLiteral("%1_%2").arg(c.key, *c.text ? test::labelled(c.text, {{"１", "fullWidth1"}})
                                                          : QStringLiteral("empty"));
    }));

TEST(WindowPositions, GarbageFallsBackToTheDefault)
{
    test::Sandbox box;
    auto store = box.settings();
    putRaw(*store, QStringLiteral("KrNoLeft"), QStringLiteral("abc"));
    putRaw(*store, QStringLiteral("KrNoTop"), QStringLiteral("1e50"));
    EXPECT_EQ(readWindowPosition(*store, kKrNoPosition), QPointF(2800, 2200));
    putRaw(*store, QStringLiteral("KrNoLeft"), QStringLiteral("nan"));
    putRaw(*store, QStringLiteral("KrNoTop"), QStringLiteral(" 1500.75 "));
    EXPECT_EQ(readWindowPosition(*store, kKrNoPosition), QPointF(2800, 1500.75));
}

class FolderPath : public ::testing::TestWithParam<const char *> {};

TEST_P(FolderPath, RoundTripsExactly)
{
    const QString path = QString::fromUtf8(GetParam());
    test::Sandbox box;
    AppSettings s;
    {
        auto store = box.settings();
        GeneralSettingsInput in = sampleInput();
        in.PictFolda = path;
        in.PictReadFolda = path + QStringLiteral("/取込");
        in.Jyunban = path; // orders are text as they are, too
        writeGeneralSettings(*store, in, s);
    }
    auto store = box.settings();
    const AppSettings back = loadAppSettings(*store, QString());
    EXPECT_EQ(back.PictFolda, path);
    EXPECT_EQ(back.PictReadFolda, path + QStringLiteral("/取込"));
    EXPECT_EQ(back.Jyunban, path);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderPath,
                         ::testing::Values("/home/user/My Pictures", "/data/Smith, John",
                                           "/srv/写真/患者 フォルダ", "/a,b,,c", " /leading/blank",
                                           "/trailing/blank ", "@Variant(x)", "/quo\"te/back\\slash",
                                           "/semi;colon/#hash=eq", "/全角　空白", "", "a, b"),
                         test::namedBy([](const char *path) {
                             return test::labelled(path,
                                                   {{"/srv/写真/患者 フォルダ", "/srv/kanji/kanji kana"},
                                                    {"/全角　空白", "/kanji ideographicSpace kanji"}});
                         }));

TEST(AppSettingsStore, HandEditedValuesAreReadAsText)
{
    test::Sandbox box;
    box.write(QStringLiteral("settings/Tolvarine.ini"),
              "[Settings]\nPictFolda=/data/Smith, John\nPictReadFolda=@Rect(1 2 3 4)\n"
              "Jyunban=  6543210  \nViewSize=@ByteArray(5000)\n");
    auto store = box.settings();
    const AppSettings s = loadAppSettings(*store, QStringLiteral("/prog"));
    EXPECT_EQ(s.PictFolda, "/data/Smith, John");
    EXPECT_EQ(s.PictReadFolda, "/prog");
    EXPECT_EQ(s.Jyunban, "6543210");
    EXPECT_EQ(s.ViewSize, 5000);
}

TEST(AppSettingsStore, RealStoreIsThePerUserIniFile)
{
    auto store = openSettingsStore();
    EXPECT_EQ(store->format(), QSettings::IniFormat);
    EXPECT_EQ(store->scope(), QSettings::UserScope);
    EXPECT_EQ(store->organizationName(), "Tolvarine");
    EXPECT_EQ(store->applicationName(), "Tolvarine");
    EXPECT_TRUE(store->fileName().endsWith(QStringLiteral("/Tolvarine/Tolvarine.ini")))
        << store->fileName().toStdString();
    EXPECT_EQ(settingsApplicationName(), "Tolvarine");
    EXPECT_EQ(settingsSection(), "Settings");
}
