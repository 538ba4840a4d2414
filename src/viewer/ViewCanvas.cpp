#include "viewer/ViewCanvas.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <optional>

#include <QCursor>
#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>

#include "viewer/ViewPicture.h"

namespace tolvarine {

namespace {

constexpr double kWheelStep = 1.25;
// Zooming stops where one picture pixel covers this many device pixels.
constexpr double kMostDevicePixelsPerPixel = 4.0;
const QColor kBackground(32, 32, 32);
constexpr int kPaneGap = 4; // between the two pictures of a pair

// Draws the part of an image placed at `placed` that falls within `clip`.
void drawPart(QPainter &painter, const QRectF &placed, const QImage &image, const QRectF &clip)
{
    const QRectF target = placed.intersected(clip);
    if (image.isNull() || target.isEmpty())
        return;
    const double sx = image.width() / placed.width(), sy = image.height() / placed.height();
    const QRectF source((target.x() - placed.x()) * sx, (target.y() - placed.y()) * sy, target.width() * sx,
                        target.height() * sy);
    painter.drawImage(target, image, source);
}

QString zoomFailureText(const Outcome &failure)
{
    QString reason;
    switch (failure.status) {
    case Status::Missing:
        reason = QStringLiteral("ファイルが見つかりません");
        break;
    case Status::Refused:
        reason = QStringLiteral("画像が大きすぎるか、メモリが足りません");
        break;
    default:
        reason = QStringLiteral("画像を読み込めません");
        break;
    }
    return QStringLiteral("拡大画像を表示できません（%1）。縮小画像のまま表示しています。").arg(reason);
}

} // namespace

// The zoom decodes of one pane: one running and at most the newest one waiting, so
// that fast wheeling never piles decodes up. A decode that a newer one supersedes
// stops at its next step and its result is dropped.
class ZoomDecoder {
public:
    explicit ZoomDecoder(std::function<void(ZoomResult)> landed) : landed_(std::move(landed))
    {
        QObject::connect(&watcher_, &QFutureWatcherBase::finished, &watcher_, [this] { finished(); });
    }
    ~ZoomDecoder() { stop(); }

    void want(ZoomRequest request, const QRectF &visible, double scale)
    {
        if (running_ && !stale_->load() && 1.0 / running_->reduction >= scale * (1 - 1e-6)
            && running_->turnedRect.contains(visible)) {
            waiting_.reset();
            return;
        }
        if (running_) {
            stale_->store(true);
            waiting_ = std::move(request);
            return;
        }
        start(std::move(request));
    }
    void settle() { waiting_.reset(); }
    void stop()
    {
        waiting_.reset();
        if (running_)
            stale_->store(true);
    }
    bool busy() const { return running_.has_value() || waiting_.has_value(); }

private:
    void start(ZoomRequest request)
    {
        running_ = request;
        stale_ = std::make_shared<std::atomic<bool>>(false);
        watcher_.setFuture(QtConcurrent::run([request = std::move(request), stale = stale_] {
            return decodeZoom(request, [stale] { return stale->load(); });
        }));
    }
    void finished()
    {
        const bool superseded = stale_->load();
        ZoomResult result = watcher_.result();
        running_.reset();
        if (waiting_) {
            ZoomRequest next = std::move(*waiting_);
            waiting_.reset();
            start(std::move(next));
        }
        if (!superseded)
            landed_(std::move(result));
    }

