#include "import/frmPrinting.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "import/ImportProgress.h"
#include "platform/Twips.h"

namespace tolvarine {

namespace {
constexpr int kOffsetFromMainTwips = 2200;
const QSize kClientTwips(3840, 1275);
const QRect kLabel1Twips(480, 840, 1692, 372);
const QRect kProgressBar1Twips(240, 360, 3252, 252);
} // namespace

frmPrinting::frmPrinting(const ImportProgress &state, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), state_(state)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("読込中"));
    // A window does not take its owner's font by itself.
    if (mainWindow)
        setFont(mainWindow->font());
    const double dpi = logicalDpiX();
    setFixedSize(twipsToPixels(kClientTwips, dpi));

    Label1 = new QLabel(QStringLiteral("お待ち下さい"), this);
    Label1->setGeometry(twipsToPixels(kLabel1Twips, dpi));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(twipsToPixels(kProgressBar1Twips, dpi));
    ProgressBar1->setTextVisible(false);
    Timer1 = new QTimer(this);
    Timer1->setInterval(kTimerPeriodMs);
    connect(Timer1, &QTimer::timeout, this, &frmPrinting::Timer1_Timer);

    Form_Load(mainWindow);
}

void frmPrinting::Form_Load(QWidget *mainWindow)
{
    if (mainWindow) {
        const int offset = twipsToPixels(kOffsetFromMainTwips, logicalDpiX());
        move(mainWindow->pos() + QPoint(offset, offset));
    }
    ProgressBar1->setRange(0, state_.intImportMax);
    ProgressBar1->setValue(0);
    Timer1->start();
}

void frmPrinting::Timer1_Timer() { ProgressBar1->setValue(state_.intImportPos); }

void frmPrinting::Form_Unload() { Timer1->stop(); }

void frmPrinting::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

} // namespace tolvarine
