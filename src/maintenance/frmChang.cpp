#include "maintenance/frmChang.h"

#include <utility>

#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "maintenance/PictureChanges.h"
#include "platform/Messages.h"
#include "platform/Twips.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "store/StoreNames.h"
#include "store/VisitOrder.h"
#include "widgets/WindowPlace.h"

namespace tolvarine {

namespace {

// The dialog's design in twips: the position buttons stand where the thumbnails
// stand in the main window, each with the label of its press number below it.
constexpr QSize kClient(3360, 3450);
constexpr QSize kButton(612, 372);
constexpr int kLabelBelow = 370;
constexpr int kLabelHeight = 252;
constexpr std::array<QPoint, 7> kOralAt{
    {{120, 1720}, {840, 1100}, {120, 1100}, {1560, 1100}, {840, 480}, {840, 1720}, {1560, 480}}};
constexpr std::array<QPoint, 5> kFaceAt{{{120, 2340}, {840, 2340}, {1560, 2340}, {2280, 2340}, {2280, 1720}}};

// Renames the pictures of the pressed positions of one panel; a name in use stops it
// with the message.
void renamePressed(const QString &pressed, const QString &shootingOrder, const QStringList &shown,
                   int positions, const QString &prefix, QString (*nameFor)(const QString &, int))
{
    const Outcome renamed = renameToDisplayOrder(
        pressed, [&](int position) { return fileNameAtPosition(shootingOrder, shown, position, positions); },
        [&](int number) { return nameFor(prefix, number); });
    if (renamed.status == Status::NameTaken)
        showMessage(QStringLiteral("同名のﾌｧｲﾙがあり変更できません\r\nﾌｧｲﾙ名を変更して下さい"));
}

} // namespace

frmChang::frmChang(ChangeParts parts)
    : QDialog(parts.owner), parts_(std::move(parts)), place_(std::make_unique<WindowPlace>(kChangePosition))
{
    setWindowTitle(QStringLiteral("ファイル名 表示順　変更"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    createControls();
    Form_Load();
}

frmChang::~frmChang() = default;

void frmChang::createControls()
{
    const double dpi = logicalDpiX();
    auto px = [dpi](int x, int y, int w, int h) { return twipsToPixels(QRect(x, y, w, h), dpi); };
    setFixedSize(twipsToPixels(kClient, dpi));

    auto button = [&](const QString &caption, const QRect &rect) {
        auto *b = new QPushButton(caption, this);
        b->setGeometry(rect);
        return b;
    };
    auto pressLabel = [&](QPoint at) {
        auto *l = new QLabel(this);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(px(at.x(), at.y() + kLabelBelow, kButton.width(), kLabelHeight));
        return l;
    };
    lblChangDate = new QLabel(QStringLiteral("変更後ﾌｧｲﾙ名"), this);
    lblChangDate->setGeometry(px(0, 120, 1332, 264));
    lblChangDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtChangDate = new QLineEdit(this);
    txtChangDate->setGeometry(px(1440, 120, 1452, 264));
    // The prefix is part of a file name in the picture's own folder.
    txtChangDate->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/\\x{0}]*")), txtChangDate));

    auto positions = [&](auto &buttons, auto &labels, const auto &places, const QString &caption,
                         void (frmChang::*click)(int)) {
        for (int i = 0; i < int(buttons.size()); ++i) {
            const QPoint at = places[size_t(i)];
            buttons[size_t(i)] = button(caption, px(at.x(), at.y(), kButton.width(), kButton.height()));
            labels[size_t(i)] = pressLabel(at);
            connect(buttons[size_t(i)], &QPushButton::clicked, this, [this, click, i] { (this->*click)(i); });
        }
    };
    positions(cmdOral, lblOral, kOralAt, QStringLiteral("口腔"), &frmChang::cmdOral_Click);
    positions(cmdFace, lblFace, kFaceAt, QStringLiteral("顔面"), &frmChang::cmdFace_Click);
    Label1 = new QLabel(QStringLiteral("表示したい順に押して下さい"), this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(px(2280, 600, 972, 732));
    cmdReset = button(QStringLiteral("再設定"), px(120, 3000, 852, 372));
    cmdChange = button(QStringLiteral("変更"), px(1200, 3000, 852, 372));
    cmdCancel = button(QStringLiteral("ｷｬﾝｾﾙ"), px(2280, 3000, 852, 372));
    // キャンセル is the safe button to stand out as the default; see keyPressEvent.
    cmdCancel->setDefault(true);
    connect(cmdReset, &QPushButton::clicked, this, &frmChang::cmdReset_Click);
    connect(cmdChange, &QPushButton::clicked, this, &frmChang::cmdChange_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmChang::cmdCancel_Click);
}

void frmChang::Form_Load()
{
    place_->restore(parts_.store(), *this);
    intOralClicks = 0;
    intFaceClicks = 0;
    txtChangDate->setText(offeredDatePrefix(parts_.browse.strNowDate, QDate::currentDate()));
}

void frmChang::cmdOral_Click(int index)
{
    lblOral[size_t(index)]->setText(QString::number(intOralClicks + 1));
    cmdOral[size_t(index)]->setEnabled(false);
    ++intOralClicks;
    strOralOrder += QString::number(index);
    cmdCancel->setFocus();
}

void frmChang::cmdFace_Click(int index)
{
    lblFace[size_t(index)]->setText(QStringLiteral("F") + QString::number(intFaceClicks + 1));
    cmdFace[size_t(index)]->setEnabled(false);
    ++intFaceClicks;
    strFaceOrder += QString::number(index);
    cmdCancel->setFocus();
}

void frmChang::cmdReset_Click()
{
    for (size_t i = 0; i < cmdFace.size(); ++i) {
        cmdFace[i]->setEnabled(true);
        lblFace[i]->clear();
    }
    intFaceClicks = 0;
    strFaceOrder.clear();
    for (size_t i = 0; i < cmdOral.size(); ++i) {
        cmdOral[i]->setEnabled(true);
        lblOral[i]->clear();
    }
    intOralClicks = 0;
    strOralOrder.clear();
}

void frmChang::cmdChange_Click()
{
    subRenameOral();
    subRenameFace();
    parts_.blnChanged = 1;
    accept();
}

void frmChang::cmdCancel_Click()
{
    parts_.blnChanged = 0;
    reject();
}

void frmChang::subRenameOral()
{
    renamePressed(strOralOrder.left(intOralClicks), parts_.settings.Jyunban, parts_.browse.List2,
                  kOralPositions, txtChangDate->text(), &orderedOralName);
}

void frmChang::subRenameFace()
{
    renamePressed(strFaceOrder.left(intFaceClicks), parts_.settings.FaceJyunban, parts_.browse.ListFace,
                  kFacePositions, txtChangDate->text(), &orderedFaceName);
}

// Enter presses the button that has the focus and nothing else: in the prefix box
// it must not close the dialog or press a position.
void frmChang::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !qobject_cast<QPushButton *>(focusWidget())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmChang::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

// The place is kept however the dialog closes.
void frmChang::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    place_->save(parts_.store(), *this);
}

} // namespace tolvarine
