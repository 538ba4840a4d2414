#pragma once

#include <memory>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace tolvarine {

class ViewPicture;
class ZoomDecoder;

// The picture area of a view window (Img1): one picture fitted into it, or two
// side by side, each fitted and captioned. The wheel zooms around the pointer and
// a drag pans; the two pictures of a pair zoom and pan together, each at the same
// share of its own fitted size and centred on the same point of its picture (as a
// share of its width and height), so that both show the same detail. Fitted bitmaps
// have the device pixels they are shown at and are painted 1:1; a zoomed picture is
// painted from its fitted bitmap at once and from a sharper decode, made on another
// thread, when that is ready.
class ViewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ViewCanvas(QWidget *parent = nullptr);
    ~ViewCanvas() override;

    // Shows one picture; false when it cannot be decoded (nothing is shown). With
    // keepView a zoomed view stays zoomed as far, on the same point; otherwise, and
    // when nothing was zoomed, the picture is fitted.
    bool showSingle(std::shared_ptr<ViewPicture> picture, bool keepView = false);
    // Shows two pictures side by side, each with its caption above it.
    void showPair(std::shared_ptr<ViewPicture> left, const QString &leftLabel,
                  std::shared_ptr<ViewPicture> right, const QString &rightLabel, bool keepView = false);
    // Fits again to the present size (after a resize, a restore).
    void refit();

    // 1 is fitted.
    double zoomFactor() const { return zoom_; }
    bool isZoomed() const { return zoom_ > 1.0; }
    void zoomAt(double factor, QPointF around);
    void zoomAtPointer(double factor);
    void resetZoom();
    // Moves zoomed pictures by a distance in this widget's pixels.
    void panBy(QPointF distance);

    int paneCount() const { return int(panes_.size()); }
    QImage fittedImage(int pane = 0) const;
    // Where a pane's whole picture is drawn now, in this widget's coordinates.
    QRectF pictureRect(int pane = 0) const;
    QString paneLabel(int pane) const;
    // Where a pane may draw its picture, below its caption.
    QRect paneArea(int pane) const;
    // The point of a picture (turned, in its stored pixels) under a point of this
    // widget, in the pane there (the first when none is).
    QPointF picturePointAt(QPointF at) const;
    // Why a zoomed pane has no sharper picture than its fitted one; empty when none failed.
    QString zoomNotice(int pane = 0) const;
    // Pixels per stored pixel of the bitmap a pane shows its visible part from: the
    // fitted bitmap's, or the sharper decode's once that covers it.
    double shownScale(int pane = 0) const;
    // Whether a zoom decode is running or waiting.
    bool isDecoding() const;

signals:
    // A zoom decode has ended: its sharper picture is painted, or its failure told.
    void zoomDecoded();

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
        QRectF fitted; // where its picture is drawn when fitted
        bool ok = false;
        std::unique_ptr<ZoomDecoder> decoder;
    };

    void showPictures(std::vector<std::shared_ptr<ViewPicture>> pictures, const QStringList &labels,
                      bool keepView);
    int labelHeight() const;
    void layoutPanes();
    void fitPane(Pane &pane);
    const Pane *paneAt(QPointF at) const;
    QRectF placement(const Pane &pane) const;
    QRectF visiblePart(const Pane &pane) const;
    void clampCentre();
    void viewChanged();
    void askSharper();
    void updateCursor();

    std::vector<Pane> panes_;
    double zoom_ = 1.0;
    QPointF centre_{0.5, 0.5}; // the picture point at the middle of each pane, as shares
    bool dragging_ = false;
    QPointF dragFrom_;
};

} // namespace tolvarine
