#include "viewer/ViewPicture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include <QFileInfo>
#include <QImageReader>

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

} // namespace

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

bool ViewPicture::turnsSideways() const { return kind_ == PanelKind::Face && (code_ == 4 || code_ == 5); }

QSize ViewPicture::turnedSize() const { return turnsSideways() ? stored_.transposed() : stored_; }

QSize ViewPicture::unturned(QSize turned) const { return turnsSideways() ? turned.transposed() : turned; }

// The decode size that gives the stored picture at a scale, rounded up.
QSize ViewPicture::decodeWanted(double scale) const
{
    return QSize(int(std::ceil(stored_.width() * scale)), int(std::ceil(stored_.height() * scale)));
}

Outcome ViewPicture::decodeInto(ImagingControl &control, QSize wanted)
{
    ++decodes_;
    if (!control.opLoadFile(path_, 0, 0, -1, wanted))
        return control.lastFailure();
    stored_ = control.storedSize();
    return Outcome::done(path_);
}

QImage ViewPicture::finish(ImagingControl &work) const
{
    turnByCode(work, kind_, code_);
    subAdjust(work, settings_);
    return work.image();
}

Outcome ViewPicture::fit(QSize area)
{
    area = area.expandedTo(QSize(1, 1));
    if (!fitted_.isNull() && area == fittedArea_)
        return Outcome::unchanged(path_);
    if (stored_.isEmpty()) {
        // The header alone says how large the picture is, so that the first decode
        // can already be at the scale the area needs.
        QImageReader header(path_);
        header.setAutoTransform(false);
        stored_ = header.size();
    }
    QSize fitted = turnedSize().scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (!covers(source_, unturned(fitted))) {
        const QSize wanted = stored_.isEmpty() ? QSize() : unturned(fitted);
        if (const Outcome decoded = decodeInto(source_, wanted); !decoded)
            return decoded;
        fitted = turnedSize().scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }

    ImagingControl work;
    work.setImage(source_.image());
    const QSize target = unturned(fitted);
    work.opResize(float(target.width()), float(target.height()), firstFit_ ? 0 : 1);
    firstFit_ = false;
    fitted_ = finish(work);
    fittedArea_ = area;
    return Outcome::done(path_);
}

Outcome ViewPicture::zoom(int across)
{
    const QSize turned = turnedSize();
    if (turned.isEmpty())
        return Outcome::failed(Status::Missing, path_);
    across = std::clamp(across, 1, turned.width());
    const QSize wanted = decodeWanted(double(across) / turned.width());
    ImagingControl *from = &source_;
    if (!covers(source_, wanted)) {
        from = &zoomSource_;
        if (!covers(zoomSource_, wanted)) {
            zoomed_ = QImage();
            if (const Outcome decoded = decodeInto(zoomSource_, wanted); !decoded)
                return decoded;
        }
    }
    // One turned, adjusted bitmap serves every zoom its decode is large enough for.
    if (!zoomed_.isNull() && zoomedFrom_ == from->image().cacheKey())
        return Outcome::unchanged(path_);
    ImagingControl work;
    work.setImage(from->image());
    zoomed_ = finish(work);
    zoomedFrom_ = from->image().cacheKey();
    return Outcome::done(path_);
}

void ViewPicture::releaseZoom()
{
    zoomSource_.setOpBitmapHandle(0);
    zoomed_ = QImage();
    zoomedFrom_ = 0;
}

} // namespace tolvarine
