#pragma once

#include <cstdint>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>

#include "store/PanelFill.h"

namespace tolvarine {

// The two sheets a visit is printed on.
enum class SheetKind { Normal, Large };

// Where the printed sheet lies on its device: the printable area in the device's
// pixels (painter coordinates) and the device's resolution in dots per inch.
struct SheetGeometry {
    SheetKind kind = SheetKind::Normal;
    QRect printable;
    double dpi = 600;
    int textHeight = 0; // one line of the sheet's text, in device pixels
};

// One picture of the visit that goes on the sheet.
struct SheetSlot {
    PanelKind panel = PanelKind::Oral;
    int index = 0;    // entry in the visit's list of that panel
    int position = 0; // display position, which fixes its place on the sheet
    int16_t code = 0; // the position's orientation code
};

// The pictures of a visit that are printed, in drawing order (intraoral, then
// facial): the entries the shooting order places, as the panels place them.
std::vector<SheetSlot> sheetSlots(const PanelSetup &oral, int oralCount, const PanelSetup &face,
                                  int faceCount);

// Whether a slot's picture is turned a quarter, so that its height is the fixed side.
bool turnsQuarter(const SheetSlot &slot);

// The fixed side of a picture's box on the sheet, in twips.
int pictureBoxTwips(SheetKind kind);

struct SheetPlace {
    SheetSlot slot;
    QRect twips;  // from the printable area's top-left
    QRect device; // in the device's pixels
};

// A picture's place: the box's side across (or, for a quarter turn, down), the
// other side by the turned picture's proportions rounded half to even. An empty
// stored size gives empty rectangles.
SheetPlace placeSheetPicture(const SheetGeometry &geometry, const SheetSlot &slot, QSize stored);

// The size a picture is brought to before it is turned, so that turned it fills
// its place pixel for pixel.
QSize sizeBeforeTurn(const SheetPlace &place);

struct SheetLayout {
    std::vector<SheetPlace> pictures;
    // Top-left corner of each text line, in device pixels.
    QPoint number;
    QPoint name;
    QPoint date;
    QPoint clinic;
    // The comment's room, up to the printable area's right edge: its first line
    // starts at the top-left corner, later lines below it at the same x, a line
    // wraps at the right edge and a line that would pass the bottom is not printed.
    // It begins at the comment's place or, where the paper brings a picture or a
    // text line there, just below that, and ends above the next one underneath.
    QRect comment;
};

// How many lines of the given height, one spacing apart, the room takes.
int linesThatFit(const QRect &room, qreal lineHeight, qreal lineSpacing);

// The whole sheet. storedSizes hold the stored size of each entry of the visit's
// intraoral and facial lists (entries the order does not place may be empty).
SheetLayout layoutSheet(const SheetGeometry &geometry, const PanelSetup &oral,
                        const std::vector<QSize> &oralSizes, const PanelSetup &face,
                        const std::vector<QSize> &faceSizes);

} // namespace tolvarine
