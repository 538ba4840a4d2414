#include <memory>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/MainLayout.h"
#include "app/frmMain.h"
#include "import/DropList.h"
#include "platform/Twips.h"
#include "settings/AppSettings.h"
#include "store/CaptureDate.h"
#include "support/TestSupport.h"
#include "support/WindowFixture.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"
#include "widgets/Fonts.h"
#include "widgets/ImagingView.h"

namespace tolvarine {
namespace {

class MainWindowTest : public test::WindowFixture {
protected:
    void writeClinicIni(const QByteArray &text) { box.write(QStringLiteral("program/clinic.ini"), text); }

    test::MessageRecorder messages;
};

// --- geometry ------------------------------------------------------------------

struct GeometryCase {
    std::optional<int> density;
    int osFontSize;
    bool compact;
};

class MainWindowGeometry : public MainWindowTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(MainWindowGeometry, PutsTheControlsWhereTheLayoutSays)
{
    const GeometryCase &c = GetParam();
    setSetting(QStringLiteral("OsFontSize"), QString::number(c.osFontSize));
    const auto w = loadWindow(c.density);
    ASSERT_EQ(w->shell().CompactLayout, c.compact);
    w->show();

    const double dpi = w->pixelDpi();
    auto px = [dpi](const QRect &twips) { return twipsToPixels(twips, dpi); };
    const MainLayout l = mainLayout(c.compact);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w->ImgSam[i]->geometry(), px(l.ImgSam[i])) << "ImgSam " << i;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(w->ImgFace[i]->geometry(), px(l.ImgFace[i])) << "ImgFace " << i;

    // The values that depend on the layout, as given for each.
    if (c.compact) {
        EXPECT_EQ(w->ImgSam[3]->geometry(), px(QRect(7120, 2080, 2175, 1695)));
        EXPECT_EQ(w->ImgSam[0]->geometry(), px(QRect(2220, 4080, 2055, 1575)));
        EXPECT_EQ(w->ImgFace[4]->geometry(), px(QRect(9560, 3650, 1932, 1812)));
        EXPECT_EQ(w->Dir1->geometry(), px(QRect(36, 480, 2100, 3948)));
        EXPECT_EQ(w->List1->geometry(), px(QRect(30, 4500, 2100, 2028)));
        EXPECT_EQ(w->ListFaDate->geometry(), px(QRect(36, 6600, 2100, 1848)));
        EXPECT_EQ(w->List3->geometry(), px(QRect(2280, 840, 2175, 420)));
        EXPECT_EQ(w->lblClinicName->geometry(), px(QRect(12080 - 2300, 200, 2250, 492)));
    } else {
        EXPECT_EQ(w->ImgSam[3]->geometry(), px(QRect(8360, 2560, 2175, 1695)));
        EXPECT_EQ(w->ImgSam[0]->geometry(), px(QRect(2240, 5040, 2055, 1575)));
        EXPECT_EQ(w->ImgFace[4]->geometry(), px(QRect(11420, 4500, 1932, 1812)));
        EXPECT_EQ(w->Dir1->geometry(), px(QRect(36, 480, 2100, 4920)));
        EXPECT_EQ(w->List1->geometry(), px(QRect(30, 5500, 2100, 2400)));
        EXPECT_EQ(w->ListFaDate->geometry(), px(QRect(36, 8000, 2100, 2400)));
        EXPECT_EQ(w->List3->geometry(), px(QRect(2280, 840, 2175, 780)));
        EXPECT_EQ(w->lblClinicName->geometry(), px(QRect(14580 - 2600, 200, 2250, 492)));
    }

