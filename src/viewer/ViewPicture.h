#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>

#include "imaging/ImagingControl.h"
#include "platform/Outcome.h"
#include "settings/AppSettings.h"
#include "store/PanelFill.h"

namespace tolvarine {

// The view window's size from ViewSize, in twips: ViewSize wide and 0.82 of it high,
// or the other way round for a portrait (turned facial) picture. A ViewSize that
// would leave no usable window (zero, negative, absurdly large) is held to 1 to 40
// inches.
QSize viewWindowTwips(int32_t viewSize, bool portrait);
// The picture area is as wide as the window and this much less high.
inline constexpr int kViewAreaBandTwips = 50;

// The window caption: the path after as many characters as the picture folder
// has, the file's date as a visit date, then " - View".
QString viewCaption(const QString &pictFolda, const QString &strFileName, const QDateTime &fileDate);

// The orientation code the settings give a position; 0 for a position outside the panel.
int16_t viewOrientationCode(const AppSettings &settings, PanelKind kind, int position);

// Contrast, brightness and the three colour planes, in that order, each only when
// its switch is 1; the amounts are the settings times three.
void subAdjust(ImagingControl &img1, const AppSettings &settings);

// The most pixels one zoom decode holds: 100 MB at four bytes a pixel, below the
// image allocation limit Qt keeps for every decode (128 MB with Qt 6.4), so that
// the limit, which is the whole program's, stays as it is. A picture that would
// need more at the zoom's scale is decoded in part, around what the window shows.
inline constexpr qint64 kMostZoomPixels = 25'000'000;

// A part of a picture decoded for a zoom, turned and adjusted as the fitted bitmap.
struct ZoomTile {
    QImage image;
    QRectF turnedRect; // what it shows of the turned picture, in stored pixels
    double scale = 0;  // its pixels per stored pixel

    // Whether it shows all of `visible` (turned, stored pixels) with at least
    // `wanted` pixels per stored pixel.
    bool covers(const QRectF &visible, double wanted) const;
};

// One zoom decode, self-contained so that it can run on another thread.
struct ZoomRequest {
    QString path;
    PanelKind kind = PanelKind::Oral;
    int16_t code = 0;
    AppSettings settings;
    QRect region;      // stored pixels, in whole steps of the reduction
    int reduction = 1; // decoded at 1 / reduction of full size
    QRectF turnedRect; // the region turned by the code
};

struct ZoomResult {
    ZoomTile tile;
    Outcome outcome;
};

// Decodes, turns and adjusts a zoom request. `superseded` is asked between the
// steps, so that a decode a newer zoom has made useless stops early.
ZoomResult decodeZoom(const ZoomRequest &request, const std::function<bool()> &superseded = {});

// One picture of a view window. It is decoded at the scale the window needs and
// that decode is kept, so that a resize refits from memory and decodes again only
// when it needs more pixels than it holds. Fitted and zoomed bitmaps are turned by
// the position's code and adjusted as the settings say; a turn or an adjustment
// that fails fails the bitmap.
class ViewPicture {
public:
    ViewPicture(QString path, PanelKind kind, int16_t code, const AppSettings &settings);

    const QString &path() const { return path_; }
    PanelKind kind() const { return kind_; }
    int16_t code() const { return code_; }
    bool turnsSideways() const;

    // Fits the picture into an area of device pixels, proportions kept: the bitmap
    // is as wide or as high as the area. Fails when the file cannot be decoded.
    Outcome fit(QSize area);
    const QImage &fittedImage() const { return fitted_; }

    // The decode a zoom needs to show `visible` (a part of the turned picture, in
    // stored pixels) at `scale` device pixels per stored pixel: at the smallest
    // power-of-two reduction that gives them (at most full size), the whole picture
    // when that stays within kMostZoomPixels, else as much around `visible` as does.
    // nullopt when the tile held shows it already, or when a zoom decode failed.
    std::optional<ZoomRequest> zoomRequest(const QRectF &visible, double scale) const;
    // Keeps a decode's tile, or its failure (then no further zoom decode is asked).
    void takeZoom(ZoomResult result);
    const ZoomTile &zoomTile() const { return zoomTile_; }
    const Outcome &zoomFailure() const { return zoomFailure_; }
    // Returning to the fitted view gives the large decode back.
    void releaseZoom();

    // The picture's stored size turned by the code; empty before the first fit.
    QSize turnedSize() const;
    QSize storedSize() const { return stored_; }
    // Maps stored pixel coordinates to those of the turned picture.
    QTransform turning() const;
    // Decodes of the file for fitting so far.
    int decodeCount() const { return decodes_; }

private:
    QSize unturned(QSize turned) const;
    Outcome decodeInto(ImagingControl &control, QSize wanted);

    QString path_;
    PanelKind kind_;
    int16_t code_;
    AppSettings settings_;
    QSize stored_;
    int decodes_ = 0;
    bool firstFit_ = true;

    ImagingControl source_; // the decode fitting works from
    QImage fitted_;
    QSize fittedArea_;

    ZoomTile zoomTile_; // only while zoomed in
    Outcome zoomFailure_;
};

} // namespace tolvarine
