#include <functional>
#include <memory>
#include <vector>

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

#include <gtest/gtest.h>

#include "options/frmOption.h"
#include "platform/Twips.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

const QString kNoOrder = QStringLiteral("撮影順番が指定されていません");

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.PictFolda = QDir::cleanPath(box.mkdir("pictures"));
        settings.PictReadFolda = QDir::cleanPath(box.mkdir("import"));
    }

    std::unique_ptr<frmOption> open()
    {
        auto d =
            std::make_unique<frmOption>(nullptr, settings, *store, QStringLiteral("/usr/bin"), box.path());
        d->show();
        return d;
    }

    QString stored(const QString &key)
    {
        store->sync();
        return store->value(QStringLiteral("Settings/") + key).toString();
    }

    static QRect twips(const QWidget *w, int x, int y, int width, int height)
    {
        return twipsToPixels(QRect(x, y, width, height), w->logicalDpiX());
    }

    static void press(frmOption &d, bool face, const std::vector<int> &positions)
    {
        (face ? d.cmdFaceSet : d.cmdSet)->click();
        for (int k : positions)
            (face ? d.cmdFaceJyun[size_t(k)] : d.cmdJyunban[size_t(k)])->click();
    }

    test::Sandbox box;
    std::unique_ptr<QSettings> store = box.settings();
    AppSettings settings;
    test::MessageRecorder messages;
};

