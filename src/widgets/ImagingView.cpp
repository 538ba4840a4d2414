#include "widgets/ImagingView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tolvarine {

ImagingView::ImagingView(int index, QWidget *parent)
    : QWidget(parent), index_(index), control_(std::make_unique<ImagingControl>())
{
    // Reached by Tab only: a click must not take the focus from the box being typed in.
    setFocusPolicy(Qt::TabFocus);
}

ImagingView::~ImagingView() = default;

void ImagingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBitmap(painter);
    if (hasFocus()) {
        const int thickness = 2;
        painter.setPen(QPen(palette().color(QPalette::Highlight), thickness));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(rect()).adjusted(thickness / 2.0, thickness / 2.0, -thickness / 2.0, -thickness / 2.0));
    }
}

void ImagingView::refresh()
{
    if (sharpKey_ != control_->image().cacheKey())
        sharp_ = QImage();
    update();
}

QSize ImagingView::devicePictureSize() const
{
    const QImage &image = control_->image();
    if (image.isNull())
        return {};
    return (QSizeF(image.size().scaled(size(), Qt::KeepAspectRatio)) * devicePixelRatioF()).toSize();
}

void ImagingView::setSharpImage(const QImage &image, qint64 bitmapKey)
{
    if (bitmapKey != control_->image().cacheKey())
        return;
    sharp_ = image;
    sharpKey_ = bitmapKey;
    update();
}

const QImage &ImagingView::paintedImage() const
{
    const QImage &image = control_->image();
    return !sharp_.isNull() && sharpKey_ == image.cacheKey() ? sharp_ : image;
}

void ImagingView::paintBitmap(QPainter &painter)
{
    const QImage &image = control_->image();
    if (image.isNull() || width() <= 0 || height() <= 0)
        return;
    const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return;
    const QSize pixels = devicePictureSize();
    const QImage &source = paintedImage();
    // Scaling once per change beats letting every repaint resample a camera-sized bitmap.
    if (scaled_.isNull() || scaledKey_ != source.cacheKey() || scaled_.size() != pixels) {
        scaled_ = source.size() == pixels
                      ? source
                      : source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(devicePixelRatioF());
        scaledKey_ = source.cacheKey();
    }
    const QPoint topLeft((width() - fitted.width()) / 2, (height() - fitted.height()) / 2);
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

void ImagingView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        emit arrowPressed(index_, Qt::LeftArrow);
        return;
    case Qt::Key_Right:
        emit arrowPressed(index_, Qt::RightArrow);
        return;
    case Qt::Key_Up:
        emit arrowPressed(index_, Qt::UpArrow);
        return;
    case Qt::Key_Down:
        emit arrowPressed(index_, Qt::DownArrow);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked(index_);
        return;
    case Qt::Key_Menu:
        emit contextMenuRequested(index_);
        return;
    case Qt::Key_F10:
        if (modifiers == Qt::ShiftModifier) {
            emit contextMenuRequested(index_);
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

// Platforms that turn the menu key into a context-menu event themselves; the
// mouse's menu button already comes as mouseDown.
void ImagingView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        emit contextMenuRequested(index_);
    else
        event->ignore();
}

void ImagingView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ImagingView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tolvarine
