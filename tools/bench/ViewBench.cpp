// view_open: a camera picture opened in a view as the view window opens it,
// against what libjpeg-turbo alone needs to decode the same file at the scale
// that view needs. Also the memory one open view keeps.
#include "ViewBench.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include <QElapsedTimer>
#include <QFile>

#include "JpegFloor.h"
#include "platform/Twips.h"
#include "settings/AppSettings.h"
#include "store/CaptureDate.h"
#include "viewer/ViewPicture.h"

namespace tolvarine {

namespace {

constexpr int kViewTwips = 8000, kViewDpi = 96;

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The high-water mark of resident memory, after resetting it where the kernel allows.
double peakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double middle(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

bool benchViewOpen(const QString &picture, int runs)
{
    const AppSettings settings;
    const QSize window = twipsToPixels(viewWindowTwips(kViewTwips, false), kViewDpi);
    const QSize area(window.width(), window.height() - twipsToPixels(kViewAreaBandTwips, kViewDpi));

    // What the window does from HyoujiOne until the fitted bitmap is ready.
    QSize fitted;
    auto open = [&] {
        ViewPicture view(picture, PanelKind::Oral, 0, settings);
        const QString caption =
            viewCaption(settings.PictFolda, picture, readFileDate(picture).value_or(zeroDate()));
        const bool ok = !caption.isEmpty() && view.fit(area).ok();
        fitted = view.fittedImage().size();
        return ok;
    };
    QSize floorSize;
    if (!open() || (floorSize = bench::decodeWithLibjpeg(picture, fitted)).isEmpty()) {
        std::fprintf(stderr, "view_open: cannot decode %s\n", qPrintable(picture));
        return false;
    }

    std::vector<double> viewMs, floorMs;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        open();
        viewMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        floorSize = bench::decodeWithLibjpeg(picture, fitted);
        floorMs.push_back(timer.nsecsElapsed() / 1e6);
    }

    // Large blocks straight from the system and back to it, so that the resident
    // size counts what the view holds, not what earlier tasks left in the heap.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    const double before = residentMegabytes();
    resetPeak();
    const double peakBefore = peakMegabytes();
    ViewPicture kept(picture, PanelKind::Oral, 0, settings);
    kept.fit(area);
    const double held = residentMegabytes() - before;
    const double peak = peakMegabytes() - peakBefore;

    const double view = middle(viewMs), floor = middle(floorMs);
    std::printf(
        "{\"task\": \"view_open_floor\", \"median_ms\": %.1f, \"runs\": %d, \"note\": \"libjpeg-turbo "
        "decode at %dx%d\"}\n",
        floor, runs, floorSize.width(), floorSize.height());
    std::printf(
        "{\"task\": \"view_open\", \"median_ms\": %.1f, \"runs\": %d, \"floor_ms\": %.1f, "
        "\"ratio\": %.2f, \"rss_kept_mb\": %.1f, \"rss_peak_mb\": %.1f, \"note\": \"fitted %dx%d in a "
        "%dx%d area\"}\n",
        view, runs, floor, view / floor, held, peak, fitted.width(), fitted.height(), area.width(),
        area.height());
    std::fflush(stdout);
    return true;
}

bool benchViewZoom(const QString &picture, int runs)
{
    const AppSettings settings;
    const QSize window = twipsToPixels(viewWindowTwips(kViewTwips, false), kViewDpi);
    const QSize area(window.width(), window.height() - twipsToPixels(kViewAreaBandTwips, kViewDpi));
    ViewPicture view(picture, PanelKind::Oral, 0, settings);
    if (!view.fit(area).ok())
        return false;
    const QSize full = view.storedSize();
    // What the window shows at full size: an area's worth around the middle.
    const QRectF visible(QPointF((full.width() - area.width()) / 2.0, (full.height() - area.height()) / 2.0),
                         QSizeF(area));
    std::vector<double> zoomMs, floorMs;
    QSize shown;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (const std::optional<ZoomRequest> request = view.zoomRequest(visible, 1.0))
            view.takeZoom(decodeZoom(*request));
        zoomMs.push_back(timer.nsecsElapsed() / 1e6);
        shown = view.zoomTile().image.size();
        view.releaseZoom();
        timer.start();
        bench::decodeWithLibjpeg(picture, full);
        floorMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double zoom = middle(zoomMs), floor = middle(floorMs);
    std::printf("{\"task\": \"view_zoom_full\", \"median_ms\": %.1f, \"runs\": %d, \"floor_ms\": %.1f, "
                "\"ratio\": %.2f, \"note\": \"zoom to full size until the sharp bitmap is ready, %dx%d; "
                "floor: libjpeg-turbo decoding the whole file\"}\n",
                zoom, runs, floor, zoom / floor, shown.width(), shown.height());
    std::fflush(stdout);
    return true;
}

} // namespace tolvarine