    // Fixed controls stay where they were designed.
    EXPECT_EQ(w->txtKrNo->geometry(), px(QRect(3040, 120, 972, 264)));
    EXPECT_EQ(w->cmdKrNo->geometry(), px(QRect(4100, 120, 372, 280)));
    EXPECT_EQ(w->txtKrName->geometry(), px(QRect(3040, 480, 1412, 264)));
    EXPECT_EQ(w->Drive1->geometry(), px(QRect(30, 120, 2100, 276)));
    EXPECT_EQ(w->cmdDrop->geometry(), px(QRect(3960, 1720, 492, 280)));
    EXPECT_EQ(w->ImgPrint->geometry(), px(QRect(4320, 4440, 732, 492)));
    EXPECT_EQ(w->List2->geometry(), px(QRect(8280, 4800, 1212, 240)));

    // The client area starts below the menu bar and holds every visible control.
    QWidget *client = w->centralWidget();
    EXPECT_EQ(client->size(), twipsToPixels(l.client, dpi));
    EXPECT_GT(w->menuBar()->height(), 0);
    EXPECT_EQ(client->y(), w->menuBar()->height());
    EXPECT_EQ(w->height(), client->y() + client->height());
    EXPECT_EQ(w->width(), client->width());
    const QRect inside = client->rect();
    for (QWidget *control :
         std::initializer_list<QWidget *>{w->Dir1, w->List1, w->ListFaDate, w->List3, w->cmdDrop,
                                          w->ImgFace[3], w->ImgFace[4], w->ImgSam[3], w->ImgSam[6]})
        EXPECT_TRUE(inside.contains(control->geometry())) << control->metaObject()->className();
    EXPECT_EQ(w->Line1->width(), client->width());
    EXPECT_EQ(w->Line2->width(), client->width());
    EXPECT_LT(w->Line1->y(), w->Line2->y());

