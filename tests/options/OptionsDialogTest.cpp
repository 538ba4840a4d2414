#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "browse/BrowseWindowFixture.h"
#include "options/frmOption.h"
#include "options/frmPictFolda.h"
#include "platform/Twips.h"
#include "support/TestSupport.h"
#include "viewer/ViewCanvas.h"
#include "viewer/frmView.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"
#include "widgets/ImagingView.h"

namespace tolvarine {
namespace {

const QString kNoOrder = QStringLiteral("撮影順番が指定されていません");
const QString kBadSize = QStringLiteral(
    "拡大表示画面大きさは 1 以上の整数 (twip) で入力してください。\r\n前の値 8000 のままです。");

void press(frmOption &d, bool face, const std::vector<int> &positions)
{
    (face ? d.cmdFaceSet : d.cmdSet)->click();
    for (int k : positions)
        (face ? d.cmdFaceJyun[size_t(k)] : d.cmdJyunban[size_t(k)])->click();
}

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.PictFolda = QDir::cleanPath(box.mkdir("pictures"));
        settings.PictReadFolda = QDir::cleanPath(box.mkdir("import"));
        before = settings;
    }

    std::unique_ptr<frmOption> open()
    {
        auto d = std::make_unique<frmOption>(nullptr, settings, *store, "/usr/bin", box.file("program"));
        d->show();
        return d;
    }

    QString stored(const QString &key) { return store->value("Settings/" + key).toString(); }

    test::Sandbox box;
    std::unique_ptr<QSettings> store = box.settings();
    AppSettings settings;
    AppSettings before;
    test::MessageRecorder messages;
};

