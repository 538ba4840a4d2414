#include "help/frmAbout.h"

#include <algorithm>

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/Messages.h"
#include "platform/Twips.h"
#include "settings/Version.h"
#include "widgets/AppIcon.h"
#include "widgets/Fonts.h"

namespace tolvarine {

namespace {

// Geometry in twips; at 96 DPI the icon is the 32×32 one.
constexpr QSize kClient(4935, 3255);
constexpr QRect kPicIcon(240, 240, 480, 480);
constexpr QRect kLblTitle(1056, 240, 3156, 480);
constexpr QRect kLblVersion(1056, 960, 3276, 228);
constexpr QRect kCmdOK(3600, 2400, 1068, 345);
constexpr int kRuleLeft = 120, kRuleRight = 4815, kRuleTop = 2160, kRuleGap = 15;

QFrame *ruleLine(QWidget *parent, const QColor &color)
{
    auto *line = new QFrame(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    const QFont design(japaneseUiFontFamily(), 9);
    setFont(design);
    picIcon = new QLabel(this);
    lblTitle = new QLabel(this);
    QFont title = design;
    title.setPointSize(14);
    title.setBold(true);
    lblTitle->setFont(title);
    lblVersion = new QLabel(this);
    Line1 = {ruleLine(this, QColor(128, 128, 128)), ruleLine(this, Qt::white)};
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    const double dpi = logicalDpiX();
    setFixedSize(twipsToPixels(kClient, dpi));
    picIcon->setGeometry(twipsToPixels(kPicIcon, dpi));
    picIcon->setPixmap(appIcon().pixmap(picIcon->size()));
    lblTitle->setGeometry(twipsToPixels(kLblTitle, dpi));
    lblVersion->setGeometry(twipsToPixels(kLblVersion, dpi));
    const int left = twipsToPixels(kRuleLeft, dpi), right = twipsToPixels(kRuleRight, dpi);
    const int top = twipsToPixels(kRuleTop, dpi);
    Line1[0]->setGeometry(left, top, right - left, 1);
    Line1[1]->setGeometry(left, top + std::max(1, twipsToPixels(kRuleGap, dpi)), right - left, 1);
    cmdOK->setGeometry(twipsToPixels(kCmdOK, dpi));
    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(applicationTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(versionLabelText());
    lblTitle->setText(applicationTitle());
}

void frmAbout::cmdOK_Click() { accept(); }

// Esc and the close box press OK.
void frmAbout::reject() { cmdOK_Click(); }

} // namespace tolvarine
