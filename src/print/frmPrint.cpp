#include "print/frmPrint.h"

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/Twips.h"
#include "print/PrintText.h"
#include "widgets/InputMethod.h"

namespace tolvarine {

namespace {

// The dialog's design, in twips.
const QSize kClientArea(7530, 3795);
constexpr int kCommentWidth = 7332;
constexpr int kCommentWidthLarge = 3000; // beside the large sheet's last facial picture

} // namespace

frmPrint::frmPrint(QWidget *owner, const QString &mainKrNo, const QString &strKrName, PrintRequest &request,
                   std::function<void()> subPrintNormal, std::function<void()> subPrintLarge)
    : QDialog(owner), request_(request), subPrintNormal_(std::move(subPrintNormal)),
      subPrintLarge_(std::move(subPrintLarge))
{
    setWindowTitle(QStringLiteral("印刷"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(kClientArea, logicalDpiX()));

    lblKrNo = new QLabel(QStringLiteral("患者番号"), this);
    lblKrNo->setGeometry(toPixels(120, 280, 852, 252));
    txtKrNo = new QLineEdit(this);
    txtKrNo->setGeometry(toPixels(1080, 240, 1092, 264));
    disableInputMethod(txtKrNo);
    txtKrName = new QLineEdit(this);
    txtKrName->setGeometry(toPixels(2640, 240, 2052, 264));
    txtKrName->setAttribute(Qt::WA_InputMethodEnabled, true);
    lblKrName = new QLabel(QStringLiteral("様"), this);
    lblKrName->setGeometry(toPixels(4800, 280, 492, 252));
    txtDate = new QLineEdit(this);
    txtDate->setGeometry(toPixels(5520, 240, 1692, 264));
    lblComent = new QLabel(QStringLiteral("コメント"), this);
    lblComent->setGeometry(toPixels(240, 696, 3852, 252));
    txtSetumei = new QPlainTextEdit(this);
    txtSetumei->setGeometry(toPixels(120, 960, kCommentWidth, 2052));
    txtSetumei->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtSetumei->setTabChangesFocus(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(toPixels(5640, 3240, 1092, 372));
    chePrintLarge = new QCheckBox(QStringLiteral("大きく印刷する"), this);
    chePrintLarge->setGeometry(toPixels(600, 3240, 2652, 372));
    cmdPreview = new QPushButton(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this);
    cmdPreview->setGeometry(toPixels(3900, 3240, 1092, 372));
    cmdPreview->hide();
    // Enter in a text box does not print; only a press of OK does.
    cmdOK->setAutoDefault(false);
    cmdPreview->setAutoDefault(false);

    setTabOrder(txtKrNo, txtKrName);
    setTabOrder(txtKrName, txtDate);
    setTabOrder(txtDate, txtSetumei);
    setTabOrder(txtSetumei, cmdOK);
    setTabOrder(cmdOK, chePrintLarge);
    setTabOrder(chePrintLarge, cmdPreview);

    connect(chePrintLarge, &QCheckBox::toggled, this, &frmPrint::chePrintLarge_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmPrint::cmdOK_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &frmPrint::cmdPreview_Click);
    Form_Load(mainKrNo, strKrName);
}

QRect frmPrint::toPixels(int left, int top, int width, int height) const
{
    return twipsToPixels(QRect(left, top, width, height), logicalDpiX());
}

void frmPrint::Form_Load(const QString &mainKrNo, const QString &strKrName)
{
    txtKrNo->setText(mainKrNo);
    txtKrName->setText(strKrName);
    txtDate->setText(eraDateText(QDate::currentDate()));
    txtKrNo->setFocus();
}

void frmPrint::setPreview(std::function<void(const PrintRequest &)> preview)
{
    preview_ = std::move(preview);
    cmdPreview->setVisible(bool(preview_));
}

PrintRequest frmPrint::currentRequest() const
{
    return makePrintRequest(txtKrNo->text(), txtKrName->text(), txtDate->text(), txtSetumei->toPlainText(),
                            chePrintLarge->isChecked());
}

void frmPrint::chePrintLarge_Click()
{
    QRect r = txtSetumei->geometry();
    r.setWidth(twipsToPixels(chePrintLarge->isChecked() ? kCommentWidthLarge : kCommentWidth, logicalDpiX()));
    txtSetumei->setGeometry(r);
}

void frmPrint::cmdOK_Click()
{
    request_ = currentRequest();
    const auto &print = request_.intPrintLarge != 0 ? subPrintLarge_ : subPrintNormal_;
    if (print)
        print();
    accept();
}

void frmPrint::cmdPreview_Click()
{
    if (preview_)
        preview_(currentRequest());
}

} // namespace tolvarine