    // Not resizable.
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

INSTANTIATE_TEST_SUITE_P(
    Densities, MainWindowGeometry,
    ::testing::Values(GeometryCase{96, 0, false}, GeometryCase{96, 1, false}, GeometryCase{120, 0, true},
                      GeometryCase{120, 1, true}, GeometryCase{144, 0, false}, GeometryCase{144, 1, true},
                      GeometryCase{std::nullopt, 0, false}, GeometryCase{std::nullopt, 1, true}),
    test::namedBy([](const GeometryCase &c) {
        return (c.density ? QStringLiteral("dpi%1").arg(*c.density) : QStringLiteral("noScreen"))
               + QStringLiteral("_OsFontSize%1").arg(c.osFontSize);
    }));

TEST_F(MainWindowTest, TheWindowIsDesignedAsTheProgramsOwn)
{
    const auto w = loadWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tolvarine"));
    EXPECT_EQ(w->lblKrNo->text(), QStringLiteral("患者番号"));
    EXPECT_EQ(w->lblKrName->text(), QStringLiteral("氏名"));
    EXPECT_EQ(w->cmdKrNo->text(), QStringLiteral("..."));
    EXPECT_TRUE(w->cmdDrop->text().isEmpty());
    EXPECT_FALSE(w->cmdExplorer->icon().isNull());
    EXPECT_EQ(w->cmdExplorer->iconSize(), QSize(16, 16));
    EXPECT_FALSE(w->windowIcon().isNull());
    for (QListWidget *list : {w->List1, w->ListFaDate, w->List2, w->ListFace}) {
        EXPECT_TRUE(list->isSortingEnabled());
        EXPECT_TRUE(list->isHidden());
    }
    EXPECT_TRUE(w->ImgPrint->isHidden());
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w->ImgSam[i]->index(), i);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(w->ImgFace[i]->index(), i);
    EXPECT_EQ(w->lblClinicName->font().family(), japaneseUiFontFamily());
    EXPECT_EQ(w->lblClinicName->font().pointSize(), 12);
}

// --- menus ---------------------------------------------------------------------

QStringList captions(const QMenu *menu)
{
    QStringList out;
    for (const QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("—") : a->text());
    return out;
}

QStringList names(const QMenu *menu)
{
    QStringList out;
    for (const QAction *a : menu->actions())
        out << a->objectName();
    return out;
}

TEST_F(MainWindowTest, TheMenuTreeHasItsCaptionsAndSeparators)
{
    const auto w = loadWindow();
    QStringList bar;
    for (const QAction *a : w->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "設定(&O)", "ﾍﾙﾌﾟ(&H)"}));

    EXPECT_EQ(captions(w->mnuFile), (QStringList{"印刷(&P)", "DICOM出力", "DICOM送信", "—", "終了(&X)"}));
    EXPECT_EQ(names(w->mnuFile), (QStringList{"mnuFilePrint", "mnuFileDicomExport", "mnuFileDicomSend",
                                              "mnuFileSep", "mnuFileExit"}));
    EXPECT_EQ(captions(w->mnuEdit),
              (QStringList{"ﾌｧｲﾙ名表示順変更", "—", "口腔に空白画像の追加", "顔面に空白画像の追加", "—",
                           "ｻﾑﾈｲﾙの再作成", "—", "ﾌｧｲﾙの更新日変更"}));
    EXPECT_EQ(names(w->mnuEdit),
              (QStringList{"mnuEditChange", "mnuEditSep0", "mnuEditNoPicture", "mnuEditFaceNoPicture",
                           "mnuEditSep", "mnuEditSamnail", "mnuEditSep2", "mnuEditKousin"}));
    EXPECT_EQ(captions(w->mnuOpt), (QStringList{"ｵﾌﾟｼｮﾝ", "DICOM設定"}));
    EXPECT_EQ(captions(w->mnuHelp), (QStringList{"ﾍﾙﾌﾟ目次", "ﾍﾙﾌﾟ検索", "—", "ﾊﾞｰｼﾞｮﾝ情報"}));
    EXPECT_EQ(names(w->mnuHelp),
              (QStringList{"mnuHelpContent", "mnuHelpSearch", "mnuHelpSep", "mnuHelpAbout"}));

    EXPECT_EQ(w->mnuPict->title(), QStringLiteral("外部"));
    EXPECT_FALSE(w->menuBar()->actions().contains(w->mnuPict->menuAction()));
    EXPECT_EQ(captions(w->mnuPict), (QStringList{"関連付けで開く", "—", "ﾌｧｲﾙ更新日変更", "—", "削除"}));
    EXPECT_EQ(names(w->mnuPict),
              (QStringList{"mnuPictKanren", "mnuPictSep", "mnuPictKousin", "mnuPictSep2", "mnuPictDeleat"}));
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("mnuFilePrint")), w->mnuFilePrint);
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("mnuPictDeleat")), w->mnuPictDeleat);
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndEndsTheProgram)
{
    const auto w = loadWindow();
    w->show();
    w->move(300, 150);
    w->mnuFileExit->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(programEnds, 1);
    EXPECT_FLOAT_EQ(storedSetting(QStringLiteral("MainLeft")).toFloat(), pixelsToTwips(300, w->pixelDpi()));
}

// --- drop area, clinic name ------------------------------------------------------

TEST_F(MainWindowTest, TheDropAreaShowsItsInstructionsOnlyWhenAsked)
{
    {
        const auto w = loadWindow();
        ASSERT_EQ(w->List3->count(), 2);
        EXPECT_EQ(w->List3->item(0)->text(), QStringLiteral("ここに画像ファイルを"));
        EXPECT_EQ(w->List3->item(1)->text(), QStringLiteral("ドロップして下さい"));
        EXPECT_TRUE(w->shell().DropIsOral);
        EXPECT_EQ(w->lblDrop->text(), QStringLiteral("口腔"));
    }
    for (const char *value : {"0", "2"}) {
        setSetting(QStringLiteral("DropAriaTips"), QLatin1String(value));
        const auto w = loadWindow();
        EXPECT_EQ(w->List3->count(), 0) << value;
        EXPECT_EQ(w->lblDrop->text(), QStringLiteral("口腔"));
    }
}

