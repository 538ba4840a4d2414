#include "browse/frmKrNo.h"

#include <utility>

#include <QFont>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "platform/Twips.h"
#include "widgets/WindowPlace.h"

namespace tolvarine {

namespace {

// The keypad's design, in twips: a number box over a grid of three columns,
// 7 8 9 / 4 5 6 / 1 2 3 / 0 BS Enter.
constexpr int kMargin = 120;
constexpr int kGap = 75;
constexpr int kKey = 780;
constexpr int kBoxHeight = 390;
constexpr int kColumns = 3;
constexpr int kRows = 4;
constexpr int kWidth = 2 * kMargin + kColumns * kKey + (kColumns - 1) * kGap;
constexpr int kHeight = 2 * kMargin + kBoxHeight + kGap + kRows * kKey + (kRows - 1) * kGap;
constexpr int kKeyPointSize = 14;
constexpr int kCommandPointSize = 10;

const std::array<int, 9> kGridDigits{7, 8, 9, 4, 5, 6, 1, 2, 3};

} // namespace

frmKrNo::frmKrNo(KeypadParts parts)
    : QDialog(parts.owner), parts_(std::move(parts)), place_(std::make_unique<WindowPlace>(kKrNoPosition))
{
    setWindowTitle(QStringLiteral("患者Ｎｏ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const double dpi = logicalDpiX();
    auto px = [dpi](int x, int y, int w, int h) { return twipsToPixels(QRect(x, y, w, h), dpi); };
    setFixedSize(twipsToPixels(QSize(kWidth, kHeight), dpi));

    QFont keyFont = font();
    keyFont.setPointSize(kKeyPointSize);
    QFont commandFont = font();
    commandFont.setPointSize(kCommandPointSize);

    txtKrNoInput = new QLineEdit(this);
    txtKrNoInput->setFont(keyFont);
    txtKrNoInput->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtKrNoInput->setGeometry(px(kMargin, kMargin, kWidth - 2 * kMargin, kBoxHeight));

    const int gridTop = kMargin + kBoxHeight + kGap;
    auto keyRect = [&](int row, int column) {
        return px(kMargin + column * (kKey + kGap), gridTop + row * (kKey + kGap), kKey, kKey);
    };
    auto key = [&](const QString &caption, const QRect &rect) {
        auto *b = new QPushButton(caption, this);
        b->setFont(keyFont);
        b->setGeometry(rect);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    for (int i = 0; i < 10; ++i)
        cmdNo[size_t(i)] = key(QString(QChar(u'０' + i)), QRect());
    for (int k = 0; k < int(kGridDigits.size()); ++k)
        cmdNo[size_t(kGridDigits[size_t(k)])]->setGeometry(keyRect(k / kColumns, k % kColumns));
    cmdNo[0]->setGeometry(keyRect(3, 0));
    cmdBS = key(QStringLiteral("BS"), keyRect(3, 1));
    cmdEnter = key(QStringLiteral("Enter"), keyRect(3, 2));
    cmdBS->setFont(commandFont);
    cmdEnter->setFont(commandFont);

    for (int i = 0; i < 10; ++i)
        connect(cmdNo[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdNo_Click(i); });
    connect(cmdBS, &QPushButton::clicked, this, &frmKrNo::cmdBS_Click);
    connect(cmdEnter, &QPushButton::clicked, this, &frmKrNo::cmdEnter_Click);
    Form_Load();
}

frmKrNo::~frmKrNo() = default;

void frmKrNo::Form_Load()
{
    place_->restore(parts_.store(), *this);
    txtKrNoInput->clear();
}

void frmKrNo::cmdNo_Click(int index) { txtKrNoInput->setText(txtKrNoInput->text() + QString::number(index)); }

void frmKrNo::cmdBS_Click()
{
    const QString text = txtKrNoInput->text();
    txtKrNoInput->setText(text.size() < 2 ? QString() : text.left(text.size() - 1));
}

void frmKrNo::cmdEnter_Click()
{
    parts_.txtKrNo->setText(txtKrNoInput->text());
    parts_.KrNoEnter();
    accept();
}

void frmKrNo::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

// The position is kept however the keypad closes (Enter, the close button, Esc).
void frmKrNo::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    place_->save(parts_.store(), *this);
}

} // namespace tolvarine
