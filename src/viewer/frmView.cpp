#include "viewer/frmView.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSettings>

#include "platform/Twips.h"
#include "store/CaptureDate.h"
#include "viewer/ViewCanvas.h"
#include "viewer/ViewPicture.h"
#include "widgets/StoreMessages.h"
#include "widgets/WindowPlace.h"

namespace tolvarine {

namespace {

constexpr double kKeyZoomStep = 1.25;
// An arrow key moves a zoomed view by this share of the picture area.
constexpr double kArrowPanShare = 0.125;

} // namespace

frmView::frmView(const AppSettings &settings, QSettings &store, const BrowseState &state, QWidget *owner)
    : QWidget(owner, Qt::Window), settings_(settings), store_(store), state_(state)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("View"));
    setFocusPolicy(Qt::StrongFocus);
    Img1 = new ViewCanvas(this);
    Form_Load();
}

frmView::~frmView() = default;

void frmView::Form_Load()
{
    if (settings_.ViewIti == 1)
        place_.restore(store_, *this);
    sizeWindow(false);
    blnShown = false;
}

void frmView::sizeWindow(bool portrait)
{
    const QSize window = twipsToPixels(viewWindowTwips(settings_.ViewSize, portrait), logicalDpiX());
    resize(window);
    layoutImg1(window);
}

void frmView::layoutImg1(QSize windowPixels)
{
    const int band = twipsToPixels(kViewAreaBandTwips, logicalDpiX());
    Img1->setGeometry(0, 0, windowPixels.width(), std::max(0, windowPixels.height() - band));
}

void frmView::HyoujiOne(const QString &strFileName, int intPictNo)
{
    present(strFileName, intPictNo, PanelKind::Oral);
}

void frmView::HyoujiFace(const QString &strFileName, int intPictNo)
{
    present(strFileName, intPictNo, PanelKind::Face);
}

void frmView::present(const QString &strFileName, int intPictNo, PanelKind kind)
{
    Img1->hide();
    setCaption(strFileName);
    strViewFile = strFileName;
    intViewPos = int16_t(intPictNo);
    kind_ = kind;
    blnFaceMode = kind == PanelKind::Face;

    // The visits to step through are those of the patient listed now.
    if (kind == PanelKind::Oral) {
        oralFiles_ = state_.strOralFile;
        oralDates_ = state_.datOralFile;
        oralCount_ = state_.intOralCount;
    } else {
        faceFolder_ = QFileInfo(strFileName).absolutePath();
    }
    visits_.reset();
    comparing_ = false;
    other_.reset();

    opened_ = std::make_shared<ViewPicture>(strFileName, kind,
                                            viewOrientationCode(settings_, kind, intPictNo), settings_);
    // A turned facial picture stands upright in a portrait window; one that cannot
    // be loaded leaves the window as it opened.
    const bool portrait = opened_->turnsSideways();
    if (portrait)
        sizeWindow(true);
    showSingle(opened_);
    if (portrait && !blnShown)
        sizeWindow(false);
}

void frmView::setCaption(const QString &fileName)
{
    setWindowTitle(viewCaption(settings_.PictFolda, fileName, fileDateOrTell(fileName).value_or(zeroDate())));
}

// A picture that cannot be decoded leaves the caption and no picture.
void frmView::showSingle(std::shared_ptr<ViewPicture> picture, bool keepView)
{
    current_ = std::move(picture);
    strViewFile = current_->path();
    if (!Img1->showSingle(current_, keepView)) {
        Img1->hide();
        return;
    }
    const QSize stored = current_->storedSize();
    sngAspect = stored.width() > 0 ? float(stored.height()) / float(stored.width()) : 0.0f;
    Img1->show();
    blnShown = true;
}

void frmView::showPair()
{
    Img1->showPair(other_, visitDate(other_->path()), opened_, visitDate(opened_->path()), true);
    strViewFile = opened_->path();
    Img1->show();
    blnShown = true;
}

std::shared_ptr<ViewPicture> frmView::pictureFor(const QString &path)
{
    for (const auto &known : {opened_, current_, other_}) {
        if (known && known->path() == path)
            return known;
    }
    return std::make_shared<ViewPicture>(path, kind_, opened_->code(), settings_);
}

