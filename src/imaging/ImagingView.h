#pragma once

#include <memory>

#include <QImage>
#include <QWidget>

#include "imaging/ImagingControl.h"

namespace tolvarine {

// An element of a control array of imaging controls: shows its control's bitmap
// scaled into its rectangle, proportions kept, centred. Visible is the widget's
// visibility, ToolTipText its tooltip.
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
    void refresh() { update(); }

signals:
    // A click with the left button (the control's argument-less click).
    void clicked(int index);
    // Every mouse-button press: button, shift state, x and y in pixels.
    void mouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int index_;
    std::unique_ptr<ImagingControl> control_;
    bool pressedInside_ = false;
    // The bitmap scaled for the screen, remade when the bitmap or the size changes.
    QImage scaled_;
    qint64 scaledKey_ = 0;
};

} // namespace tolvarine