TEST_F(OptionsDialog, OpensOnTheFirstPageWithEveryControlInPlaceAndCaptioned)
{
    {
        const auto before = open();
        before->TabStrip1->setCurrentIndex(2);
        before->cmdCancel->click();
    }
    const auto d = open();
    EXPECT_EQ(d->TabStrip1->currentIndex(), 0);
    EXPECT_TRUE(d->Frame1[0]->isVisible());
    EXPECT_FALSE(d->Frame1[2]->isVisible());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
    EXPECT_EQ(d->size(), twipsToPixels(QSize(6825, 7155), d->logicalDpiX()));

    // Controls of a page are placed on the page, which fills the tab strip's client area.
    const QWidget *w = d.get();
    const std::vector<std::pair<QWidget *, QRect>> places{
        {d->TabStrip1, twips(w, 120, 120, 6612, 6492)},
        {d->cmdOK, twips(w, 1320, 6720, 972, 372)},
        {d->cmdCancel, twips(w, 3720, 6720, 972, 372)},
        {d->cmdSet, twips(w, 240, 360, 1212, 372)},
        {d->txtJyunban, twips(w, 2880, 360, 1212, 264)},
        {d->cmdJyunban[4], twips(w, 1080, 840, 732, 492)},
        {d->cmdJyunban[6], twips(w, 1920, 840, 732, 492)},
        {d->cmdJyunban[0], twips(w, 240, 2040, 732, 492)},
        {d->cmdJyunban[5], twips(w, 1080, 2040, 732, 492)},
        {d->cmdFaceJyun[3], twips(w, 2760, 2640, 732, 492)},
        {d->cmdFaceJyun[4], twips(w, 2760, 2040, 732, 492)},
        {d->cmdFaceSet, twips(w, 240, 3360, 1212, 372)},
        {d->txtFaceJyunban, twips(w, 2880, 3480, 1212, 264)},
        {d->Frame[4], twips(w, 1680, 120, 1452, 1332)},
        {d->Frame[0], twips(w, 120, 2760, 1452, 1332)},
        {d->Frameface[4], twips(w, 4800, 2280, 1452, 1812)},
        {d->Frameface[3], twips(w, 4800, 4080, 1452, 1812)},
        {d->txtPictFolda, twips(w, 120, 600, 3972, 264)},
        {d->HScrollContrast, twips(w, 3120, 3840, 1692, 240)}};
    for (const auto &[widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect)
            << widget->metaObject()->className() << " " << widget->mapTo(w, QPoint()).x();

    const std::vector<std::pair<QString, const char *>> captions{
        {d->TabStrip1->tabText(0), "撮影順"},
        {d->TabStrip1->tabText(1), "画像処理"},
        {d->TabStrip1->tabText(2), "その他"},
        {d->cmdOK->text(), "OK"},
        {d->cmdCancel->text(), "ｷｬﾝｾﾙ"},
        {d->cmdSet->text(), "口腔設定"},
        {d->cmdFaceSet->text(), "顔面設定"},
        {d->cmdJyunban[0]->text(), "画像０"},
        {d->cmdJyunban[6]->text(), "画像６"},
        {d->cmdFaceJyun[4]->text(), "顔面4"},
        {d->Frame[6]->title(), "画像6"},
        {d->Frameface[0]->title(), "顔面画像0"},
        {d->optRotation[3]->text(), "180度回転"},
        {d->OptFaceRot90[2]->text(), "90度右回転"},
        {d->OptFaceRot270[2]->text(), "270度回転"},
        {d->OptFaceUL[2]->text(), "上下反転"},
        {d->cmdPictFolda->text(), ". . ."},
        {d->txtExplorerPath->text(), "/usr/bin/xdg-open"},
        {d->chkDropAria->text(), "画像ファイル ドロップエリアの説明を表示する"},
        {d->chkContrast->text(), "コントラストを調整する\u30000"},
        {d->chkKido->text(), "輝度を調整する\u30000"},
        {d->chkRGB->text(), "RGB色を調整する"},
        {d->lblRed->text(), "R 0"},
        {d->lblGreen->text(), "G 0"},
        {d->lblBlue->text(), "B 0"}};
    for (const auto &[actual, expected] : captions)
        EXPECT_EQ(actual, QString::fromUtf8(expected));
    EXPECT_FALSE(d->txtExplorerPath->isEnabled());
    EXPECT_FALSE(d->cmdExplorerPath->isEnabled());
    EXPECT_TRUE(d->txtJyunban->isReadOnly());
    EXPECT_TRUE(d->txtPictFolda->isReadOnly());
    EXPECT_FALSE(d->txtFaceJyunban->isReadOnly());
    for (QPushButton *b : d->cmdJyunban)
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(OptionsDialog, LoadsTheSettingsOfTheRun)
{
    settings.Jyunban = "6543210";
    settings.FaceJyunban = "43210";
    settings.ViewSize = 9000;
    settings.FileHizuke = 0;
    settings.ViewIti = 1;
    settings.Kido = 1;
    settings.KidoTi = -7;
    settings.RedTi = 100;
    settings.GreenTi = -100;
    settings.BlueTi = 12;
    const auto d = open();
    EXPECT_EQ(d->txtJyunban->text(), "6543210");
    EXPECT_EQ(d->txtFaceJyunban->text(), "43210");
    EXPECT_EQ(d->txtPictFolda->text(), settings.PictFolda);
    EXPECT_EQ(d->txtPictReadFolda->text(), settings.PictReadFolda);
    EXPECT_EQ(d->txtViewSize->text(), "9000");
    EXPECT_FALSE(d->chkFontSize->isChecked());
    EXPECT_TRUE(d->chkDropAria->isChecked());
    EXPECT_FALSE(d->chkHizuke->isChecked());
    EXPECT_TRUE(d->chkViewIti->isChecked());
    EXPECT_TRUE(d->chkKido->isChecked());
    EXPECT_EQ(d->HScrollKido->value(), -7);
    EXPECT_EQ(d->chkKido->text(), QStringLiteral("輝度を調整する\u3000-7"));
    EXPECT_EQ(d->lblRed->text(), "R 100");
    EXPECT_EQ(d->lblGreen->text(), "G -100");
    EXPECT_EQ(d->lblBlue->text(), "B 12");
}

// --- shooting orders -----------------------------------------------------------

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
    EXPECT_EQ((c.face ? d->txtFaceJyunban : d->txtJyunban)->text(), QString::fromLatin1(c.text));
    EXPECT_EQ((c.face ? d->cmdFaceSet : d->cmdSet)->isEnabled(), c.finished);
    const int count = c.face ? 5 : 7;
    for (int k = 0; k < count; ++k) {
        const bool pressed = std::find(c.presses.begin(), c.presses.end(), k) != c.presses.end();
        EXPECT_EQ((c.face ? d->cmdFaceJyun[size_t(k)] : d->cmdJyunban[size_t(k)])->isEnabled(), !pressed)
            << k;
    }
    if (c.face) {
        EXPECT_EQ(d->txtFaceJyunban->isReadOnly(), !c.finished); // no typing while the buttons build it
    }
    // The other editor is left alone.
    EXPECT_EQ((c.face ? d->txtJyunban : d->txtFaceJyunban)->text(), c.face ? "0123456" : "01234");
}

INSTANTIATE_TEST_SUITE_P(
    Presses, OrderEntry,
    ::testing::Values(EntryCase{"Oral4621305", false, {4, 6, 2, 1, 3, 0, 5}, "4621305", true},
                      EntryCase{"OralTwoOfSeven", false, {4, 6}, "46", false},
                      EntryCase{"OralStartedOnly", false, {}, "", false},
                      EntryCase{"Face30412", true, {3, 0, 4, 1, 2}, "30412", true},
                      EntryCase{"FaceThreeOfFive", true, {2, 0, 1}, "201", false}),
    [](const ::testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, TypingTheFacialOrderTakesEachPositionDigitOnce)
{
    const auto d = open();
    d->txtFaceJyunban->clear();
    d->activateWindow();
    QTest::keyClicks(d->txtFaceJyunban, "3a0 3915 42");
    EXPECT_EQ(d->txtFaceJyunban->text(), "30142");
}

// --- OK and Cancel -------------------------------------------------------------

struct RefusalCase {
    const char *name;
    std::function<void(frmOption &)> edit;
    QString message;
};

class RefusedOk : public OptionsDialog, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedOk, SaysWhyStoresNothingAndStaysOpen)
{
    const RefusalCase &c = GetParam();
    settings.ViewSize = 8100;
    const auto d = open();
    d->optRotation[3]->click();
    d->OptFaceRot270[1]->click();
    c.edit(*d);
    d->cmdOK->click();
    EXPECT_EQ(messages.texts(), QStringList{c.message});
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(store->allKeys().isEmpty());

    // Cancel afterwards: the orders are as they were, the orientation choices are in
    // force for the run without being stored.
    d->cmdCancel->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.Jyunban, "0123456");
    EXPECT_EQ(settings.FaceJyunban, "01234");
    EXPECT_EQ(settings.ViewSize, 8100);
    EXPECT_EQ(settings.PictSyori[3], 1);
    EXPECT_EQ(settings.FacePictSyori[1], 5);
    EXPECT_TRUE(store->allKeys().isEmpty());
}

