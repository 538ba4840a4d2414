#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QLine>
#include <QRect>
#include <QSize>
#include <QString>

namespace tolvarine {

// The main window's geometry in twips, for one of its two layouts. Coordinates of
// controls are relative to the client area, which starts below the menu bar.
struct MainLayout {
    QSize window; // outer size: frame, caption and menu bar included
    QSize client; // what is left for the controls

    QRect lblKrNo, txtKrNo, cmdKrNo, lblKrName, txtKrName;
    QRect List3, cmdExplorer, lblDrop, cmdDrop;
    QRect Drive1, Dir1, List1, ListFaDate, List2, ListFace;
    std::array<QRect, 7> ImgSam;
    std::array<QRect, 5> ImgFace;
    QRect ImgPrint;
    QRect lblClinicName;
    QLine Line1, Line2; // end x is the client width
};

// The frame, caption and menu bar of the window the layout was designed on, which
// the outer window size includes: a fixed single border of 45 twips each side, a
// caption and a menu bar of 285 twips each.
inline constexpr int kFrameBorderTwips = 45;
inline constexpr int kCaptionTwips = 285;
inline constexpr int kMenuBarTwips = 285;

MainLayout mainLayout(bool compactLayout);
// The window as designed, before its load chooses a layout: the normal layout with
// the drop area at its design height, the clinic name at its design place and the
// rules at their design length.
MainLayout designLayout();

// The registry's LogPixels value as text: the DPI as a 32-bit number in eight
// upper-case hexadecimal digits (96 gives "00000060"); "00" when there is no screen.
QString fontDensityText(std::optional<int> dpi);

// 96 DPI ("60") keeps the normal layout, 120 DPI ("78") takes the compact one,
// anything else follows the OsFontSize setting.
bool compactLayoutFor(const QString &registryText, int16_t osFontSize);

// The primary screen's logical DPI, rounded; nullopt without a screen.
std::optional<int> primaryScreenFontDensity();

} // namespace tolvarine