    std::function<void(ZoomResult)> landed_;
    QFutureWatcher<ZoomResult> watcher_;
    std::optional<ZoomRequest> running_, waiting_;
    std::shared_ptr<std::atomic<bool>> stale_;
};

ViewCanvas::ViewCanvas(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ViewCanvas::~ViewCanvas() = default;

bool ViewCanvas::showSingle(std::shared_ptr<ViewPicture> picture, bool keepView)
{
    showPictures({std::move(picture)}, {QString()}, keepView);
    return panes_.front().ok;
}

void ViewCanvas::showPair(std::shared_ptr<ViewPicture> left, const QString &leftLabel,
                          std::shared_ptr<ViewPicture> right, const QString &rightLabel, bool keepView)
{
    showPictures({std::move(left), std::move(right)}, {leftLabel, rightLabel}, keepView);
}

void ViewCanvas::showPictures(std::vector<std::shared_ptr<ViewPicture>> pictures, const QStringList &labels,
                              bool keepView)
{
    if (!keepView)
        resetZoom();
    // A picture no longer shown gives its zoom decode back.
    for (Pane &pane : panes_) {
        if (pane.picture && std::find(pictures.begin(), pictures.end(), pane.picture) == pictures.end())
            pane.picture->releaseZoom();
    }
    panes_.clear();
    for (size_t i = 0; i < pictures.size(); ++i) {
        Pane pane{std::move(pictures[i]), labels.value(int(i)), {}, {}, false, nullptr};
        std::weak_ptr<ViewPicture> shown = pane.picture;
        pane.decoder = std::make_unique<ZoomDecoder>([this, shown](ZoomResult result) {
            if (const auto picture = shown.lock(); picture && isZoomed()) {
                picture->takeZoom(std::move(result));
                update();
            }
            emit zoomDecoded();
        });
        panes_.push_back(std::move(pane));
    }
    layoutPanes();
    for (Pane &pane : panes_)
        fitPane(pane);
    if (std::none_of(panes_.begin(), panes_.end(), [](const Pane &pane) { return pane.ok; }))
        resetZoom();
    clampCentre();
    viewChanged();
}

void ViewCanvas::refit()
{
    // A new size starts again from the fitted view.
    resetZoom();
    layoutPanes();
    for (Pane &pane : panes_)
        fitPane(pane);
    update();
}

int ViewCanvas::labelHeight() const { return fontMetrics().height() + 6; }

void ViewCanvas::layoutPanes()
{
    if (panes_.size() == 1) {
        panes_.front().area = rect();
        return;
    }
    const int band = std::min(labelHeight(), height());
    const int half = width() / 2;
    for (size_t i = 0; i < panes_.size(); ++i) {
        const int left = i == 0 ? 0 : std::min(width(), half + kPaneGap / 2);
        const int right = i == 0 ? std::max(0, half - kPaneGap / 2) : width();
        panes_[i].area = QRect(left, band, right - left, height() - band);
    }
}

void ViewCanvas::fitPane(Pane &pane)
{
    pane.ok = false;
    pane.fitted = QRectF();
    if (!pane.picture || pane.area.isEmpty())
        return;
    const double ratio = devicePixelRatioF();
    const QSize device(int(std::lround(pane.area.width() * ratio)),
                       int(std::lround(pane.area.height() * ratio)));
    if (!pane.picture->fit(device))
        return;
    const QSizeF shown = QSizeF(pane.picture->fittedImage().size()) / ratio;
    pane.fitted =
        QRectF(pane.area.x() + (pane.area.width() - shown.width()) / 2.0,
               pane.area.y() + (pane.area.height() - shown.height()) / 2.0, shown.width(), shown.height());
    pane.ok = true;
}

const ViewCanvas::Pane *ViewCanvas::paneAt(QPointF at) const
{
    for (const Pane &pane : panes_) {
        if (pane.ok && QRectF(pane.area).contains(at))
            return &pane;
    }
    return nullptr;
}

QRectF ViewCanvas::placement(const Pane &pane) const
{
    if (zoom_ <= 1.0)
        return pane.fitted;
    const QSizeF size = pane.fitted.size() * zoom_;
    const QPointF middle = QRectF(pane.area).center();
    return QRectF(middle.x() - centre_.x() * size.width(), middle.y() - centre_.y() * size.height(),
                  size.width(), size.height());
}

// A picture larger than its area keeps it covered; a smaller one stays in its
// middle. Where the two pictures of a pair would disagree, they meet half way.
void ViewCanvas::clampCentre()
{
    double low[2] = {0.0, 0.0}, high[2] = {1.0, 1.0};
    for (const Pane &pane : panes_) {
        if (!pane.ok)
            continue;
        const double extent[2] = {pane.fitted.width() * zoom_, pane.fitted.height() * zoom_};
        const double room[2] = {double(pane.area.width()), double(pane.area.height())};
        for (int axis = 0; axis < 2; ++axis) {
            const double edge = extent[axis] <= room[axis] ? 0.5 : room[axis] / 2.0 / extent[axis];
            low[axis] = std::max(low[axis], edge);
            high[axis] = std::min(high[axis], 1.0 - edge);
        }
    }
    auto clampAxis = [](double value, double lo, double hi) {
        return lo > hi ? (lo + hi) / 2.0 : std::clamp(value, lo, hi);
    };
    centre_ = QPointF(clampAxis(centre_.x(), low[0], high[0]), clampAxis(centre_.y(), low[1], high[1]));
}

void ViewCanvas::zoomAt(double factor, QPointF around)
{
    if (!(factor > 0) || std::none_of(panes_.begin(), panes_.end(), [](const Pane &p) { return p.ok; }))
        return;
    const double ratio = devicePixelRatioF();
    double most = 1.0;
    for (const Pane &pane : panes_) {
        if (pane.ok)
            most = std::max(most, kMostDevicePixelsPerPixel * pane.picture->turnedSize().width()
                                      / (pane.fitted.width() * ratio));
    }
    const double next = std::clamp(zoom_ * factor, 1.0, most);
    if (next <= 1.0 + 1e-9) {
        resetZoom();
        return;
    }
    // The picture point under `around` stays under it; outside the pictures, the
    // point in the middle stays.
    const Pane *under = paneAt(around);
    if (!under) {
        under = &*std::find_if(panes_.begin(), panes_.end(), [](const Pane &p) { return p.ok; });
        around = QRectF(under->area).center();
    }
    const QRectF before = placement(*under);
    const QPointF share((around.x() - before.x()) / before.width(),
                        (around.y() - before.y()) / before.height());
    zoom_ = next;
    const QSizeF size = under->fitted.size() * zoom_;
    const QPointF middle = QRectF(under->area).center();
    centre_ = QPointF(share.x() - (around.x() - middle.x()) / size.width(),
                      share.y() - (around.y() - middle.y()) / size.height());
    clampCentre();
    viewChanged();
}

void ViewCanvas::zoomAtPointer(double factor)
{
    QPointF at = mapFromGlobal(QCursor::pos());
    if (!rect().contains(at.toPoint()))
        at = QRectF(rect()).center();
    zoomAt(factor, at);
}

void ViewCanvas::resetZoom()
{
    for (Pane &pane : panes_) {
        pane.decoder->stop();
        if (pane.picture)
            pane.picture->releaseZoom();
    }
    zoom_ = 1.0;
    centre_ = QPointF(0.5, 0.5);
    dragging_ = false;
    updateCursor();
    update();
}

void ViewCanvas::panBy(QPointF distance)
{
    const Pane *pane = paneAt(dragging_ ? dragFrom_ : QRectF(rect()).center());
    if (!pane)
        pane = panes_.empty() || !panes_.front().ok ? nullptr : &panes_.front();
    if (zoom_ <= 1.0 || !pane)
        return;
    const QSizeF size = pane->fitted.size() * zoom_;
    centre_ -= QPointF(distance.x() / size.width(), distance.y() / size.height());
    clampCentre();
    viewChanged();
}

void ViewCanvas::viewChanged()
{
    updateCursor();
    askSharper();
    update();
}

// Each pane asks for the decode its part of its picture needs at its own scale.
void ViewCanvas::askSharper()
{
    if (zoom_ <= 1.0)
        return;
    const double ratio = devicePixelRatioF();
    for (Pane &pane : panes_) {
        const QSize turned = pane.ok ? pane.picture->turnedSize() : QSize();
        if (turned.isEmpty())
            continue;
        const QRectF visible = visiblePart(pane);
        if (visible.isEmpty())
            continue;
        const double scale = std::min(1.0, placement(pane).width() / turned.width() * ratio);
        if (std::optional<ZoomRequest> request = pane.picture->zoomRequest(visible, scale))
            pane.decoder->want(std::move(*request), visible, scale);
        else
            pane.decoder->settle();
    }
}

// What a pane shows of its picture: turned, in stored pixels.
QRectF ViewCanvas::visiblePart(const Pane &pane) const
{
    const QRectF whole = placement(pane);
    const QRectF shown = whole.intersected(QRectF(pane.area));
    if (shown.isEmpty() || !pane.ok)
        return {};
    const double perPixel = whole.width() / pane.picture->turnedSize().width();
    return QRectF((shown.topLeft() - whole.topLeft()) / perPixel, shown.size() / perPixel);
}

void ViewCanvas::updateCursor()
{
    if (zoom_ > 1.0)
        setCursor(dragging_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
    else
        unsetCursor();
}

QImage ViewCanvas::fittedImage(int pane) const
{
    if (pane < 0 || pane >= paneCount() || !panes_[size_t(pane)].ok)
        return {};
    return panes_[size_t(pane)].picture->fittedImage();
}

QRectF ViewCanvas::pictureRect(int pane) const
{
    return pane >= 0 && pane < paneCount() && panes_[size_t(pane)].ok ? placement(panes_[size_t(pane)])
                                                                      : QRectF();
}

QString ViewCanvas::paneLabel(int pane) const
{
    return pane >= 0 && pane < paneCount() ? panes_[size_t(pane)].label : QString();
}

QRect ViewCanvas::paneArea(int pane) const
{
    return pane >= 0 && pane < paneCount() ? panes_[size_t(pane)].area : QRect();
}

QPointF ViewCanvas::picturePointAt(QPointF at) const
{
    const Pane *pane = paneAt(at);
    if (!pane)
        pane = panes_.empty() || !panes_.front().ok ? nullptr : &panes_.front();
    if (!pane)
        return {};
    const QRectF whole = placement(*pane);
    return (at - whole.topLeft()) * (pane->picture->turnedSize().width() / whole.width());
}

QString ViewCanvas::zoomNotice(int pane) const
{
    if (pane < 0 || pane >= paneCount() || zoom_ <= 1.0)
        return {};
    const Outcome &failure = panes_[size_t(pane)].picture->zoomFailure();
    return failure.ok() ? QString() : zoomFailureText(failure);
}

double ViewCanvas::shownScale(int pane) const
{
    if (pane < 0 || pane >= paneCount() || !panes_[size_t(pane)].ok)
        return 0;
    const ViewPicture &picture = *panes_[size_t(pane)].picture;
    const ZoomTile &tile = picture.zoomTile();
    if (zoom_ > 1.0 && tile.covers(visiblePart(panes_[size_t(pane)]), tile.scale))
        return tile.scale;
    return double(picture.fittedImage().width()) / picture.turnedSize().width();
}

bool ViewCanvas::isDecoding() const
{
    return std::any_of(panes_.begin(), panes_.end(), [](const Pane &pane) { return pane.decoder->busy(); });
}

void ViewCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    for (size_t i = 0; i < panes_.size(); ++i) {
        const Pane &pane = panes_[i];
        painter.setPen(Qt::white);
        if (!pane.label.isEmpty())
            painter.drawText(QRect(pane.area.x(), 0, pane.area.width(), pane.area.y()), Qt::AlignCenter,
                             pane.label);
        if (!pane.ok)
            continue;
        if (zoom_ <= 1.0) {
            painter.drawImage(pane.fitted, pane.picture->fittedImage());
            continue;
        }
        // The fitted bitmap enlarged at once; the sharper decode over it where it reaches.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF whole = placement(pane);
        const QRectF clip = whole.intersected(QRectF(pane.area));
        drawPart(painter, whole, pane.picture->fittedImage(), clip);
        const ZoomTile &tile = pane.picture->zoomTile();
        const double perPixel = whole.width() / pane.picture->turnedSize().width();
        drawPart(
            painter,
            QRectF(whole.topLeft() + tile.turnedRect.topLeft() * perPixel, tile.turnedRect.size() * perPixel),
            tile.image, clip);
        if (const QString notice = zoomNotice(int(i)); !notice.isEmpty()) {
            const QRect band(pane.area.x(), pane.area.bottom() - labelHeight() * 2 + 1, pane.area.width(),
                             labelHeight() * 2);
            painter.fillRect(band, QColor(0, 0, 0, 180));
            painter.drawText(band.adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextWordWrap, notice);
        }
    }
}

void ViewCanvas::resizeEvent(QResizeEvent *)
{
    if (!panes_.empty())
        refit();
}

void ViewCanvas::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || !paneAt(event->position())) {
        event->ignore();
        return;
    }
    zoomAt(std::pow(kWheelStep, steps), event->position());
    event->accept();
}

void ViewCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || zoom_ <= 1.0 || !paneAt(event->position())) {
        event->ignore();
        return;
    }
    dragging_ = true;
    dragFrom_ = event->position();
    updateCursor();
}

void ViewCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging_)
        return;
    const QPointF distance = event->position() - dragFrom_;
    panBy(distance);
    dragFrom_ = event->position();
}

void ViewCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        updateCursor();
    }
}

void ViewCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        resetZoom();
}

} // namespace tolvarine
