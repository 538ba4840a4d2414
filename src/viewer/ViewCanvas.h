#pragma once

#include <memory>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tolvarine {

class ViewPicture;

// The picture area of a view window (Img1): one picture fitted into it, which the
// wheel zooms around the pointer and a drag pans, or two pictures side by side,
// each fitted and captioned. Fitted bitmaps have the device pixels they are shown
// at (the window's pixels times its device pixel ratio) and are painted 1:1.
class ViewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ViewCanvas(QWidget *parent = nullptr);
    ~ViewCanvas() override;

    // Shows one picture fitted; false when it cannot be decoded (nothing is shown).
    bool showSingle(std::shared_ptr<ViewPicture> picture);
    // Shows two pictures side by side, each with its caption above it.
    void showPair(std::shared_ptr<ViewPicture> left, const QString &leftLabel,
                  std::shared_ptr<ViewPicture> right, const QString &rightLabel);
    // Fits again to the present size (after a resize, a restore).
    void refit();

    // Zooming applies to a single picture only; 1 is fitted.
    double zoomFactor() const { return zoom_; }
    void zoomAt(double factor, QPointF around);
    void zoomAtPointer(double factor);
    void resetZoom();

    int paneCount() const { return int(panes_.size()); }
    QImage fittedImage(int pane = 0) const;
    // Where a pane's picture is drawn, in this widget's coordinates.
    QRectF pictureRect(int pane = 0) const;
    QString paneLabel(int pane) const;
    // The point of the single picture (turned, in its stored pixels) under a point of this widget.
    QPointF picturePointAt(QPointF at) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct Pane {
        std::shared_ptr<ViewPicture> picture;
        QString label;
        QRect area;    // where the pane may draw, logical pixels
        QRectF placed; // where its picture is drawn
        bool ok = false;
    };

    int labelHeight() const;
    void layoutPanes();
    void fitPane(Pane &pane);
    double fittedScale() const; // logical pixels per picture pixel when fitted
    void clampOrigin();
    void updateCursor();

    std::vector<Pane> panes_;
    double zoom_ = 1.0;
    QPointF origin_; // top-left of the zoomed picture
    bool dragging_ = false;
    QPointF dragFrom_;
};

} // namespace tolvarine