struct ClinicCase {
    const char *name;
    const char *ini;
    const char *caption;
    int points;
};

class MainWindowClinic : public MainWindowTest, public ::testing::WithParamInterface<ClinicCase> {};

TEST_P(MainWindowClinic, ShowsTheClinicNameInItsSize)
{
    writeClinicIni(QByteArray(GetParam().ini));
    const auto w = loadWindow();
    EXPECT_EQ(w->lblClinicName->text(), QString::fromUtf8(GetParam().caption));
    EXPECT_EQ(w->shell().ClinicName, QString::fromUtf8(GetParam().caption));
    EXPECT_EQ(w->lblClinicName->font().pointSize(), GetParam().points);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MainWindowClinic,
    ::testing::Values(ClinicCase{"big", "[Clinic]\nName=さくら歯科\nSize=20\n", "さくら歯科", 16},
                      ClinicCase{"small", "[Clinic]\nName=さくら歯科\nSize=5\n", "さくら歯科", 8},
                      ClinicCase{"notNumeric", "[Clinic]\nName=さくら歯科\nSize=large\n", "さくら歯科", 12},
                      ClinicCase{"inRange", "[Clinic]\nName=A\nSize=14\n", "A", 14},
                      ClinicCase{"noName", "[Clinic]\nSize=10\n", "Err", 10},
                      ClinicCase{"noSection", "Name=A\n", "Err", 12}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, WithoutClinicIniTheLabelStaysEmptyInItsDesignFont)
{
    const auto w = loadWindow();
    EXPECT_TRUE(w->lblClinicName->text().isEmpty());
    EXPECT_TRUE(w->shell().ClinicName.isEmpty());
    EXPECT_TRUE(w->shell().ClinicFontSize.isEmpty());
    EXPECT_TRUE(w->shell().ClinicFontName.isEmpty());
    EXPECT_EQ(w->lblClinicName->font().pointSize(), 12);
    EXPECT_EQ(w->lblClinicName->font().family(), japaneseUiFontFamily());
}

TEST_F(MainWindowTest, TheClinicFontIsTakenUnlessMissing)
{
    writeClinicIni("[Clinic]\nName=A\nFont=No Such Font Family\n");
    auto w = loadWindow();
    EXPECT_EQ(w->lblClinicName->font().families().value(0), QStringLiteral("No Such Font Family"));
    EXPECT_TRUE(w->lblClinicName->font().families().contains(japaneseUiFontFamily()));

    writeClinicIni("[Clinic]\nName=A\n");
    w = loadWindow();
    EXPECT_EQ(w->shell().ClinicFontName, QStringLiteral("Err"));
    EXPECT_EQ(w->lblClinicName->font().family(), japaneseUiFontFamily());
}

// --- picture folder ------------------------------------------------------------

TEST_F(MainWindowTest, OpensThePictureFolderOnce)
{
    const QString pictures = QDir::cleanPath(box.mkdir(QStringLiteral("pictures")));
    box.mkdir(QStringLiteral("pictures/001"));
    setSetting(QStringLiteral("PictFolda"), pictures);
    auto w = makeWindow();
    QSignalSpy spy(w->Dir1, &FolderList::changed);
    w->Form_Load();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(w->Dir1->path(), pictures);
    EXPECT_EQ(w->listedFolder(), pictures);
    EXPECT_EQ(w->Drive1->drive(), DriveList::rootHolding(DriveList::readyVolumeRoots(), pictures));
    EXPECT_EQ(w->appSettings().PictFolda, pictures);

    // Setting the same folder again runs no change handling.
    EXPECT_TRUE(w->Dir1->setPath(pictures));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(w->Dir1->setPath(pictures + QStringLiteral("/001")));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(w->listedFolder(), pictures + QStringLiteral("/001"));
}

TEST_F(MainWindowTest, APictureFolderThatCannotBeShownFallsBackToTheProgramsFolderSilently)
{
    const QString file = box.write(QStringLiteral("plain.txt"), "x");
    for (const QString &bad :
         {box.file(QStringLiteral("no/such/folder")), file, QStringLiteral("/no-such-drive-xyz/001")}) {
        setSetting(QStringLiteral("PictFolda"), bad);
        const auto w = loadWindow();
        EXPECT_EQ(w->Dir1->path(), program) << bad.toStdString();
        EXPECT_EQ(w->listedFolder(), program);
        EXPECT_EQ(w->Drive1->drive(), DriveList::rootHolding(DriveList::readyVolumeRoots(), program));
        EXPECT_EQ(w->appSettings().PictFolda, bad);
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(MainWindowTest, AnEmptyStoreOpensTheProgramsFolderAtTwoHundredTwips)
{
    const auto w = loadWindow();
    EXPECT_EQ(w->appSettings().PictFolda, program);
    EXPECT_EQ(w->Dir1->path(), program);
    const double dpi = w->pixelDpi();
    EXPECT_EQ(w->pos(), QPoint(twipsToPixels(200, dpi), twipsToPixels(200, dpi)));
    EXPECT_TRUE(messages.texts().isEmpty());
}

// --- position ------------------------------------------------------------------

TEST_F(MainWindowTest, TheStoredPositionPlacesTheWindow)
{
    setSetting(QStringLiteral("MainLeft"), QStringLiteral("1500"));
    setSetting(QStringLiteral("MainTop"), QStringLiteral("750"));
    const auto w = loadWindow();
    const double dpi = w->pixelDpi();
    EXPECT_EQ(w->pos(), QPoint(twipsToPixels(1500, dpi), twipsToPixels(750, dpi)));
}

TEST_F(MainWindowTest, ClosingWritesTheWindowsPosition)
{
    const auto w = loadWindow();
    w->show();
    w->move(240, 120);
    w->close();
    const double dpi = w->pixelDpi();
    EXPECT_FLOAT_EQ(storedSetting(QStringLiteral("MainLeft")).toFloat(), pixelsToTwips(240, dpi));
    EXPECT_FLOAT_EQ(storedSetting(QStringLiteral("MainTop")).toFloat(), pixelsToTwips(120, dpi));
    EXPECT_EQ(programEnds, 1);
}

TEST_F(MainWindowTest, AWindowThatDidNotMoveGivesBackItsStoredPositionUnchanged)
{
    setSetting(QStringLiteral("MainLeft"), QStringLiteral("200.5"));
    setSetting(QStringLiteral("MainTop"), QStringLiteral("1234.25"));
    const auto w = loadWindow();
    w->show();
    w->close();
    EXPECT_EQ(storedSetting(QStringLiteral("MainLeft")), QStringLiteral("200.5"));
    EXPECT_EQ(storedSetting(QStringLiteral("MainTop")), QStringLiteral("1234.25"));
}

TEST_F(MainWindowTest, ClosingWhileMinimisedKeepsTheStoredPosition)
{
    setSetting(QStringLiteral("MainLeft"), QStringLiteral("3000"));
    setSetting(QStringLiteral("MainTop"), QStringLiteral("1500"));
    const auto w = loadWindow();
    w->show();
    w->move(400, 300);
    w->showMinimized();
    ASSERT_TRUE(w->isMinimized());
    w->close();
    EXPECT_EQ(storedSetting(QStringLiteral("MainLeft")), QStringLiteral("3000"));
    EXPECT_EQ(storedSetting(QStringLiteral("MainTop")), QStringLiteral("1500"));
    EXPECT_EQ(programEnds, 1);
}

// Another window that is still open neither keeps the program running nor gets
// its own closing handling.
class CountingWindow : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        QWidget::closeEvent(event);
    }
};

TEST_F(MainWindowTest, ClosingEndsTheEventLoopWithoutClosingOtherWindows)
{
    auto w = std::make_unique<frmMain>();
    w->setSettingsStore(store.get());
    w->setProgramFolder(program);
    w->setForcedFontDensity(96);
    w->Form_Load();
    w->show();
    CountingWindow other;
    other.show();

    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    // Only a safety net: the close above ends the loop at once.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(30000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(other.closes, 0);
    EXPECT_TRUE(other.isVisible());
}

// --- activation ----------------------------------------------------------------

TEST_F(MainWindowTest, ActivationPutsTheCursorIntoThePatientNumber)
{
    const auto w = loadWindow();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->txtKrNo->hasFocus(); }));

    w->txtKrName->setFocus();
    ASSERT_TRUE(w->txtKrName->hasFocus());
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.close();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->txtKrNo->hasFocus(); }));
}

} // namespace
} // namespace tolvarine

