#include "viewer/ViewPicture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/FileSystem.h"
#include "store/StoreNames.h"

namespace tolvarine {

namespace {

constexpr int32_t kMinViewTwips = 1440;
constexpr int32_t kMaxViewTwips = 40 * 1440;

// The settings hold slider values; three times a value out of the 16-bit range
// (a hand-edited store) is held at its end instead of wrapping round.
int16_t timesThree(int32_t value)
{
    const long long product = 3LL * value;
    return int16_t(std::clamp<long long>(product, std::numeric_limits<int16_t>::min(),
                                         std::numeric_limits<int16_t>::max()));
}

// Whether a decode gives at least the wanted pixels, or is the whole picture and
// so the most there is.
bool covers(const ImagingControl &control, QSize wanted)
{
    if (control.image().isNull())
        return false;
    if (!control.isReducedScale())
        return true;
    return control.opBitmapWidth() >= wanted.width() && control.opBitmapHeight() >= wanted.height();
}

// Turns a decoded bitmap by the position's code and adjusts it. The control gets
// the only reference, so that the steps work in place; a step that fails (no
// memory for the turned copy) fails the whole.
Outcome finishView(QImage &image, PanelKind kind, int16_t code, const AppSettings &settings)
{
    ImagingControl work; // fresh: any failure it records is one of these steps
    work.setImage(image);
    image = QImage();
    turnByCode(work, kind, code);
    subAdjust(work, settings);
    if (!work.lastFailure().ok())
        return work.lastFailure();
    image = work.image();
    return Outcome::done();
}

int roundUpTo(int value, int step) { return (value + step - 1) / step * step; }

// The part of a picture of size `stored` one zoom decode takes at `reduction`:
// all of it when that fits kMostZoomPixels, else a rectangle of at most that many
// pixels with `visible`'s proportions around its centre, inside the picture (only
// a `visible` larger than that is taken as it is). In whole steps of the reduction,
// passing the right and bottom edges by less than a step.
QRect zoomRegion(QSize stored, const QRectF &visible, int reduction)
{
    const QSize steps(roundUpTo(stored.width(), reduction) / reduction,
                      roundUpTo(stored.height(), reduction) / reduction);
    if (qint64(steps.width()) * steps.height() <= kMostZoomPixels)
        return QRect(QPoint(0, 0), steps * reduction);
    const QRectF clipped = visible.intersected(QRectF(QPointF(0, 0), QSizeF(stored)));
    const QRectF inside(clipped.topLeft() / reduction, clipped.size() / reduction);
    const double grow = std::sqrt(double(kMostZoomPixels) / std::max(1.0, inside.width() * inside.height()));
    if (grow <= 1.0) {
        const QRect around = inside.toAlignedRect();
        return QRect(around.topLeft() * reduction, around.size() * reduction);
    }
    int width = std::min(steps.width(), int(inside.width() * grow));
    int height = std::min<qint64>(steps.height(), kMostZoomPixels / width);
    width = std::min<qint64>(steps.width(), kMostZoomPixels / height);
    const int x = std::clamp(int(std::lround(inside.center().x() - width / 2.0)), 0, steps.width() - width);
    const int y =
        std::clamp(int(std::lround(inside.center().y() - height / 2.0)), 0, steps.height() - height);
    return QRect(x * reduction, y * reduction, width * reduction, height * reduction);
}

} // namespace

bool ZoomTile::covers(const QRectF &visible, double wanted) const
{
    constexpr double kSlack = 1e-6;
    return !image.isNull() && scale >= wanted * (1 - kSlack)
           && turnedRect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(visible);
}

ZoomResult decodeZoom(const ZoomRequest &request, const std::function<bool()> &superseded)
{
    ZoomResult result;
    const auto stopped = [&] {
        if (!superseded || !superseded())
            return false;
        result.outcome = Outcome::failed(Status::Cancelled, request.path);
        return true;
    };
    if (stopped())
        return result;
    QImage image;
    {
        ImagingControl load;
        if (!load.opLoadRegion(request.path, request.region, request.reduction)) {
            result.outcome = load.lastFailure();
            return result;
        }
        image = load.image();
    }
    if (stopped())
        return result;
    if (Outcome finished = finishView(image, request.kind, request.code, request.settings); !finished) {
        result.outcome = std::move(finished);
        return result;
    }
    const double scale = request.turnedRect.width() > 0 ? image.width() / request.turnedRect.width() : 0;
    result.tile = ZoomTile{std::move(image), request.turnedRect, scale};
    result.outcome = Outcome::done(request.path);
    return result;
}

QSize viewWindowTwips(int32_t viewSize, bool portrait)
{
    const int32_t width = std::clamp(viewSize, kMinViewTwips, kMaxViewTwips);
    const int height = int(std::lround(width * 0.82));
    return portrait ? QSize(height, width) : QSize(width, height);
}

QString viewCaption(const QString &pictFolda, const QString &strFileName, const QDateTime &fileDate)
{
    return strFileName.mid(pictFolda.size()) + QStringLiteral(" - ") + visitDateText(fileDate)
           + QStringLiteral(" - View");
}

int16_t viewOrientationCode(const AppSettings &settings, PanelKind kind, int position)
{
    if (kind == PanelKind::Oral)
        return position >= 0 && position < int(settings.PictSyori.size())
                   ? settings.PictSyori[size_t(position)]
                   : int16_t(0);
    return position >= 0 && position < int(settings.FacePictSyori.size())
               ? settings.FacePictSyori[size_t(position)]
               : int16_t(0);
}

void subAdjust(ImagingControl &img1, const AppSettings &settings)
{
    if (settings.Contrast == 1)
        img1.opContrast(timesThree(settings.ContrastTi));
    if (settings.Kido == 1)
        img1.opBrightness(timesThree(settings.KidoTi));
    if (settings.RGB == 1 && img1.opSplitPlanes(0)) {
        const std::pair<int, int32_t> planes[] = {
            {2, settings.RedTi}, {1, settings.GreenTi}, {0, settings.BlueTi}};
        for (const auto &[plane, value] : planes) {
            img1.setOpBitmapHandle(img1.opColorPlane(plane));
            img1.opContrast(timesThree(value));
            img1.setOpColorPlane(plane, ImagingControl::kBitmapHandle);
        }
        img1.opMergePlanes(0);
    }
    img1.opFinish();
}

ViewPicture::ViewPicture(QString path, PanelKind kind, int16_t code, const AppSettings &settings)
    : path_(std::move(path)), kind_(kind), code_(code), settings_(settings)
{}

bool ViewPicture::turnsSideways() const { return tolvarine::turnsSideways(kind_, code_); }

QSize ViewPicture::turnedSize() const { return turnsSideways() ? stored_.transposed() : stored_; }

QSize ViewPicture::unturned(QSize turned) const { return turnsSideways() ? turned.transposed() : turned; }

Outcome ViewPicture::decodeInto(ImagingControl &control, QSize wanted)
{
    ++decodes_;
    if (!control.opLoadFile(path_, 0, 0, -1, wanted))
        return control.lastFailure();
    stored_ = control.storedSize();
    return Outcome::done(path_);
}

QTransform ViewPicture::turning() const
{
    // The same turns turnByCode gives the bitmap.
    const qreal w = stored_.width(), h = stored_.height();
    const bool face = kind_ == PanelKind::Face;
    switch (code_) {
    case 1:
        return QTransform(-1, 0, 0, -1, w, h);
    case 2:
        return QTransform(-1, 0, 0, 1, w, 0);
    case 3:
        return QTransform(1, 0, 0, -1, 0, h);
    case 4:
        return face ? QTransform(0, 1, -1, 0, h, 0) : QTransform();
    case 5:
        return face ? QTransform(0, -1, 1, 0, 0, w) : QTransform();
    default:
        return QTransform();
    }
}

Outcome ViewPicture::fit(QSize area)
{
    area = area.expandedTo(QSize(1, 1));
    if (!fitted_.isNull() && area == fittedArea_)
        return Outcome::unchanged(path_);
    if (stored_.isEmpty()) {
        // The header alone says how large the picture is, so that the first decode
        // can already be at the scale the area needs.
        QFile file;
        if (openRegularFile(path_, file)) {
            QImageReader header(&file);
            header.setAutoTransform(false);
            stored_ = header.size();
        }
    }
    QSize fitted = turnedSize().scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (!covers(source_, unturned(fitted))) {
        const QSize wanted = stored_.isEmpty() ? QSize() : unturned(fitted);
        if (const Outcome decoded = decodeInto(source_, wanted); !decoded)
            return decoded;
        fitted = turnedSize().scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }

    fitted_ = QImage();
    fittedArea_ = QSize();
    QImage image;
    {
        ImagingControl resize;
        resize.setImage(source_.image());
        const QSize target = unturned(fitted);
        if (!resize.opResize(float(target.width()), float(target.height()), firstFit_ ? 0 : 1))
            return resize.lastFailure();
        image = resize.image();
    }
    firstFit_ = false;
    if (Outcome finished = finishView(image, kind_, code_, settings_); !finished)
        return finished;
    fitted_ = std::move(image);
    fittedArea_ = area;
    return Outcome::done(path_);
}

std::optional<ZoomRequest> ViewPicture::zoomRequest(const QRectF &visible, double scale) const
{
    const QRectF shown = visible.intersected(QRectF(QPointF(0, 0), QSizeF(turnedSize())));
    if (shown.isEmpty() || !zoomFailure_.ok())
        return std::nullopt;
    const double wanted = std::clamp(scale, 0.0, 1.0);
    if (zoomTile_.covers(shown, wanted))
        return std::nullopt;
    int reduction = 8;
    while (reduction > 1 && 1.0 / reduction < wanted * (1 - 1e-6))
        reduction /= 2;
    ZoomRequest request{path_, kind_, code_, settings_, {}, reduction, {}};
    request.region = zoomRegion(stored_, turning().inverted().mapRect(shown), reduction);
    request.turnedRect = turning().mapRect(QRectF(request.region));
    return request;
}

void ViewPicture::takeZoom(ZoomResult result)
{
    if (result.outcome.status == Status::Cancelled)
        return;
    if (!result.outcome) {
        zoomFailure_ = std::move(result.outcome);
        return;
    }
    zoomTile_ = std::move(result.tile);
}

void ViewPicture::releaseZoom()
{
    zoomTile_ = ZoomTile();
    zoomFailure_ = Outcome();
}

} // namespace tolvarine
