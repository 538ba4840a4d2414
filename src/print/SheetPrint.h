#pragma once

#include <vector>

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include "platform/Outcome.h"
#include "print/SheetLayout.h"
#include "settings/SharedState.h"
#include "store/PanelFill.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace tolvarine {

// Everything a printed sheet shows: the print dialog's texts, the clinic's name
// and the shown visit's pictures with the shooting orders and orientation codes.
struct SheetSource {
    SheetKind kind = SheetKind::Normal;
    PrintRequest request;
    QString clinicName;
    QStringList oralPictures; // in store order, as the intraoral panel has them
    QStringList facePictures;
    PanelSetup oral;
    PanelSetup face;
};

// The sheet's text font: the Japanese UI font (IPA P Gothic here), which PDF
// output embeds.
QFont sheetFont();

// A sheet ready to be drawn: its layout and each placed picture decoded, sized to
// its place in device pixels and turned. outcome tells the first picture, in
// drawing order, that could not be loaded; the sheet is then not to be drawn.
struct PreparedSheet {
    Outcome outcome;
    SheetLayout layout;
    std::vector<QImage> images; // one per layout.pictures
};

// Decodes the placed pictures at the scale their places need, all at once on the
// worker threads, each turned by its position's code.
PreparedSheet prepareSheet(const SheetGeometry &geometry, const SheetSource &source);

// The comment as printed lines: its own lines, each wrapped where it would pass
// width (at a word boundary where there is one).
QStringList commentLines(const QString &comment, const QFont &font, QPaintDevice *device, qreal width);

// Draws a prepared sheet, each picture at exactly its rectangle, each text with
// its top-left corner at its place. Comment lines that would pass the printable
// area's bottom are left out: the sheet is one page.
void drawSheet(QPainter &painter, const PreparedSheet &sheet, const SheetSource &source, const QFont &font);

// The whole sheet: prepared first, so that a picture that cannot be loaded leaves
// the device untouched (a printer is never opened for half a sheet), then drawn.
// printable is in painter coordinates.
Outcome printSheet(QPaintDevice &device, const QRect &printable, const SheetSource &source);
// On a printer or PDF writer: its page's printable area at its resolution.
Outcome printSheet(QPagedPaintDevice &device, const SheetSource &source);

} // namespace tolvarine
