#include "imaging/ImagingView.h"

#include <QMouseEvent>
#include <QPainter>

namespace tolvarine {

ImagingView::ImagingView(int index, QWidget *parent)
    : QWidget(parent), index_(index), control_(std::make_unique<ImagingControl>())
{
}

ImagingView::~ImagingView() = default;

void ImagingView::paintEvent(QPaintEvent *)
{
    const QImage &image = control_->image();
    if (image.isNull() || width() <= 0 || height() <= 0)
        return;
    const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(fitted) * ratio).toSize();
    // Scaling once per change beats letting every repaint resample a camera-sized bitmap.
    if (scaled_.isNull() || scaledKey_ != image.cacheKey() || scaled_.size() != pixels) {
        scaled_ = image.size() == pixels
                      ? image
                      : image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
        scaledKey_ = image.cacheKey();
    }
    const QPoint topLeft((width() - fitted.width()) / 2, (height() - fitted.height()) / 2);
    QPainter painter(this);
    painter.drawImage(QRect(topLeft, fitted), scaled_);
}

void ImagingView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressedInside_ = true;
    const QPoint at = event->position().toPoint();
    emit mouseDown(index_, event->button(), event->modifiers(), at.x(), at.y());
}

void ImagingView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = pressedInside_ && rect().contains(event->position().toPoint());
    pressedInside_ = false;
    if (click)
        emit clicked(index_);
}

} // namespace tolvarine