namespace tolvarine {
namespace {

// A date change through the window's own writers lists the picture under the new
// date whichever way the window dates pictures.
class MainWindowDating : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(MainWindowDating, ADateChangeIsSeenByBothWaysOfDating)
{
    setSetting(QStringLiteral("FileHizuke"), QString::number(GetParam()));
    const auto w = loadWindow();
    ASSERT_EQ(w->appSettings().FileHizuke, GetParam());
    const QString picture =
        box.write(QStringLiteral("pictures/001/00123/a.jpg"),
                  test::encodeJpegWithExif(test::makeGradientImage(48, 32), "2009:05:12 14:03:27"));
    test::setModified(picture, QDateTime(QDate(2010, 1, 2), QTime(8, 0)));

    w->state().strTargetFile = picture;
    w->state().datNewDate = QDateTime(QDate(2008, 3, 3), QTime(12, 0));
    EXPECT_TRUE(w->subWriteExifDate());
    EXPECT_TRUE(w->subSetFileTime());

    EXPECT_EQ(w->funPictureDate(picture).date(), QDate(2008, 3, 3));
    EXPECT_EQ(w->funGetExifFileDate(picture), QDateTime(QDate(2008, 3, 3), QTime(0, 0)));
    EXPECT_EQ(w->funGetFileDate(picture).value_or(QDateTime()), QDateTime(QDate(2008, 3, 3), QTime(12, 0)));
    EXPECT_TRUE(messages.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(FileHizuke, MainWindowDating, ::testing::Values(0, 1),
                         test::namedBy([](int fileHizuke) {
                             return fileHizuke ? "byFileDate" : "byExifDate";
                         }));

TEST_F(MainWindowTest, DateFailuresAreToldInTheirOwnWords)
{
    const auto w = loadWindow();
    const QString gone = box.file(QStringLiteral("gone.jpg"));
    EXPECT_FALSE(w->funGetFileDate(gone).has_value());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.startsWith(QStringLiteral("VB ｴﾗｰ: '2' - ")));
    EXPECT_TRUE(messages.messages()[0].text.endsWith(QStringLiteral(".")));
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("IE5.0以降をｲﾝｽﾄｰﾙ"));
    messages.clear();
    EXPECT_EQ(w->funGetExifFileDate(gone), zeroDate());
    EXPECT_EQ(messages.messages().size(), 1u);
    messages.clear();

    const QString picture =
        box.write(QStringLiteral("ro.jpg"),
                  test::encodeJpegWithExif(test::makeGradientImage(48, 32), "2009:05:12 14:03:27"));
    QFile::setPermissions(picture, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    w->state().strTargetFile = picture;
    w->state().datNewDate = QDateTime(QDate(2008, 3, 3), QTime(12, 0));
    EXPECT_FALSE(w->subWriteExifDate());
    EXPECT_TRUE(messages.messages().empty()); // the Exif rewrite fails silently
    EXPECT_FALSE(w->subSetFileTime());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, QStringLiteral("-1[ﾊﾝﾄﾞﾙ取得エラー]\r\n読み取り専用ファイル？"));
}

} // namespace
} // namespace tolvarine