TEST_F(OptionsDialog, OpensOnTheFirstPageWithItsControlsInPlaceAndCaptioned)
{
    open()->TabStrip1->setCurrentIndex(2);
    const auto d = open();
    EXPECT_TRUE(d->Frame1[0]->isVisible());
    const auto px = [&](int x, int y, int w, int h) {
        return twipsToPixels(QRect(x, y, w, h), d->logicalDpiX());
    };
    EXPECT_EQ(d->size(), px(0, 0, 6825, 7155).size());
    // A page's controls stand on the page, which fills the tab strip's client area.
    const std::vector<std::pair<QWidget *, QRect>> places{{d->TabStrip1, px(120, 120, 6612, 6492)},
                                                          {d->cmdJyunban[6], px(1920, 840, 732, 492)},
                                                          {d->cmdFaceJyun[4], px(2760, 2040, 732, 492)},
                                                          {d->Frameface[4], px(4800, 2280, 1452, 1812)},
                                                          {d->HScrollContrast, px(3120, 3840, 1692, 240)}};
    for (const auto &[widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className();
    const QStringList captions{
        d->windowTitle(),           d->TabStrip1->tabText(1),   d->cmdCancel->text(),
        d->cmdJyunban[6]->text(),   d->cmdFaceJyun[4]->text(),  d->Frameface[0]->title(),
        d->OptFaceRot90[2]->text(), d->txtExplorerPath->text(), d->chkContrast->text(),
        d->chkKido->text(),         d->lblRed->text()};
    EXPECT_EQ(captions, (QStringList{"ｵﾌﾟｼｮﾝ", "画像処理", "ｷｬﾝｾﾙ", "画像６", "顔面4", "顔面画像0",
                                     "90度右回転", "/usr/bin/xdg-open", "コントラストを調整する\u30000",
                                     "輝度を調整する\u30000", "R 0"}));
}

struct EntryCase {
    const char *name;
    bool face;
    std::vector<int> presses;
    const char *text;
    bool finished; // the set button enabled again
};

class OrderEntry : public OptionsDialog, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(OrderEntry, ListsThePositionsInTheOrderPressedEachOnce)
{
    const EntryCase &c = GetParam();
    const auto d = open();
    press(*d, c.face, c.presses);
    EXPECT_EQ((c.face ? d->txtFaceJyunban : d->txtJyunban)->text(), c.text);
    EXPECT_EQ((c.face ? d->cmdFaceSet : d->cmdSet)->isEnabled(), c.finished);
    for (int k = 0; k < (c.face ? 5 : 7); ++k) {
        const bool pressed = std::find(c.presses.begin(), c.presses.end(), k) != c.presses.end();
        EXPECT_NE((c.face ? d->cmdFaceJyun[size_t(k)] : d->cmdJyunban[size_t(k)])->isEnabled(), pressed);
    }
    EXPECT_EQ(d->txtFaceJyunban->isReadOnly(), c.face && !c.finished); // not typed into meanwhile
}

INSTANTIATE_TEST_SUITE_P(
    Presses, OrderEntry,
    ::testing::Values(EntryCase{"Oral4621305", false, {4, 6, 2, 1, 3, 0, 5}, "4621305", true},
                      EntryCase{"OralTwoOfSeven", false, {4, 6}, "46", false},
                      EntryCase{"FaceThreeOfFive", true, {2, 0, 1}, "201", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, TheTypedFacialOrderTakesEachPositionDigitOnce)
{
    const auto d = open();
    d->txtFaceJyunban->clear();
    QTest::keyClicks(d->txtFaceJyunban, "3a0 3915 42");
    EXPECT_EQ(d->txtFaceJyunban->text(), "30142");
}

struct RefusalCase {
    const char *name;
    bool startOral; // press 口腔設定 and nothing more
    const char *faceOrder;
    const char *viewSize;
    bool orderMessage;
};

class RefusedOk : public OptionsDialog, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedOk, SaysWhyStoresNothingAndCancelKeepsOnlyTheOrientationChoices)
{
    const RefusalCase &c = GetParam();
    const auto d = open();
    d->optRotation[3]->click();
    d->OptFaceRot270[1]->click();
    if (c.startOral)
        d->cmdSet->click();
    d->txtFaceJyunban->setText(c.faceOrder);
    d->txtViewSize->setText(c.viewSize);
    d->cmdOK->click();
    EXPECT_EQ(messages.texts(), QStringList{c.orderMessage ? kNoOrder : kBadSize});
    EXPECT_TRUE(d->isVisible());
    d->cmdCancel->click();
    EXPECT_TRUE(store->allKeys().isEmpty());
    EXPECT_EQ(QStringList({settings.Jyunban, settings.FaceJyunban, QString::number(settings.ViewSize)}),
              QStringList({before.Jyunban, before.FaceJyunban, QString::number(before.ViewSize)}));
    EXPECT_EQ(settings.PictSyori[3], 1); // in force for the run, not stored
    EXPECT_EQ(settings.FacePictSyori[1], 5);
}

INSTANTIATE_TEST_SUITE_P(Edits, RefusedOk,
                         ::testing::Values(RefusalCase{"OralSetThenOk", true, "01234", "8000", true},
                                           RefusalCase{"FaceTypedShort", false, "012", "8000", true},
                                           RefusalCase{"SizeWithAFraction", false, "01234", "12.5", false},
                                           RefusalCase{"SizeEmpty", false, "01234", "", false},
                                           RefusalCase{"SizeZero", false, "01234", "0", false},
                                           RefusalCase{"SizeOver32Bits", false, "01234", "2147483648",
                                                       false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, RedoingOnlyTheFacialOrderKeepsTheIntraoralOne)
{
    settings.Jyunban = "6543210";
    const auto d = open();
    press(*d, true, {4, 3, 2, 1, 0});
    d->cmdOK->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(stored("Jyunban"), "6543210");
    EXPECT_EQ(stored("FaceJyunban"), "43210");
}

TEST_F(OptionsDialog, BarsRewriteTheirCaptionsAndOkStoresBarsAndBoxesAsTheyHaveAlwaysBeenStored)
{
    settings.OsFontSize = 5;   // checked, stored as 1
    settings.DropAriaTips = 2; // only 1 is checked
    settings.ViewIti = 2;      // greyed, stored as 0
    settings.Contrast = 2;     // greyed, stored as it is
    settings.RGB = 7;          // no state of a check box: clear
    const auto d = open();
    d->HScrollContrast->setValue(-35);
    d->HScrollGreen->setValue(-100);
    EXPECT_EQ(d->chkContrast->text(), "コントラストを調整する\u3000-35");
    EXPECT_EQ(d->lblGreen->text(), "G -100");
    d->cmdOK->click();
    QStringList values;
    for (const char *key :
         {"ContrastTi", "GreenTi", "OsFontSize", "DropAriaTips", "ViewIti", "Contrast", "RGB"})
        values << stored(key);
    EXPECT_EQ(values, (QStringList{"-35", "-100", "1", "0", "0", "2", "0"}));
}

struct CodeCase {
    const char *name;
    bool face;
    int16_t code;
    const char *shown; // the option shown chosen; none for a code outside the group
};

class OrientationGroup : public OptionsDialog, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(OrientationGroup, ShowsTheStoredCodeAndAGroupWithoutChoiceKeepsIt)
{
    const CodeCase &c = GetParam();
    (c.face ? settings.FacePictSyori[2] : settings.PictSyori[2]) = c.code;
    const auto d = open();
    const QAbstractButton *chosen =
        (c.face ? d->Frameface[2] : d->Frame[2])->findChild<QButtonGroup *>()->checkedButton();
    EXPECT_EQ(chosen ? chosen->text() : QString(), QString::fromUtf8(c.shown));
    d->cmdOK->click();
    EXPECT_EQ(stored(c.face ? "FacePictSyori2" : "PictSyori2"), QString::number(c.code));
}

INSTANTIATE_TEST_SUITE_P(Codes, OrientationGroup,
                         ::testing::Values(CodeCase{"Oral3", false, 3, "上下反転"},
                                           CodeCase{"Oral4", false, 4, ""},
                                           CodeCase{"Face4", true, 4, "90度右回転"},
                                           CodeCase{"Face6", true, 6, ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, ASettingsFileThatCannotBeWrittenIsSaidAndTheRunKeepsTheChanges)
{
    store = std::make_unique<QSettings>(box.mkdir("Tolvarine.ini"), QSettings::IniFormat); // a folder
    const auto d = open();
    press(*d, false, {6, 5, 4, 3, 2, 1, 0});
    d->cmdOK->click();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith("設定を保存できませんでした。"));
    EXPECT_EQ(settings.Jyunban, "6543210");
}

// --- the folder chooser ----------------------------------------------------------

struct ChooserCase {
    const char *name;
    bool pictureFolder;
    bool highlightSubfolder; // after opening "other"
    bool ok;
};

class FolderChooser : public OptionsDialog, public ::testing::WithParamInterface<ChooserCase> {};

TEST_P(FolderChooser, OkTakesTheOpenFolderIntoTheRunAndTheBoxCancelWritesNothing)
{
    const ChooserCase &c = GetParam();
    const QString other = QDir::cleanPath(box.mkdir("other/inner") + "/..");
    const auto d = open();
    d->txtPictFolda->setText("/shown/only"); // the chooser opens at the settings' folder, not this
    d->setChooserRunner([&](frmPictFolda &chooser) {
        EXPECT_EQ(chooser.Dir1->path(), c.pictureFolder ? before.PictFolda : before.PictReadFolda);
        chooser.Dir1->setPath(other);
        if (c.highlightSubfolder)
            chooser.Dir1->setCurrentItem(chooser.Dir1->findItems("inner", Qt::MatchExactly).value(0));
        (c.ok ? chooser.cmdOK : chooser.cmdCancel)->click();
    });
    (c.pictureFolder ? d->cmdPictFolda : d->cmdPictReadFolda)->click();
    const bool picture = c.ok && c.pictureFolder, import = c.ok && !c.pictureFolder;
    const QStringList fields{settings.PictFolda, settings.PictReadFolda, d->txtPictFolda->text(),
                             d->txtPictReadFolda->text()};
    EXPECT_EQ(fields, (QStringList{picture ? other : before.PictFolda, import ? other : before.PictReadFolda,
                                   picture ? other : "/shown/only", import ? other : before.PictReadFolda}));
    EXPECT_TRUE(store->allKeys().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Choices, FolderChooser,
                         ::testing::Values(ChooserCase{"PictureFolderOk", true, false, true},
                                           ChooserCase{"ImportFolderOkWithASubfolderHighlighted", false, true,
                                                       true},
                                           ChooserCase{"CancelWritesNothing", true, false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, TheChooserFallsBackToTheProgramsFolderAndStaysOffADriveItCannotList)
{
    settings.PictFolda = box.file("removed drive/pictures");
    const QString program = QDir::cleanPath(box.mkdir("program"));
    const QString drive = QDir::cleanPath(box.mkdir("drive2"));
    frmPictFolda c(nullptr, frmPictFolda::kPictureFolder, settings, program, nullptr, nullptr);
    EXPECT_EQ(QStringList({c.windowTitle(), c.cmdOK->text(), c.cmdCancel->text()}),
              QStringList({"画像フォルダ", "O K", "キャンセル"}));
    EXPECT_EQ(c.Dir1->path(), program);
    c.Drive1->setVolumeSource([&] { return QStringList{"/", box.path(), drive, box.file("empty card")}; });
    c.Drive1->setDrive(program);
    c.Drive1->setCurrentIndex(c.Drive1->findData(drive));
    EXPECT_EQ(c.Dir1->path(), drive);
    c.Drive1->setCurrentIndex(c.Drive1->findData(box.file("empty card")));
    EXPECT_EQ(c.Drive1->drive(), drive);
    EXPECT_EQ(c.Dir1->path(), drive);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// --- opened from the menu: what the next lookup and the next view use ------------

class OptionsInEffect : public test::BrowseWindow {
protected:
    // Three pictures of patient 7 under a picture folder, dated the same day.
    static QString patient7(const QString &pictureFolder)
    {
        const QString folder = pictureFolder + "/000/00007";
        for (int i = 0; i < 3; ++i)
            test::writePicture(folder + QStringLiteral("/p%1.jpg").arg(i), QDate(2010, 6, 7), i);
        return folder;
    }

    // Chooses ｵﾌﾟｼｮﾝ and works the modal dialog with act; one act leaves open is cancelled.
    static void throughMenu(frmMain &w, const std::function<void(frmOption &)> &act)
    {
        QTimer::singleShot(0, &w, [&] {
            frmOption *d = w.findChild<frmOption *>();
            act(*d);
            if (d->isVisible())
                d->reject();
        });
        w.mnuOptOption->trigger();
        EXPECT_EQ(w.findChild<frmOption *>(), nullptr); // released when it closes
    }
};

TEST_F(OptionsInEffect, AfterOkTheNextLookupUsesTheNewOrderAndTheNextViewTheNewAdjustment)
{
    const QString folder = patient7(pictures);
    const auto w = loadWindow();
    w->show();
    throughMenu(*w, [](frmOption &d) {
        press(d, false, {6, 5, 4, 3, 2, 1, 0});
        d.chkKido->click();
        d.HScrollKido->setValue(100);
        d.cmdOK->click();
    });
    commit(*w, "7");
    EXPECT_EQ(shownOral(*w), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(w->ImgSam[6]->toolTipText(), folder + "/p0.jpg");

    QTest::mouseClick(w->ImgSam[6], Qt::LeftButton);
    std::unique_ptr<frmView> view;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *v = qobject_cast<frmView *>(top))
            view.reset(v);
    ASSERT_TRUE(view);
    // Brightness 100 adds 300 × 255 ÷ 1000 to every channel: the red quadrant gains green.
    const QImage shown = view->Img1->fittedImage();
    EXPECT_NEAR(shown.pixelColor(shown.width() / 4, shown.height() / 4).green(), 76, 20);
}

TEST_F(OptionsInEffect, AFolderChosenThenCancelledServesTheRunButIsNotStored)
{
    const QString elsewhere = QDir::cleanPath(box.mkdir("elsewhere"));
    const QString folder = patient7(elsewhere);
    const auto w = loadWindow();
    throughMenu(*w, [&](frmOption &d) {
        d.setChooserRunner([&](frmPictFolda &chooser) {
            chooser.Dir1->setPath(elsewhere);
            chooser.cmdOK->click();
        });
        d.cmdPictFolda->click();
        d.cmdCancel->click();
    });
    EXPECT_EQ(storedSetting("PictFolda"), pictures);
    commit(*w, "7");
    EXPECT_EQ(w->Dir1->path(), folder);
}

} // namespace
} // namespace tolvarine
