#include "app/frmSplash.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <qdrawutil.h>

#include "platform/Twips.h"
#include "settings/Version.h"
#include "widgets/AppIcon.h"
#include "widgets/Fonts.h"

namespace tolvarine {

namespace {

// Geometry in twips; the controls are placed inside Frame1. At 96 DPI the logo is
// the 32×32 icon.
constexpr QRect kFrame1(120, 60, 5055, 3255);
constexpr QRect kImgLogo(360, 690, 480, 480);
constexpr QRect kLblProductName(1080, 540, 3735, 780);
constexpr QRect kLblPlatform(1080, 2100, 3735, 420);
constexpr QRect kLblVersion(1080, 2580, 3735, 360);

QLabel *makeLabel(QWidget *parent, const QString &text, int points, bool bold, Qt::Alignment align)
{
    auto *label = new QLabel(text, parent);
    QFont font(japaneseUiFontFamily(), points);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(align);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

bool isModifierOnly(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta
           || key == Qt::Key_AltGr;
}

} // namespace

SplashFrame::SplashFrame(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
}

void SplashFrame::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton && !childAt(event->position().toPoint());
    event->accept();
}

void SplashFrame::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(at) && !childAt(at);
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

frmSplash::frmSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setWindowIcon(appIcon());
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = new SplashFrame(this);
    imgLogo = new QLabel(Frame1);
    imgLogo->setAlignment(Qt::AlignCenter);
    lblProductName =
        makeLabel(Frame1, QStringLiteral("Tolvarine"), 24, true, Qt::AlignLeft | Qt::AlignVCenter);
    lblPlatform = makeLabel(Frame1, QStringLiteral("windows"), 14, false, Qt::AlignRight | Qt::AlignVCenter);
    lblVersion = makeLabel(Frame1, QString(), 11, false, Qt::AlignRight | Qt::AlignVCenter);
    connect(Frame1, &SplashFrame::clicked, this, &frmSplash::Frame1_Click);

    // The window sees every key before its controls do.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);

    layOut();
    Form_Load();
    centreOnScreen();
}

void frmSplash::Form_Load() { lblVersion->setText(versionLabelText()); }

void frmSplash::layOut()
{
    const double dpi = logicalDpiX();
    setFixedSize(twipsToPixels(QSize(kClientWidthTwips, kClientHeightTwips), dpi));
    Frame1->setGeometry(twipsToPixels(kFrame1, dpi));
    imgLogo->setGeometry(twipsToPixels(kImgLogo, dpi));
    const int logo = qMin(imgLogo->width(), imgLogo->height());
    imgLogo->setPixmap(appIcon().pixmap(QSize(logo, logo)));
    lblProductName->setGeometry(twipsToPixels(kLblProductName, dpi));
    lblPlatform->setGeometry(twipsToPixels(kLblPlatform, dpi));
    lblVersion->setGeometry(twipsToPixels(kLblVersion, dpi));
}

void frmSplash::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        Form_KeyPress(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent *event) { Form_KeyPress(event); }

void frmSplash::Form_KeyPress(QKeyEvent *event)
{
    event->accept();
    if (!isModifierOnly(event->key()))
        close();
}

void frmSplash::Frame1_Click() { close(); }

void frmSplash::paintEvent(QPaintEvent *)
{
    // The fixed dialog border the window system would otherwise draw.
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), false, 2);
}

} // namespace tolvarine