const std::vector<PositionVisit> &frmView::positionVisits()
{
    if (!visits_) {
        visits_ =
            kind_ == PanelKind::Oral
                ? oralPositionVisits(oralFiles_, oralDates_, oralCount_, settings_.Jyunban, intViewPos)
                : facePositionVisits(faceFolder_, settings_.FileHizuke, settings_.FaceJyunban, intViewPos);
    }
    return *visits_;
}

QString frmView::visitDate(const QString &path)
{
    const auto &visits = positionVisits();
    const std::optional<int> visit = visitShowing(visits, path);
    return visit ? visits[size_t(*visit)].date : QString();
}

void frmView::stepVisit(int direction)
{
    if (!opened_)
        return;
    const auto &visits = positionVisits();
    const std::shared_ptr<ViewPicture> &moving = comparing_ ? other_ : current_;
    const std::optional<int> from = visitShowing(visits, moving->path());
    std::optional<int> to = from ? steppedVisit(visits, *from, direction) : std::nullopt;
    // The left side passes over the visit the right side shows.
    if (comparing_ && to && visits[size_t(*to)].path == opened_->path())
        to = steppedVisit(visits, *to, direction);
    if (!to)
        return;
    std::shared_ptr<ViewPicture> picture = pictureFor(visits[size_t(*to)].path);
    // Stepping follows the same detail: a zoomed view stays zoomed on the same point.
    if (comparing_) {
        other_ = current_ = std::move(picture);
        showPair();
        return;
    }
    setCaption(picture->path());
    showSingle(std::move(picture), true);
}

// The pair shows, left, the visit the single view was stepped to, or else the
// nearest earlier (then later) visit with a picture at the position; right, the
// opened picture. Without another visit there is nothing to compare. Back in the
// single view, the picture last chosen (by the page keys, here or in the pair) stays.
void frmView::toggleCompare()
{
    if (!opened_)
        return;
    if (comparing_) {
        comparing_ = false;
        other_.reset();
        setCaption(current_->path());
        showSingle(current_, true);
        return;
    }
    std::shared_ptr<ViewPicture> left;
    if (current_ != opened_) {
        left = current_;
    } else {
        const auto &visits = positionVisits();
        const std::optional<int> from = visitShowing(visits, opened_->path());
        std::optional<int> to = from ? steppedVisit(visits, *from, -1) : std::nullopt;
        if (from && !to)
            to = steppedVisit(visits, *from, 1);
        if (!to)
            return;
        left = pictureFor(visits[size_t(*to)].path);
    }
    other_ = std::move(left);
    comparing_ = true;
    setCaption(opened_->path());
    showPair();
}

void frmView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = !(modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier));
    const int key = event->key();
    const QPointF arrow = key == Qt::Key_Left    ? QPointF(1, 0)
                          : key == Qt::Key_Right ? QPointF(-1, 0)
                          : key == Qt::Key_Up    ? QPointF(0, 1)
                          : key == Qt::Key_Down  ? QPointF(0, -1)
                                                 : QPointF();
    if (key == Qt::Key_Escape) {
        close();
    } else if (key == Qt::Key_PageUp) {
        stepVisit(-1);
    } else if (key == Qt::Key_PageDown) {
        stepVisit(1);
    } else if (key == Qt::Key_C
               && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        toggleCompare();
    } else if (event->matches(QKeySequence::ZoomIn)
               || (plain && (key == Qt::Key_Plus || key == Qt::Key_Equal))) {
        Img1->zoomAtPointer(kKeyZoomStep);
    } else if (event->matches(QKeySequence::ZoomOut) || (plain && key == Qt::Key_Minus)) {
        Img1->zoomAtPointer(1.0 / kKeyZoomStep);
    } else if (!arrow.isNull() && Img1->isZoomed() && modifiers == Qt::NoModifier) {
        Img1->panBy(QPointF(arrow.x() * Img1->width(), arrow.y() * Img1->height()) * kArrowPanShare);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void frmView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmView::Form_Resize()
{
    if (isMinimized())
        return;
    layoutImg1(size());
}

// Restoring a minimised window fits its picture again, whether or not the
// platform also reports a resize.
void frmView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && blnShown && !isMinimized()) {
        layoutImg1(size());
        Img1->refit();
    }
}

void frmView::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

void frmView::Form_Unload() { place_.save(store_, *this); }

} // namespace tolvarine
