#include "print/SheetLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Twips.h"
#include "settings/SettingsText.h"
#include "store/VisitOrder.h"

namespace tolvarine {

namespace {

struct LayoutTable {
    int box;
    std::array<QPoint, kOralPositions> oral;
    std::array<QPoint, kFacePositions> face;
    // The comment's coordinate system: what the printable area's edges are called.
    int commentLeft, commentRight, commentTop, commentBottom;
    QPoint commentStart;
};

const LayoutTable kNormal{
    2300,
    {{{500, 5950}, {3170, 3800}, {500, 3800}, {5840, 3800}, {3170, 1640}, {3170, 5950}, {5840, 1640}}},
    {{{500, 8110}, {3170, 8110}, {5840, 8110}, {8450, 8110}, {8450, 5490}}},
    -600,
    10740,
    0,
    16160,
    {0, 11340},
};

const LayoutTable kLarge{
    3120,
    {{{570, 6520}, {3970, 3800}, {570, 3800}, {7370, 3800}, {3970, 1040}, {3970, 6520}, {7370, 1040}}},
    {{{570, 9240}, {3970, 9240}, {7370, 9240}, {570, 12600}, {3970, 12600}}},
    -7370,
    3970,
    0,
    16160,
    {0, 12600},
};

// The text lines stand at the same places on both sheets.
const QPoint kNumberAt(600, 600);
const QPoint kNameAt(1900, 800);
const QPoint kDateAt(8900, 800);
const QPoint kClinicAt(8900, 15300);

const LayoutTable &tableFor(SheetKind kind) { return kind == SheetKind::Large ? kLarge : kNormal; }

QPoint onDevice(const SheetGeometry &g, QPoint twips)
{
    return g.printable.topLeft() + twipsToPixels(twips, g.dpi);
}

// S x (a / b), rounded half to even; 0 where it cannot be had.
int otherSide(int box, int a, int b)
{
    if (a <= 0 || b <= 0)
        return 0;
    return roundToInt32(double(box) * a / b).value_or(0);
}

void appendSlots(std::vector<SheetSlot> &out, const PanelSetup &setup, int count)
{
    for (const Placement &p : placeVisit(setup.order, count, setup.maxCount())) {
        const size_t position = size_t(p.position);
        const int16_t code = position < setup.codes.size() ? setup.codes[position] : 0;
        out.push_back({setup.kind, p.index, p.position, code});
    }
}

// The comment keeps clear of every picture and text line that shares its column:
// the paper's size moves its place while the others stay where they are. Where a
// gap there holds no line, the comment goes on below the next of them.
QRect commentRoom(const SheetLayout &layout, const QRect &area, QPoint start, int textHeight)
{
    const int right = area.x() + area.width();
    const int end = area.y() + area.height();
    std::vector<QRect> others;
    const auto add = [&](const QRect &r) {
        if (!r.isEmpty() && r.x() < right && r.x() + r.width() > start.x())
            others.push_back(r);
    };
    for (const SheetPlace &place : layout.pictures)
        add(place.device);
    // A text line runs right from its place, as far as its text goes.
    for (const QPoint &line : {layout.number, layout.name, layout.date, layout.clinic})
        add(QRect(line, QPoint(right - 1, line.y() + textHeight - 1)));

    int top = start.y();
    int bottom = end;
    for (;;) {
        for (bool moved = true; moved;) {
            moved = false;
            for (const QRect &r : others)
                if (r.y() <= top && top < r.y() + r.height()) {
                    top = r.y() + r.height();
                    moved = true;
                }
        }
        bottom = end;
        for (const QRect &r : others)
            if (r.y() >= top)
                bottom = std::min(bottom, r.y());
        if (bottom - top >= textHeight || bottom >= end)
            break;
        top = bottom;
    }
    return QRect(start.x(), top, std::max(0, right - start.x()), std::max(0, bottom - top));
}

} // namespace

int linesThatFit(const QRect &room, qreal lineHeight, qreal lineSpacing)
{
    if (room.height() < lineHeight || lineSpacing <= 0)
        return 0;
    return 1 + int(std::floor((room.height() - lineHeight) / lineSpacing));
}

std::vector<SheetSlot> sheetSlots(const PanelSetup &oral, int oralCount, const PanelSetup &face,
                                  int faceCount)
{
    std::vector<SheetSlot> out;
    appendSlots(out, oral, oralCount);
    appendSlots(out, face, faceCount);
    return out;
}

bool turnsQuarter(const SheetSlot &slot)
{
    return slot.panel == PanelKind::Face && (slot.code == 4 || slot.code == 5);
}

int pictureBoxTwips(SheetKind kind) { return tableFor(kind).box; }

SheetPlace placeSheetPicture(const SheetGeometry &geometry, const SheetSlot &slot, QSize stored)
{
    const LayoutTable &table = tableFor(geometry.kind);
    const size_t places = slot.panel == PanelKind::Oral ? table.oral.size() : table.face.size();
    if (slot.position < 0 || size_t(slot.position) >= places)
        return {slot, QRect(), QRect()};
    const QPoint at =
        slot.panel == PanelKind::Oral ? table.oral[size_t(slot.position)] : table.face[size_t(slot.position)];
    const int box = table.box;
    QSize size;
    if (turnsQuarter(slot)) // turned, the stored height lies across
        size = QSize(otherSide(box, stored.height(), stored.width()), box);
    else
        size = QSize(box, otherSide(box, stored.height(), stored.width()));
    if (size.isEmpty())
        return {slot, QRect(at, QSize(0, 0)), QRect(onDevice(geometry, at), QSize(0, 0))};
    const QRect twips(at, size);
    return {slot, twips, QRect(onDevice(geometry, at), twipsToPixels(size, geometry.dpi))};
}

QSize sizeBeforeTurn(const SheetPlace &place)
{
    const QSize drawn = place.device.size();
    return turnsQuarter(place.slot) ? drawn.transposed() : drawn;
}

SheetLayout layoutSheet(const SheetGeometry &geometry, const PanelSetup &oral,
                        const std::vector<QSize> &oralSizes, const PanelSetup &face,
                        const std::vector<QSize> &faceSizes)
{
    SheetLayout layout;
    for (const SheetSlot &slot : sheetSlots(oral, int(oralSizes.size()), face, int(faceSizes.size()))) {
        const auto &sizes = slot.panel == PanelKind::Oral ? oralSizes : faceSizes;
        layout.pictures.push_back(placeSheetPicture(geometry, slot, sizes[size_t(slot.index)]));
    }
    layout.number = onDevice(geometry, kNumberAt);
    layout.name = onDevice(geometry, kNameAt);
    layout.date = onDevice(geometry, kDateAt);
    layout.clinic = onDevice(geometry, kClinicAt);

    // The comment's coordinate system stretches its edge values over the printable area.
    const LayoutTable &table = tableFor(geometry.kind);
    const QRect &area = geometry.printable;
    const double across = double(area.width()) / (table.commentRight - table.commentLeft);
    const double down = double(area.height()) / (table.commentBottom - table.commentTop);
    const QPoint start(area.x() + int(std::lround((table.commentStart.x() - table.commentLeft) * across)),
                       area.y() + int(std::lround((table.commentStart.y() - table.commentTop) * down)));
    layout.comment = commentRoom(layout, area, start, std::max(1, geometry.textHeight));
    return layout;
}

} // namespace tolvarine
