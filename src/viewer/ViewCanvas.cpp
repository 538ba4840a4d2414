#include "viewer/ViewCanvas.h"

#include <algorithm>
#include <cmath>

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "viewer/ViewPicture.h"

namespace tolvarine {

namespace {

constexpr double kWheelStep = 1.25;
// Zooming stops where one picture pixel covers this many device pixels.
constexpr double kMostDevicePixelsPerPixel = 4.0;
const QColor kBackground(32, 32, 32);
constexpr int kPaneGap = 4; // between the two pictures of a pair

} // namespace

ViewCanvas::ViewCanvas(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ViewCanvas::~ViewCanvas() = default;

bool ViewCanvas::showSingle(std::shared_ptr<ViewPicture> picture)
{
    resetZoom();
    panes_.clear();
    panes_.push_back(Pane{std::move(picture), QString(), {}, {}, false});
    layoutPanes();
    fitPane(panes_.front());
    update();
    return panes_.front().ok;
}

void ViewCanvas::showPair(std::shared_ptr<ViewPicture> left, const QString &leftLabel,
                          std::shared_ptr<ViewPicture> right, const QString &rightLabel)
{
    resetZoom();
    panes_.clear();
    panes_.push_back(Pane{std::move(left), leftLabel, {}, {}, false});
    panes_.push_back(Pane{std::move(right), rightLabel, {}, {}, false});
    layoutPanes();
    for (Pane &pane : panes_)
        fitPane(pane);
    update();
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
    pane.placed = QRectF();
    if (!pane.picture || pane.area.isEmpty())
        return;
    const double ratio = devicePixelRatioF();
    const QSize device(int(std::lround(pane.area.width() * ratio)),
                       int(std::lround(pane.area.height() * ratio)));
    if (!pane.picture->fit(device))
        return;
    const QSizeF shown = QSizeF(pane.picture->fittedImage().size()) / ratio;
    pane.placed =
        QRectF(pane.area.x() + (pane.area.width() - shown.width()) / 2.0,
               pane.area.y() + (pane.area.height() - shown.height()) / 2.0, shown.width(), shown.height());
    pane.ok = true;
}

double ViewCanvas::fittedScale() const
{
    const Pane &pane = panes_.front();
    const QSize turned = pane.picture->turnedSize();
    return turned.isEmpty() ? 1.0 : pane.placed.width() / turned.width();
}

void ViewCanvas::zoomAt(double factor, QPointF around)
{
    if (panes_.size() != 1 || !panes_.front().ok || !(factor > 0))
        return;
    ViewPicture &picture = *panes_.front().picture;
    const double ratio = devicePixelRatioF();
    const double fitted = fittedScale();
    const double most = std::max(1.0, kMostDevicePixelsPerPixel / (fitted * ratio));
    const double next = std::clamp(zoom_ * factor, 1.0, most);
    if (next <= 1.0 + 1e-9) {
        resetZoom();
        return;
    }
    if (zoom_ <= 1.0)
        origin_ = panes_.front().placed.topLeft();
    // The picture point under the pointer stays under it.
    const QPointF under = (around - origin_) / (fitted * zoom_);
    const double scale = fitted * next;
    if (!picture.zoom(int(std::ceil(picture.turnedSize().width() * scale * ratio)))) {
        resetZoom();
        return;
    }
    zoom_ = next;
    origin_ = around - under * scale;
    clampOrigin();
    updateCursor();
    update();
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
    if (zoom_ != 1.0 && panes_.size() == 1)
        panes_.front().picture->releaseZoom();
    zoom_ = 1.0;
    dragging_ = false;
    updateCursor();
    update();
}

void ViewCanvas::clampOrigin()
{
    const QSizeF shown = QSizeF(panes_.front().picture->turnedSize()) * (fittedScale() * zoom_);
    auto clampAxis = [](double origin, double extent, double room) {
        return extent <= room ? (room - extent) / 2.0 : std::clamp(origin, room - extent, 0.0);
    };
    origin_ = QPointF(clampAxis(origin_.x(), shown.width(), width()),
                      clampAxis(origin_.y(), shown.height(), height()));
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
    return pane >= 0 && pane < paneCount() ? panes_[size_t(pane)].placed : QRectF();
}

QString ViewCanvas::paneLabel(int pane) const
{
    return pane >= 0 && pane < paneCount() ? panes_[size_t(pane)].label : QString();
}

QPointF ViewCanvas::picturePointAt(QPointF at) const
{
    if (panes_.size() != 1 || !panes_.front().ok)
        return {};
    const QPointF topLeft = zoom_ > 1.0 ? origin_ : panes_.front().placed.topLeft();
    return (at - topLeft) / (fittedScale() * zoom_);
}

void ViewCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (zoom_ > 1.0 && panes_.size() == 1) {
        const ViewPicture &picture = *panes_.front().picture;
        const QImage &image = picture.zoomImage();
        const double scale = fittedScale() * zoom_;
        const QRectF whole(origin_, QSizeF(picture.turnedSize()) * scale);
        const QRectF target = whole.intersected(QRectF(rect()));
        if (image.isNull() || target.isEmpty())
            return;
        // Only the part in view is resampled, from a decode no larger than the zoom needs.
        const double perPixel = double(image.width()) / picture.turnedSize().width() / scale;
        const QRectF source((target.topLeft() - origin_) * perPixel, target.size() * perPixel);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image, source);
        return;
    }
    for (const Pane &pane : panes_) {
        if (pane.ok)
            painter.drawImage(pane.placed, pane.picture->fittedImage());
        if (!pane.label.isEmpty()) {
            painter.setPen(Qt::white);
            painter.drawText(QRect(pane.area.x(), 0, pane.area.width(), pane.area.y()), Qt::AlignCenter,
                             pane.label);
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
    if (steps == 0 || panes_.size() != 1) {
        event->ignore();
        return;
    }
    zoomAt(std::pow(kWheelStep, steps), event->position());
    event->accept();
}

void ViewCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || zoom_ <= 1.0) {
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
    origin_ += event->position() - dragFrom_;
    dragFrom_ = event->position();
    clampOrigin();
    update();
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
