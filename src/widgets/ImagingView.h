#pragma once

#include <memory>

#include <QImage>
#include <QWidget>

#include "imaging/ImagingControl.h"

class QPainter;

namespace tolvarine {

// An element of a control array of imaging controls: shows its control's bitmap
// scaled into its rectangle, proportions kept, centred. Visible is the widget's
// visibility, ToolTipText its tooltip. Tab reaches it, and it marks its focus; the
// keys it is given are reported for its owner to act on.
class ImagingView : public QWidget {
    Q_OBJECT
public:
    explicit ImagingView(int index = 0, QWidget *parent = nullptr);
    ~ImagingView() override;

    int index() const { return index_; }
    ImagingControl &control() { return *control_; }
    const ImagingControl &control() const { return *control_; }

    void setToolTipText(const QString &text) { setToolTip(text); }
    QString toolTipText() const { return toolTip(); }

    // Repaint after the control's bitmap changed.
    void refresh();

    // The device pixels the control's bitmap is drawn at; empty without one.
    QSize devicePictureSize() const;
    // A sharper picture to draw in place of the control's bitmap with that cache
    // key, for as long as the control holds it. Only drawn: the control keeps its
    // own bitmap. Ignored when the control holds another bitmap by now.
    void setSharpImage(const QImage &image, qint64 bitmapKey);
    // What the control is drawn from: the sharper picture while it belongs to the
    // control's bitmap, else the bitmap.
    const QImage &paintedImage() const;

signals:
    // A click with the left button (the control's argument-less click).
    void clicked(int index);
    // Every mouse-button press: button, shift state, x and y in pixels.
    void mouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // An arrow key while it has the focus: move the focus that way.
    void arrowPressed(int index, Qt::ArrowType direction);
    // The context-menu key or Shift+F10 while it has the focus (Enter is a click).
    void contextMenuRequested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void paintBitmap(QPainter &painter);

    int index_;
    std::unique_ptr<ImagingControl> control_;
    bool pressedInside_ = false;
    // The bitmap scaled for the screen, remade when the bitmap or the size changes.
    QImage scaled_;
    qint64 scaledKey_ = 0;
    QImage sharp_;
    qint64 sharpKey_ = 0; // of the bitmap the sharper picture belongs to
};

} // namespace tolvarine
