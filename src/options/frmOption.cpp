#include "options/frmOption.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>

#include "options/OptionRules.h"
#include "options/frmPictFolda.h"
#include "platform/Messages.h"
#include "platform/Twips.h"
#include "platform/WindowsFolder.h"
#include "store/VisitOrder.h"
#include "widgets/Fonts.h"

namespace tolvarine {

namespace {

// The dialog's design, in twips.
const QSize kClientArea(6825, 7155);
constexpr int kPositionButtonWidth = 732;
constexpr int kPositionButtonHeight = 492;
constexpr int kOptionRowTwips = 250;
constexpr int kBarMinimum = -100;
constexpr int kBarMaximum = 100;

// Where the position buttons and frames stand, indexed by position: like the
// intraoral pictures on the sheet.
constexpr std::array<QPoint, 7> kOralButtons{
    {{240, 2040}, {1080, 1440}, {240, 1440}, {1920, 1440}, {1080, 840}, {1080, 2040}, {1920, 840}}};
constexpr std::array<QPoint, 5> kFaceButtons{
    {{240, 2640}, {1080, 2640}, {1920, 2640}, {2760, 2640}, {2760, 2040}}};
constexpr std::array<QPoint, 7> kOralFrames{
    {{120, 2760}, {1680, 1440}, {120, 1440}, {3240, 1440}, {1680, 120}, {1680, 2760}, {3240, 120}}};
constexpr std::array<QPoint, 5> kFaceFrames{
    {{120, 4080}, {1680, 4080}, {3240, 4080}, {4800, 4080}, {4800, 2280}}};

const QString kNoOrder = QStringLiteral("撮影順番が指定されていません");
const QString kBadViewSize =
    QStringLiteral("拡大表示画面大きさは 1 以上の整数 (twip) で入力してください。\r\n前の値 %1 のままです。");
const QString kNotStored =
    QStringLiteral("設定を保存できませんでした。\r\n%1\r\n変更はプログラムを終了するまで有効です。");

const QString kContrastCaption = QStringLiteral("コントラストを調整する　");
const QString kKidoCaption = QStringLiteral("輝度を調整する　");

// The captions of the intraoral position buttons carry full-width digits.
QString fullWidthDigit(int digit) { return QString(QChar(0xFF10 + digit)); }

QString valueCaption(const QString &prefix, int value) { return prefix + QString::number(value); }

// Check boxes keep the settings' states: 0 clear, 1 checked, 2 greyed. A greyed
// box becomes an ordinary one once the user clicks it.
int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// A stored state that no check box has shows clear.
void setCheckValue(QCheckBox *box, int value)
{
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

// The code of the group's checked option; nullopt when none is checked.
std::optional<int16_t> checkedCode(const QButtonGroup *group)
{
    const int id = group->checkedId();
    return id >= 0 ? std::optional<int16_t>(int16_t(id)) : std::nullopt;
}

void selectCode(QButtonGroup *group, int16_t code)
{
    if (QAbstractButton *option = group->button(code))
        option->setChecked(true);
}

} // namespace

frmOption::frmOption(QWidget *owner, AppSettings &settings, QSettings &store, const QString &windowsFolder,
                     const QString &programFolder)
    : QDialog(owner), settings_(settings), store_(store), windowsFolder_(windowsFolder),
      programFolder_(programFolder)
{
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(owner ? owner->font() : QFont(japaneseUiFontFamily(), 9));
    setFixedSize(twipsToPixels(kClientArea, logicalDpiX()));

    TabStrip1 = new QTabWidget(this);
    TabStrip1->setGeometry(toPixels(120, 120, 6612, 6492));
    const QStringList captions{QStringLiteral("撮影順"), QStringLiteral("画像処理"),
                               QStringLiteral("その他")};
    for (int i = 0; i < 3; ++i) {
        Frame1[size_t(i)] = new QWidget;
        TabStrip1->addTab(Frame1[size_t(i)], captions.at(i));
    }
    createOrderPage();
    createOrientationPage();
    createOtherPage();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(toPixels(1320, 6720, 972, 372));
    cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cmdCancel->setGeometry(toPixels(3720, 6720, 972, 372));
    cmdOK->setDefault(true);

    connectControls();
    Form_Load();
}

QRect frmOption::toPixels(int left, int top, int width, int height) const
{
    return twipsToPixels(QRect(left, top, width, height), logicalDpiX());
}

void frmOption::createOrderPage()
{
    QWidget *page = Frame1[0];
    auto button = [&](const QString &caption, QPoint at, int width, int height) {
        auto *b = new QPushButton(caption, page);
        b->setGeometry(toPixels(at.x(), at.y(), width, height));
        b->setAutoDefault(false);
        return b;
    };
    auto orderLabel = [&](int top) {
        auto *l = new QLabel(QStringLiteral("撮影順番"), page);
        l->setGeometry(toPixels(1920, top, 900, 264));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto orderBox = [&](int top) {
        auto *t = new QLineEdit(page);
        t->setGeometry(toPixels(2880, top, 1212, 264));
        // Position digits only: no conversion window in the way.
        t->setAttribute(Qt::WA_InputMethodEnabled, false);
        return t;
    };

    cmdSet = button(QStringLiteral("口腔設定"), {240, 360}, 1212, 372);
    lblJyunban = orderLabel(360);
    txtJyunban = orderBox(360);
    txtJyunban->setReadOnly(true);
    for (int k = 0; k < kOralPositions; ++k) {
        cmdJyunban[size_t(k)] = button(QStringLiteral("画像") + fullWidthDigit(k), kOralButtons[size_t(k)],
                                       kPositionButtonWidth, kPositionButtonHeight);
        cmdJyunban[size_t(k)]->setEnabled(false);
    }
    for (int k = 0; k < kFacePositions; ++k) {
        cmdFaceJyun[size_t(k)] = button(QStringLiteral("顔面%1").arg(k), kFaceButtons[size_t(k)],
                                        kPositionButtonWidth, kPositionButtonHeight);
        cmdFaceJyun[size_t(k)]->setEnabled(false);
    }
    cmdFaceSet = button(QStringLiteral("顔面設定"), {240, 3360}, 1212, 372);
    lblFaceJyunban = orderLabel(3480);
    txtFaceJyunban = orderBox(3480);
    txtFaceJyunban->setValidator(new OrderValidator(kFacePositions, txtFaceJyunban));
    lblSetumei = new QLabel(
        QStringLiteral("設定ボタンを押してから、撮影する順番に画像番号のボタンを押してください"), page);
    lblSetumei->setGeometry(toPixels(240, 3960, 6060, 540));
    lblSetumei->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblSetumei->setWordWrap(true);
}

void frmOption::createOrientationPage()
{
    QWidget *page = Frame1[1];
    // A frame with one option per code, top to bottom; the group knows each
    // option's code by its id.
    auto frame = [&](const QString &caption, QPoint at, int height,
                     std::initializer_list<std::pair<QRadioButton **, std::pair<const char *, int>>> options,
                     QButtonGroup *&group) {
        auto *box = new QGroupBox(caption, page);
        box->setGeometry(toPixels(at.x(), at.y(), 1452, height));
        group = new QButtonGroup(box);
        int row = 0;
        for (const auto &[member, option] : options) {
            auto *b = new QRadioButton(QString::fromUtf8(option.first), box);
            b->setGeometry(toPixels(120, 250 + row++ * kOptionRowTwips, 1290, 240));
            group->addButton(b, option.second);
            *member = b;
        }
        return box;
    };
    for (size_t i = 0; i < size_t(kOralPositions); ++i)
        Frame[i] = frame(QStringLiteral("画像%1").arg(i), kOralFrames[i], 1332,
                         {{&optOff[i], {"無修正", 0}},
                          {&optRotation[i], {"180度回転", 1}},
                          {&optRL[i], {"左右反転", 2}},
                          {&optUL[i], {"上下反転", 3}}},
                         oralGroups_[i]);
    for (size_t i = 0; i < size_t(kFacePositions); ++i)
        Frameface[i] = frame(QStringLiteral("顔面画像%1").arg(i), kFaceFrames[i], 1812,
                             {{&OptFaceOff[i], {"無修正", 0}},
                              {&OptFaceRot90[i], {"90度右回転", 4}},
                              {&OptFaceRot180[i], {"180度回転", 1}},
                              {&OptFaceRot270[i], {"270度回転", 5}},
                              {&OptFaceRL[i], {"左右反転", 2}},
                              {&OptFaceUL[i], {"上下反転", 3}}},
                             faceGroups_[i]);
}

void frmOption::createOtherPage()
{
    QWidget *page = Frame1[2];
    auto label = [&](const QString &text, int left, int top, int width) {
        auto *l = new QLabel(text, page);
        l->setGeometry(toPixels(left, top, width, 240));
        return l;
    };
    auto folderRow = [&](int top, QLineEdit *&text, QPushButton *&button) {
        text = new QLineEdit(page);
        text->setGeometry(toPixels(120, top, 3972, 264));
        text->setReadOnly(true);
        button = new QPushButton(QStringLiteral(". . ."), page);
        button->setGeometry(toPixels(4200, top, 492, 264));
        button->setAutoDefault(false);
    };
    auto check = [&](const QString &caption, int top, int width) {
        auto *c = new QCheckBox(caption, page);
        c->setGeometry(toPixels(120, top, width, 264));
        // A greyed state shown from the settings is not one the user can click back to.
        connect(c, &QCheckBox::clicked, c, [c] { c->setTristate(false); });
        return c;
    };
    auto bar = [&](int top) {
        auto *b = new QScrollBar(Qt::Horizontal, page);
        b->setGeometry(toPixels(3120, top, 1692, 240));
        b->setRange(kBarMinimum, kBarMaximum);
        b->setPageStep(10);
        return b;
    };

    label(QStringLiteral("画像フォルダ"), 120, 360, 3972);
    folderRow(600, txtPictFolda, cmdPictFolda);
    label(QStringLiteral("画像取込時に起動するソフト(通常はExplorerを指定)"), 120, 960, 5400);
    folderRow(1200, txtExplorerPath, cmdExplorerPath);
    txtExplorerPath->setEnabled(false);
    cmdExplorerPath->setEnabled(false);
    label(QStringLiteral("画像取込先フォルダ"), 120, 1560, 3972);
    folderRow(1800, txtPictReadFolda, cmdPictReadFolda);
    chkFontSize = check(QStringLiteral("OSの設定で大きいフォントを使う"), 2160, 5400);
    chkDropAria = check(QStringLiteral("画像ファイル ドロップエリアの説明を表示する"), 2450, 5400);
    chkHizuke = check(QStringLiteral("日付の判定をファイル更新日で行う"), 2760, 5400);
    label(QStringLiteral("拡大表示画面大きさ"), 120, 3150, 1860);
    txtViewSize = new QLineEdit(page);
    txtViewSize->setGeometry(toPixels(2040, 3120, 852, 264));
    txtViewSize->setValidator(new TwipsValidator(txtViewSize));
    txtViewSize->setAttribute(Qt::WA_InputMethodEnabled, false);
    label(QStringLiteral("twip"), 3000, 3150, 600);
    chkViewIti = check(QStringLiteral("拡大画像をいつも同じ位置で開く"), 3480, 5400);
    chkContrast = check(kContrastCaption, 3840, 2940);
    HScrollContrast = bar(3840);
    chkKido = check(kKidoCaption, 4200, 2940);
    HScrollKido = bar(4200);
    chkRGB = check(QStringLiteral("RGB色を調整する"), 4560, 2940);
    HScrollRed = bar(4560);
    lblRed = label(QString(), 4920, 4560, 900);
    HScrollGreen = bar(4920);
    lblGreen = label(QString(), 4920, 4920, 900);
    HScrollBlue = bar(5280);
    lblBlue = label(QString(), 4920, 5280, 900);
    label(QStringLiteral("次回起動時から有効になります。"), 480, 5640, 5400);
}

void frmOption::connectControls()
{
    connect(cmdSet, &QPushButton::clicked, this, &frmOption::cmdSet_Click);
    connect(cmdFaceSet, &QPushButton::clicked, this, &frmOption::cmdFaceSet_Click);
    for (int k = 0; k < kOralPositions; ++k)
        connect(cmdJyunban[size_t(k)], &QPushButton::clicked, this, [this, k] { cmdJyunban_Click(k); });
    for (int k = 0; k < kFacePositions; ++k)
        connect(cmdFaceJyun[size_t(k)], &QPushButton::clicked, this, [this, k] { cmdFaceJyun_Click(k); });
    connect(HScrollContrast, &QScrollBar::valueChanged, this, &frmOption::HScrollContrast_Change);
    connect(HScrollKido, &QScrollBar::valueChanged, this, &frmOption::HScrollKido_Change);
    connect(HScrollRed, &QScrollBar::valueChanged, this, &frmOption::HScrollRed_Change);
    connect(HScrollGreen, &QScrollBar::valueChanged, this, &frmOption::HScrollGreen_Change);
    connect(HScrollBlue, &QScrollBar::valueChanged, this, &frmOption::HScrollBlue_Change);
    connect(cmdPictFolda, &QPushButton::clicked, this, &frmOption::cmdPictFolda_Click);
    connect(cmdPictReadFolda, &QPushButton::clicked, this, &frmOption::cmdPictReadFolda_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOption::cmdCancel_Click);
}

// The tab strip shows one page at a time; the dialog always opens on the first.
void frmOption::Form_Load()
{
    TabStrip1->setCurrentIndex(0);

    for (size_t i = 0; i < oralGroups_.size(); ++i)
        selectCode(oralGroups_[i], settings_.PictSyori[i]);
    for (size_t i = 0; i < faceGroups_.size(); ++i)
        selectCode(faceGroups_[i], settings_.FacePictSyori[i]);

    txtJyunban->setText(settings_.Jyunban);
    txtFaceJyunban->setText(settings_.FaceJyunban);
    txtPictFolda->setText(settings_.PictFolda);
    txtExplorerPath->setText(fileBrowserProgram(windowsFolder_));
    txtPictReadFolda->setText(settings_.PictReadFolda);
    txtViewSize->setText(QString::number(settings_.ViewSize));

    chkFontSize->setChecked(settings_.OsFontSize != 0);
    chkDropAria->setChecked(settings_.DropAriaTips == 1);
    chkHizuke->setChecked(settings_.FileHizuke != 0);
    setCheckValue(chkViewIti, settings_.ViewIti);
    setCheckValue(chkContrast, settings_.Contrast);

    HScrollContrast->setValue(settings_.ContrastTi);
    HScrollContrast_Change();
    setCheckValue(chkKido, settings_.Kido);
    HScrollKido->setValue(settings_.KidoTi);
    HScrollKido_Change();
    setCheckValue(chkRGB, settings_.RGB);
    HScrollGreen->setValue(settings_.GreenTi);
    HScrollRed->setValue(settings_.RedTi);
    HScrollBlue->setValue(settings_.BlueTi);
    HScrollGreen_Change();
    HScrollRed_Change();
    HScrollBlue_Change();
}

void frmOption::cmdSet_Click()
{
    for (QPushButton *b : cmdJyunban)
        b->setEnabled(true);
    txtJyunban->clear();
    cmdSet->setEnabled(false);
    intJyunCount = 0;
}

void frmOption::cmdJyunban_Click(int index)
{
    txtJyunban->setText(txtJyunban->text() + QString::number(index));
    cmdJyunban[size_t(index)]->setEnabled(false);
    if (++intJyunCount == kOralPositions)
        cmdSet->setEnabled(true);
}

// The facial box may also be typed into, but not while the buttons build the order,
// so that no position comes twice.
void frmOption::cmdFaceSet_Click()
{
    for (QPushButton *b : cmdFaceJyun)
        b->setEnabled(true);
    txtFaceJyunban->clear();
    txtFaceJyunban->setReadOnly(true);
    cmdFaceSet->setEnabled(false);
    intFaceCount = 0;
}

void frmOption::cmdFaceJyun_Click(int index)
{
    txtFaceJyunban->setText(txtFaceJyunban->text() + QString::number(index));
    cmdFaceJyun[size_t(index)]->setEnabled(false);
    if (++intFaceCount == kFacePositions) {
        cmdFaceSet->setEnabled(true);
        txtFaceJyunban->setReadOnly(false);
    }
}

void frmOption::HScrollContrast_Change()
{
    chkContrast->setText(valueCaption(kContrastCaption, HScrollContrast->value()));
}

void frmOption::HScrollKido_Change() { chkKido->setText(valueCaption(kKidoCaption, HScrollKido->value())); }

void frmOption::HScrollRed_Change()
{
    lblRed->setText(valueCaption(QStringLiteral("R "), HScrollRed->value()));
}

void frmOption::HScrollGreen_Change()
{
    lblGreen->setText(valueCaption(QStringLiteral("G "), HScrollGreen->value()));
}

void frmOption::HScrollBlue_Change()
{
    lblBlue->setText(valueCaption(QStringLiteral("B "), HScrollBlue->value()));
}

void frmOption::cmdPictFolda_Click() { runChooser(frmPictFolda::kPictureFolder); }

void frmOption::cmdPictReadFolda_Click() { runChooser(frmPictFolda::kImportFolder); }

void frmOption::runChooser(int16_t mode)
{
    intFoldaMode = mode;
    frmPictFolda chooser(this, intFoldaMode, settings_, programFolder_, txtPictFolda, txtPictReadFolda);
    if (runner_)
        runner_(chooser);
    else
        chooser.exec();
}

void frmOption::cmdOK_Click()
{
    // The orientation choices are in force at once, even when the checks below refuse
    // the rest; a group with nothing chosen keeps its code.
    for (size_t i = 0; i < oralGroups_.size(); ++i)
        settings_.PictSyori[i] = checkedCode(oralGroups_[i]).value_or(settings_.PictSyori[i]);
    for (size_t i = 0; i < faceGroups_.size(); ++i)
        settings_.FacePictSyori[i] = checkedCode(faceGroups_[i]).value_or(settings_.FacePictSyori[i]);

    if (txtJyunban->text().size() != kOralPositions || txtFaceJyunban->text().size() != kFacePositions) {
        showMessage(kNoOrder);
        return;
    }
    const std::optional<int32_t> viewSize = wholeTwips(txtViewSize->text());
    if (!viewSize) {
        showMessage(kBadViewSize.arg(settings_.ViewSize));
        TabStrip1->setCurrentWidget(Frame1[2]);
        txtViewSize->setFocus();
        txtViewSize->selectAll();
        return;
    }

    GeneralSettingsInput in;
    in.PictSyori = settings_.PictSyori;
    in.FacePictSyori = settings_.FacePictSyori;
    in.Jyunban = txtJyunban->text();
    in.FaceJyunban = txtFaceJyunban->text();
    in.PictFolda = txtPictFolda->text();
    in.PictReadFolda = txtPictReadFolda->text();
    in.ViewSizeText = QString::number(*viewSize);
    in.OsFontSizeState = checkValue(chkFontSize);
    in.FileHizukeState = checkValue(chkHizuke);
    in.DropAriaTipsState = checkValue(chkDropAria);
    in.ViewItiState = checkValue(chkViewIti);
    in.ContrastState = checkValue(chkContrast);
    in.KidoState = checkValue(chkKido);
    in.RGBState = checkValue(chkRGB);
    in.ContrastTi = HScrollContrast->value();
    in.KidoTi = HScrollKido->value();
    in.RedTi = HScrollRed->value();
    in.GreenTi = HScrollGreen->value();
    in.BlueTi = HScrollBlue->value();
    writeGeneralSettings(store_, in, settings_);
    // The settings are in force for this run either way; the user is told that the
    // next start will not have them.
    if (store_.status() != QSettings::NoError)
        showMessage(kNotStored.arg(store_.fileName()));
    accept();
}

void frmOption::cmdCancel_Click() { reject(); }

} // namespace tolvarine
