#pragma once

#include <cstdint>

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

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

// One picture of a view window. It is decoded at the scale the window needs and
// that decode is kept, so that a resize refits from memory and decodes again only
// when it needs more pixels than it holds. Fitted and zoomed bitmaps are turned by
// the position's code and adjusted as the settings say.
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

    // The whole picture at a zoom that needs `across` device pixels for its turned
    // width: decoded at the smallest scale that gives them (at most full size),
    // turned and adjusted, not resized. Painting takes the part it shows.
    Outcome zoom(int across);
    const QImage &zoomImage() const { return zoomed_; }
    // Returning to the fitted view gives the large decode back.
    void releaseZoom();

    // The picture's stored size turned by the code; empty before the first fit.
    QSize turnedSize() const;
    QSize storedSize() const { return stored_; }
    // Decodes of the file so far.
    int decodeCount() const { return decodes_; }

private:
    QSize unturned(QSize turned) const;
    QSize decodeWanted(double scale) const;
    Outcome decodeInto(ImagingControl &control, QSize wanted);
    QImage finish(ImagingControl &work) const;

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

    ImagingControl zoomSource_; // a larger decode, only while zoomed in
    QImage zoomed_;
    qint64 zoomedFrom_ = 0; // cache key of the decode zoomed_ was made from
};

} // namespace tolvarine
