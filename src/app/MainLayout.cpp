#include "app/MainLayout.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>

namespace tolvarine {

namespace {

// Positions (left, top) of the thumbnails; sizes are the same in both layouts.
struct ThumbnailPlaces {
    std::array<QPoint, 7> oral;
    std::array<QPoint, 5> face;
};

constexpr std::array<QSize, 7> kOralSizes{{
    {2055, 1575},
    {2055, 1695},
    {2055, 1695},
    {2175, 1695},
    {2055, 1695},
    {2055, 1575},
    {2052, 1572},
}};
constexpr QSize kFaceSize{1932, 1812};

const ThumbnailPlaces kNormalPlaces{
    {{{2240, 5040}, {5300, 2560}, {2240, 2560}, {8360, 2560}, {5300, 120}, {5300, 5040}, {8360, 120}}},
    {{{2240, 7520}, {5300, 7520}, {8360, 7520}, {11420, 7520}, {11420, 4500}}},
};
const ThumbnailPlaces kCompactPlaces{
    {{{2220, 4080}, {4680, 2080}, {2220, 2080}, {7120, 2080}, {4680, 120}, {4680, 4080}, {7120, 120}}},
    {{{2220, 6080}, {4680, 6080}, {7120, 6080}, {9560, 6080}, {9560, 3650}}},
};

struct VariableGeometry {
    QSize window;
    int dir1Height;
    int list1Top, list1Height;
    int faDateTop, faDateHeight;
    int list3Height;
    int clinicNameInset; // from the window's right edge
};

constexpr VariableGeometry kNormal{{14580, 11240}, 4920, 5500, 2400, 8000, 2400, 780, 2600};
constexpr VariableGeometry kCompact{{12080, 9200}, 3948, 4500, 2028, 6600, 1848, 420, 2300};

} // namespace

MainLayout mainLayout(bool compactLayout)
{
    const VariableGeometry &v = compactLayout ? kCompact : kNormal;
    const ThumbnailPlaces &places = compactLayout ? kCompactPlaces : kNormalPlaces;

    MainLayout l;
    l.window = v.window;
    l.client = QSize(v.window.width() - 2 * kFrameBorderTwips,
                     v.window.height() - 2 * kFrameBorderTwips - kCaptionTwips - kMenuBarTwips);

    l.lblKrNo = QRect(2120, 160, 852, 252);
    l.txtKrNo = QRect(3040, 120, 972, 264);
    l.cmdKrNo = QRect(4100, 120, 372, 280);
    l.lblKrName = QRect(2280, 500, 612, 252);
    l.txtKrName = QRect(3040, 480, 1412, 264);
    l.List3 = QRect(2280, 840, 2175, v.list3Height);
    l.cmdExplorer = QRect(2280, 1720, 375, 280);
    l.lblDrop = QRect(3000, 1760, 852, 252);
    l.cmdDrop = QRect(3960, 1720, 492, 280);
    l.Drive1 = QRect(30, 120, 2100, 276);
    l.Dir1 = QRect(36, 480, 2100, v.dir1Height);
    l.List1 = QRect(30, v.list1Top, 2100, v.list1Height);
    l.ListFaDate = QRect(36, v.faDateTop, 2100, v.faDateHeight);
    l.List2 = QRect(8280, 4800, 1212, 240);
    l.ListFace = QRect(8280, 5160, 1212, 240);
    for (std::size_t i = 0; i < l.ImgSam.size(); ++i)
        l.ImgSam[i] = QRect(places.oral[i], kOralSizes[i]);
    for (std::size_t i = 0; i < l.ImgFace.size(); ++i)
        l.ImgFace[i] = QRect(places.face[i], kFaceSize);
    l.ImgPrint = QRect(4320, 4440, 732, 492);
    l.lblClinicName = QRect(v.window.width() - v.clinicNameInset, 200, 2250, 492);
    l.Line1 = QLine(0, 0, l.client.width(), 0);
    l.Line2 = QLine(0, 15, l.client.width(), 15);
    return l;
}

MainLayout designLayout()
{
    MainLayout l = mainLayout(false);
    l.List3.setHeight(420);
    l.lblClinicName = QRect(7800, 5640, 2250, 492);
    l.Line1 = QLine(0, 0, 13680, 0);
    l.Line2 = QLine(0, 15, 13680, 15);
    return l;
}

QString fontDensityText(std::optional<int> dpi)
{
    if (!dpi)
        return QStringLiteral("00");
    return QStringLiteral("%1").arg(static_cast<uint32_t>(*dpi), 8, 16, QLatin1Char('0')).toUpper();
}

bool compactLayoutFor(const QString &registryText, int16_t osFontSize)
{
    const QString lastTwo = registryText.right(2);
    if (lastTwo == QLatin1String("60"))
        return false;
    if (lastTwo == QLatin1String("78"))
        return true;
    return osFontSize != 0;
}

std::optional<int> primaryScreenFontDensity()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return static_cast<int>(std::lround(screen->logicalDotsPerInch()));
}

} // namespace tolvarine