const QString kViewSizeRefused = QStringLiteral(
    "拡大表示画面大きさは 1 以上の整数 (twip) で入力してください。\r\n前の値 8100 のままです。");

INSTANTIATE_TEST_SUITE_P(
    Edits, RefusedOk,
    ::testing::Values(
        RefusalCase{"OralSetThenOk", [](frmOption &d) { d.cmdSet->click(); }, kNoOrder},
        RefusalCase{"OralSixOfSeven",
                    [](frmOption &d) {
                        d.cmdSet->click();
                        for (int k : {0, 1, 2, 3, 4, 5})
                            d.cmdJyunban[size_t(k)]->click();
                    },
                    kNoOrder},
        RefusalCase{"FaceSetThenOk", [](frmOption &d) { d.cmdFaceSet->click(); }, kNoOrder},
        RefusalCase{"FaceTypedShort", [](frmOption &d) { d.txtFaceJyunban->setText("012"); }, kNoOrder},
        RefusalCase{"ViewSizeWithAFraction", [](frmOption &d) { d.txtViewSize->setText("12.5"); },
                    kViewSizeRefused},
        RefusalCase{"ViewSizeEmpty", [](frmOption &d) { d.txtViewSize->clear(); }, kViewSizeRefused},
        RefusalCase{"ViewSizeZero", [](frmOption &d) { d.txtViewSize->setText("0"); }, kViewSizeRefused},
        RefusalCase{"ViewSizeBeyond32Bits", [](frmOption &d) { d.txtViewSize->setText("4294967296"); },
                    kViewSizeRefused}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, RedoingOnlyTheFacialOrderKeepsTheIntraoralOne)
{
    settings.Jyunban = "6543210";
    const auto d = open();
    press(*d, true, {4, 3, 2, 1, 0});
    d->cmdOK->click();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(stored("Jyunban"), "6543210");
    EXPECT_EQ(stored("FaceJyunban"), "43210");
    EXPECT_EQ(settings.FaceJyunban, "43210");
}

struct BarCase {
    const char *name;
    QScrollBar *frmOption::*bar;
    int value;
    std::function<QString(const frmOption &)> caption;
    const char *expected;
    const char *key;
};

class AdjustmentBar : public OptionsDialog, public ::testing::WithParamInterface<BarCase> {};

TEST_P(AdjustmentBar, RewritesItsCaptionAndOkStoresTheValue)
{
    const BarCase &c = GetParam();
    const auto d = open();
    QScrollBar *bar = (*d).*c.bar;
    EXPECT_EQ(bar->minimum(), -100);
    EXPECT_EQ(bar->maximum(), 100);
    bar->setValue(c.value);
    EXPECT_EQ(c.caption(*d), QString::fromUtf8(c.expected));
    d->cmdOK->click();
    EXPECT_EQ(stored(QString::fromLatin1(c.key)), QString::number(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Bars, AdjustmentBar,
    ::testing::Values(BarCase{"ContrastMinus35", &frmOption::HScrollContrast, -35,
                              [](const frmOption &d) { return d.chkContrast->text(); },
                              "コントラストを調整する\u3000-35", "ContrastTi"},
                      BarCase{"Kido100", &frmOption::HScrollKido, 100,
                              [](const frmOption &d) { return d.chkKido->text(); }, "輝度を調整する\u3000100",
                              "KidoTi"},
                      BarCase{"RedMinus100", &frmOption::HScrollRed, -100,
                              [](const frmOption &d) { return d.lblRed->text(); }, "R -100", "RedTi"},
                      BarCase{"Green7", &frmOption::HScrollGreen, 7,
                              [](const frmOption &d) { return d.lblGreen->text(); }, "G 7", "GreenTi"},
                      BarCase{"BlueMinus1", &frmOption::HScrollBlue, -1,
                              [](const frmOption &d) { return d.lblBlue->text(); }, "B -1", "BlueTi"}),
    [](const ::testing::TestParamInfo<BarCase> &info) { return std::string(info.param.name); });

struct CodeCase {
    const char *name;
    bool face;
    int16_t stored;
    int checked; // the code of the option shown checked; -1 none
};

class OrientationGroup : public OptionsDialog, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(OrientationGroup, ShowsTheStoredCodeAndAGroupWithoutChoiceKeepsIt)
{
    const CodeCase &c = GetParam();
    (c.face ? settings.FacePictSyori[2] : settings.PictSyori[2]) = c.stored;
    const auto d = open();
    const QGroupBox *frame = c.face ? d->Frameface[2] : d->Frame[2];
    const auto *group = frame->findChild<QButtonGroup *>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->checkedId(), c.checked);
    if (c.checked >= 0) {
        const std::vector<const char *> oral{"無修正", "180度回転", "左右反転", "上下反転"};
        const std::vector<const char *> face{"無修正",   "180度回転",  "左右反転",
                                             "上下反転", "90度右回転", "270度回転"};
        EXPECT_EQ(group->checkedButton()->text(),
                  QString::fromUtf8((c.face ? face : oral)[size_t(c.checked)]));
    }
    d->cmdOK->click();
    EXPECT_EQ(stored(QStringLiteral("%1PictSyori2").arg(c.face ? "Face" : "")), QString::number(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, OrientationGroup,
    ::testing::Values(CodeCase{"Oral3", false, 3, 3}, CodeCase{"Oral4Outside", false, 4, -1},
                      CodeCase{"OralMinus1Outside", false, -1, -1}, CodeCase{"Face1", true, 1, 1},
                      CodeCase{"Face4", true, 4, 4}, CodeCase{"Face5", true, 5, 5},
                      CodeCase{"Face6Outside", true, 6, -1}),
    [](const ::testing::TestParamInfo<CodeCase> &info) { return std::string(info.param.name); });

TEST_F(OptionsDialog, OkStoresTheCheckBoxesAsTheyHaveAlwaysBeenStored)
{
    settings.OsFontSize = 5;   // any non-zero shows checked, stored as 1
    settings.DropAriaTips = 2; // only 1 shows checked
    settings.ViewIti = 2;      // greyed, stored as 0
    settings.Contrast = 2;     // greyed, stored as it is
    settings.RGB = 7;          // no state of a check box: clear
    const auto d = open();
    EXPECT_EQ(d->chkViewIti->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(d->chkContrast->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(d->chkFontSize->isChecked());
    EXPECT_FALSE(d->chkDropAria->isChecked());
    EXPECT_EQ(d->chkRGB->checkState(), Qt::Unchecked);
    d->cmdOK->click();
    const std::vector<std::pair<const char *, const char *>> expected{
        {"OsFontSize", "1"}, {"DropAriaTips", "0"}, {"ViewIti", "0"}, {"Contrast", "2"}, {"RGB", "0"}};
    for (const auto &[key, value] : expected)
        EXPECT_EQ(stored(QString::fromLatin1(key)), QString::fromLatin1(value)) << key;
    EXPECT_EQ(settings.Contrast, 2);
}

TEST_F(OptionsDialog, ASettingsFileThatCannotBeWrittenIsSaidAndTheRunKeepsTheChanges)
{
    // A folder where the file should be: not even root can write it.
    store = std::make_unique<QSettings>(box.mkdir("Tolvarine.ini"), QSettings::IniFormat);
    const auto d = open();
    press(*d, false, {6, 5, 4, 3, 2, 1, 0});
    d->cmdOK->click();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith(QStringLiteral("設定を保存できませんでした。")));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(settings.Jyunban, "6543210");
}

} // namespace
} // namespace tolvarine
